#pragma once
// Helpers of the decoder tests: frames as byte lists, references computed bit by bit.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "blackbox/BoxDecoder.h"

namespace vlm::test {

using TBytes = std::vector<uint8_t>;

// Decodes a frame given as a protocol byte (code and flags), direction and bytes. The record's
// unused bytes are filled with `fill`, so a decoder that looks past L shows it.
inline TDecoded Decode(uint8_t protocol, uint8_t direction, const TBytes& bytes, uint8_t param = 0,
                       TDecoderState* state = nullptr, TDateTime time = 0, uint8_t fill = 0) {
  TBoxRecord record;
  record.protocol = protocol;
  record.direction = direction;
  record.param = param;
  record.data.fill(fill);
  for (size_t i = 0; i < bytes.size() && i < kBoxMaxData; ++i) record.data[i] = bytes[i];
  TDecoderState own;
  return DecodeRecord(record, bytes.size(), time, state ? *state : own);
}

// The text and colour a decoder gave, checked together so a failure shows both.
inline ::testing::AssertionResult Shows(const TDecoded& d, const std::string& text, int colour) {
  if (d.text == text && d.colour == colour) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "got colour " << int(d.colour) << " text\n  " << d.text << "\nwanted colour "
                                       << colour << " text\n  " << text;
}

// CRC-16 of Modbus worked one bit at a time, as the protocol's own description gives it.
inline uint16_t ReferenceCrc16(const TBytes& bytes) {
  uint16_t crc = 0xFFFF;
  for (const uint8_t b : bytes) {
    crc ^= b;
    for (int i = 0; i < 8; ++i) crc = (crc & 1) ? uint16_t((crc >> 1) ^ 0xA001) : uint16_t(crc >> 1);
  }
  return crc;
}

// Appends the CRC, low octet first.
inline TBytes WithCrc(TBytes bytes) {
  const uint16_t crc = ReferenceCrc16(bytes);
  bytes.push_back(uint8_t(crc));
  bytes.push_back(uint8_t(crc >> 8));
  return bytes;
}

// SIRIUS check octet by polynomial long division over the explicit bit string: the 9-bit
// characters of data[1..L-2] and nine appended zero bits, divided by x^9+x^5+x^3+1.
inline uint8_t ReferenceSiriusCheck(const TBytes& frame) {
  std::vector<int> bits;
  const size_t last = frame.size() - 2;
  for (size_t i = 1; i <= last; ++i) {
    int ones = 0;
    for (int b = 7; b >= 0; --b) {
      bits.push_back((frame[i] >> b) & 1);
      ones += (frame[i] >> b) & 1;
    }
    bits.push_back((ones % 2 == 0) ^ (i == last));
  }
  bits.insert(bits.end(), 9, 0);
  const int generator[10] = {1, 0, 0, 0, 1, 0, 1, 0, 0, 1};  // x^9 .. x^0
  for (size_t i = 0; i + 9 < bits.size(); ++i)
    if (bits[i])
      for (int g = 0; g < 10; ++g) bits[i + size_t(g)] ^= generator[g];
  int remainder = 0;
  for (size_t i = bits.size() - 9; i < bits.size(); ++i) remainder = remainder << 1 | bits[i];
  return uint8_t(remainder >> 1);
}

// Places a correct end byte and check octet at the end of a SIRIUS frame body.
inline TBytes SiriusFrame(TBytes body) {
  body.push_back(0x20);
  body.push_back(0);
  body.back() = ReferenceSiriusCheck(body);
  return body;
}

}  // namespace vlm::test
