#include "blackbox/BoxLine.h"
#include "common/HexText.h"

#include <charconv>
#include <cstdio>

namespace vlm {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

// "<ПУ" in the two encodings a recorded file may come in.
constexpr std::string_view kOutMarkCp1251 = "<\xCF\xD3";
constexpr std::string_view kOutMarkUtf8 = "<ПУ";

void AppendDigits(std::string& out, unsigned value, int width) {
  char buf[8];
  for (int i = width - 1; i >= 0; --i, value /= 10) buf[i] = char('0' + value % 10);
  out.append(buf, size_t(width));
}

void AppendTime(std::string& out, TDateTime time) {
  const DateTimeParts t = DecodeDateTime(time);
  const struct {
    int value, width;
    char separator;
  } fields[] = {{t.year, 4, '.'},   {t.month, 2, '.'},  {t.day, 2, ' '},        {t.hour, 2, ':'},
                {t.minute, 2, ':'}, {t.second, 2, '.'}, {t.millisecond, 3, '|'}};
  for (const auto& field : fields) {
    AppendDigits(out, unsigned(field.value), field.width);
    out += field.separator;
  }
}

// Decimal number of a fixed-position field; false unless every character is a digit.
bool FixedNumber(std::string_view line, size_t from, size_t count, int& value) {
  value = 0;
  for (size_t i = from; i < from + count; ++i) {
    const char ch = line[i];
    if (ch < '0' || ch > '9') return false;
    value = value * 10 + (ch - '0');
  }
  return true;
}

// Number between a field mark and the next mark, blanks around it allowed (the writer pads).
bool NumberField(std::string_view text, int64_t& value) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  if (text.empty()) return false;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size();
}

// The text after `mark` up to `stop`, the stop searched within `window` characters.
bool Between(std::string_view line, std::string_view mark, std::string_view stop, size_t window,
             int64_t& value) {
  const size_t at = line.find(mark);
  if (at == std::string_view::npos) return false;
  const std::string_view rest = line.substr(at + mark.size());
  const size_t end = rest.substr(0, window + stop.size()).find(stop);
  return end != std::string_view::npos && NumberField(rest.substr(0, end), value);
}

bool ParseData(std::string_view text, TParsedLine& parsed) {
  if (text.size() / 3 > kBoxMaxData) return false;
  const auto bytes = ParseHexPairs(text, kBoxMaxData);
  if (!bytes) return false;
  std::copy(bytes->begin(), bytes->end(), parsed.record.data.begin());
  parsed.length = bytes->size();
  return true;
}

// Direction and the start of the data text; false without a direction mark.
bool ParseDirection(std::string_view line, uint8_t& direction, size_t& dataStart) {
  size_t at = line.find("-->");
  if (at != std::string_view::npos) {
    direction = kBoxDirIn;
    dataStart = at + 4;
    return true;
  }
  direction = kBoxDirOut;
  if ((at = line.find(kOutMarkCp1251)) != std::string_view::npos) {
    dataStart = at + kOutMarkCp1251.size() + 1;
    return true;
  }
  if ((at = line.find(kOutMarkUtf8)) != std::string_view::npos) {
    dataStart = at + kOutMarkUtf8.size() + 1;
    return true;
  }
  return false;
}

}  // namespace

void AppendRecordLine(std::string& out, const TBoxRecord& record, size_t length, TDateTime time,
                      uint32_t previousTicks, int readerNumber) {
  if (length > kBoxMaxData) length = kBoxMaxData;
  AppendTime(out, time);
  char head[96];
  const int n = std::snprintf(head, sizeof head, "t%6u|d%4d|p%3.3d|e%d|L%3d|№%d|", record.ticks,
                              static_cast<int32_t>(record.ticks - previousTicks), record.protocol,
                              record.error, int(length), readerNumber);
  out.append(head, size_t(n));
  if (record.direction == kBoxDirIn) out += kMarkIn;
  if (record.direction == kBoxDirOut) out += kMarkOut;
  for (size_t i = 0; i < length; ++i) {
    const uint8_t b = record.data[i];
    const char hex[3] = {kHexDigits[b >> 4], kHexDigits[b & 15], ' '};
    out.append(hex, 3);
  }
}

std::string FormatRecordLine(const TBoxRecord& record, size_t length, TDateTime time, uint32_t previousTicks,
                             int readerNumber) {
  std::string line;
  line.reserve(64 + 3 * kBoxMaxData);
  AppendRecordLine(line, record, length, time, previousTicks, readerNumber);
  return line;
}

bool ParseRecordTime(std::string_view line, TDateTime& time) {
  if (line.size() < 23) return false;
  DateTimeParts t;
  if (!FixedNumber(line, 0, 4, t.year) || !FixedNumber(line, 5, 2, t.month) || !FixedNumber(line, 8, 2, t.day) ||
      !FixedNumber(line, 11, 2, t.hour) || !FixedNumber(line, 14, 2, t.minute) ||
      !FixedNumber(line, 17, 2, t.second) || !FixedNumber(line, 20, 3, t.millisecond))
    return false;
  static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (t.year < 1 || t.month < 1 || t.month > 12 || t.day < 1 || t.day > kDays[t.month - 1] || t.hour > 23 ||
      t.minute > 59 || t.second > 59)
    return false;
  const bool leap = (t.year % 4 == 0 && t.year % 100 != 0) || t.year % 400 == 0;
  if (t.month == 2 && t.day == 29 && !leap) return false;
  time = EncodeDateTime(t);
  return true;
}

static bool HasEveryMark(std::string_view line) {
  for (const std::string_view mark : {"|t", "|d", "|p", "|e", "|L"})
    if (line.find(mark) == std::string_view::npos) return false;
  uint8_t direction = 0;
  size_t dataStart = 0;
  return ParseDirection(line, direction, dataStart);
}

TLineKind ClassifyRecordLine(std::string_view line, TParsedLine& parsed) {
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
  if (!HasEveryMark(line)) {
    parsed = TParsedLine{};
    return TLineKind::NotRecord;
  }
  return ParseRecordLine(line, parsed) ? TLineKind::Record : TLineKind::Malformed;
}

bool ParseRecordLine(std::string_view line, TParsedLine& parsed) {
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
  parsed = TParsedLine{};
  int64_t ticks = 0, protocol = 0, length = 0;
  if (!ParseRecordTime(line, parsed.time)) return false;
  if (!Between(line, "|t", "|d", 20, ticks) || !Between(line, "|p", "|e", 10, protocol)) return false;
  const size_t lAt = line.find("|L");
  if (lAt == std::string_view::npos || lAt + 5 > line.size() || !NumberField(line.substr(lAt + 2, 3), length))
    return false;
  size_t dataStart = 0;
  if (!ParseDirection(line, parsed.record.direction, dataStart)) return false;
  // The error code is not part of the replay rules but the line carries it; keep it when sound.
  int64_t error = 0;
  if (Between(line, "|e", "|", 4, error) && error >= 0 && error <= 7) parsed.record.error = uint8_t(error);
  parsed.record.ticks = static_cast<uint32_t>(ticks);
  parsed.record.protocol = static_cast<uint8_t>(protocol);
  parsed.declaredLength = static_cast<int>(length);
  return ParseData(line.substr(dataStart < line.size() ? dataStart : line.size()), parsed);
}

}  // namespace vlm
