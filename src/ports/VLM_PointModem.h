#pragma once
// Modem points whose records or names depend on their own fields: the СИРИУС point (and the
// ТМ-120 built on it), the ТК РЭС point named by its kind, and the ГРАНИТ point.
#include "ports/PointKind.h"

namespace vlm {

class TPointSIRIUS : public TDataPoint {
 public:
  TPointSIRIUS(TTreeNode* node, const TPointKind& kind) : TDataPoint(node, kind) {}
  // "Станция КП" for a station (item 151 = 1), else "КП".
  std::string CurrentTypeName() const override;

 protected:
  void BeforeRead() override;
  uint16_t StoredWidth(const TItemDef& def) const override;
};

class TPointTM120 : public TPointSIRIUS {
 public:
  TPointTM120(TTreeNode* node, const TPointKind& kind) : TPointSIRIUS(node, kind) {}
  std::string CurrentTypeName() const override { return Kind().typeName; }
};

class TPointTKR : public TDataPoint {
 public:
  TPointTKR(TTreeNode* node, const TPointKind& kind) : TDataPoint(node, kind) {}
  // "\"КП-1\"", "\"КП-2\"", "\"Имитатор\"" by item 151, "Неверный тип КП" for another kind.
  std::string CurrentTypeName() const override;
};

class TPointGranit : public TDataPoint {
 public:
  TPointGranit(TTreeNode* node, const TPointKind& kind) : TDataPoint(node, kind) {}

 protected:
  void AfterRead() override;
};

}  // namespace vlm
