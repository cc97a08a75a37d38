#include "ports/PortKind.h"

#include <algorithm>

#include "common/Format.h"
#include "common/Prompt.h"
#include "model/Config.h"
#include "model/Kinds.h"
#include "ports/KindIo.h"
#include "ports/PointKind.h"

namespace vlm {

TDataPort::TDataPort(TTreeNode* node, const TPortKind& kind)
    : TSoftPort(node), Values(kind.items), Tables(MakeTables(kind.tables)), kind_(&kind) {
  TypeName = kind.typeName;
  TypeId = kind.typeId;
  Version = kind.version;
  PopupMenu = kind.menu;
  UpdateNode();
}

std::string TDataPort::Place() const { return HasPlace() ? Values.GetText(149) : std::string(); }

void TDataPort::SetPlace(const std::string& place) {
  if (HasPlace()) Values.SetText(149, place);
}

void TDataPort::UpdateNode() {
  if (!Node) return;
  Node->SetText(HasPlace() ? GetCaption() + " " + Place() : GetCaption());
  Node->SetImage(icon::kSoftPort);
}

void TDataPort::WriteShared(TConfig& cfg) {
  Version = kind_->version;
  WriteVersionItem(cfg);
  if (kind_->numberReport == TNumberReport::TypeName && Number == 0)
    ShowError(TypeName + ": не настроен адрес порта");
  WriteNumberItem(cfg, kind_->numberReport == TNumberReport::Caption);
  if (kind_->writesComment) WriteCommentItem(cfg);
  if (kind_->hard == THardRule::Constant)
    WriteHardNumberConst(cfg, kind_->hardConst);
  else
    WriteHardNumberItem(cfg, kind_->hard == THardRule::Bound);
}

void TDataPort::WriteMarker(TConfig& cfg, const TItemDef& def) {
  switch (def.Marker()) {
    case TMarker::Shared: WriteShared(cfg); return;
    case TMarker::ChildCount: WriteChildCountItem(cfg, kind_->noneAdded); return;
    case TMarker::Children: WriteChildren(cfg); return;
    default: WriteTableMarker(cfg, def, Tables); return;
  }
}

void TDataPort::WriteConfig(TConfig& cfg) {
  BeginConfig(cfg);
  for (const TItemDef& def : kind_->items) {
    if (def.IsMarker())
      WriteMarker(cfg, def);
    else
      WritePlainItem(cfg, def, Values, GetCaption());
  }
  EndConfig(cfg);
}

// The shared items are read here rather than by the base: a port without a hardware port stores
// a constant in 107 (the SNTP port stores 1), and binding by that number would take the hardware
// port of another software port away from it.
void TDataPort::ReadShared(TConfig& cfg) {
  cfg.ReadU8(101, Version);
  cfg.ReadU8(106, Number);
  if (kind_->writesComment) cfg.ReadString(149, Comment);
  cfg.ReadU8(107, HardNumber);
  if (kind_->hard != THardRule::Constant && Controller) Controller->LinkByNumber(this, HardNumber);
}

void TDataPort::ReadTable(TConfig& cfg, size_t index) { ReadTableRows(cfg, Tables.at(index)); }

void TDataPort::ReadConfig(TConfig& cfg) {
  ReadShared(cfg);
  ReadPlainItems(cfg, Values);
  for (size_t i = 0; i < Tables.size(); ++i) ReadTable(cfg, i);
  NoteDroppedRows(cfg, GetCaption(), Tables);
  ReadSpecial(cfg);
  AfterRead();
  // Whatever version was read, the port is written again in the current layout.
  Version = kind_->version;
  UpdateNode();
  ReadChildren(cfg);
  UpdateNode();
}

void TDataPort::ReadChildren(TConfig& cfg) {
  if (kind_->childIds.empty()) return;
  int count = 1;
  if (!kind_->singleChild) {
    uint8_t stored = 0;
    cfg.ReadU8(108, stored);
    count = stored;
  }
  for (int i = 0; i < count; ++i) {
    const uint8_t id = cfg.NextContainer();
    const auto& ids = kind_->childIds;
    if (std::find(ids.begin(), ids.end(), id) == ids.end()) {
      const std::string prefix = kind_->childErrorWithCaption ? GetCaption() + "\r" : std::string();
      ShowError(prefix + Format("%s%d", {kind_->childIdError, id}));
      Abort();
    }
    // The single point of a Лисна-Ч or ВЛМ link port came with the port: read into it.
    TObj* point = kind_->singleChild && ChildCount() > 0 ? ChildObject(0) : nullptr;
    if (!point) point = Kinds().Create(TKindFamily::Point, id, *Node);
    if (!point) {
      ShowError(Format("%s%d", {kind_->childIdError, id}));
      Abort();
    }
    point->ReadConfig(cfg);
  }
}

TTreeNode* AddPort(TTreeNode& processorNode, const TPortKind& kind) {
  TObj* port = Kinds().Create(TKindFamily::Port, kind.typeId, processorNode);
  if (!port) return nullptr;
  // The Лисна-Ч and ВЛМ link ports come with their one point.
  if (kind.singleChild)
    if (const TPointKind* point = FindPointKind(kind.childIds.front())) AddPoint(*port->Node, *point);
  return port->Node;
}

}  // namespace vlm
