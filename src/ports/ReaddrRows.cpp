// Grid rows <-> stored rows of the owners' tables, the store with its refusals and the running
// IEC 104 reference column of the Modbus tables.
#include <cstring>

#include "ports/ReaddrOwners.h"
#include "ports/RowTable.h"

namespace vlm {
namespace {

bool IsByteKind(TDataKind kind) { return KindWidth(kind) == 1 && kind != TDataKind::BitsMsbFirst && kind != TDataKind::BitsLsbFirst; }

}  // namespace

TByteRow GridRowFromStored(const TOwnerTable& def, std::span<const uint8_t> stored) {
  TByteRow grid;
  for (size_t c = 0; c < def.columns.size(); ++c) {
    const TReaddrColumn& column = def.columns[c];
    if (column.shownOnly) continue;
    const TCellPlace& p = def.places[c];
    const size_t width = KindWidth(column.kind);
    if (p.offset + width > stored.size()) {
      grid.insert(grid.end(), width, 0);
      continue;
    }
    if (IsByteKind(column.kind)) {
      const int value = ((stored[p.offset] >> p.shift) & p.mask) - p.bias;
      grid.push_back(static_cast<uint8_t>(value));
    } else {
      grid.insert(grid.end(), stored.begin() + p.offset, stored.begin() + p.offset + static_cast<long>(width));
    }
  }
  return grid;
}

TByteRow StoredFromGridRow(const TOwnerTable& def, std::span<const uint8_t> grid) {
  TByteRow stored(def.rowSize, 0);
  size_t at = 0;
  for (size_t c = 0; c < def.columns.size(); ++c) {
    const TReaddrColumn& column = def.columns[c];
    if (column.shownOnly) continue;
    const TCellPlace& p = def.places[c];
    const size_t width = KindWidth(column.kind);
    if (at + width > grid.size() || p.offset + width > stored.size()) break;
    if (IsByteKind(column.kind)) {
      const uint8_t value = static_cast<uint8_t>((grid[at] + p.bias) & p.mask);
      stored[p.offset] |= static_cast<uint8_t>(value << p.shift);
    } else {
      std::memcpy(stored.data() + p.offset, grid.data() + at, width);
    }
    at += width;
  }
  return stored;
}

void LoadOwnerTable(const TOwnerTable& def, const TRowTable& rows, TReaddrData& data) {
  std::vector<TByteRow> grid;
  grid.reserve(rows.Count());
  for (size_t i = 0; i < rows.Count(); ++i) grid.push_back(GridRowFromStored(def, rows.Row(i)));
  data.Load(grid);
}

TOwnerStore StoreOwnerTable(const TOwnerTable& def, TReaddrData& data, const TCellErrorHandler& onError) {
  if (def.sortOnStore) data.Sort(TSortKind::Local);
  TStoreResult converted = data.Store(def.capacity, onError);
  TOwnerStore result;
  if (converted.capacityExceeded) {
    result.message = def.title + "\r" + def.capacityMessage;
    return result;
  }
  if (!converted.ok) {
    result.errorRow = converted.errorRow;
    result.errorColumn = converted.errorColumn;
    return result;
  }
  result.bytes.reserve(converted.rows.size() * def.rowSize);
  for (const TByteRow& row : converted.rows) {
    const TByteRow stored = StoredFromGridRow(def, row);
    result.bytes.insert(result.bytes.end(), stored.begin(), stored.end());
  }
  result.gridRows = std::move(converted.gridRows);
  result.ok = true;
  return result;
}

void UpdateModbusReference(TModbusTable table, TReaddrData& data) {
  const size_t countColumn = table == TModbusTable::Ts ? 2 : 3;
  const size_t referenceColumn = data.ColumnCount() - 1;
  long next = table == TModbusTable::Ts ? 8192 : 16384;
  for (size_t r = 0; r < data.RowCount(); ++r) {
    if (data.RowIsEmpty(r)) {
      data.SetCell(r, referenceColumn, {});
      continue;
    }
    data.SetCell(r, referenceColumn, std::to_string(next));
    long count = 0;
    if (ParseTableInt(data.Cell(r, countColumn), count) && count > 0) next += count;
  }
}

}  // namespace vlm
