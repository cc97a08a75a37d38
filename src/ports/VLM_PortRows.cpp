#include "ports/VLM_PortRows.h"

#include <cstring>
#include <vector>

#include "common/Numbers.h"
#include "model/Config.h"
#include "ports/KindIo.h"

namespace vlm {

namespace {
constexpr size_t kOldTiRowSize = 8;
}  // namespace

void WidenMkt3TiRow(const uint8_t* oldRow, uint8_t* newRow) {
  std::memcpy(newRow, oldRow, 5);  // port, point, group, parameter, type
  const auto offset = SingleToBytes(0.0f);
  const auto factor = SingleToBytes(1.0f);
  std::memcpy(newRow + 5, offset.data(), 4);
  std::memcpy(newRow + 9, factor.data(), 4);
  std::memcpy(newRow + 13, oldRow + 5, 3);  // external group, parameter, type
}

void TPortMKT3T::ReadTable(TConfig& cfg, size_t index) {
  if (index != kTiTable || Version == 2) return TDataPort::ReadTable(cfg, index);
  TRowTable& table = Tables.at(index);
  table.Clear();
  if (Version != 1) return;  // a later layout is unknown: no TI rows are taken
  uint16_t count = 0;
  cfg.ReadU16(table.Def().countId, count);
  const auto payload = cfg.FindItem(table.Def().rowsId);
  if (!payload) return;
  const size_t stored = std::min<size_t>(count, payload->size() / kOldTiRowSize);
  const size_t rows = std::min<size_t>(stored, table.Def().capacity);
  std::vector<uint8_t> wide(rows * table.Def().rowSize);
  for (size_t r = 0; r < rows; ++r)
    WidenMkt3TiRow(payload->data() + r * kOldTiRowSize, wide.data() + r * table.Def().rowSize);
  table.SetRows(wide);
  table.SetDropped(stored - rows);
}

void TPortL::AfterRead() {
  // 0 is no output function: such an image opens with the usual 241 (ТСКН).
  if (Values.Get(219) == 0) Values.Set(219, 241);
}

}  // namespace vlm
