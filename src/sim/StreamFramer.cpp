#include "sim/StreamFramer.h"

#include "sim/SimController.h"
#include "sim/SimProtocol.h"

namespace vlm::sim {

void StreamFramer::Append(std::span<const uint8_t> bytes) {
  pending_.insert(pending_.end(), bytes.begin(), bytes.end());
  // No frame is longer than kMaxFrame, so older bytes can never be part of one.
  if (pending_.size() > 2 * kMaxFrame)
    pending_.erase(pending_.begin(), pending_.end() - std::ptrdiff_t(2 * kMaxFrame));
}

std::optional<std::vector<uint8_t>> StreamFramer::Next(bool lineIdle) {
  size_t firstPossible = pending_.size();
  for (size_t start = 0; start < pending_.size(); ++start) {
    size_t size = 0;
    const auto check = CheckRequestFrame(std::span(pending_).subspan(start), size);
    if (check == FrameCheck::Valid) {
      std::vector<uint8_t> frame(pending_.begin() + std::ptrdiff_t(start),
                                 pending_.begin() + std::ptrdiff_t(start + size));
      pending_.erase(pending_.begin(), pending_.begin() + std::ptrdiff_t(start + size));
      return frame;
    }
    if (check == FrameCheck::Incomplete && firstPossible == pending_.size()) {
      firstPossible = start;
      if (!lineIdle) break;
    }
  }
  pending_.erase(pending_.begin(), pending_.begin() + std::ptrdiff_t(firstPossible));
  return std::nullopt;
}

}  // namespace vlm::sim
