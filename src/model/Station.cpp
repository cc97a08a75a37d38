// The station (root of the tree and builder of the whole image) and the processor.
#include "common/Format.h"
#include "common/Prompt.h"
#include "model/Config.h"
#include "model/Items.h"
#include "model/Kinds.h"
#include "model/VLM_Obj.h"

namespace vlm {

namespace {
constexpr uint8_t kStationContainer = 148;
constexpr uint8_t kControllerContainer = 102;
constexpr uint8_t kProcessorContainer = 153;
constexpr const char* kStationText = "СТАНЦИЯ ПУ";
}  // namespace

TStation::TStation(TTreeNode* node) : TObj(node) { PopupMenu = TPopupMenu::Station; }

void TStation::UpdateNode() {
  if (Node) Node->SetText(std::string(kStationText) + " " + Place);
}

void TStation::WriteConfig(TConfig& cfg) {
  cfg.Clear();
  cfg.WriteHeader(cfg.Stamp ? *cfg.Stamp : Now());
  cfg.Position = kHeaderSize;
  const size_t start = cfg.OpenContainer(kStationContainer);
  cfg.WriteString(149, Place);
  cfg.WriteCount(147, ChildCount());
  for (size_t i = 0; i < ChildCount(); ++i)
    if (TObj* controller = ChildObject(i)) controller->WriteConfig(cfg);
  cfg.CloseContainer(start);
  if (cfg.Overflowed() || !cfg.CountError().empty()) {
    const std::string why = cfg.Overflowed()
        ? Format("Конфигурация слишком велика: %u байт\rНаибольший размер конфигурации %u байт",
                 {cfg.NeededSize(), kImageCapacity})
        : cfg.CountError();
    cfg.Clear();
    ShowError(why);
    Abort();
  }
  cfg.FinishImage();
}

void TStation::ReadConfig(TConfig& cfg) {
  cfg.Position = kHeaderSize;
  const uint8_t id = cfg.NextContainer();
  if (id != kStationContainer) {
    ShowError(Format("Ошибка идентификатора станции ПУ\rid=%d", {id}));
    Abort();
  }
  cfg.ReadString(149, Place);
  UpdateNode();
  uint8_t count = 0;
  cfg.ReadU8(147, count);
  for (int i = 0; i < count; ++i) {
    const uint8_t controllerId = cfg.NextContainer();
    if (controllerId != kControllerContainer) {
      ShowError(Format("Ошибка идентификатора контроллера\rid=%d", {controllerId}));
      Abort();
    }
    AddController(*Node)->ReadConfig(cfg);
  }
}

// --- processor ---

TProcessor::TProcessor(TTreeNode* node) : TCard(node) {
  TypeId = kProcessorContainer;
  Version = 1;
  PopupMenu = TPopupMenu::Processor;
}

void TProcessor::UpdateNode() {
  if (!Node) return;
  Node->SetText(Format("№%d Процессор", {Number}));
  Node->SetImage(icon::kProcessor);
  if (TTreeNode* parent = Node->Parent()) {
    parent->SetText(Format("Контроллер (№%d)", {Number}));
    parent->SetImage(icon::kController);
  }
}

void TProcessor::WriteConfig(TConfig& cfg) {
  const size_t start = cfg.OpenContainer(TypeId);
  cfg.WriteU8(105, Number);
  cfg.WriteU32(1, IPAddress);
  cfg.WriteU32(186, NetMask);
  cfg.WriteU32(187, Gateway);
  cfg.WriteCount(104, ChildCount());
  for (size_t i = 0; i < ChildCount(); ++i)
    if (TObj* port = ChildObject(i)) port->WriteConfig(cfg);
  cfg.CloseContainer(start);
}

void TProcessor::ReadConfig(TConfig& cfg) {
  cfg.ReadU8(105, Number);
  UpdateNode();
  cfg.ReadU32(1, IPAddress);
  cfg.ReadU32(186, NetMask);
  cfg.ReadU32(187, Gateway);
  uint8_t count = 0;
  cfg.ReadU8(104, count);
  for (int i = 0; i < count; ++i) ReadChild(cfg, TKindFamily::Port, *Node, "Ошибка идентификатора порта.\rid=");
}

// --- creating the fixed nodes ---

TStation* NewEmptyStation(TTree& tree) {
  TTreeNode* root = tree.Reset(kStationText, icon::kStation);
  auto station = std::make_unique<TStation>(root);
  TStation* raw = station.get();
  root->SetObject(std::move(station));
  return raw;
}

TStation* NewConfiguration(TTree& tree) {
  TStation* station = NewEmptyStation(tree);
  AddController(*station->Node);
  return station;
}

TController* AddController(TTreeNode& stationNode) {
  TController* controller = AddObject<TController>(stationNode, "Контроллер", icon::kController);
  AddObject<TProcessor>(*controller->Node, "Процессор", icon::kProcessor);
  controller->Node->Expanded = true;
  return controller;
}

}  // namespace vlm
