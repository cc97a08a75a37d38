#pragma once
// Software port kinds as data and the port class that reads and writes any of them. The 26
// classes (TPortActive, TPortPC, ...) are this class bound to their kind; only the kinds with
// something special (poll sequences, version-dependent rows, fixed-up items) add code.
#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "model/VLM_Obj.h"
#include "ports/KindItems.h"
#include "ports/RowTable.h"

namespace vlm {

// What item 107 holds.
enum class THardRule : uint8_t {
  Bound,         // the bound hardware port's number; "Не выбран аппаратный порт" when unbound
  BoundNoCheck,  // that number without the report
  Constant,      // always `hardConst`; the port is never bound
};

// How a port number of 0 is reported.
enum class TNumberReport : uint8_t {
  Caption,   // caption + "\rНе настроен адрес порта"
  TypeName,  // TypeName + ": не настроен адрес порта" (the SNTP time port)
  None,
};

struct TPortKind {
  const char* className;   // "TPortActive": the UI registers the frame under it
  uint8_t typeId;          // container id
  uint8_t version;         // item 101 as written
  const char* typeName;
  const char* action;      // "ActionNewPortActive"
  const char* actionText;  // caption of the action (menus may show their own text)
  const char* frameClass;  // "TFramePortPC"
  TPopupMenu menu;
  THardRule hard = THardRule::Bound;
  uint8_t hardConst = 0;
  TNumberReport numberReport = TNumberReport::Caption;
  bool writesComment = true;     // item 149 among the shared items
  std::span<const TItemDef> items = {};  // in write order, markers included
  std::span<const TRowTableDef> tables = {};
  std::span<const uint8_t> childIds = {};  // point container ids accepted
  bool singleChild = false;           // exactly one point, no item 108
  const char* noneAdded = "";         // report when there are no points
  const char* childIdError = "Ошибка идентификатора КП\rid=";
  bool childErrorWithCaption = false;  // the active port prefixes its caption
  bool placeInNodeText = false;        // node text = caption + " " + place (item 149 of the table)
  bool inMenu = true;                  // listed in the processor's menu
  bool hiddenInMenu = false;           // listed but hidden
};

class TDataPort : public TSoftPort {
 public:
  TDataPort(TTreeNode* node, const TPortKind& kind);

  const TPortKind& Kind() const { return *kind_; }
  TItemValues Values;
  std::vector<TRowTable> Tables;  // in the order of Kind().tables

  const char* ClassName() const override { return kind_->className; }
  void UpdateNode() override;
  void WriteConfig(TConfig& cfg) override;
  void ReadConfig(TConfig& cfg) override;

  // The installation place of the kinds that carry one (second item 149); empty otherwise.
  std::string Place() const;
  void SetPlace(const std::string& place);
  bool HasPlace() const { return kind_->placeInNodeText; }
  bool NeedsHardPort() const { return kind_->hard != THardRule::Constant; }

 protected:
  // Markers the kind writes itself (poll sequences); the base answers the shared ones.
  virtual void WriteMarker(TConfig& cfg, const TItemDef& def);
  // Called after the plain items and tables were read, before the child points.
  virtual void ReadSpecial(TConfig& cfg) { (void)cfg; }
  virtual void ReadTable(TConfig& cfg, size_t index);
  virtual void AfterRead() {}

 private:
  void WriteShared(TConfig& cfg);
  void ReadShared(TConfig& cfg);
  void ReadChildren(TConfig& cfg);
  const TPortKind* kind_;
};

// Every port kind, in the order of the processor's menu, then the ones without an entry.
std::span<const TPortKind* const> PortKinds();
const TPortKind* FindPortKind(uint8_t typeId);
const TPortKind* FindPortKindByClass(std::string_view className);

// Creates a port of the kind as a new last child of the processor node, with the single point
// of the Лисна-Ч and ВЛМ link ports, as the menu actions do. Returns the port's node.
TTreeNode* AddPort(TTreeNode& processorNode, const TPortKind& kind);

}  // namespace vlm
