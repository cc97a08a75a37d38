#pragma once
// Delphi-style date-time: days since 1899-12-30 with the time of day as the fraction.
#include <cstdint>
#include <string>
#include <string_view>

namespace vlm {

using TDateTime = double;

struct DateTimeParts {
  int year = 1899, month = 12, day = 30, hour = 0, minute = 0, second = 0, millisecond = 0;
};

TDateTime EncodeDateTime(const DateTimeParts& parts);
// Rounds to the nearest millisecond first, so 23:59:59.9995 becomes the next day.
DateTimeParts DecodeDateTime(TDateTime value);
TDateTime Now();  // local time
constexpr double kMsPerDay = 86400000.0;

// Pattern letters: yyyy yy mm m dd d hh h nn n ss s zzz z; text in quotes is literal; any other
// character (Cyrillic included) is copied. "mm" after "hh"/"h" means minutes as in Delphi.
std::string FormatDateTime(std::string_view pattern, TDateTime value);

// Parses "dd.mm.yyyy hh:nn:ss" (the stamp of velmorctl); false when it is not such a text.
bool ParseStamp(std::string_view text, TDateTime& out);

// Packed DOS date-time: bits 0-4 seconds/2, 5-10 minutes, 11-15 hours, 16-20 day, 21-24 month,
// 25-31 years since 1980.
uint32_t DateTimeToDos(TDateTime value);
TDateTime DosToDateTime(uint32_t packed);

}  // namespace vlm
