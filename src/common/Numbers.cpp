#include "common/Numbers.h"

#include <cmath>
#include <cstring>

namespace vlm {

double Real48ToDouble(std::span<const uint8_t, 6> b) {
  if (b[0] == 0) return 0.0;
  uint64_t mantissa = static_cast<uint64_t>(b[5] & 0x7F);
  for (int i = 4; i >= 1; --i) mantissa = (mantissa << 8) | b[static_cast<size_t>(i)];
  const double value = std::ldexp(1.0 + std::ldexp(static_cast<double>(mantissa), -39), b[0] - 129);
  return (b[5] & 0x80) ? -value : value;
}

std::array<uint8_t, 6> DoubleToReal48(double value) {
  std::array<uint8_t, 6> out{};
  if (value == 0.0 || std::isnan(value)) return out;
  const bool negative = value < 0;
  int exp2 = 0;
  const double fraction = std::frexp(std::fabs(value), &exp2);  // 0.5 <= fraction < 1
  // value = 1.m * 2^(exp2 - 1); the stored exponent is exp2 - 1 + 129.
  int exponent = exp2 + 128;
  uint64_t mantissa = static_cast<uint64_t>(std::llround(std::ldexp(fraction * 2.0 - 1.0, 39)));
  if (mantissa >> 39) {  // rounding carried into the hidden bit
    mantissa = 0;
    ++exponent;
  }
  if (exponent < 1) return out;  // too small: 0
  if (exponent > 255 || std::isinf(value)) {
    exponent = 255;
    mantissa = (uint64_t{1} << 39) - 1;
  }
  out[0] = static_cast<uint8_t>(exponent);
  for (size_t i = 1; i <= 5; ++i) {
    out[i] = static_cast<uint8_t>(mantissa & 0xFF);
    mantissa >>= 8;
  }
  if (negative) out[5] |= 0x80;
  return out;
}

float SingleFromBytes(std::span<const uint8_t, 4> bytes) {
  const uint32_t bits = GetU32(bytes.data());
  float f;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}

std::array<uint8_t, 4> SingleToBytes(float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  std::array<uint8_t, 4> out{};
  PutU32(out.data(), bits);
  return out;
}

}  // namespace vlm
