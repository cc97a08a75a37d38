#include "ports/RowTable.h"

#include <algorithm>
#include <numeric>

#include "common/Format.h"

namespace vlm {

std::span<const uint8_t> TRowTable::Row(size_t index) const {
  return std::span<const uint8_t>(bytes_).subspan(index * def_->rowSize, def_->rowSize);
}

std::span<uint8_t> TRowTable::Row(size_t index) {
  return std::span<uint8_t>(bytes_).subspan(index * def_->rowSize, def_->rowSize);
}

bool TRowTable::SetRows(std::span<const uint8_t> bytes, std::string* message) {
  if (bytes.size() % def_->rowSize != 0) {
    if (message) *message = Format("%s\rНеполная строка таблицы", {def_->title});
    return false;
  }
  if (bytes.size() / def_->rowSize > def_->capacity) {
    if (message)
      *message = Format("%s\rПревышена максимальная емкость таблицы - %d записей.",
                        {def_->title, def_->capacity});
    return false;
  }
  bytes_.assign(bytes.begin(), bytes.end());
  dropped_ = 0;
  return true;
}

bool TRowTable::AddRow(std::span<const uint8_t> row) {
  if (row.size() != def_->rowSize || Count() >= def_->capacity) return false;
  bytes_.insert(bytes_.end(), row.begin(), row.end());
  return true;
}

void TRowTable::Sort() {
  if (def_->sortKey.empty() || Count() < 2) return;
  std::vector<size_t> order(Count());
  std::iota(order.begin(), order.end(), size_t{0});
  auto keyByte = [&](size_t row, const TSortByte& k) {
    const uint8_t b = bytes_[row * def_->rowSize + k.offset];
    return k.inverted ? static_cast<uint8_t>(255 - b) : b;
  };
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    for (const TSortByte& k : def_->sortKey) {
      const uint8_t x = keyByte(a, k), y = keyByte(b, k);
      if (x != y) return x < y;
    }
    return false;
  });
  std::vector<uint8_t> sorted;
  sorted.reserve(bytes_.size());
  for (size_t row : order) {
    const auto r = Row(row);
    sorted.insert(sorted.end(), r.begin(), r.end());
  }
  bytes_ = std::move(sorted);
}

void TRowTable::TakeRows(std::span<const uint8_t> payload, size_t count) {
  const size_t stored = std::min(count, payload.size() / def_->rowSize);
  count = std::min(stored, size_t{def_->capacity});
  bytes_.assign(payload.begin(), payload.begin() + count * def_->rowSize);
  dropped_ = stored - count;
}

}  // namespace vlm
