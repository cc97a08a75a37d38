#include <algorithm>

#include "common/Format.h"
#include "common/Prompt.h"
#include "model/Config.h"
#include "model/Kinds.h"
#include "model/VLM_Obj.h"

namespace vlm {

TController::TController(TTreeNode* node) : TObj(node) {
  TypeId = 102;
  PopupMenu = TPopupMenu::Controller;
}

// The subtree (and with it every registered card and port) is gone before this runs.
TController::~TController() = default;

TProcessor* TController::Processor() const {
  return ChildCount() ? dynamic_cast<TProcessor*>(ChildObject(0)) : nullptr;
}

// --- port links ---

TLink* TController::LinkOfSoft(const TSoftPort* soft) const {
  for (const auto& link : Links)
    if (link->SoftPort == soft) return link.get();
  return nullptr;
}

TLink* TController::LinkOfHard(const THardPort* hard) const {
  for (const auto& link : Links)
    if (link->HardPort == hard) return link.get();
  return nullptr;
}

void TController::DropEmptyLink(TLink* link) {
  if (link->SoftPort || link->HardPort) return;
  std::erase_if(Links, [link](const auto& l) { return l.get() == link; });
}

void TController::AddHardPort(THardPort* port) {
  Links.push_back(std::make_unique<TLink>(TLink{nullptr, port}));
}

void TController::AddSoftPort(TSoftPort* port) {
  Links.push_back(std::make_unique<TLink>(TLink{port, nullptr}));
}

void TController::RemoveSoftPort(TSoftPort* port) {
  if (!port) return;
  if (TLink* link = LinkOfSoft(port)) {
    link->SoftPort = nullptr;
    DropEmptyLink(link);
  }
}

void TController::RemoveHardPort(THardPort* port) {
  if (!port) return;
  if (TLink* link = LinkOfHard(port)) {
    link->HardPort = nullptr;
    DropEmptyLink(link);
  }
}

void TController::LinkPorts(TSoftPort* soft, THardPort* hard) {
  if (!soft) return;
  RemoveSoftPort(soft);
  TLink* link = hard ? LinkOfHard(hard) : nullptr;
  if (!link) {
    // No hardware port (or one of another controller): the port keeps a record of its own.
    AddSoftPort(soft);
    return;
  }
  // A port that held this record before is left without binding; it still needs a record so
  // that it can be bound again and is listed in the controller frame.
  if (link->SoftPort && link->SoftPort != soft) AddSoftPort(link->SoftPort);
  link->SoftPort = soft;
}

void TController::LinkByNumber(TSoftPort* soft, uint8_t number) {
  for (const auto& link : Links) {
    if (link->HardPort && link->HardPort->GetHardNumber() == number && number != 0) {
      LinkPorts(soft, link->HardPort);
      return;
    }
  }
  RemoveSoftPort(soft);
  AddSoftPort(soft);
}

THardPort* TController::HardPortOf(const TSoftPort* soft) const {
  const TLink* link = soft ? LinkOfSoft(soft) : nullptr;
  return link ? link->HardPort : nullptr;
}

uint8_t TController::HardNumberOf(const TSoftPort* soft) const {
  const THardPort* hard = HardPortOf(soft);
  return hard ? hard->GetHardNumber() : 0;
}

TSoftPort* TController::SoftPortOf(const THardPort* hard) const {
  const TLink* link = hard ? LinkOfHard(hard) : nullptr;
  return link ? link->SoftPort : nullptr;
}

std::vector<THardPort*> TController::FreeHardPorts(const TSoftPort* soft) const {
  std::vector<THardPort*> ports;
  for (const auto& link : Links)
    if (link->HardPort && (!link->SoftPort || link->SoftPort == soft)) ports.push_back(link->HardPort);
  return ports;
}

std::vector<std::pair<std::string, THardPort*>> TController::FreeHardPortNames(const TSoftPort* soft) const {
  std::vector<std::pair<std::string, THardPort*>> names;
  for (THardPort* port : FreeHardPorts(soft)) names.emplace_back(port->GetCaption(), port);
  return names;
}

void TController::ShowHardPortOf(const TSoftPort* soft) const {
  if (const THardPort* hard = HardPortOf(soft)) RequestGoToNode(hard->Node);
}

void TController::ShowSoftPortOf(const THardPort* hard) const {
  if (const TSoftPort* soft = SoftPortOf(hard)) RequestGoToNode(soft->Node);
}

// --- base addresses and interrupt lines ---

bool TController::TakeAddress(int address, TCard* card) {
  if (address < 0 || address >= kAddressCount) return false;
  auto& list = AddrCards[static_cast<size_t>(address)];
  if (std::find(list.begin(), list.end(), card) != list.end()) return true;
  if (!list.empty() &&
      AskYesNo(Format("Базовый адрес %d уже занят\rИспользовать адрес?", {address})) == TAnswer::No)
    return false;
  list.push_back(card);
  return true;
}

bool TController::TakeIRQ(int line, TCard* card) {
  if (line < kFirstIrq || line > kLastIrq) return false;
  auto& list = IrqCards[static_cast<size_t>(line - kFirstIrq)];
  const bool others = std::any_of(list.begin(), list.end(), [card](TCard* c) { return c != card; });
  if (others &&
      AskYesNo(Format("Линия запроса прерывания IRQ%d уже используется\rИспользовать IRQ?", {line})) ==
          TAnswer::No)
    return false;
  if (std::find(list.begin(), list.end(), card) == list.end()) list.push_back(card);
  return true;
}

void TController::ReleaseAddress(TCard* card) {
  for (auto& list : AddrCards) std::erase(list, card);
}

void TController::ReleaseIRQ(TCard* card) {
  for (auto& list : IrqCards) std::erase(list, card);
}

int TController::AddrUseCount(int address) const {
  if (address < 0 || address >= kAddressCount) return 0;
  return static_cast<int>(AddrCards[static_cast<size_t>(address)].size());
}

int TController::IrqUseCount(int line) const {
  if (line < kFirstIrq || line > kLastIrq) return 0;
  return static_cast<int>(IrqCards[static_cast<size_t>(line - kFirstIrq)].size());
}

// --- image record ---

void TController::WriteConfig(TConfig& cfg) {
  const size_t start = cfg.OpenContainer(TypeId);
  TProcessor* processor = Processor();
  cfg.WriteU8(105, processor ? processor->Number : 0);
  cfg.WriteCount(103, ChildCount() - (processor ? 1 : 0));
  for (size_t i = 0; i < ChildCount(); ++i) {
    TObj* child = ChildObject(i);
    if (child && child != processor) child->WriteConfig(cfg);
  }
  if (processor) processor->WriteConfig(cfg);
  cfg.CloseContainer(start);
}

void TController::ReadConfig(TConfig& cfg) {
  uint8_t cards = 0;
  cfg.ReadU8(103, cards);
  for (int i = 0; i < cards; ++i) ReadChild(cfg, TKindFamily::Card, *Node, "Ошибка идентификатора платы\rid=");
  const uint8_t id = cfg.NextContainer();
  if (id != 153 && id != 105) {
    ShowError(Format("Ошибка идентификатора процессора\rid=%d", {id}));
    Abort();
  }
  if (TProcessor* processor = Processor()) processor->ReadConfig(cfg);
}

}  // namespace vlm
