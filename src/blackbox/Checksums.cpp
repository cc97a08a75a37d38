#include "blackbox/Checksums.h"

#include <array>
#include <bit>

namespace vlm {
namespace {

constexpr std::array<uint16_t, 256> BuildCrc16Table() {
  std::array<uint16_t, 256> table{};
  for (unsigned i = 0; i < 256; ++i) {
    uint16_t crc = static_cast<uint16_t>(i);
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1;
    table[i] = crc;
  }
  return table;
}

constexpr std::array<uint16_t, 256> kCrc16Table = BuildCrc16Table();

// Feeds one bit into the 9-bit register without augmentation: the shifted-out bit is compared
// with the incoming one, which equals shifting the message through and then nine zero bits.
inline uint16_t SiriusBit(uint16_t reg, unsigned bit) {
  const unsigned feedback = ((reg >> 8) & 1) ^ bit;
  reg = static_cast<uint16_t>((reg << 1) & 0x1FF);
  return feedback ? reg ^ 0x029 : reg;
}

}  // namespace

uint16_t Crc16Modbus(std::span<const uint8_t> bytes) {
  uint16_t crc = 0xFFFF;
  for (const uint8_t b : bytes) crc = static_cast<uint16_t>((crc >> 8) ^ kCrc16Table[(crc ^ b) & 0xFF]);
  return crc;
}

uint8_t SiriusCheckOctet(std::span<const uint8_t> frame) {
  uint16_t reg = 0;
  if (frame.size() < 3) return 0;
  const size_t last = frame.size() - 2;
  for (size_t i = 1; i <= last; ++i) {
    const uint8_t octet = frame[i];
    for (int bit = 7; bit >= 0; --bit) reg = SiriusBit(reg, (octet >> bit) & 1);
    unsigned ninth = (std::popcount(octet) % 2 == 0) ? 1 : 0;
    if (i == last) ninth ^= 1;
    reg = SiriusBit(reg, ninth);
  }
  return static_cast<uint8_t>(reg >> 1);
}

float SiriusFloat3(uint32_t slot) {
  const uint32_t exponentField = (slot >> 16) & 0xFF;
  // Exponent fields 0 and 1 would wrap below zero into huge values; they stand for values too
  // small to show, and a slot of zeros must read as 0.
  if (exponentField < 2) return 0.0f;
  const uint32_t bits = ((slot & 0x8000) << 16) | ((exponentField - 2) << 23) | ((slot & 0x7FFF) << 8);
  return std::bit_cast<float>(bits);
}

}  // namespace vlm
