#include "diag/DiagTablo.h"

#include <algorithm>

#include "common/Format.h"
#include "common/Numbers.h"

namespace vlm {

bool TTablo::Start(const TDiagObj& obj) {
  Stop();
  uint8_t header[6];
  if (!context_.Memory.ReadDiagMemory(obj.Header.DataPtr, header)) return false;
  total_ = GetU16(header);
  records_ = GetU32(&header[2]);
  if (IsReservedSegment(records_)) {
    total_ = 0;
    return false;
  }
  total_ = std::min<size_t>(total_, (0x10000 - OffsetOf(records_)) / TTabloRecord::kSize);
  started_ = true;
  return true;
}

void TTablo::Stop() {
  points_.clear();
  kps_.clear();
  rowTops_.clear();
  rowGroups_.clear();
  total_ = position_ = 0;
  firstPass_ = true;
  started_ = false;
}

bool TTablo::ScanTick() {
  if (!started_ || total_ == 0) return false;
  const size_t n = std::min(kPerSlice, total_ - position_);
  std::vector<uint8_t> slice(n * TTabloRecord::kSize);
  if (!context_.Memory.ReadDiagMemory(records_ + TFarPtr(position_ * TTabloRecord::kSize), slice)) return false;
  for (size_t i = 0; i < n; ++i) {
    TTabloRecord record;
    std::copy_n(&slice[i * TTabloRecord::kSize], TTabloRecord::kSize, record.Bytes.begin());
    const int kp = record.BoardKp(), parameter = record.BoardParameter();
    // The board has 25 rows of ten KPs and eight lamps a group; anything else has no place on it.
    if (kp < 1 || kp > 10 * kMaxRows || parameter < 1 || parameter > 8) continue;
    if (firstPass_) {
      kps_.insert(uint8_t(kp));
      TTabloPoint& point = points_[uint8_t(kp)];
      point.Kp = uint8_t(kp);
      TGroup& group = point.Groups[record.BoardGroup()];
      group.Number = record.BoardGroup();
      group.Present[size_t(parameter - 1)] = true;
      group.Records[size_t(parameter - 1)] = record;
      continue;
    }
    // Lamps that were not on the board in the first pass are not drawn.
    const auto point = points_.find(uint8_t(kp));
    if (point == points_.end()) continue;
    const auto group = point->second.Groups.find(record.BoardGroup());
    if (group == point->second.Groups.end() || !group->second.Present[size_t(parameter - 1)]) continue;
    uint8_t& last = group->second.LastState[size_t(parameter - 1)];
    const bool changed = record.State() != last;
    if (changed) last = record.State();
    group->second.Records[size_t(parameter - 1)] = record;
    if (Square) Square({SquareX(kp, parameter), SquareY(kp, record.BoardGroup()), SquareColour(record.State(), changed)});
  }
  position_ += n;
  if (position_ < total_) return false;
  position_ = 0;
  if (firstPass_) {
    firstPass_ = false;
    Layout();
  }
  return true;
}

void TTablo::Layout() {
  rowTops_.clear();
  rowGroups_.clear();
  if (kps_.empty()) return;
  const int rows = RowOf(*kps_.rbegin());
  int top = 0;
  for (int row = 1; row <= rows; ++row) {
    int groups = 0;
    for (const auto& [kp, point] : points_)
      if (RowOf(kp) == row && !point.Groups.empty()) groups = std::max<int>(groups, point.Groups.rbegin()->first);
    rowTops_.push_back(top);
    rowGroups_.push_back(groups);
    top += 12 * groups + 35;
  }
}

uint32_t TTablo::SquareColour(uint8_t state, bool changed) {
  if (changed) return state == 0 ? 0xFF0000 : state == 1 ? 0x00FFFF : 0x808080;
  return state == 0 ? 0x000000 : state == 1 ? 0xEFEFEF : 0x808080;
}

const TTabloRecord* TTablo::HitTest(int x, int y) const {
  if (rowTops_.empty() || x < 30) return nullptr;
  int row = 1;
  for (int r = 1; r <= Rows(); ++r)
    if (RowTop(r) <= y) row = r;
  const int kp = (x - 30) / 101 + 10 * row - 9;
  const int dy = y - RowTop(row) - 35;
  if (dy < 0) return nullptr;
  const int group = dy / 12 + 1;
  const int parameter = (x - 30 - 101 * ((x - 30) / 101)) / 12 + 1;
  if (kp < 1 || kp > 255 || group > 255 || parameter > 8) return nullptr;
  const auto point = points_.find(uint8_t(kp));
  if (point == points_.end()) return nullptr;
  const auto g = point->second.Groups.find(uint8_t(group));
  if (g == point->second.Groups.end() || !g->second.Present[size_t(parameter - 1)]) return nullptr;
  return &g->second.Records[size_t(parameter - 1)];
}

std::vector<std::string> TabloRecordLines(const TTabloRecord& r) {
  const auto& b = r.Bytes;
  return {"Порт:\t\t" + std::to_string(b[0]),
          "КП:\t\t" + std::to_string(b[1]),
          "Группа:\t\t" + std::to_string(b[2]),
          "Параметр:\t" + std::to_string(b[3]),
          "Маска:\t\t" + Format("%.2xh", {b[4]}),
          std::string("Инверсия:\t") + (b[5] ? "-1" : "0"),
          "Щит.КП:\t\t" + std::to_string(b[6]),
          "Щит.Группа:\t" + std::to_string(b[7]),
          "Щит.Параметр:\t" + std::to_string(b[8]),
          "Состояние:\t" + std::to_string(b[10])};
}

}  // namespace vlm
