#include "diag/DiagDebug.h"

#include "common/Format.h"
#include "common/HexText.h"

namespace vlm {
TDiagDebug::TWrite TDiagDebug::WriteEdit() {
  const auto bytes = ParseHexPairs(Edit);
  if (!bytes) return TWrite::NotHex;
  if (bytes->empty()) return TWrite::Empty;
  return memory_.WriteDiagMemory(Target, *bytes) ? TWrite::Written : TWrite::Failed;
}

bool TDiagDebug::ReplayTick() {
  for (size_t step = 0; step < Lines.size(); ++step) {
    const size_t index = (ReplayIndex + step) % Lines.size();
    const size_t mark = Lines[index].find("-->");
    if (mark == std::string::npos) continue;
    Edit = mark + 4 <= Lines[index].size() ? Lines[index].substr(mark + 4) : std::string();
    WriteEdit();
    Position = Format("Строка № %d/%d", {index + 1, Lines.size()});
    SelectedLine = int(index);
    ReplayIndex = (index + 1) % Lines.size();
    return true;
  }
  return false;
}

}  // namespace vlm
