#pragma once
// Ports whose records need more than their tables: the МКТ3 transmit port, whose TI row layout
// depends on the record version, and the board port, whose output function 0 means 241.
#include <cstdint>

#include "ports/PortKind.h"

namespace vlm {

class TPortMKT3T : public TDataPort {
 public:
  TPortMKT3T(TTreeNode* node, const TPortKind& kind) : TDataPort(node, kind) {}
  static constexpr size_t kTsTable = 0, kTiTable = 1;

 protected:
  void ReadTable(TConfig& cfg, size_t index) override;
};

// Widens a version-1 МКТ3 TI row (port, point, group, parameter, type, external group, external
// parameter, external type) to the current 16-byte row with offset 0.0 and factor 1.0.
void WidenMkt3TiRow(const uint8_t* oldRow, uint8_t* newRow);

class TPortL : public TDataPort {
 public:
  TPortL(TTreeNode* node, const TPortKind& kind) : TDataPort(node, kind) {}
  static constexpr size_t kTsTable = 0, kTiTable = 1, kJunctionTable = 2;

  // First visible rows of the TS and TI grids, so that the grids reopen where they were left.
  int TiTopRow = 1;
  int TsTopRow = 1;

 protected:
  void AfterRead() override;
};

}  // namespace vlm
