#pragma once
// One recorded frame as the controller's black box stores it: an 8-byte head and the frame bytes.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

namespace vlm {

constexpr size_t kBoxHeadSize = 8;
constexpr size_t kBoxMaxData = 128;
constexpr size_t kBoxRecordSize = kBoxHeadSize + kBoxMaxData;

// Direction byte values: the controller received the frame (from the controlled station) or
// sent it (from the control point side).
constexpr uint8_t kBoxDirIn = 0;
constexpr uint8_t kBoxDirOut = 1;

struct TBoxRecord {
  uint32_t ticks = 0;     // controller milliseconds
  uint8_t protocol = 0;   // bits 0-5 protocol code, bits 6-7 framing flags
  uint8_t direction = 0;  // kBoxDirIn / kBoxDirOut, anything else is invalid
  uint8_t error = 0;      // 0..7
  uint8_t param = 0;      // protocol parameter byte (field lengths for IEC 101)
  std::array<uint8_t, kBoxMaxData> data{};

  uint8_t Code() const { return protocol & 0x3F; }

  // Takes the bytes of one record buffer as read from the controller; a short buffer leaves the
  // missing bytes 0. Returns the data length the bytes carry (0..128).
  size_t Assign(std::span<const uint8_t> bytes) {
    uint8_t raw[kBoxRecordSize] = {};
    const size_t n = bytes.size() < kBoxRecordSize ? bytes.size() : kBoxRecordSize;
    if (n) std::memcpy(raw, bytes.data(), n);
    ticks = uint32_t(raw[0]) | uint32_t(raw[1]) << 8 | uint32_t(raw[2]) << 16 | uint32_t(raw[3]) << 24;
    protocol = raw[4];
    direction = raw[5];
    error = raw[6];
    param = raw[7];
    std::memcpy(data.data(), raw + kBoxHeadSize, kBoxMaxData);
    return n > kBoxHeadSize ? n - kBoxHeadSize : 0;
  }
};

}  // namespace vlm
