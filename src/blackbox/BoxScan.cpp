#include "blackbox/BoxScan.h"

#include <algorithm>

#include "blackbox/BoxDriverEth.h"
#include "common/Numbers.h"
#include "common/Prompt.h"
#include "link/FileRead.h"
#include "link/ServiceRequests.h"

namespace vlm {

TBoxList::~TBoxList() { StopAll(); }

void TBoxList::StopAll() {
  for (const auto& reader : readers_) reader->StopRecording();
  if (replayBox_) replayBox_->StopRecording();
}

void TBoxList::PollAll() {
  for (const auto& reader : readers_) reader->Poll();
}

TBoxDriver* TBoxList::Find(int number) const {
  for (const auto& reader : readers_)
    if (reader->Number() == number) return reader.get();
  return nullptr;
}

TBoxDriver& TBoxList::ReplayBox() {
  if (!replayBox_) replayBox_ = std::make_unique<TBoxDriver>(context_, TBoxDescriptor::Named("Test"), 0, 0);
  return *replayBox_;
}

bool TBoxList::ReadWithAttempts(TFarPointer at, std::span<uint8_t> out) {
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    const bool ok = ReadMemory(context_.link, at.segment, at.offset, out);
    context_.Point(ok ? kPointLime : kPointRed);
    if (ok) return true;
  }
  return false;
}

bool TBoxList::Scan() {
  context_.link.CloseLink();
  StopAll();
  if (context_.view.currentBox && context_.view.currentBox != replayBox_.get()) context_.view.currentBox = nullptr;
  readers_.clear();
  unsupported_.clear();
  context_.readerCounter = 0;
  const bool opened = context_.link.OpenLink();
  const bool found = opened && Walk();
  if (!found) {
    // A link that cannot open says why; it is no sign of a controller without recorders.
    // A controller that stopped answering is no controller without recorders: the cause is added.
    std::string cause = opened ? ReadFailureCause(context_.link) : std::string();
    if (!cause.empty() && cause.back() == '\r') cause.pop_back();
    ShowError(!opened        ? LinkOpenFailureText(context_.link.LastOpenFailure(), context_.link.Settings)
              : cause.empty() ? std::string(kNoBoxInterface)
                              : std::string(kNoBoxInterface) + "\r" + cause);
    context_.link.CloseLink();
  }
  return found;
}

bool TBoxList::Walk() {
  uint8_t root[4];
  if (!ReadWithAttempts({kBoxChainSegment, kBoxChainOffset}, root)) return false;
  TFarPointer at = TFarPointer::FromU32(GetU32(root));
  std::vector<TFarPointer> seen;
  for (;;) {
    // A pointer seen before would walk the same descriptors for ever.
    if (seen.size() == kMaxDescriptors || std::find(seen.begin(), seen.end(), at) != seen.end()) return false;
    seen.push_back(at);
    std::array<uint8_t, kBoxDescriptorSize> bytes{};
    if (!ReadWithAttempts(at, bytes)) return false;
    const TBoxDescriptor descriptor = TBoxDescriptor::FromBytes(bytes);
    if (!descriptor.SignatureOk()) return false;
    if (descriptor.Type() == kBoxTypeRecords)
      readers_.push_back(std::make_unique<TBoxDriver>(context_, descriptor, at.segment, at.offset));
    else if (descriptor.Type() == kBoxTypePcap)
      readers_.push_back(std::make_unique<TBoxDriverEth>(context_, descriptor, at.segment, at.offset));
    else
      unsupported_.push_back({descriptor.Type(), descriptor.Name(), at});
    if (descriptor.Next().IsNull()) return true;
    at = descriptor.Next();
  }
}

}  // namespace vlm
