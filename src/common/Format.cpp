#include "common/Format.h"

#include <atomic>
#include <cmath>
#include <cstdio>
#include <vector>

namespace vlm {
namespace {

std::atomic<char> gDecimalSeparator{'.'};

struct TConversion {
  bool leftJustify = false;
  int width = -1;
  int precision = -1;
  char type = 0;
};

class Formatter {
 public:
  Formatter(std::string_view format, std::initializer_list<FormatArg> args)
      : format_(format), args_(args.begin(), args.end()) {}

  std::string Run() {
    std::string out;
    out.reserve(format_.size() + 16);
    for (size_t i = 0; i < format_.size();) {
      const char c = format_[i];
      if (c != '%') {
        out += c;
        ++i;
        continue;
      }
      if (i + 1 < format_.size() && format_[i + 1] == '%') {
        out += '%';
        i += 2;
        continue;
      }
      pos_ = i + 1;
      const TConversion conv = ParseConversion();
      Convert(conv, out);
      i = pos_;
    }
    return out;
  }

 private:
  [[noreturn]] void Fail(const char* what) const {
    throw EFormatError(std::string("Format \"") + std::string(format_) + "\": " + what);
  }

  bool AtDigitOrStar() const {
    return pos_ < format_.size() && (format_[pos_] == '*' || (format_[pos_] >= '0' && format_[pos_] <= '9'));
  }

  // A number of the conv, or "*" taking the next argument.
  int ReadNumber() {
    if (format_[pos_] == '*') {
      ++pos_;
      return static_cast<int>(NextInteger());
    }
    int v = 0;
    while (pos_ < format_.size() && format_[pos_] >= '0' && format_[pos_] <= '9') {
      v = v * 10 + (format_[pos_] - '0');
      if (v > 100000) Fail("number too large");
      ++pos_;
    }
    return v;
  }

  TConversion ParseConversion() {
    TConversion conv;
    // "%n:" (or "%*:") moves the argument index; look ahead so a width is not consumed.
    size_t end = pos_;
    while (end < format_.size() && format_[end] >= '0' && format_[end] <= '9') ++end;
    if (end == pos_ && end < format_.size() && format_[end] == '*') ++end;
    if (end > pos_ && end < format_.size() && format_[end] == ':') {
      next_ = static_cast<size_t>(ReadNumber());
      ++pos_;
    }
    if (pos_ < format_.size() && format_[pos_] == '-') {
      conv.leftJustify = true;
      ++pos_;
    }
    if (AtDigitOrStar()) conv.width = ReadNumber();
    if (pos_ < format_.size() && format_[pos_] == '.') {
      ++pos_;
      conv.precision = AtDigitOrStar() ? ReadNumber() : 0;
    }
    if (pos_ >= format_.size()) Fail("conversion letter missing");
    conv.type = static_cast<char>(format_[pos_] | 0x20);  // letters are case-insensitive
    ++pos_;
    return conv;
  }

  const FormatArg& NextArg() {
    if (next_ >= args_.size()) Fail("too few arguments");
    return args_[next_++];
  }

  int64_t NextInteger() {
    const auto* v = std::get_if<int64_t>(&NextArg().Value());
    if (!v) Fail("integer argument expected");
    return *v;
  }

  void Convert(const TConversion& conv, std::string& out) {
    std::string text;
    switch (conv.type) {
      case 'd': text = Decimal(NextInteger(), conv.precision); break;
      case 'u': text = Unsigned(NextInteger(), conv.precision); break;
      case 'x': text = Hex(NextInteger(), conv.precision); break;
      case 'b': text = Bits(NextInteger(), conv.precision); break;
      case 's': text = Text(conv.precision); break;
      case 'p': text = Pointer(); break;
      case 'e': case 'f': case 'g': case 'n': case 'm': text = Float(conv); break;
      default: Fail("unknown conversion");
    }
    Pad(text, conv, out);
  }

