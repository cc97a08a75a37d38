#pragma once
// The controller's console as its firmware leaves it in the 80 x 50 text video memory at B800h:
// a title bar, start-up messages in several colours (Cyrillic in code page 866) and a status line
// whose clock and counters change every second.
#include <chrono>
#include <cstdint>
#include <string_view>

#include "sim/SimMemory.h"

namespace vlm::sim {

class SimScreen {
 public:
  static constexpr int kColumns = 80, kRows = 50;

  void Publish(SimMemory& memory);  // the boot hook: the whole screen
  void Tick(SimMemory& memory);     // the status line, once a second
  // Writes UTF-8 text in code page 866 at row, column (cut at the right edge).
  static void Put(SimMemory& memory, int row, int column, std::string_view utf8, uint8_t attribute);
  static void Fill(SimMemory& memory, int row, uint8_t attribute);

 private:
  std::chrono::steady_clock::time_point boot_{};
  long long shown_ = -1;  // the second the status line shows
};

}  // namespace vlm::sim
