#pragma once
// The recorders of one controller: the scan walks the descriptor chain from the slot of
// interrupt vector 86h and creates one reader per recorder, numbered 1, 2, ... in chain order.
#include <memory>
#include <string>
#include <vector>

#include "blackbox/BoxContext.h"
#include "blackbox/BoxDriver.h"

namespace vlm {

inline constexpr const char* kNoBoxInterface = "Не обнаружен интерфейс доступа к буферам Черных Ящиков.";

// A descriptor of a type no reader knows: listed, never read.
struct TUnsupportedBox {
  uint8_t type = 0;
  std::string name;
  TFarPointer address;
};

class TBoxList {
 public:
  // A chain longer than this is taken for damaged memory.
  static constexpr size_t kMaxDescriptors = 64;
  static constexpr int kAttempts = 3;

  explicit TBoxList(TBoxContext& context) : context_(context) {}
  ~TBoxList();

  // Stops every recording, forgets the readers and walks the chain again. On failure the error
  // box shows kNoBoxInterface and the link is closed; readers found before the failure stay.
  bool Scan();
  // One poll of every reader in list order (the window's work timer).
  void PollAll();
  void StopAll();

  const std::vector<std::unique_ptr<TBoxDriver>>& Readers() const { return readers_; }
  const std::vector<TUnsupportedBox>& Unsupported() const { return unsupported_; }
  TBoxDriver* Find(int number) const;
  // The reader of replayed files, named "Test", created on first use with the next number.
  TBoxDriver& ReplayBox();

 private:
  bool ReadWithAttempts(TFarPointer at, std::span<uint8_t> out);
  bool Walk();

  TBoxContext& context_;
  std::vector<std::unique_ptr<TBoxDriver>> readers_;
  std::vector<TUnsupportedBox> unsupported_;
  std::unique_ptr<TBoxDriver> replayBox_;
};

}  // namespace vlm