  static size_t CharCount(const std::string& s) {
    size_t n = 0;
    for (unsigned char c : s) n += (c & 0xC0) != 0x80;
    return n;
  }

  static void Pad(const std::string& text, const TConversion& conv, std::string& out) {
    const size_t len = CharCount(text);
    const size_t width = conv.width > 0 ? static_cast<size_t>(conv.width) : 0;
    const size_t fill = width > len ? width - len : 0;
    if (!conv.leftJustify) out.append(fill, ' ');
    out += text;
    if (conv.leftJustify) out.append(fill, ' ');
  }

  static std::string ZeroExtend(std::string digits, int precision) {
    if (precision > 0 && digits.size() < static_cast<size_t>(precision))
      digits.insert(0, static_cast<size_t>(precision) - digits.size(), '0');
    return digits;
  }

  // Integers of the 32-bit range behave as the 32-bit values they are on the controller's side
  // (-1 in hex is FFFFFFFF); wider values keep 64 bits.
  static uint64_t AsUnsigned(int64_t v) {
    if (v < 0 && v >= INT32_MIN) return static_cast<uint32_t>(v);
    return static_cast<uint64_t>(v);
  }

  static std::string Decimal(int64_t v, int precision) {
    const uint64_t magnitude = v < 0 ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
    std::string digits = ZeroExtend(std::to_string(magnitude), precision);
    return v < 0 ? "-" + digits : digits;
  }

  static std::string Unsigned(int64_t v, int precision) {
    return ZeroExtend(std::to_string(AsUnsigned(v)), precision);
  }

  static std::string Hex(int64_t v, int precision) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "%llX", static_cast<unsigned long long>(AsUnsigned(v)));
    return ZeroExtend(buf, precision);
  }

  static std::string Bits(int64_t v, int precision) {
    const int count = precision >= 1 && precision <= 32 ? precision : 8;
    std::string s(static_cast<size_t>(count), '0');
    for (int i = 0; i < count; ++i)
      if ((static_cast<uint64_t>(v) >> (count - 1 - i)) & 1) s[static_cast<size_t>(i)] = '1';
    return s;
  }

  std::string Text(int precision) {
    const auto& value = NextArg().Value();
    std::string s;
    if (const auto* str = std::get_if<std::string>(&value)) s = *str;
    else Fail("string argument expected");
    if (precision >= 0 && CharCount(s) > static_cast<size_t>(precision)) {
      size_t chars = 0, i = 0;
      for (; i < s.size(); ++i) {
        if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) {
          if (chars == static_cast<size_t>(precision)) break;
          ++chars;
        }
      }
      s.resize(i);
    }
    return s;
  }

  std::string Pointer() {
    const auto* p = std::get_if<const void*>(&NextArg().Value());
    if (!p) Fail("pointer argument expected");
    char buf[24];
    std::snprintf(buf, sizeof buf, "%08llX",
                  static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(*p)));
    return buf;
  }

  double NextFloat() {
    const auto& value = NextArg().Value();
    if (const auto* d = std::get_if<double>(&value)) return *d;
    if (const auto* i = std::get_if<int64_t>(&value)) return static_cast<double>(*i);
    Fail("floating point argument expected");
  }

  std::string Float(const TConversion& conv) {
    const double v = NextFloat();
    switch (conv.type) {
      case 'g': return FormatGeneral(v, conv.precision < 0 ? 15 : conv.precision, 3);
      case 'e': return FormatExponent(v, conv.precision < 0 ? 15 : conv.precision);
      case 'f': return FormatFixed(v, conv.precision < 0 ? 2 : conv.precision, false);
      default: return FormatFixed(v, conv.precision < 0 ? 2 : conv.precision, true);
    }
  }

  std::string_view format_;
  std::vector<FormatArg> args_;
  size_t next_ = 0;
  size_t pos_ = 0;
};

