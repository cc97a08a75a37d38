#pragma once
// The text line of one recorded frame, as the reader shows it and writes it to its text file:
//   yyyy.mm.dd hh:nn:ss.zzz|t%6u|d%4d|p%3.3d|e%d|L%3d|№%d|-->|05 90 03 ...
// and the parser that replays such lines from a file (CP1251 or UTF-8).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "blackbox/BoxRecord.h"
#include "common/DateTime.h"

namespace vlm {

// Direction marks of the line (UTF-8).
inline constexpr std::string_view kMarkIn = "-->|";
inline constexpr std::string_view kMarkOut = "<ПУ|";

// Appends the line of a record (UTF-8, ending with a blank after the last hex pair) to out.
// An invalid direction gets no mark. The tick delta is signed: a controller restart shows as a
// negative step instead of a four-billion jump.
void AppendRecordLine(std::string& out, const TBoxRecord& record, size_t length, TDateTime time,
                      uint32_t previousTicks, int readerNumber);
std::string FormatRecordLine(const TBoxRecord& record, size_t length, TDateTime time,
                             uint32_t previousTicks, int readerNumber);

struct TParsedLine {
  TDateTime time = 0;
  TBoxRecord record;          // ticks, protocol, direction, error (0 when absent), data
  size_t length = 0;          // number of hex pairs read
  int declaredLength = 0;     // the "|L" field, kept for the reader's length table only
};

// The PC time at the start of a line, "yyyy.mm.dd hh:nn:ss.zzz" at fixed positions (the
// separators are not examined); false for an impossible date or time.
bool ParseRecordTime(std::string_view text, TDateTime& time);

enum class TLineKind {
  NotRecord,  // a direction or field mark is missing: headers, separators, comments
  Malformed,  // every mark is there but a field is not a number, or the data is not hex pairs
  Record,
};
TLineKind ClassifyRecordLine(std::string_view line, TParsedLine& parsed);

// Parses a recorded line. False for a line that is not a record (file headers, separators) or
// whose fields are not numbers, whose date is impossible, or whose data is not hex pairs or
// holds more than 128 bytes.
bool ParseRecordLine(std::string_view line, TParsedLine& parsed);

}  // namespace vlm
