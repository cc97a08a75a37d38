#include "model/VLM_Obj.h"

#include "common/Format.h"
#include "common/Prompt.h"
#include "model/Config.h"
#include "model/Items.h"

namespace vlm {

TController* FindController(const TTreeNode* node) {
  for (const TTreeNode* n = node ? node->Parent() : nullptr; n; n = n->Parent())
    if (auto* controller = dynamic_cast<TController*>(n->Object())) return controller;
  return nullptr;
}

TObj::TObj(TTreeNode* node) : Node(node), Controller(FindController(node)) {}

// --- cards and hardware ports ---

TCard::TCard(TTreeNode* node) : TObj(node) { PopupMenu = TPopupMenu::Delete; }

TCard::~TCard() {
  // Released unconditionally: a refused address leaves the addresses taken before the refusal
  // registered, and the registry must never keep a freed card.
  if (Controller) {
    Controller->ReleaseAddress(this);
    Controller->ReleaseIRQ(this);
  }
}

THardPort::THardPort(TTreeNode* node) : TObj(node) { PopupMenu = TPopupMenu::HardPort; }

// --- software ports ---

TSoftPort::TSoftPort(TTreeNode* node) : TObj(node) {
  PopupMenu = TPopupMenu::Delete;
  if (Controller) Controller->AddSoftPort(this);
}

TSoftPort::~TSoftPort() {
  if (Controller) Controller->RemoveSoftPort(this);
}

std::string TSoftPort::GetCaption() const {
  const std::string braced = Comment.empty() ? std::string() : "{" + Comment + "}";
  return Format("№%d %s %s", {Number, TypeName, braced});
}

void TSoftPort::UpdateNode() {
  if (!Node) return;
  Node->SetText(GetCaption());
  Node->SetImage(icon::kSoftPort);
}

void TSoftPort::BeginConfig(TConfig& cfg) { ContainerStart = cfg.OpenContainer(TypeId); }

void TSoftPort::EndConfig(TConfig& cfg) { cfg.CloseContainer(ContainerStart); }

void TSoftPort::WriteVersionItem(TConfig& cfg) const { cfg.WriteU8(101, Version); }

void TSoftPort::WriteNumberItem(TConfig& cfg, bool report) const {
  if (report && Number == 0) ShowError(GetCaption() + "\rНе настроен адрес порта");
  cfg.WriteU8(106, Number);
}

void TSoftPort::WriteCommentItem(TConfig& cfg) const { cfg.WriteString(149, Comment); }

void TSoftPort::WriteHardNumberItem(TConfig& cfg, bool report) {
  HardNumber = Controller ? Controller->HardNumberOf(this) : 0;
  if (report && HardNumber == 0) ShowError(GetCaption() + "\rНе выбран аппаратный порт");
  cfg.WriteU8(107, HardNumber);
}

void TSoftPort::WriteHardNumberConst(TConfig& cfg, uint8_t value) {
  HardNumber = value;
  cfg.WriteU8(107, value);
}

void TSoftPort::WriteChildCountItem(TConfig& cfg, const char* noneText) const {
  const size_t count = ChildCount();
  if (count == 0 && noneText) ShowError(GetCaption() + noneText);
  cfg.WriteCount(108, count);
}

void TSoftPort::WriteChildren(TConfig& cfg) const {
  for (size_t i = 0; i < ChildCount(); ++i)
    if (TObj* child = ChildObject(i)) child->WriteConfig(cfg);
}

void TSoftPort::WriteConfig(TConfig& cfg) {
  BeginConfig(cfg);
  WriteVersionItem(cfg);
  WriteNumberItem(cfg, true);
  WriteCommentItem(cfg);
  WriteHardNumberItem(cfg, true);
}

void TSoftPort::ReadConfig(TConfig& cfg) {
  cfg.ReadU8(101, Version);
  cfg.ReadU8(106, Number);
  cfg.ReadString(149, Comment);
  cfg.ReadU8(107, HardNumber);
  if (Controller) Controller->LinkByNumber(this, HardNumber);
  UpdateNode();
}

void TSoftPort::SetHardPort(THardPort* hard) {
  if (Controller) Controller->LinkPorts(this, hard);
}

uint8_t TSoftPort::HardInterface() const {
  const THardPort* hard = Controller ? Controller->HardPortOf(this) : nullptr;
  return hard ? hard->Interface : 0;
}

// --- TI groups ---

namespace {
const TItem kTIGroupItems[] = {
    Item<&TTIGroup::Version>(101, 1, "Version", 1, 0, 255),
    Item<&TTIGroup::Number>(128, 1, "Number", 0, 0, 255),
    Item<&TTIGroup::PollMode>(129, 1, "PollMode", 0, 0, 2),
    Item<&TTIGroup::TimerPeriod>(130, 4, "TimerPeriod", 0, 0, INT32_MAX),
    Item<&TTIGroup::UseMask>(212, 1, "UseMask", 255, 0, 255),
    Item<&TTIGroup::Deltas>(213, 8, "Deltas", 7, 0, 255),
};
constexpr uint8_t kTIGroupContainer = 200;
}  // namespace

TTIGroup::TTIGroup(uint8_t number) : TObj(nullptr), Number(number) {
  TypeId = kTIGroupContainer;
  Version = 1;
}

void TTIGroup::WriteConfig(TConfig& cfg) {
  const size_t start = cfg.OpenContainer(TypeId);
  WriteItems(cfg, *this, kTIGroupItems);
  cfg.CloseContainer(start);
}

void TTIGroup::ReadConfig(TConfig& cfg) {
  ReadItems(cfg, *this, kTIGroupItems);
  Used = true;
}

void TTIGroup::CopySettingsFrom(const TTIGroup& other) {
  PollMode = other.PollMode;
  TimerPeriod = other.TimerPeriod;
  UseMask = other.UseMask;
  Deltas = other.Deltas;
}

TTIGroups::TTIGroups() {
  for (size_t i = 0; i < groups_.size(); ++i) groups_[i] = std::make_unique<TTIGroup>(static_cast<uint8_t>(i));
}

uint8_t TTIGroups::UsedCount() const {
  int count = 0;
  for (size_t i = 1; i < groups_.size(); ++i) count += groups_[i]->Used ? 1 : 0;
  return static_cast<uint8_t>(count);
}

void TTIGroups::WriteUsed(TConfig& cfg) const {
  for (size_t i = 1; i < groups_.size(); ++i)
    if (groups_[i]->Used) groups_[i]->WriteConfig(cfg);
}

void TTIGroups::Read(TConfig& cfg, int count) {
  for (int i = 0; i < count; ++i) {
    const uint8_t id = cfg.NextContainer();
    if (id != kTIGroupContainer) {
      ShowError(Format("Ошибка идентификатора группы ТИ\rid=%d", {id}));
      Abort();
    }
    auto group = std::make_unique<TTIGroup>(0);
    group->ReadConfig(cfg);
    groups_[group->Number] = std::move(group);
  }
}

TTIGroup& TemplateGroup() {
  static TTIGroup group(0);
  return group;
}

bool& TemplateGroupSet() {
  static bool set = false;
  return set;
}

}  // namespace vlm
