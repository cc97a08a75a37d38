#include "diag/DiagDebug.h"

#include "common/Format.h"

namespace vlm {
namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool IsUpperHex(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); }

}  // namespace

std::optional<std::vector<uint8_t>> ParseHexLine(std::string_view line) {
  std::vector<uint8_t> bytes;
  size_t i = 0;
  while (i < line.size()) {
    const int high = HexDigit(line[i]);
    // A single digit at the end stands for itself, as the conversion of a one-digit text does.
    const int low = i + 1 < line.size() ? HexDigit(line[i + 1]) : -2;
    if (high < 0 || low == -1) return std::nullopt;
    bytes.push_back(uint8_t(low == -2 ? high : high * 16 + low));
    i += 2;
    while (i < line.size() && !IsUpperHex(line[i])) ++i;
  }
  return bytes;
}

TDiagDebug::TWrite TDiagDebug::WriteEdit() {
  const auto bytes = ParseHexLine(Edit);
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
