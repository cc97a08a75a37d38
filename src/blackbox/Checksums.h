#pragma once
// Frame checks of the recorded protocols.
#include <cstdint>
#include <span>

namespace vlm {

// CRC-16 of Modbus RTU (reflected polynomial A001h, start FFFFh). Run over a whole frame
// including its two CRC octets it gives 0 for an intact frame.
uint16_t Crc16Modbus(std::span<const uint8_t> bytes);

// SIRIUS check octet of a frame of L octets (L >= 3): the 9-bit CRC (generator 229h) over the
// 9-bit characters of data[1] .. data[L-2], each octet with an odd-parity ninth bit, the ninth
// bit of the last one inverted. Returns register bits 8..1; the ninth bit is not compared.
uint8_t SiriusCheckOctet(std::span<const uint8_t> frame);

// 3-byte floating point value of SIRIUS telemetering, from the first three octets of a 4-octet
// slot (value V little-endian): sign bit 15, exponent ((V >> 16) & FFh) - 2, mantissa bits 14..0.
float SiriusFloat3(uint32_t slot);

}  // namespace vlm
