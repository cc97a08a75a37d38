#include "diag/DiagValueTable.h"

#include <algorithm>
#include <cstring>

#include "common/Format.h"
#include "common/Numbers.h"

namespace vlm {

std::string TTableValue::SourceAddress() const {
  return Format("%d-%d-%d-%d", {Port(), Kp(), Group(), Parameter()});
}

std::string TiValueText(float value) { return Format("%.7g", {double(value)}).substr(0, 10); }

uint16_t TValueTable::Ioa(const TTableValue& v) const { return GetU16(&v.Record[kind_.IoaOffset]); }

bool TValueTable::Start(const TDiagObj& obj) {
  values_.clear();
  byIoa_.clear();
  total_ = position_ = 0;
  firstPass_ = true;
  started_ = false;
  passes_ = 0;
  problem_.clear();
  tsRows_ = kind_.RecordSize == kTsTable.RecordSize;
  uint8_t header[7];
  if (!context_.Memory.ReadDiagMemory(obj.Header.DataPtr, header)) {
    problem_ = context_.Memory.Refusal();
    return false;
  }
  records_ = GetU32(&header[1]);
  total_ = GetU16(&header[5]);
  if (IsReservedSegment(records_)) {
    problem_ = "таблица по адресу " + FarPtrText(records_) + " в зарезервированной области";
    total_ = 0;
    return false;
  }
  // A table cannot run past its segment: the records that would are left out.
  const size_t fit = (0x10000 - OffsetOf(records_)) / kind_.RecordSize;
  if (total_ > fit) {
    problem_ = Format("таблица выходит за сегмент: показаны %d записей из %d", {fit, total_});
    total_ = fit;
  }
  started_ = true;
  return true;
}

bool TValueTable::ScanTick() {
  if (!started_ || total_ == 0) return false;
  const size_t n = std::min(kind_.PerSlice, total_ - position_);
  std::vector<uint8_t> slice(n * kind_.RecordSize);
  if (!context_.Memory.ReadDiagMemory(records_ + TFarPtr(position_ * kind_.RecordSize), slice)) return false;
  for (size_t i = 0; i < n; ++i) Handle(&slice[i * kind_.RecordSize]);
  // Every record counts, known or not: a record whose address changed since the first pass
  // must not keep the pass from ending.
  position_ += n;
  if (position_ < total_) return false;
  EndPass();
  return true;
}

void TValueTable::Handle(const uint8_t* record) {
  if (firstPass_) {
    auto v = std::make_unique<TTableValue>();
    v->Record.assign(record, record + kind_.RecordSize);
    const uint16_t ioa = Ioa(*v);
    AddHistory(*v);
    if (!byIoa_.count(ioa)) byIoa_[ioa] = v.get();
    values_.push_back(std::move(v));
    return;
  }
  const auto it = byIoa_.find(GetU16(record + kind_.IoaOffset));
  if (it != byIoa_.end()) Update(*it->second, record);
}

void TValueTable::Update(TTableValue& v, const uint8_t* record) {
  const size_t counter = kind_.CounterOffset, value = kind_.ValueOffset;
  v.NewData = GetU16(&v.Record[counter]) != GetU16(record + counter);
  if (v.NewData) v.Marked = true;
  if (kind_.ValueSize == 4) {
    float before, after;
    std::memcpy(&before, &v.Record[value], 4);
    std::memcpy(&after, record + value, 4);
    v.Changed = before != after && !(before != before && after != after);
  } else {
    v.Changed = v.Record[value] != record[value];
  }
  // TI keeps its raw data with the counter and value; TS only counters and state.
  if (kind_.ValueSize == 4) std::copy_n(record + 15, 4, &v.Record[15]);
  else std::copy_n(record + 9, 2, &v.Record[9]);
  std::copy_n(record + counter, 2, &v.Record[counter]);
  std::copy_n(record + value, kind_.ValueSize, &v.Record[value]);
  if (v.Changed) AddHistory(v);
  if (CellChanged) CellChanged(v);
}

std::string TValueTable::HistoryText(const TTableValue& v) const {
  if (kind_.ValueSize == 4) return TiValueText(SingleFromBytes(std::span<const uint8_t, 4>(&v.Record[kind_.ValueOffset], 4)));
  return std::to_string(v.Record[kind_.ValueOffset]);
}

void TValueTable::AddHistory(TTableValue& v) {
  const std::string line = TDiagObj::Stamp(context_.Clock()) + HistoryText(v);
  v.History.push_back(line);
  while (v.History.size() > TTableValue::kHistoryLines) v.History.pop_front();
  if (HistoryAdded) HistoryAdded(v, line);
}

void TValueTable::EndPass() {
  position_ = 0;
  ++passes_;
  if (!firstPass_) return;
  firstPass_ = false;
  if (values_.empty()) return;
  int low = 0xFFFF, high = 0;
  for (const auto& v : values_) {
    low = std::min<int>(low, Ioa(*v));
    high = std::max<int>(high, Ioa(*v));
  }
  base_ = low / 10 * 10;
  if (tsRows_) rows_ = (high - base_ + 1) / 10 + ((high - base_ + 1) % 10 ? 1 : 0);
  else rows_ = (high - base_) / 10 + 1;
  ClearMarks();
}

void TValueTable::ClearMarks() {
  for (auto& v : values_) {
    v->Marked = false;
    if (CellChanged) CellChanged(*v);
  }
}

TTableValue* TValueTable::FindByIoa(uint16_t ioa) const {
  const auto it = byIoa_.find(ioa);
  return it == byIoa_.end() ? nullptr : it->second;
}

TTableValue* TValueTable::At(int column, int row) const {
  if (column < 0 || column > 9 || row < 0) return nullptr;
  const int ioa = row * 10 + base_ + column;
  return ioa <= 0xFFFF ? FindByIoa(uint16_t(ioa)) : nullptr;
}

}  // namespace vlm

