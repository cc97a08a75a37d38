#pragma once
// The debug view's model: byte strings written at a target address, one line at a time or
// replayed from a list of lines (received-frame lines of a black-box text carry "-->|").
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "diag/DiagMemory.h"

namespace vlm {

class TDiagDebug {
 public:
  explicit TDiagDebug(TDiagMemory& memory) : memory_(memory) {}

  TFarPtr Target = 0;
  std::vector<std::string> Lines;  // the list (Memo1)
  std::string Edit;                // the current line (Edit1)
  size_t ReplayIndex = 0;
  std::string Position;            // "Строка № %d/%d", empty until a line was replayed
  int SelectedLine = -1;

  enum class TWrite { Written, Empty, NotHex, Failed };
  // "Выдать": the edit line's bytes at the target (several requests when longer than one carries).
  TWrite WriteEdit();
  // One replay tick: the next line with "-->" from ReplayIndex on, written; false when the list
  // has none.
  bool ReplayTick();

 private:
  TDiagMemory& memory_;
};

}  // namespace vlm
