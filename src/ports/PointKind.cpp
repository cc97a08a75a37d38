#include "ports/PointKind.h"

#include <algorithm>

#include "common/Format.h"
#include "model/Config.h"
#include "model/Kinds.h"
#include "ports/KindIo.h"

namespace vlm {

namespace {

bool HasMarker(std::span<const TItemDef> items, TMarker marker) {
  return std::any_of(items.begin(), items.end(),
                     [&](const TItemDef& d) { return d.IsMarker() && d.Marker() == marker; });
}

}  // namespace

TDataPoint::TDataPoint(TTreeNode* node, const TPointKind& kind)
    : TObj(node), Values(kind.items), Tables(MakeTables(kind.tables)), kind_(&kind) {
  TypeName = kind.typeName;
  TypeId = kind.typeId;
  Version = kind.version;
  PopupMenu = kind.menu;
  if (HasMarker(kind.items, TMarker::Groups)) Groups = std::make_unique<TTIGroups>();
  UpdateNode();
}

std::string TDataPoint::GetCaption() const {
  if (kind_->baseCaption) return TObj::GetCaption();
  return Format("№%d %s", {Number(), CurrentTypeName()});
}

void TDataPoint::UpdateNode() {
  TypeName = CurrentTypeName();
  if (!Node) return;
  if (*kind_->nodeFormat)
    Node->SetText(Format(kind_->nodeFormat, {Number(), Place()}));
  else
    Node->SetText(GetCaption() + " " + Place());
  Node->SetImage(kind_->image);
}

uint8_t TDataPoint::HardInterface() const {
  const TTreeNode* parent = Node ? Node->Parent() : nullptr;
  const auto* port = parent ? dynamic_cast<const TSoftPort*>(parent->Object()) : nullptr;
  return port ? port->HardInterface() : 0;
}

void TDataPoint::WriteConfig(TConfig& cfg) {
  const size_t start = cfg.OpenContainer(TypeId);
  for (const TItemDef& def : kind_->items) {
    if (!def.IsMarker()) {
      WritePlainItem(cfg, def, Values, GetCaption());
      continue;
    }
    switch (def.Marker()) {
      case TMarker::Version: cfg.WriteU8(101, kind_->version); break;
      case TMarker::GroupCount: cfg.WriteU8(124, Groups->UsedCount()); break;
      case TMarker::Groups: Groups->WriteUsed(cfg); break;
      default: WriteTableMarker(cfg, def, Tables); break;
    }
  }
  cfg.CloseContainer(start);
}

void TDataPoint::ReadConfig(TConfig& cfg) {
  BeforeRead();
  cfg.ReadU8(101, Version);
  ReadPlainItems(cfg, Values, [this](const TItemDef& def) { return StoredWidth(def); });
  for (TRowTable& table : Tables) ReadTableRows(cfg, table);
  AfterRead();
  NoteDroppedRows(cfg, GetCaption(), Tables);
  if (Groups) {
    uint8_t count = 0;
    cfg.ReadU8(124, count);
    Groups->Read(cfg, count);
  }
  // Written again in the current layout, whatever version was read.
  Version = kind_->version;
  UpdateNode();
}

TTreeNode* AddPoint(TTreeNode& portNode, const TPointKind& kind) {
  TObj* point = Kinds().Create(TKindFamily::Point, kind.typeId, portNode);
  return point ? point->Node : nullptr;
}

bool TPointTemplates::Has(uint8_t typeId) const {
  return std::any_of(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.typeId == typeId; });
}

void TPointTemplates::Store(const TDataPoint& point) {
  const TPointKind& kind = point.Kind();
  if (kind.templateItems.empty()) return;
  auto it = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.typeId == kind.typeId; });
  if (it == entries_.end()) {
    entries_.push_back({kind.typeId, std::make_unique<TItemValues>(kind.items)});
    it = entries_.end() - 1;
  }
  it->values->CopyFrom(point.Values, kind.templateItems);
}

bool TPointTemplates::Apply(TDataPoint& point) const {
  const TPointKind& kind = point.Kind();
  auto it = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.typeId == kind.typeId; });
  if (it == entries_.end()) return false;
  point.Values.CopyFrom(*it->values, kind.templateItems);
  point.UpdateNode();
  return true;
}

TPointTemplates& PointTemplates() {
  static TPointTemplates templates;
  return templates;
}

void StoreGroupTemplate(const TTIGroup& group) {
  TemplateGroup().CopySettingsFrom(group);
  TemplateGroupSet() = true;
}

bool ApplyGroupTemplate(std::span<TTIGroup* const> groups) {
  if (!TemplateGroupSet()) return false;
  for (TTIGroup* group : groups) {
    group->CopySettingsFrom(TemplateGroup());
    group->Used = true;
  }
  return true;
}

}  // namespace vlm
