#include "shell/IndicatorRing.h"

namespace vlm {

void TIndicatorRing::Add(uint32_t colour) {
  std::lock_guard lock(mutex_);
  ring_[writeIndex_] = colour;
  ++writeIndex_;
  if (full_) readIndex_ = writeIndex_;  // the oldest undrawn point was just overwritten
  else if (writeIndex_ == readIndex_) full_ = true;
}

std::vector<uint32_t> TIndicatorRing::Drain() {
  std::lock_guard lock(mutex_);
  std::vector<uint32_t> out;
  if (full_) out.reserve(256);
  while (full_ || readIndex_ != writeIndex_) {
    out.push_back(ring_[readIndex_]);
    ++readIndex_;
    full_ = false;
  }
  return out;
}

}  // namespace vlm