std::string SpecialFloat(double v) {
  if (std::isnan(v)) return "NAN";
  return v < 0 ? "-INF" : "INF";
}

std::string ReplacePoint(std::string s) {
  const char sep = DecimalSeparator();
  for (char& c : s)
    if (c == '.') c = sep;
  return s;
}

}  // namespace

// Delphi's general format: significant digits as given, trailing zeros removed, fixed notation
// while the integer part fits the precision and the value is at least 0.0001 (the RTL switches
// on the decimal exponent, below -4 in d.ddd form), otherwise
// d.dddE-ddd with the exponent padded to minExponentDigits and no plus sign.
std::string FormatGeneral(double v, int precision, int minExponentDigits) {
  if (!std::isfinite(v)) return SpecialFloat(v);
  if (precision < 1) precision = 1;
  if (precision > 18) precision = 18;
  if (v == 0) return "0";
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*e", precision - 1, v);
  std::string s = buf;
  const size_t ePos = s.find('e');
  const int exponent = std::atoi(s.c_str() + ePos + 1);
  std::string mantissa = s.substr(0, ePos);
  const bool negative = mantissa[0] == '-';
  if (negative) mantissa.erase(0, 1);
  std::string digits;
  for (char c : mantissa)
    if (c != '.') digits += c;
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  std::string out = negative ? "-" : "";
  if (exponent < precision && exponent >= -4) {
    if (exponent < 0) {
      out += "0" + std::string(1, DecimalSeparator()) + std::string(static_cast<size_t>(-exponent - 1), '0') + digits;
    } else {
      const size_t intDigits = static_cast<size_t>(exponent) + 1;
      if (digits.size() <= intDigits) {
        out += digits + std::string(intDigits - digits.size(), '0');
      } else {
        out += digits.substr(0, intDigits) + DecimalSeparator() + digits.substr(intDigits);
      }
    }
    return out;
  }
  out += digits.substr(0, 1);
  if (digits.size() > 1) out += DecimalSeparator() + digits.substr(1);
  std::string e = std::to_string(exponent < 0 ? -exponent : exponent);
  if (e.size() < static_cast<size_t>(minExponentDigits))
    e.insert(0, static_cast<size_t>(minExponentDigits) - e.size(), '0');
  return out + "E" + (exponent < 0 ? "-" : "") + e;
}

std::string FormatExponent(double v, int precision) {
  if (!std::isfinite(v)) return SpecialFloat(v);
  if (precision < 1) precision = 1;
  if (precision > 18) precision = 18;
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*E", precision - 1, v);
  std::string s = buf;
  const size_t ePos = s.find('E');
  const int exponent = std::atoi(s.c_str() + ePos + 1);
  std::string e = std::to_string(exponent < 0 ? -exponent : exponent);
  if (e.size() < 3) e.insert(0, 3 - e.size(), '0');
  return ReplacePoint(s.substr(0, ePos)) + "E" + (exponent < 0 ? "-" : "+") + e;
}

std::string FormatFixed(double v, int decimals, bool thousands) {
  if (!std::isfinite(v)) return SpecialFloat(v);
  if (decimals > 18) decimals = 18;
  char buf[400];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  std::string s = buf;
  if (thousands) {
    const size_t start = s[0] == '-' ? 1 : 0;
    size_t end = s.find('.');
    if (end == std::string::npos) end = s.size();
    for (size_t i = end; i > start + 3; i -= 3) s.insert(i - 3, 1, ' ');
  }
  return ReplacePoint(s);
}

std::string Format(std::string_view format, std::initializer_list<FormatArg> args) {
  return Formatter(format, args).Run();
}

char DecimalSeparator() { return gDecimalSeparator.load(std::memory_order_relaxed); }
void SetDecimalSeparator(char separator) { gDecimalSeparator.store(separator, std::memory_order_relaxed); }

std::string FloatToStr(double value) { return FormatGeneral(value, 15, 0); }

}  // namespace vlm
