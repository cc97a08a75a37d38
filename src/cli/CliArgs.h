#pragma once
// Numbers and bytes as velmorctl's arguments write them.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vlm::cli {

// A number as the engineers write them: decimal, 0x1F, 1Fh or $1F; false when it is none or
// above `max`.
bool ParseNumber(std::string_view text, unsigned max, unsigned& value);
// Bytes written as pairs of hex digits, with or without blanks, commas or colons between the
// pairs, over any number of arguments; false on anything else or on more than `max` bytes.
bool ParseHexBytes(const std::vector<std::string>& args, size_t max, std::vector<uint8_t>& out);

}  // namespace vlm::cli
