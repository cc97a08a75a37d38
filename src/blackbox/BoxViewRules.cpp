#include "blackbox/BoxViewRules.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "common/HexText.h"

namespace vlm {

std::string FilterFnText(std::string_view text, bool hex) {
  std::string out;
  for (char c : text) {
    if (c >= 'a' && c <= 'f') c = char(c - 'a' + 'A');
    if ((c >= '0' && c <= '9') || (hex && c >= 'A' && c <= 'F')) out += c;
  }
  return out;
}

TFnParse ParseFnText(std::string_view text, bool hex, int& value) {
  if (text.empty()) {
    value = 0;
    return TFnParse::Empty;
  }
  long long v = 0;
  for (const char c : text) {
    const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' && hex ? c - 'A' + 10 : -1;
    if (digit < 0) return TFnParse::OutOfRange;
    v = v * (hex ? 16 : 10) + digit;
    if (v > 255) return TFnParse::OutOfRange;
  }
  value = int(v);
  return TFnParse::Valid;
}

int FlowLineWidth(int boxWidth, int length) {
  return int(std::nearbyint(double(boxWidth) * length / 200.0));
}

int32_t FirstFlowShown(int32_t first, int position, int rows, int boxHeight, bool atBottom) {
  if (atBottom || position + rows > first + boxHeight) return std::max(0, position + rows - boxHeight);
  if (position < first) return position;
  return first;
}

namespace {
constexpr uint32_t kText[16] = {0x000000, 0xFF0000, 0x008000, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x008080, 0xC0C0C0,
                                0, 0, 0, 0, 0, 0, 0x00FFFF, 0xFFFFFF};
constexpr uint32_t kBack[16] = {0x404040, 0xFF0000, 0x008000, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x008080, 0xC0C0C0,
                                0, 0, 0, 0, 0, 0, 0x00FFFF, 0xFFFFFF};
}  // namespace

uint32_t PaletteText(uint8_t index) { return kText[index & 15]; }
uint32_t PaletteBackground(uint8_t index) { return kBack[index & 15]; }

int FindLine(const std::deque<std::string>& lines, int from, std::string_view needle, bool hex, bool backwards) {
  return FindLine(int(lines.size()), [&lines](int i) -> const std::string& { return lines[size_t(i)]; }, from, needle,
                  hex, backwards);
}

int FindLine(int count, const std::function<const std::string&(int)>& lineAt, int from, std::string_view needle,
             bool hex, bool backwards) {
  std::string want(needle);
  if (hex) {
    std::string upper;
    for (const char c : needle) upper += (c >= 'a' && c <= 'f') ? char(c - 'a' + 'A') : c;
    const auto parsed = ParseHexPairs(upper);
    if (!parsed || parsed->empty()) return -1;
    const std::vector<uint8_t>& bytes = *parsed;
    want.clear();
    for (size_t i = 0; i < bytes.size(); ++i) {
      static constexpr char kDigits[] = "0123456789ABCDEF";
      if (i) want += ' ';
      want += kDigits[bytes[i] >> 4];
      want += kDigits[bytes[i] & 15];
    }
  }
  if (want.empty()) return -1;
  for (int step = 1; step <= count; ++step) {
    const int i = backwards ? from - step : from + step;
    if (i < 0 || i >= count) break;
    if (lineAt(i).find(want, 1) != std::string::npos) return i;
  }
  return -1;
}

}  // namespace vlm
