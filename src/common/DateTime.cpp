#include "common/DateTime.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>

#include "platform/System.h"

namespace vlm {
namespace {

// Days from 1899-12-30 (the Delphi epoch) to the civil date, by the usual era arithmetic.
int64_t DaysFromCivil(int y, int m, int d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468 + 25569;  // 25569 = days from 1899-12-30 to 1970-01-01
}

void CivilFromDays(int64_t days, int& y, int& m, int& d) {
  const int64_t z = days - 25569 + 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

std::string Pad(int v, int digits) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%0*d", digits, v);
  return buf;
}

size_t RunLength(std::string_view s, size_t pos) {
  const char c = static_cast<char>(s[pos] | 0x20);
  size_t n = 0;
  while (pos + n < s.size() && static_cast<char>(s[pos + n] | 0x20) == c) ++n;
  return n;
}

}  // namespace

TDateTime EncodeDateTime(const DateTimeParts& p) {
  const double days = static_cast<double>(DaysFromCivil(p.year, p.month, p.day));
  const double ms = ((p.hour * 60.0 + p.minute) * 60.0 + p.second) * 1000.0 + p.millisecond;
  return days + ms / kMsPerDay;
}

DateTimeParts DecodeDateTime(TDateTime value) {
  const int64_t totalMs = static_cast<int64_t>(std::llround(value * kMsPerDay));
  int64_t days = totalMs / 86400000;
  int64_t ms = totalMs % 86400000;
  if (ms < 0) {
    ms += 86400000;
    --days;
  }
  DateTimeParts p;
  CivilFromDays(days, p.year, p.month, p.day);
  p.hour = static_cast<int>(ms / 3600000);
  p.minute = static_cast<int>(ms / 60000 % 60);
  p.second = static_cast<int>(ms / 1000 % 60);
  p.millisecond = static_cast<int>(ms % 1000);
  return p;
}

TDateTime Now() {
  const auto now = std::chrono::system_clock::now();
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count();
  const std::time_t secs = static_cast<std::time_t>(ms / 1000);
  std::tm local{};
  platform::LocalTime(secs, local);
  DateTimeParts p{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                  local.tm_min, local.tm_sec, static_cast<int>(ms % 1000)};
  return EncodeDateTime(p);
}

std::string FormatDateTime(std::string_view pattern, TDateTime value) {
  const DateTimeParts p = DecodeDateTime(value);
  std::string out;
  bool lastWasHour = false;
  for (size_t i = 0; i < pattern.size();) {
    const char c = pattern[i];
    if (c == '"' || c == '\'') {  // quoted literal
      const size_t end = pattern.find(c, i + 1);
      const size_t stop = end == std::string_view::npos ? pattern.size() : end;
      out.append(pattern.substr(i + 1, stop - i - 1));
      i = stop == pattern.size() ? stop : stop + 1;
      continue;
    }
    const char lower = static_cast<char>(c | 0x20);
    const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    const size_t n = letter ? RunLength(pattern, i) : 1;
    bool hour = false;
    if (!letter) {
      out += c;
    } else if (lower == 'y') {
      out += n <= 2 ? Pad(p.year % 100, 2) : Pad(p.year, 4);
    } else if (lower == 'm') {
      const int v = lastWasHour ? p.minute : p.month;
      out += n >= 2 ? Pad(v, 2) : std::to_string(v);
    } else if (lower == 'd') {
      out += n >= 2 ? Pad(p.day, 2) : std::to_string(p.day);
    } else if (lower == 'h') {
      out += n >= 2 ? Pad(p.hour, 2) : std::to_string(p.hour);
      hour = true;
    } else if (lower == 'n') {
      out += n >= 2 ? Pad(p.minute, 2) : std::to_string(p.minute);
    } else if (lower == 's') {
      out += n >= 2 ? Pad(p.second, 2) : std::to_string(p.second);
    } else if (lower == 'z') {
      out += n >= 3 ? Pad(p.millisecond, 3) : std::to_string(p.millisecond);
    } else {
      out.append(pattern.substr(i, n));
    }
    if (letter) lastWasHour = hour;
    i += n;
  }
  return out;
}

bool ParseStamp(std::string_view text, TDateTime& out) {
  DateTimeParts p;
  char tail = 0;
  const std::string s(text);
  if (std::sscanf(s.c_str(), "%2d.%2d.%4d %2d:%2d:%2d%c", &p.day, &p.month, &p.year, &p.hour,
                  &p.minute, &p.second, &tail) != 6)
    return false;
  if (p.month < 1 || p.month > 12 || p.day < 1 || p.day > 31 || p.hour > 23 || p.minute > 59 ||
      p.second > 59 || p.year < 1 || p.hour < 0 || p.minute < 0 || p.second < 0)
    return false;
  out = EncodeDateTime(p);
  return true;
}

uint32_t DateTimeToDos(TDateTime value) {
  DateTimeParts p = DecodeDateTime(value);
  if (p.year < 1980) return (1u << 21) | (1u << 16);  // 1980-01-01 00:00, the earliest DOS date
  if (p.year > 2107) p.year = 2107;
  return (static_cast<uint32_t>(p.year - 1980) << 25) | (static_cast<uint32_t>(p.month) << 21) |
         (static_cast<uint32_t>(p.day) << 16) | (static_cast<uint32_t>(p.hour) << 11) |
         (static_cast<uint32_t>(p.minute) << 5) | static_cast<uint32_t>(p.second / 2);
}

TDateTime DosToDateTime(uint32_t packed) {
  DateTimeParts p;
  p.second = static_cast<int>(packed & 0x1F) * 2;
  p.minute = static_cast<int>((packed >> 5) & 0x3F);
  p.hour = static_cast<int>((packed >> 11) & 0x1F);
  p.day = static_cast<int>((packed >> 16) & 0x1F);
  p.month = static_cast<int>((packed >> 21) & 0x0F);
  p.year = static_cast<int>(packed >> 25) + 1980;
  // Controllers send zeros for files they never stamped: show them as the first DOS day
  // rather than an impossible date.
  if (p.day == 0) p.day = 1;
  if (p.month == 0) p.month = 1;
  if (p.month > 12) p.month = 12;
  return EncodeDateTime(p);
}

}  // namespace vlm
