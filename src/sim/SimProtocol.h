#pragma once
// Wire constants of the service link as the controller sees them: command codes, frame limits,
// the frame checksum and the DOS error codes the controller reports.
#include <cstddef>
#include <cstdint>
#include <span>

namespace vlm::sim {

enum class Command : uint8_t {
  ReadMemory = 0x80,
  WriteMemory = 0x81,
  Reset = 0x88,
  Find = 0x94,
  ReadFileBlock = 0x95,
  WriteFileBlock = 0x96,
  ChangeDir = 0x97,
  DeleteFile = 0x98,
  ReadMemoryAreas = 0xA3,
  ReadFileBlockLong = 0xA4,
  ListDirBlock = 0xA5,
};

// DOS error codes the controller reports for file requests.
constexpr uint16_t kDosOk = 0;
constexpr uint16_t kDosFileNotFound = 2;
constexpr uint16_t kDosPathNotFound = 3;
constexpr uint16_t kDosAccessDenied = 5;
constexpr uint16_t kDosNoMoreFiles = 18;

// A frame is: length byte N, command, N - 1 data bytes, checksum. N never exceeds 255.
constexpr size_t kMaxFrameN = 255;
constexpr size_t kMaxFrame = kMaxFrameN + 2;
// The program's receive buffer takes at most 1500 bytes per datagram.
constexpr size_t kMaxDatagram = 1500;
// Name fields of the file requests: length byte and 12 character positions.
constexpr size_t kNameField = 13;
constexpr size_t kMaxNameLength = 12;
// Bytes of one block read by the long request over UDP.
constexpr size_t kMaxLongBlock = 1420;

// Sum of the command and data bytes (everything between the length byte and the checksum).
inline uint8_t FrameChecksum(std::span<const uint8_t> commandAndData) {
  unsigned sum = 0;
  for (uint8_t b : commandAndData) sum += b;
  return static_cast<uint8_t>(sum);
}

}  // namespace vlm::sim
