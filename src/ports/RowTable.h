#pragma once
// Readdressing and polling tables carried as stored byte rows: the image keeps a row count item
// and one item with count × row-size bytes. The grid editor converts cells to these rows; the
// core keeps them, bounds them by the table's capacity and sorts them while writing.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vlm {

// One byte of the sort key: the key is compared byte by byte, most significant first; an inverted
// byte takes part as 255 - byte (the board port puts lower parameter numbers, which are higher
// bits, first).
struct TSortByte {
  uint8_t offset;
  bool inverted = false;
};

struct TRowTableDef {
  const char* title;        // grid title, used in messages
  uint8_t countId;          // item with the row count
  uint8_t countWidth;       // 1 or 2 bytes
  uint8_t rowsId;           // item with the rows
  uint16_t rowSize;         // bytes per row
  uint16_t capacity;        // rows the controller reserves for the table
  std::span<const TSortByte> sortKey;  // empty: written in stored order
};

class TRowTable {
 public:
  explicit TRowTable(const TRowTableDef& def) : def_(&def) {}

  const TRowTableDef& Def() const { return *def_; }
  size_t Count() const { return bytes_.size() / def_->rowSize; }
  std::span<const uint8_t> Row(size_t index) const;
  std::span<uint8_t> Row(size_t index);
  const std::vector<uint8_t>& Bytes() const { return bytes_; }

  // Replaces all rows; false (rows unchanged) when the bytes are not whole rows or exceed the
  // capacity. `message` then says why, for the store that refused.
  bool SetRows(std::span<const uint8_t> bytes, std::string* message = nullptr);
  // Appends one row (rowSize bytes); false at capacity.
  bool AddRow(std::span<const uint8_t> row);
  void Clear() {
    bytes_.clear();
    dropped_ = 0;
  }

  // Sorts by the table's key, equal keys keeping their order (what repeated neighbour exchanges
  // until none happens would give).
  void Sort();

  // Reads `count` rows from a rows item payload; rows past the payload or the capacity are not
  // taken (a damaged image never makes the table larger than the controller's). Rows the image
  // held past the capacity are counted in Dropped() for the reader's report.
  void TakeRows(std::span<const uint8_t> payload, size_t count);
  // Rows of the image that the last read could not take; any other change of rows clears it.
  size_t Dropped() const { return dropped_; }
  void SetDropped(size_t rows) { dropped_ = rows; }

 private:
  const TRowTableDef* def_;
  std::vector<uint8_t> bytes_;
  size_t dropped_ = 0;
};

}  // namespace vlm
