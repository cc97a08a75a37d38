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

// Splits at the first three points, trims blanks around each part and takes each part as a
// decimal number from 0 to 255. Anything else (a missing or empty part, a sign, 300) raises
// EConvertError naming the text: a part above 255 must not wrap round to another controller.
TIPAddress StrToIP(std::string_view text);
std::string IPToStr(const TIPAddress& ip);

}  // namespace vlm
