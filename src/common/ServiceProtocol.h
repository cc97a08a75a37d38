#pragma once
// Wire constants of the controller's service link, shared by the program's link and the
// simulator (which keeps its own request handling, so a bug on one side is not mirrored on the
// other): command codes, DOS error codes, frame limits and the frame checksum.
#include <cstddef>
#include <cstdint>
#include <span>

namespace vlm::wire {

enum : uint8_t {
  kCmdReadMemory = 0x80,
  kCmdWriteMemory = 0x81,
  kCmdReset = 0x88,
  kCmdFind = 0x94,
  kCmdReadBlock = 0x95,
  kCmdWriteBlock = 0x96,
  kCmdChangeDir = 0x97,
  kCmdDelete = 0x98,
  kCmdReadAreas = 0xA3,
  kCmdReadBlockLong = 0xA4,
  kCmdListDir = 0xA5,
};

inline constexpr uint16_t kDosOk = 0;
inline constexpr uint16_t kDosFileNotFound = 2;
inline constexpr uint16_t kDosPathNotFound = 3;
inline constexpr uint16_t kDosAccessDenied = 5;
inline constexpr uint16_t kDosNoMoreFiles = 18;

// A frame is: length byte N, command, N - 1 data bytes, checksum. N never exceeds 255.
inline constexpr size_t kMaxFrameN = 255;
inline constexpr size_t kMaxFrame = kMaxFrameN + 2;
// A datagram of the link carries at most this many bytes.
inline constexpr size_t kMaxDatagram = 1500;
// Name fields of the file requests: length byte and 12 character positions.
inline constexpr size_t kNameField = 13;
inline constexpr size_t kMaxNameLength = 12;
// Data bytes of one block read: the short request, and the long one over UDP.
inline constexpr size_t kShortBlock = 230;
inline constexpr size_t kLongBlock = 1420;

// Sum of the command and data bytes (everything between the length byte and the checksum).
inline uint8_t FrameChecksum(std::span<const uint8_t> commandAndData) {
  unsigned sum = 0;
  for (uint8_t b : commandAndData) sum += b;
  return static_cast<uint8_t>(sum);
}

// Whether bytes received as one answer are a whole frame with the right checksum. An answer
// with more than 255 bytes behind its length byte (a long block read, a large memory read) does
// not fit its length byte: controllers write 255 there, or the length modulo 256, and both are
// taken by the datagram's length when the checksum over every byte behind the length byte holds.
inline bool AnswerFrameIntact(std::span<const uint8_t> bytes) {
  if (bytes.size() < 3) return false;
  const size_t n = bytes[0];
  if (n != 0 && bytes.size() == n + 2) return FrameChecksum(bytes.subspan(1, n)) == bytes[n + 1];
  // A long answer whose length is a multiple of 256 has 0 there.
  const size_t body = bytes.size() - 2;
  if (bytes.size() > kMaxFrame && (n == kMaxFrameN || n == body % 256))
    return FrameChecksum(bytes.subspan(1, body)) == bytes.back();
  return false;
}

}  // namespace vlm::wire
