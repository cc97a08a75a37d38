#include "model/ConfigTree.h"

#include "common/Format.h"
#include "common/Prompt.h"
#include "model/Config.h"

namespace vlm {

namespace {
bool HoldsProcessor(const TTreeNode& node) { return dynamic_cast<const TProcessor*>(node.Object()) != nullptr; }

// Swallows the reports of a build the user did not ask for.
class TQuietPrompt : public IPrompt {
 public:
  void ShowError(const std::string&) override {}
  TAnswer AskYesNo(const std::string&, bool) override { return TAnswer::No; }
};

template <class T>
std::vector<T*> AllOf(const TTree& tree) {
  std::vector<T*> found;
  tree.ForEach([&](TTreeNode& node) {
    if (auto* object = dynamic_cast<T*>(node.Object())) found.push_back(object);
  });
  return found;
}
}  // namespace

bool CanMoveBefore(const TTreeNode& dragged, const TTreeNode& target) {
  return &dragged != &target && dragged.Parent() && dragged.Parent() == target.Parent() &&
         !HoldsProcessor(dragged) && !HoldsProcessor(target);
}

void SortCardsByAddress(TController& controller) {
  controller.Node->SortChildren(1, [](const TTreeNode& a, const TTreeNode& b) {
    const auto* x = dynamic_cast<const TCard*>(a.Object());
    const auto* y = dynamic_cast<const TCard*>(b.Object());
    return x && y && x->Address < y->Address;
  });
}

void SortPortsByNumber(TProcessor& processor) {
  processor.Node->SortChildren(0, [](const TTreeNode& a, const TTreeNode& b) {
    const auto* x = dynamic_cast<const TSoftPort*>(a.Object());
    const auto* y = dynamic_cast<const TSoftPort*>(b.Object());
    return x && y && x->Number < y->Number;
  });
}

std::string DeleteRefusal(const TTreeNode& node) {
  if (dynamic_cast<const TController*>(node.Object()) && node.Parent() && node.Parent()->Count() == 1)
    return "Вы не можете удалить единственный контроллер.";
  return {};
}

std::string DeleteQuestion(const TTreeNode& node) { return "Вы действительно хотите удалить\r" + node.Text() + "?"; }

std::string IpText(uint32_t address) {
  return Format("%d.%d.%d.%d", {address >> 24, (address >> 16) & 255, (address >> 8) & 255, address & 255});
}

std::vector<TProcessor*> AllProcessors(const TTree& tree) { return AllOf<TProcessor>(tree); }

std::vector<TSoftPort*> AllSoftPorts(const TTree& tree) { return AllOf<TSoftPort>(tree); }

std::string CardsText(const std::vector<TCard*>& cards) {
  std::string text;
  for (const TCard* card : cards) text += " " + card->GetCaption();
  return text;
}

TUseLevel UseLevel(int useCount) {
  return useCount <= 0 ? TUseLevel::Free : useCount == 1 ? TUseLevel::Used : TUseLevel::Conflict;
}

std::vector<uint8_t> QuietImage(TStation& station) {
  TQuietPrompt quiet;
  PromptGuard guard(quiet);
  TConfig cfg;
  cfg.Stamp = TDateTime(0);
  try {
    station.WriteConfig(cfg);
  } catch (const EAbort&) {
    return {};
  }
  return {cfg.Image().begin(), cfg.Image().end()};
}

}  // namespace vlm
