#pragma once
// Remote point kinds as data and the point class that reads and writes any of them.
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "model/VLM_Obj.h"
#include "ports/KindItems.h"
#include "ports/RowTable.h"

namespace vlm {

struct TPointKind {
  const char* className;  // "TPointSIRIUS"
  uint8_t typeId;         // container id
  uint8_t version;
  const char* typeName;
  const char* action;      // "ActionNewPointSIRIUS"
  const char* actionText;  // "Добавить КП СИРИУС"
  const char* frameClass;
  TPopupMenu menu = TPopupMenu::Delete;
  int image = 2;
  std::span<const TItemDef> items = {};  // in write order, markers included
  std::span<const TRowTableDef> tables = {};
  std::span<const uint8_t> templateItems = {};  // what "В шаблон КП" copies; empty: no template
  const char* nodeFormat = "";  // own node text format with number and place ("№%d КП ТМ120 %s")
  bool baseCaption = false;     // the ГРАНИТ point keeps the base caption "???"
};

class TDataPoint : public TObj {
 public:
  TDataPoint(TTreeNode* node, const TPointKind& kind);

  const TPointKind& Kind() const { return *kind_; }
  TItemValues Values;
  std::vector<TRowTable> Tables;
  // Groups 0..255 of the points that carry TI groups; null for the others.
  std::unique_ptr<TTIGroups> Groups;

  const char* ClassName() const override { return kind_->className; }
  std::string GetCaption() const override;
  void UpdateNode() override;
  void WriteConfig(TConfig& cfg) override;
  void ReadConfig(TConfig& cfg) override;

  uint8_t Number() const { return static_cast<uint8_t>(Values.Get(111)); }
  void SetNumber(uint8_t number) { Values.Set(111, number); }
  std::string Place() const { return Values.GetText(149); }
  void SetPlace(const std::string& place) { Values.SetText(149, place); }
  // The name the caption shows; some kinds name themselves by their kind field.
  virtual std::string CurrentTypeName() const { return kind_->typeName; }
  // The interface of the parent port's hardware port (modem page: 3 shows the modem settings).
  uint8_t HardInterface() const;

 protected:
  virtual void BeforeRead() {}
  virtual void AfterRead() {}
  // Width of an item as stored in a record of the version that was read.
  virtual uint16_t StoredWidth(const TItemDef& def) const { return def.width; }

 private:
  const TPointKind* kind_;
};

std::span<const TPointKind* const> PointKinds();
const TPointKind* FindPointKind(uint8_t typeId);
const TPointKind* FindPointKindByClass(std::string_view className);
// Creates a point of the kind as the last child of the port node (the point menu actions).
TTreeNode* AddPoint(TTreeNode& portNode, const TPointKind& kind);

// The program-wide point templates ("В шаблон КП" / "Настроить по шаблону"), one per kind that
// has one. Number, place and groups are never copied.
class TPointTemplates {
 public:
  bool Has(uint8_t typeId) const;
  void Store(const TDataPoint& point);
  // False (point unchanged) when no template of the point's kind was stored.
  bool Apply(TDataPoint& point) const;

 private:
  struct Entry {
    uint8_t typeId;
    std::unique_ptr<TItemValues> values;
  };
  std::vector<Entry> entries_;
};
TPointTemplates& PointTemplates();

// "В шаблон ТИ": poll mode, period, mask and deltas of the group into the program-wide template.
void StoreGroupTemplate(const TTIGroup& group);
// "Настроить по шаблону": the template into every given group, marking them used; false when no
// template was ever stored.
bool ApplyGroupTemplate(std::span<TTIGroup* const> groups);

}  // namespace vlm