namespace vlm {

std::vector<std::string> TiRecordLines(const TTableValue& v) {
  const uint8_t* r = v.Record.data();
  auto single = [r](size_t at) { return TiValueText(SingleFromBytes(std::span<const uint8_t, 4>(r + at, 4))); };
  return {"Порт:\t\t" + std::to_string(r[0]),        "КП:\t\t" + std::to_string(r[1]),
          "Группа:\t\t" + std::to_string(r[2]),      "Параметр:\t" + std::to_string(r[3]),
          "Тип:\t\t" + std::to_string(r[4]),         "Начальное:\t" + single(5),
          "Множитель:\t" + single(9),                "Адр.Об.Инф:\t" + std::to_string(GetU16(r + 13)),
          "Данные:\t\t" + Format("%8.8xh", {GetU32(r + 15)}), "Входящих:\t" + std::to_string(GetU16(r + 19)),
          "Значение:\t" + single(21)};
}

std::vector<std::string> TsRecordLines(const TTableValue& v) {
  const uint8_t* r = v.Record.data();
  return {"Порт:\t\t" + std::to_string(r[0]),         "КП:\t\t" + std::to_string(r[1]),
          "Группа:\t\t" + std::to_string(r[2]),       "Параметр:\t" + std::to_string(r[3]),
          "Адр.Об.Инф:\t" + std::to_string(GetU16(r + 4)), "Состояние:\t" + std::to_string(r[6]),
          "Изменений:\t" + std::to_string(GetU16(r + 9)),  "Входящих:\t" + std::to_string(GetU16(r + 11))};
}

std::string ValueJournalTitle(const TTableValue& v, uint16_t ioa, bool ti) {
  return Format(ti ? " ТИ  А=%d-%d-%d-%d  АОИ=%d" : " ТС  А=%d-%d-%d-%d  АОИ=%d",
                {v.Port(), v.Kp(), v.Group(), v.Parameter(), ioa});
}

}  // namespace vlm

namespace vlm {

uint32_t TiCellColour(const TTableValue& v, bool showIncoming, bool showChanges) {
  uint32_t colour = v.Marked ? 0xE0E000 : 0x808080;
  if (showIncoming && v.NewData) colour = 0xFFFF00;
  if (showChanges && v.Changed) colour = 0x00FFFF;
  return colour;
}

uint32_t TsCellColour(const TTableValue& v, bool showIncoming, bool showChanges) {
  uint32_t colour = v.Marked ? 0xFF0000 : 0x808080;
  if (showIncoming && v.NewData) colour = 0xFF7000;
  if (showChanges && v.Changed) colour = 0x00FFFF;
  return colour;
}

}  // namespace vlm
