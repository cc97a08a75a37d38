#pragma once
// Rules of the black-box window that do not need a window: the function number field, the
// scroll ranges, the flow picture's rows and widths, finding a line.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <string_view>

namespace vlm {

inline constexpr std::string_view kFnRangeMessage = "Число должно быть в диапазоне 0..255 (00..FF).";

// The function number field keeps the digits, and in hex mode also A-F (upper case).
std::string FilterFnText(std::string_view text, bool hex);
enum class TFnParse { Empty, Valid, OutOfRange };
// A non-empty text read as decimal or hex; Empty means the number becomes 0.
TFnParse ParseFnText(std::string_view text, bool hex, int& value);

// Width of a flow line for a display line of `length` characters: box width × length / 200,
// rounded to the nearest whole number (a half to the even neighbour).
int FlowLineWidth(int boxWidth, int length);
// The first flow entry shown so that the rows of the line view stay inside the drawn range.
int32_t FirstFlowShown(int32_t first, int position, int rows, int boxHeight, bool atBottom);

// Palettes of the colour code (Windows colour values): text by the low nibble, background by the
// high nibble; a code of 0 or with equal nibbles draws black on silver.
uint32_t PaletteText(uint8_t index);
uint32_t PaletteBackground(uint8_t index);
inline bool UsesPalette(uint8_t colour) { return colour != 0 && (colour & 0x0F) != (colour >> 4); }

// The line (colour character first) after `from` (or before it, backwards) that holds `needle`;
// in hex mode the needle is hex pairs ("05 90" or "0590") matched as the line's "05 90". -1 when
// none; an empty or invalid needle finds nothing.
int FindLine(const std::deque<std::string>& lines, int from, std::string_view needle, bool hex, bool backwards);
int FindLine(int count, const std::function<const std::string&(int)>& lineAt, int from, std::string_view needle,
             bool hex, bool backwards);

}  // namespace vlm
