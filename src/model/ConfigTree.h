#pragma once
// Operations of the main window and the summary frames on the tree that need no widgets:
// reordering, deletion rules, the station's summaries and the registry rows of the controller.
#include <cstdint>
#include <string>
#include <vector>

#include "model/VLM_Obj.h"

namespace vlm {

// Drag and drop: only onto a sibling, and neither node may hold a processor.
bool CanMoveBefore(const TTreeNode& dragged, const TTreeNode& target);
// "Сортировать Платы по адресу": the cards by ascending address; the processor stays first.
void SortCardsByAddress(TController& controller);
// "Сортировать Порты по номеру".
void SortPortsByNumber(TProcessor& processor);

// The text that refuses deleting the node ("" when it may be deleted) and the question before.
std::string DeleteRefusal(const TTreeNode& node);
std::string DeleteQuestion(const TTreeNode& node);

// "a.b.c.d" of an address held with the first octet in the most significant byte.
std::string IpText(uint32_t address);

// Every processor and every software port in tree order (station frame summaries).
std::vector<TProcessor*> AllProcessors(const TTree& tree);
std::vector<TSoftPort*> AllSoftPorts(const TTree& tree);

// Controller frame: the captions of the cards of one registry list, each after one blank.
std::string CardsText(const std::vector<TCard*>& cards);

// The image the station would be written as, built without a word to the user and with a fixed
// header time, so that two states of a tree compare by their bytes (has the configuration changed
// since it was saved?); empty when it cannot be built.
std::vector<uint8_t> QuietImage(TStation& station);

// How the editors draw an address or line: no card, one card, a conflict.
enum class TUseLevel : uint8_t { Free, Used, Conflict };
TUseLevel UseLevel(int useCount);

}  // namespace vlm
