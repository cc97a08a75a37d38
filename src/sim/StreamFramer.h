#pragma once
// Finds request frames in the byte stream of a serial line. The line carries no frame marks, so
// a frame is recognised by its own shape: a length that fits the command's layout and a right
// checksum. Bytes that cannot start a frame are dropped. A plausible start whose frame is not
// complete yet is waited for while the line is busy (a file block may well contain bytes that
// look like a small request, and must not be taken as one); once the line is idle such a stalled
// start is skipped, so garbage before a request delays it by one idle time at most.
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace vlm::sim {

class StreamFramer {
 public:
  void Append(std::span<const uint8_t> bytes);
  // The next whole request, with everything before it discarded. lineIdle: no byte has come for
  // a while, so a started frame that is still incomplete is taken as garbage.
  std::optional<std::vector<uint8_t>> Next(bool lineIdle = false);
  void Flush() { pending_.clear(); }
  size_t Pending() const { return pending_.size(); }

 private:
  std::vector<uint8_t> pending_;
};

}  // namespace vlm::sim
