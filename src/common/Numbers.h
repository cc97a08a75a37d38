#pragma once
// Little-endian access and the two floating point layouts of the controller.
#include <array>
#include <cstdint>
#include <span>

namespace vlm {

inline uint16_t GetU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t GetU32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline void PutU16(uint8_t* p, uint16_t v) { p[0] = uint8_t(v); p[1] = uint8_t(v >> 8); }
inline void PutU32(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v); p[1] = uint8_t(v >> 8); p[2] = uint8_t(v >> 16); p[3] = uint8_t(v >> 24);
}

// Real48 (Turbo Pascal "real"): byte 0 exponent biased by 129 (0 = value 0), bytes 1..5 the
// 39-bit fraction least significant byte first with the leading 1 implied, bit 7 of byte 5 the sign.
double Real48ToDouble(std::span<const uint8_t, 6> bytes);
// Values too small for the format become 0; too large are clamped to the largest Real48.
std::array<uint8_t, 6> DoubleToReal48(double value);

float SingleFromBytes(std::span<const uint8_t, 4> bytes);
std::array<uint8_t, 4> SingleToBytes(float value);

}  // namespace vlm
