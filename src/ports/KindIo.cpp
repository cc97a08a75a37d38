#include "ports/KindIo.h"

#include <algorithm>

#include "common/Format.h"
#include "common/Prompt.h"
#include "model/Config.h"

namespace vlm {

namespace {

void WriteCount(TConfig& cfg, const TRowTable& table) {
  const auto count = static_cast<uint32_t>(table.Count());
  if (table.Def().countWidth == 1)
    cfg.WriteU8(table.Def().countId, static_cast<uint8_t>(count));
  else
    cfg.WriteU16(table.Def().countId, static_cast<uint16_t>(count));
}

}  // namespace

std::vector<TRowTable> MakeTables(std::span<const TRowTableDef> defs) {
  std::vector<TRowTable> tables;
  for (const TRowTableDef& def : defs) tables.emplace_back(def);
  return tables;
}

void WritePlainItem(TConfig& cfg, const TItemDef& def, const TItemValues& values,
                    const std::string& caption) {
  if (*def.zeroReport && values.Get(def.id) == 0) ShowError(caption + def.zeroReport);
  const std::vector<uint8_t> bytes = EncodeItem(def, values);
  cfg.WriteItem(def.id, bytes.size(), bytes.data());
}

bool WriteTableMarker(TConfig& cfg, const TItemDef& def, std::vector<TRowTable>& tables) {
  if (def.Marker() == TMarker::RowCount) {
    TRowTable& table = tables.at(def.arg);
    table.Sort();
    WriteCount(cfg, table);
    return true;
  }
  if (def.Marker() == TMarker::RowData) {
    const TRowTable& table = tables.at(def.arg);
    cfg.WriteItem(table.Def().rowsId, table.Bytes().size(), table.Bytes().data());
    return true;
  }
  return false;
}

void ReadPlainItems(const TConfig& cfg, TItemValues& values,
                    const std::function<uint16_t(const TItemDef&)>& width) {
  for (const TItemDef& def : values.Table()) {
    if (def.IsMarker()) continue;
    const auto payload = cfg.FindItem(def.id, def.occurrence);
    if (!payload) continue;
    const uint16_t stored = width ? width(def) : def.width;
    DecodeItem(def, payload->first(std::min<size_t>(payload->size(), stored)), values);
  }
}

void ReadTableRows(const TConfig& cfg, TRowTable& table) {
  uint32_t count = 0;
  if (const auto c = cfg.FindItem(table.Def().countId))
    for (size_t b = 0; b < std::min<size_t>(c->size(), table.Def().countWidth); ++b)
      count |= static_cast<uint32_t>((*c)[b]) << (8 * b);
  const auto rows = cfg.FindItem(table.Def().rowsId);
  table.TakeRows(rows ? *rows : std::span<const uint8_t>{}, count);
}

void NoteDroppedRows(TConfig& cfg, const std::string& owner, const std::vector<TRowTable>& tables) {
  for (const TRowTable& table : tables) {
    if (table.Dropped() == 0) continue;
    const size_t stored = table.Count() + table.Dropped();
    cfg.ReadNotes.push_back(Format(
        "%s: таблица \"%s\"\rВ образе %u записей, таблица вмещает %u; считаны первые %u.",
        {owner, table.Def().title, stored, size_t{table.Def().capacity}, table.Count()}));
  }
}

}  // namespace vlm
