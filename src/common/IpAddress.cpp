#include "common/IpAddress.h"

#include <charconv>

#include "common/Trim.h"

namespace vlm {
namespace {

uint8_t PartToByte(std::string_view part, std::string_view whole) {
  part = Trim(part);
  unsigned value = 0;
  const auto [end, ec] = std::from_chars(part.data(), part.data() + part.size(), value);
  if (part.empty() || ec != std::errc() || end != part.data() + part.size())
    throw EConvertError("'" + std::string(whole) + "' is not a valid IP address");
  // Keeping only the low byte would send a typo such as 300 to the controller at 44.
  if (value > 255)
    throw EConvertError("'" + std::string(whole) + "' is not a valid IP address (" + std::string(part) +
                        " is above 255)");
  return static_cast<uint8_t>(value);
}

}  // namespace

TIPAddress StrToIP(std::string_view text) {
  TIPAddress ip{};
  std::string_view rest = text;
  for (size_t i = 0; i < 3; ++i) {
    const size_t dot = rest.find('.');
    if (dot == std::string_view::npos)
      throw EConvertError("'" + std::string(text) + "' is not a valid IP address");
    ip[i] = PartToByte(rest.substr(0, dot), text);
    rest.remove_prefix(dot + 1);
  }
  ip[3] = PartToByte(rest, text);
  return ip;
}

std::string IPToStr(const TIPAddress& ip) {
  return std::to_string(ip[0]) + "." + std::to_string(ip[1]) + "." + std::to_string(ip[2]) + "." +
         std::to_string(ip[3]);
}

}  // namespace vlm
