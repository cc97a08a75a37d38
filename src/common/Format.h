#pragma once
// Delphi-style Format: d u x s p (width, precision, "-", "*", "%n:" argument index, upper-case
// hex), e f g n m for floating point, and the extra conversion b/B: an integer as bit characters,
// most significant first, precision 1..32 digits, 8 when no precision is given.
#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>

namespace vlm {

// Thrown for a format that does not match its arguments (a programming error, never outside data).
struct EFormatError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class FormatArg {
 public:
  template <typename T, std::enable_if_t<std::is_integral_v<T> && !std::is_same_v<T, bool>, int> = 0>
  FormatArg(T v) : value_(static_cast<int64_t>(v)) {}
  FormatArg(bool v) : value_(static_cast<int64_t>(v)) {}
  FormatArg(double v) : value_(v) {}
  FormatArg(float v) : value_(static_cast<double>(v)) {}
  FormatArg(const char* v) : value_(std::string(v)) {}
  FormatArg(std::string_view v) : value_(std::string(v)) {}
  FormatArg(const std::string& v) : value_(v) {}
  FormatArg(const void* v) : value_(v) {}

  const std::variant<int64_t, double, std::string, const void*>& Value() const { return value_; }

 private:
  std::variant<int64_t, double, std::string, const void*> value_;
};

std::string Format(std::string_view format, std::initializer_list<FormatArg> args);

// Decimal separator used by floating point conversions and float texts shown to the user.
char DecimalSeparator();
void SetDecimalSeparator(char separator);

// Shortest general text of a double with up to 15 significant digits (Delphi FloatToStr):
// "2.5", "1E-5", "1.2E8".
std::string FloatToStr(double value);

// The float texts behind the conversions: general ("%.2g" of 123456789 is "1.2E008"),
// exponent ("-d.dddE+ddd") and fixed (optionally with thousands separated by blanks).
std::string FormatGeneral(double value, int precision, int minExponentDigits);
std::string FormatExponent(double value, int precision);
std::string FormatFixed(double value, int decimals, bool thousands);

}  // namespace vlm
