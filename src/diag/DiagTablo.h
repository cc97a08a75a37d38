#pragma once
// The tablo table: records that tie a source signal to a lamp of the mimic board (board KP,
// group, parameter). The first pass builds the board's points and groups, later passes compare
// each lamp's state with the one drawn last. Geometry of the board picture is worked out here.
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "diag/DiagObj.h"

namespace vlm {

struct TTabloRecord {
  static constexpr size_t kSize = 11;
  std::array<uint8_t, kSize> Bytes{};
  uint8_t BoardKp() const { return Bytes[6]; }
  uint8_t BoardGroup() const { return Bytes[7]; }
  uint8_t BoardParameter() const { return Bytes[8]; }
  uint8_t State() const { return Bytes[10]; }
};

struct TGroup {
  uint8_t Number = 0;
  std::array<TTabloRecord, 8> Records{};
  std::array<uint8_t, 8> LastState{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  std::array<bool, 8> Present{};
};

struct TTabloPoint {
  uint8_t Kp = 0;
  std::map<uint8_t, TGroup> Groups;
};

// One square to fill: where and in which colour (Windows colour value).
struct TTabloSquare {
  int X = 0, Y = 0;
  uint32_t Colour = 0;
};

class TTablo {
 public:
  static constexpr size_t kPerSlice = 20;
  static constexpr int kMaxRows = 25;  // board KPs 1..250

  explicit TTablo(TDiagContext& context) : context_(context) {}

  bool Start(const TDiagObj& obj);
  // One tick; true when it ended a pass.
  bool ScanTick();
  void Stop();

  bool FirstPass() const { return firstPass_; }
  size_t Total() const { return total_; }
  size_t Position() const { return position_; }
  const std::map<uint8_t, TTabloPoint>& Points() const { return points_; }
  const std::set<uint8_t>& KpSet() const { return kps_; }

  // Layout after the first pass: rows of ten KPs, each row as high as its groups need.
  int Rows() const { return int(rowTops_.size()); }
  int RowTop(int row) const { return rowTops_[size_t(row - 1)]; }          // row 1-based
  int RowGroups(int row) const { return rowGroups_[size_t(row - 1)]; }
  static int RowOf(int kp) { return (kp + 9) / 10; }
  static int ColumnOf(int kp) { return kp - 10 * (RowOf(kp) - 1); }
  // Square of a lamp (KP, board group g, board parameter p).
  int SquareX(int kp, int parameter) const { return 101 * ColumnOf(kp) + 12 * parameter - 83; }
  int SquareY(int kp, int group) const { return RowTop(RowOf(kp)) + 12 * group + 23; }

  // The stored record under a point of the picture, nullptr when no lamp is there.
  const TTabloRecord* HitTest(int x, int y) const;

  // Squares to draw, produced by the update passes.
  std::function<void(const TTabloSquare&)> Square;

  // Colours of a lamp: unchanged (black, EFEFEFh, grey) and changed (blue, yellow; others grey).
  static uint32_t SquareColour(uint8_t state, bool changed);

 private:
  void Layout();
  TDiagContext& context_;
  TFarPtr records_ = 0;
  size_t total_ = 0, position_ = 0;
  bool firstPass_ = true, started_ = false;
  std::map<uint8_t, TTabloPoint> points_;
  std::set<uint8_t> kps_;
  std::vector<int> rowTops_, rowGroups_;
};

// Popup lines of a tablo record: "Порт:\t\t5", ... in the order of the record.
std::vector<std::string> TabloRecordLines(const TTabloRecord& record);

}  // namespace vlm
