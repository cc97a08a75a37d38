#pragma once
// IPv4 addresses as the settings keep them: four bytes in text order.
#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vlm {

// Four address bytes in text order ("10.0.0.5" -> {10, 0, 0, 5}), i.e. network byte order.
using TIPAddress = std::array<uint8_t, 4>;

// A text that is not a number where one is needed.
struct EConvertError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Splits at the first three points, trims blanks, converts each part; EConvertError otherwise.
TIPAddress StrToIP(std::string_view text);
std::string IPToStr(const TIPAddress& ip);

}  // namespace vlm
