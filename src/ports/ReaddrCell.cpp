#include "ports/ReaddrCell.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "common/Format.h"
#include "common/Numbers.h"
#include "common/Trim.h"

namespace vlm {
namespace {

bool ParseFraction(std::string_view text, double& value) {
  std::string s(Trim(text, " "));
  if (s.empty()) return false;
  for (char& c : s)
    if (c == DecimalSeparator()) c = '.';
    else if (c == ',' || c == '.') return false;  // a separator the user's locale does not use
  char* end = nullptr;
  value = std::strtod(s.c_str(), &end);
  return end == s.c_str() + s.size() && std::isfinite(value);
}

std::string FixedTrimmed(double v) {
  std::string s = FormatFixed(v, 8, false);
  const size_t sep = s.find(DecimalSeparator());
  if (sep != std::string::npos)
    while (s.size() > sep + 1 && s.back() == '0') s.pop_back();
  return s;
}

std::string BitList(uint8_t b, bool msbFirst) {
  std::string s;
  for (int n = 1; n <= 8; ++n) {
    const int bit = msbFirst ? 7 - (n - 1) : n - 1;
    if (b & (1 << bit)) s += std::to_string(n) + " ";
  }
  return std::string(Trim(s, " "));
}

TCellResult RangeError(int lo, int hi) { return {TCellError::Range, lo, hi}; }

}  // namespace

std::string DigitChars() { return "0123456789"; }
std::string BinaryChars() { return "01"; }
std::string BitListChars() { return "12345678 "; }
std::string FractionChars() { return DigitChars() + "-" + DecimalSeparator(); }
std::string FractionExpChars() { return FractionChars() + "E"; }

bool IsAcceptedChar(const TReaddrColumn& column, char c) {
  if (c == '\b' || c == '\r' || c == '\n' || c == '*' || c == '+' || c == '=') return true;
  return column.validChars.find(c) != std::string::npos;
}

size_t KindWidth(TDataKind kind) {
  switch (kind) {
    case TDataKind::Word: return 2;
    case TDataKind::Real48: return 6;
    case TDataKind::Single: return 4;
    default: return 1;
  }
}

bool ParseTableInt(std::string_view text, long& value) {
  text = Trim(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  int base = 10;
  if (!text.empty() && text.front() == '$') {
    base = 16;
    text.remove_prefix(1);
  }
  if (text.empty() || text.size() > 9) return false;
  long v = 0;
  for (char c : text) {
    int digit;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    else return false;
    v = v * base + digit;
  }
  value = negative ? -v : v;
  return true;
}

std::string CellFromBytes(TDataKind kind, std::span<const uint8_t> b) {
  switch (kind) {
    case TDataKind::Word: return std::to_string(GetU16(b.data()));
    case TDataKind::Real48: return FixedTrimmed(Real48ToDouble(b.first<6>()));
    case TDataKind::Single: return FixedTrimmed(SingleFromBytes(b.first<4>()));
    case TDataKind::BitsMsbFirst: return BitList(b[0], true);
    case TDataKind::BitsLsbFirst: return BitList(b[0], false);
    default: return std::to_string(b[0]);
  }
}

TCellResult BytesFromCell(const TReaddrColumn& column, std::string_view text, std::span<uint8_t> out) {
  std::memset(out.data(), 0, KindWidth(column.kind));
  long v = 0;
  double d = 0;
  switch (column.kind) {
    case TDataKind::Byte:
    case TDataKind::Word:
      if (!ParseTableInt(text, v)) return {TCellError::Conversion};
      if (v < column.minimum || v > column.maximum) return RangeError(column.minimum, column.maximum);
      if (column.kind == TDataKind::Byte) out[0] = static_cast<uint8_t>(v);
      else PutU16(out.data(), static_cast<uint16_t>(v));
      return {};
    case TDataKind::Real48:
    case TDataKind::Single: {
      if (!ParseFraction(text, d)) return {TCellError::Conversion};
      if (column.kind == TDataKind::Real48) {
        const auto r = DoubleToReal48(d);
        std::memcpy(out.data(), r.data(), r.size());
      } else {
        // A float cannot hold it: casting would be undefined and store an infinity the table
        // cannot show again.
        if (std::fabs(d) > static_cast<double>(std::numeric_limits<float>::max())) return {TCellError::Conversion};
        const auto f = SingleToBytes(static_cast<float>(d));
        std::memcpy(out.data(), f.data(), f.size());
      }
      return {};
    }
    case TDataKind::Flag:
      if (!ParseTableInt(text, v)) return {TCellError::Conversion};
      if (v != 0 && v != 1) return RangeError(0, 1);
      out[0] = static_cast<uint8_t>(v);
      return {};
    case TDataKind::BitsMsbFirst:
    case TDataKind::BitsLsbFirst: {
      uint8_t bits = 0;
      size_t pos = 0;
      while (pos < text.size()) {
        const size_t blank = text.find(' ', pos);
        const std::string_view word = text.substr(pos, blank == std::string_view::npos ? std::string_view::npos : blank - pos);
        pos = blank == std::string_view::npos ? text.size() : blank + 1;
        if (word.empty()) continue;
        if (!ParseTableInt(word, v) || v < 1 || v > 8) {
          out[0] = 0;
          return RangeError(1, 8);
        }
        bits |= static_cast<uint8_t>(1 << (column.kind == TDataKind::BitsMsbFirst ? 7 - (v - 1) : v - 1));
      }
      out[0] = bits;
      return {};
    }
  }
  return {TCellError::Conversion};
}

std::string CellErrorText(std::string_view title, int row, int column, std::string_view text,
                          const TCellResult& result) {
  std::string s = Format("%s\r\rЯчейка таблицы (строка %d, колонка %d)\rсодержит недопустимое значение: \"%s\"\r",
                         {title, row, column, text});
  if (result.error == TCellError::Range)
    s += Format("Допустимый диапазон значений: %d..%d.\r", {result.rangeMin, result.rangeMax});
  else
    s += "которое невозможно преобразовать в число.\r";
  // The buttons are named as the box shows them.
  s += "\rДальнейшие действия:\rОтмена - вернуться к редактированию (рекомендуется);\r"
       "Пропустить - обнулить данную ячейку и продолжить (на свой страх и риск).";
  return s;
}

}  // namespace vlm
