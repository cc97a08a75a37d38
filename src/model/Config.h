#pragma once
// The configuration image and its cursor. Records: tag (0xF0 container, 0xE0 data item), id,
// 16-bit length including the 4-byte header, payload. Writing never goes past the buffer (an
// oversized configuration is refused as a whole); reading never leaves the bytes that were
// loaded: a loaded image is checked record by record before any object reads it.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/DateTime.h"

namespace vlm {

inline constexpr size_t kImageCapacity = 64001;
inline constexpr size_t kHeaderSize = 144;
inline constexpr size_t kSizeOffset = 44;
inline constexpr uint8_t kTagContainer = 0xF0;
inline constexpr uint8_t kTagItem = 0xE0;
inline constexpr const char* kProgramVersion = "4.1.9";

// The image's checksum: the sum of bytes 0..length-3 in the last two bytes, low byte first.
// Both are false for a length below 3.
bool StoreCheckSum(uint8_t* buffer, size_t length);
bool CheckSumMatches(const uint8_t* buffer, size_t length);
// The documented form of the two: mode 1 stores, mode 0 compares, any other mode is false.
bool CheckSum(uint8_t* buffer, size_t length, int mode);

class TConfig {
 public:
  TConfig();

  // --- the buffer ---
  uint8_t* Data() { return buffer_.data(); }
  const uint8_t* Data() const { return buffer_.data(); }
  // Size of the last built or loaded image (0 = none).
  size_t ConfigSize = 0;
  std::span<const uint8_t> Image() const { return {buffer_.data(), ConfigSize}; }
  size_t Position = 0;

  // When set, the header carries this date and time instead of the clock (reproducible output).
  std::optional<TDateTime> Stamp;

  // --- writing ---
  // Zeroes the buffer and starts a new image at offset 0.
  void Clear();
  size_t OpenContainer(uint8_t id);
  void CloseContainer(size_t start);
  void WriteItem(uint8_t id, size_t size, const void* data);
  void WriteU8(uint8_t id, uint8_t value) { WriteItem(id, 1, &value); }
  void WriteU16(uint8_t id, uint16_t value);
  void WriteU32(uint8_t id, uint32_t value);
  void WriteI32(uint8_t id, int32_t value) { WriteU32(id, static_cast<uint32_t>(value)); }
  // Length byte + the text in the controller's code page (UTF-8 in, cut to 255 bytes).
  void WriteString(uint8_t id, std::string_view utf8);
  // A string item of a fixed size (length byte, characters, zero padding), e.g. 256 bytes.
  void WriteStringPadded(uint8_t id, std::string_view utf8, size_t size);
  // A count item (controllers, cards, ports, points): one byte. More than 255 objects cannot be
  // stored, so the image is then refused rather than written with a wrong count.
  void WriteCount(uint8_t id, size_t count);
  // Why the configuration cannot be stored as an image ("" while it can).
  const std::string& CountError() const { return countError_; }
  // True once a record did not fit: the image is then refused.
  bool Overflowed() const { return overflow_; }
  // Bytes the configuration needs (also past the capacity), checksum included.
  size_t NeededSize() const { return Position + 2; }

  // --- loading and reading ---
  // What reading could not take (rows past a table's capacity). Load empties it; whoever
  // reads shows it once, so that a cut configuration is never stored again unannounced.
  std::vector<std::string> ReadNotes;
  // Copies a file into the buffer. Checks the signature, the size field against the bytes given,
  // the checksum and the record structure; on failure shows the reason and aborts (EAbort).
  void Load(std::span<const uint8_t> bytes);
  // Finds the item with this id among the consecutive data items of the current container and
  // copies at most size bytes of its payload (never more than stored). Position does not move.
  bool ReadItem(uint8_t id, size_t size, void* destination) const;
  // The payload of that item, bounded by its record.
  std::optional<std::span<const uint8_t>> FindItem(uint8_t id) const;
  // The n-th (0-based) item with this id (some records hold an id twice).
  std::optional<std::span<const uint8_t>> FindItem(uint8_t id, int occurrence) const;
  // Typed reads: false (value untouched) when the item is absent; an item shorter than the
  // field is a damaged image: shown and aborted.
  bool ReadU8(uint8_t id, uint8_t& value) const;
  bool ReadU16(uint8_t id, uint16_t& value) const;
  bool ReadU32(uint8_t id, uint32_t& value) const;
  bool ReadI32(uint8_t id, int32_t& value) const;
  bool ReadBytes(uint8_t id, std::span<uint8_t> out) const;  // exact size required
  // Short string item to UTF-8; the length byte is bounded by the stored payload.
  bool ReadString(uint8_t id, std::string& utf8, int occurrence = 0) const;
  // Steps over records to the next container, enters it and returns its id. Running out of
  // records is a damaged image: shown and aborted.
  uint8_t NextContainer();
  // End of the container the cursor is in (exclusive).
  size_t ContainerEnd() const { return containerEnd_; }

  // --- header ---
  void WriteHeader(TDateTime when);
  // Size text, size field and checksum of an image whose records end at Position.
  void FinishImage();

 private:
  void Put(size_t offset, const void* data, size_t size);
  bool Fits(size_t size) const { return !overflow_ && Position + size + 2 <= kImageCapacity; }
  void CheckSignature(std::span<const uint8_t> bytes) const;
  size_t CheckSizeField(std::span<const uint8_t> bytes) const;
  void CheckStructure() const;
  [[noreturn]] void ShortItem(uint8_t id, size_t need) const;

  std::vector<uint8_t> buffer_;
  bool overflow_ = false;
  std::string countError_;
  size_t recordsEnd_ = 0;    // reading: end of the records (size - 2)
  size_t containerEnd_ = 0;  // reading: end of the current container
};

// One record of a loaded image, for listings (velmorctl cfg dump --records).
struct TRecordInfo {
  size_t offset;
  uint8_t tag;
  uint8_t id;
  uint16_t length;
  int depth;
  std::span<const uint8_t> payload;  // empty for containers
};
// Visits every record of a checked image in file order.
void ForEachRecord(const TConfig& cfg, const std::function<void(const TRecordInfo&)>& visit);

}  // namespace vlm
