#pragma once
// The stream data analyzer: takes the frames of a black-box reader as they are read or
// replayed and keeps the statistics tree (controller, port, point, function, group, values)
// with its link-level error counts. SIRIUS frame structure: KP octet, function, group, data.
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <type_traits>

#include "blackbox/BoxRecord.h"
#include "blackbox/BoxTavikTypes.h"

namespace vlm {

class TTavikAnalyzer {
 public:
  static constexpr size_t kBufferSize = 512;
  static constexpr size_t kHead = 8;  // F starts here; the head stays zero
  static constexpr size_t kFunction = kHead + 1;
  // A telecontrol receipt belongs to the command sent at most this long before it.
  static constexpr double kReceiptWindowMs = 2000;

  TTavikAnalyzer();
  ~TTavikAnalyzer();

  // Drops the tree and builds a new root.
  void Start();
  // One record of `length` data octets with its text line.
  void Feed(const TBoxRecord& record, size_t length, const std::string& line);

  TTavikNode& Root() { return *root_; }
  const TTavikNode& Root() const { return *root_; }
  TTavikHubContr& Controller() const;
  // Refreshes the texts of every node (what the window does while drawing them).
  void UpdateAllTexts();
  // Fades the activity maps of the function nodes `visible` accepts; true when any changed.
  bool Fade(const std::function<bool(const TTavikNode&)>& visible);

  // The PC clock (group activity); tests set their own.
  std::function<TDateTime()> clock = Now;
  // Called after a node was added (the window's view inserts its row).
  std::function<void(TTavikNode&)> nodeAdded;

  // Feed state the objects work on.
  TDateTime recordTime = 0;
  const std::string* line = &empty_;
  uint8_t direction = 0, code = 0;
  uint8_t kp = 0;           // KP number last addressed by the ПУ
  bool subFrame = false;
  uint8_t valuesFunction = 0;  // function code the current values arrived under
  struct TCommand {
    uint8_t function = 0, group = 0, object = 0;
    TDateTime time = 0;
  } command;
  std::array<uint8_t, kBufferSize> buffer{};
  size_t cursor = kFunction;
  size_t end = kFunction;
  uint64_t frameSerial = 0;

  // The PC clock, read once per frame.
  TDateTime PcNow() {
    if (pcNowFrame_ != frameSerial) {
      pcNow_ = clock();
      pcNowFrame_ = frameSerial;
    }
    return pcNow_;
  }
  uint8_t At(size_t pos) const { return pos < kBufferSize ? buffer[pos] : 0; }
  uint8_t Next() { return At(++cursor); }
  // Child `key` of `hub`, created as T when it is new, then updated.
  template <typename T>
  void GetChild(TTavikHub& hub, uint8_t key) {
    TTavikNode* child = nullptr;
    if (!hub.present.test(key)) {
      child = AddNode(*hub.node, key);
      child->object = std::make_unique<T>(*this, key, child);
      if (hub.node->children.size() == 1 && std::is_same_v<T, TTavikHubPoint>) hub.node->expanded = true;
      hub.present.set(key);
      if (nodeAdded) nodeAdded(*child);
    } else {
      child = FindChild(*hub.node, key);
    }
    if (child) child->object->Update();
  }
  // Runs the point's Update on a telesignal frame made up for one group, then puts the
  // analysis buffer back as it was.
  void SyntheticTelesignal(TTavikHubPoint& point, uint8_t group, uint8_t state);

 private:
  TTavikNode* AddNode(TTavikNode& parent, uint8_t key);
  static TTavikNode* FindChild(TTavikNode& parent, uint8_t key);

  std::unique_ptr<TTavikNode> root_;
  TDateTime pcNow_ = 0;
  uint64_t pcNowFrame_ = ~uint64_t(0);
  static const std::string empty_;
};

}  // namespace vlm
