#include "sim/DosName.h"

#include "platform/System.h"

#include <array>
#include <cstring>

namespace vlm::sim {
namespace {

bool IsDosNameChar(unsigned char c) {
  if (c >= 0x80) return true;  // national letters of code page 866
  if (c >= 'A' && c <= 'Z') return true;
  if (c >= 'a' && c <= 'z') return true;
  if (c >= '0' && c <= '9') return true;
  return std::strchr("!#$%&'()-@^_`{}~", c) != nullptr && c != 0;
}


}  // namespace

// Code page 866: а..п are A0..AF, р..я E0..EF, ё F1; their capitals 80..8F, 90..9F, F0.
char ToUpperDos(char c) {
  const auto b = static_cast<unsigned char>(c);
  if (b >= 'a' && b <= 'z') return char(b - 'a' + 'A');
  if (b >= 0xA0 && b <= 0xAF) return char(b - 0x20);
  if (b >= 0xE0 && b <= 0xEF) return char(b - 0x50);
  if (b == 0xF1) return char(0xF0);
  return c;
}

char ToLowerDos(char c) {
  const auto b = static_cast<unsigned char>(c);
  if (b >= 'A' && b <= 'Z') return char(b - 'A' + 'a');
  if (b >= 0x80 && b <= 0x8F) return char(b + 0x20);
  if (b >= 0x90 && b <= 0x9F) return char(b + 0x50);
  if (b == 0xF0) return char(0xF1);
  return c;
}

namespace {

// One part (base or extension) cut to its width; false on a forbidden character.
bool NormalizePart(std::string_view part, size_t width, bool allowWildcards, std::string& out) {
  for (char c : part) {
    const bool wildcard = c == '*' || c == '?';
    if (!(IsDosNameChar(static_cast<unsigned char>(c)) || (allowWildcards && wildcard))) return false;
  }
  part = part.substr(0, std::min(part.size(), width));
  for (char c : part) out += ToUpperDos(c);
  return true;
}

// The 11 positions of an FCB name: "*" fills the rest of its part with "?".
std::array<char, 11> FcbForm(std::string_view name) {
  std::array<char, 11> fcb;
  fcb.fill(' ');
  const size_t dot = name.find('.');
  const std::string_view base = name.substr(0, dot);
  const std::string_view ext = dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
  auto fill = [&fcb](std::string_view part, size_t from, size_t width) {
    for (size_t i = 0; i < part.size() && i < width; ++i) {
      if (part[i] == '*') {
        for (size_t j = i; j < width; ++j) fcb[from + j] = '?';
        return;
      }
      fcb[from + i] = part[i];
    }
  };
  fill(base, 0, 8);
  fill(ext, 8, 3);
  return fcb;
}

// Names DOS gives to its devices, whatever the extension: "con.txt" is the console too, so no
// file of such a name can be made or read.
bool IsDeviceName(std::string_view canonicalBase) {
  static constexpr std::string_view kDevices[] = {"CON",  "NUL",  "PRN",  "AUX",  "COM1", "COM2",
                                                  "COM3", "COM4", "LPT1", "LPT2", "LPT3"};
  for (auto d : kDevices)
    if (canonicalBase == d) return true;
  return false;
}

}  // namespace

std::optional<std::string> NormalizeDosName(std::string_view name, bool allowWildcards) {
  if (name == "." || name == "..") return std::string(name);
  const size_t dot = name.find('.');
  const std::string_view base = name.substr(0, dot);
  const std::string_view ext = dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
  if (base.empty() || ext.find('.') != std::string_view::npos) return std::nullopt;
  std::string out;
  if (!NormalizePart(base, 8, allowWildcards, out) || IsDeviceName(out)) return std::nullopt;
  if (dot != std::string_view::npos && !ext.empty()) {
    out += '.';
    if (!NormalizePart(ext, 3, allowWildcards, out)) return std::nullopt;
  }
  return out;
}

bool IsVisibleDosName(std::string_view hostName) {
  if (hostName == "." || hostName == "..") return false;
  const auto normal = NormalizeDosName(hostName, false);
  if (!normal || normal->size() != hostName.size()) return false;
  // A trailing dot would be dropped by the normal form; the lengths above catch that too.
  for (size_t i = 0; i < hostName.size(); ++i)
    if (ToUpperDos(hostName[i]) != (*normal)[i]) return false;
  return true;
}

bool MatchDosMask(std::string_view mask, std::string_view name) {
  if (mask == name) return true;
  const auto fcbMask = FcbForm(mask);
  auto fcbName = FcbForm(name);
  if (name == "." || name == "..") {
    // DOS keeps the dots in the name positions, with a blank extension.
    fcbName.fill(' ');
    for (size_t i = 0; i < name.size(); ++i) fcbName[i] = '.';
  }
  for (size_t i = 0; i < fcbMask.size(); ++i)
    if (fcbMask[i] != '?' && fcbMask[i] != fcbName[i]) return false;
  return true;
}

uint32_t PackDosDateTime(std::time_t when) {
  std::tm local{};
  if (!platform::LocalTime(when, local) || local.tm_year < 80) return (1u << 21 | 1u << 16);
  const uint32_t year = static_cast<uint32_t>(std::min(local.tm_year - 80, 127));
  const uint32_t date = year << 9 | uint32_t(local.tm_mon + 1) << 5 | uint32_t(local.tm_mday);
  const uint32_t time = uint32_t(local.tm_hour) << 11 | uint32_t(local.tm_min) << 5 |
                        uint32_t(std::min(local.tm_sec, 59) / 2);
  return date << 16 | time;
}

}  // namespace vlm::sim
