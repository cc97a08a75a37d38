#pragma once
// Byte strings written as hex pairs, as the black-box text files and the debug view's lines carry
// them: two digits a byte; after each byte everything up to the next upper-case hex digit is
// skipped ("01 02 0A", "0102,0A").
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace vlm {

// nullopt when a pair is not hexadecimal (a lone digit at the end included) or when there are
// more than maxBytes bytes.
std::optional<std::vector<uint8_t>> ParseHexPairs(std::string_view text, size_t maxBytes = SIZE_MAX);

}  // namespace vlm
