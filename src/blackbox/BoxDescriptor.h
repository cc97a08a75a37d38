#pragma once
// Recorder descriptors as the controller keeps them: a chain of 68-byte records whose first far
// pointer sits in the slot of interrupt vector 86h. Type 0 describes a ring of 16 record buffers,
// type 1 a byte stream of pcap records in linear memory.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace vlm {

constexpr uint16_t kBoxChainSegment = 0x0000;
constexpr uint16_t kBoxChainOffset = 0x0218;
constexpr size_t kBoxDescriptorSize = 68;
constexpr size_t kBoxHeaderSize = 30;  // the part of a type-0 descriptor re-read while polling
constexpr size_t kBoxBuffers = 16;
constexpr size_t kBoxBufferSize = 136;
constexpr size_t kBoxNameAt = 34;
constexpr size_t kBoxNameMax = 32;
inline constexpr std::string_view kBoxSignature = "BlackBox";

enum : uint8_t { kBoxTypeRecords = 0, kBoxTypePcap = 1 };

// A real-mode address; as one 32-bit value the low word is the offset.
struct TFarPointer {
  uint16_t segment = 0;
  uint16_t offset = 0;
  static TFarPointer FromU32(uint32_t value) { return {uint16_t(value >> 16), uint16_t(value)}; }
  bool IsNull() const { return segment == 0 && offset == 0; }
  bool operator==(const TFarPointer&) const = default;
};

struct TBoxDescriptor {
  std::array<uint8_t, kBoxDescriptorSize> bytes{};

  // Copies what there is; missing bytes stay 0.
  static TBoxDescriptor FromBytes(std::span<const uint8_t> data);
  // An empty type-0 descriptor carrying only a name (the replay reader's).
  static TBoxDescriptor Named(std::string_view utf8Name);

  TFarPointer Next() const;
  bool SignatureOk() const;
  uint8_t Type() const { return bytes[12]; }
  std::string Name() const;  // UTF-8; the length byte is limited to the 32 characters the field holds

  // Type 0.
  uint8_t WriteIndex() const { return bytes[13]; }
  // The data length of a buffer's record, cut to what a buffer can hold.
  size_t Length(size_t buffer) const;
  TFarPointer Buffers() const;

  // Type 1.
  uint32_t EthBase() const;
  uint32_t EthSize() const;
  uint32_t EthWriteIndex() const;
  bool EthWrapped() const { return bytes[25] != 0; }
};

// Whether a header or descriptor read from the controller may replace the reader's copy.
bool HeaderSignatureOk(std::span<const uint8_t> header);

}  // namespace vlm
