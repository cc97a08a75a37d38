#include "common/HexText.h"

namespace vlm {
namespace {

int HexValue(char ch) {
  if (ch >= '0' && ch <= '9') return ch - '0';
  if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
  if (ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
  return -1;
}

bool IsUpperHex(char ch) { return (ch >= '0' && ch <= '9') || (ch >= 'A' && ch <= 'F'); }

}  // namespace

std::optional<std::vector<uint8_t>> ParseHexPairs(std::string_view text, size_t maxBytes) {
  std::vector<uint8_t> bytes;
  for (size_t pos = 0; pos < text.size();) {
    if (bytes.size() == maxBytes || pos + 1 >= text.size()) return std::nullopt;
    const int hi = HexValue(text[pos]), lo = HexValue(text[pos + 1]);
    if (hi < 0 || lo < 0) return std::nullopt;
    bytes.push_back(uint8_t(hi << 4 | lo));
    pos += 2;
    while (pos < text.size() && !IsUpperHex(text[pos])) ++pos;
  }
  return bytes;
}

}  // namespace vlm
