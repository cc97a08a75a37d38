#pragma once
// Short strings: one length byte and up to 255 bytes, as stored in the image and sent on the link.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vlm {

// Length byte + bytes, cut to 255 bytes.
std::string MakeShortString(std::string_view bytes);
void AppendShortString(std::vector<uint8_t>& out, std::string_view bytes);
// Reads a short string at pos and advances pos; nullopt (pos unchanged) when the length byte or
// the characters lie past the end of data.
std::optional<std::string> ReadShortString(std::span<const uint8_t> data, size_t& pos);

}  // namespace vlm
