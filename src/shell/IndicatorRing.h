#pragma once
// The points of the link indicator between two drawing ticks. Points may come from a second
// thread (the oscilloscope receiver); the ring is guarded by a mutex so neither writer loses or
// tears an entry, and the window's drawing tick drains it.
#include <array>
#include <cstdint>
#include <mutex>
#include <vector>

namespace vlm {

// Windows colour values of the points (blue in the high byte).
namespace PointColor {
constexpr uint32_t Green = 0x008000, Red = 0x0000FF, Lime = 0x00FF00, Yellow = 0x00FFFF,
                   Magenta = 0xFF00FF, Purple = 0x800080;
}

// Ring of 256 colours with byte indices: more than 256 points between two ticks overwrite the
// oldest undrawn ones, as the indicator always did.
class TIndicatorRing {
 public:
  void Add(uint32_t colour);
  // Removes and returns the undrawn colours, oldest first.
  std::vector<uint32_t> Drain();

 private:
  std::mutex mutex_;
  std::array<uint32_t, 256> ring_{};
  uint8_t writeIndex_ = 0;
  uint8_t readIndex_ = 0;
  bool full_ = false;  // the write index has lapped the read index
};

}  // namespace vlm
