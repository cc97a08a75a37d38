#include "model/Cards.h"

#include <algorithm>

#include "common/Format.h"
#include "model/Config.h"
#include "model/Kinds.h"

namespace vlm {

namespace {
constexpr uint8_t kAddressItem = 1, kIrqItem = 9, kFrequencyItem = 115, kVersionItem = 101;
constexpr uint8_t kNoAddress = 255;

std::string CardCaption(const TCard& card) { return Format("%s (A%d)", {card.TypeName, card.Address}); }

void ShowCardNode(TCard& card) {
  if (!card.Node) return;
  card.Node->SetText(card.GetCaption());
  card.Node->SetImage(icon::kCard);
}
}  // namespace

const TCardRSKind kCard5554Kind{"TCard5554", "Плата 5554", 2, 2, 4, 4, false};
const TCardRSKind kCard5558Kind{"TCard5558", "Плата 5558", 3, 4, 4, 8, false};
const TCardRSKind kCardPPIKind{"TCardPPI", "Плата ППИ", 5, 2, 2, 4, true};

// --- serial cards ---

TCardRS::TCardRS(TTreeNode* node, const TCardRSKind& kind)
    : TCard(node), Kind(kind), AddrCount(kind.addrCount), AddrStep(kind.addrStep), PortCount(kind.portCount) {
  TypeName = kind.typeName;
  TypeId = kind.typeId;
  for (uint8_t i = 1; i <= PortCount; ++i) {
    TComPort* port = AddObject<TComPort>(*Node);
    Ports[i - 1] = port;
    if (kind.allPortsRs485 || i == 3 || i == 4) port->Allow(kRs485);
    port->Card = this;
    port->SetNumber(i);
    port->UpdateNode();
  }
  UpdateNode();
}

std::string TCardRS::GetCaption() const { return CardCaption(*this); }

void TCardRS::UpdateNode() { ShowCardNode(*this); }

void TCardRS::SetAddress(uint8_t address) {
  if (Controller) {
    Controller->ReleaseAddress(this);
    Address = address;
    // Addresses taken before a refusal stay registered until the next SetAddress.
    for (int k = 0; k < AddrCount; ++k) {
      if (!Controller->TakeAddress(address + k, this)) {
        Address = kNoAddress;
        break;
      }
    }
  }
  UpdateNode();
  for (uint8_t i = 0; i < PortCount; ++i) Ports[i]->UpdateNode();
}

void TCardRS::SetIRQ(uint8_t line) {
  if (!Controller) return;
  Controller->ReleaseIRQ(this);
  IRQ = Controller->TakeIRQ(line, this) ? line : 0;
}

void TCardRS::WriteConfig(TConfig& cfg) {
  const size_t start = cfg.OpenContainer(TypeId);
  cfg.WriteU8(kVersionItem, Version);
  cfg.WriteU8(kAddressItem, Address);
  cfg.WriteU8(kIrqItem, IRQ);
  cfg.WriteI32(kFrequencyItem, Frequency);
  for (uint8_t i = 0; i < PortCount; ++i) Ports[i]->WriteConfig(cfg);
  cfg.CloseContainer(start);
}

void TCardRS::ReadConfig(TConfig& cfg) {
  uint8_t address = Address, line = IRQ;
  cfg.ReadU8(kAddressItem, address);
  cfg.ReadU8(kIrqItem, line);
  SetAddress(address);
  SetIRQ(line);
  int32_t frequency = 0;
  cfg.ReadI32(kFrequencyItem, frequency);
  Frequency = frequency ? frequency : kDefaultFrequency;
  for (uint8_t i = 0; i < PortCount; ++i)
    if (cfg.NextContainer() == kComPortContainer) Ports[i]->ReadConfig(cfg);
  UpdateNode();
}

// --- PVS and UNIO cards ---

TSingleAddressCard::TSingleAddressCard(TTreeNode* node, const char* typeName, uint8_t typeId,
                                       uint8_t addressShift)
    : TCard(node), addressShift_(addressShift) {
  TypeName = typeName;
  TypeId = typeId;
  UpdateNode();
}

std::string TSingleAddressCard::GetCaption() const { return CardCaption(*this); }

void TSingleAddressCard::UpdateNode() { ShowCardNode(*this); }

void TSingleAddressCard::SetAddress(uint8_t address) {
  if (Controller) {
    Controller->ReleaseAddress(this);
    Address = address;
    if (!Controller->TakeAddress(address, this)) Address = kNoAddress;
  }
  UpdateNode();
  UpdatePorts();
}

void TSingleAddressCard::WriteConfig(TConfig& cfg) {
  const size_t start = cfg.OpenContainer(TypeId);
  cfg.WriteU8(kVersionItem, Version);
  cfg.WriteU8(kAddressItem, static_cast<uint8_t>(Address << addressShift_));
  cfg.CloseContainer(start);
}

void TSingleAddressCard::ReadConfig(TConfig& cfg) {
  uint8_t stored = 0;
  SetAddress(cfg.ReadU8(kAddressItem, stored) ? static_cast<uint8_t>(stored >> addressShift_) : kNoAddress);
  UpdateNode();
}

TCardPVS::TCardPVS(TTreeNode* node) : TSingleAddressCard(node, "Плата ПВС", 1, 4) {
  Modem = AddObject<TModem>(*Node);
  Modem->Card = this;
  Modem->UpdateNode();
}

void TCardPVS::UpdatePorts() {
  if (Modem) Modem->UpdateNode();
}

// --- serial port ---

namespace {
constexpr uint8_t kHardNumberItem = 5;

const TItem kComPortItems[] = {
    Item<&TComPort::Speed>(6, 4, "Speed", 9600, 1200, 200000, "Скорость обмена, бит/с"),
    Item<&TComPort::Parity>(7, 1, "Parity", 0, 0, 4, "Бит контроля чётности"),
    Item<&TComPort::InterfaceIndex>(8, 1, "InterfaceIndex", 0, 0, 1, "Тип интерфейса"),
    Item<&TComPort::StopBits>(162, 1, "StopBits", 2, 1, 2, "Стоповых битов"),
    Item<&TComPort::FifoLevel>(178, 1, "FifoLevel", 1, 1, 14, "Уровень заполнения FIFO"),
    Item<&TComPort::GapTime>(177, 2, "GapTime", 2, 2, 1000, "Выдержка приема, мс"),
    Item<&TComPort::StartTime>(119, 2, "StartTime", 3, 0, 1000, "Длительность разгона, мс"),
    Item<&TComPort::EndTime>(120, 2, "EndTime", 0, 0, 1000, "Задержка выключения, мс"),
    Item<&TComPort::TestOn>(207, 1, "TestOn", 0, 0, 1, "Выдавать тестовую передачу при запуске"),
    Item<&TComPort::TestTime>(208, 2, "TestTime", 300, 0, 60000, "Длительность выдачи, мс"),
    Item<&TComPort::TestByte>(209, 1, "TestByte", 85, 0, 255, "Тестовый байт"),
    Item<&TComPort::AfterTime>(223, 2, "AfterTime", 1, 0, 1000, "Пауза перед приёмом, мс"),
};
}  // namespace

TComPort::TComPort(TTreeNode* node) : THardPort(node) {
  TypeName = "COM-порт";
  TypeId = kComPortContainer;
  Interface = kRs232;
  Interfaces = 0;
  Allow(kRs232);
  SetDefaults(*this, kComPortItems);
  if (Controller) Controller->AddHardPort(this);
}

TComPort::~TComPort() {
  if (Controller) Controller->RemoveHardPort(this);
}

std::span<const TItem> TComPort::Items() const { return kComPortItems; }

std::string TComPort::GetCaption() const {
  return Format("%s %d.%d (%s)", {TypeName, Card ? Card->Address : 0, Number,
                                  Interface == kRs232 ? "RS-232" : "RS-485"});
}

void TComPort::UpdateNode() {
  if (!Node) return;
  Node->SetText(GetCaption());
  Node->SetImage(Interface == kRs232 ? icon::kRs232 : icon::kRs485);
}

void TComPort::SetNumber(uint8_t number) {
  Number = number;
  if (number == 3 || number == 4) Allow(kRs485);
  UpdateNode();
}

uint8_t TComPort::GetHardNumber() const {
  return static_cast<uint8_t>((Card ? Card->Address : 0) * 16 + Number);
}

void TComPort::SetInterface(uint8_t interface) {
  Interface = interface == kRs485 ? kRs485 : kRs232;
  InterfaceIndex = Interface == kRs485 ? 1 : 0;
  UpdateNode();
}

void TComPort::WriteConfig(TConfig& cfg) {
  const size_t start = cfg.OpenContainer(TypeId);
  cfg.WriteU8(kVersionItem, Version);
  cfg.WriteU8(kHardNumberItem, GetHardNumber());
  WriteItems(cfg, *this, kComPortItems);
  cfg.CloseContainer(start);
}

void TComPort::ReadConfig(TConfig& cfg) {
  uint8_t hardNumber = GetHardNumber();
  if (cfg.ReadU8(kHardNumberItem, hardNumber)) Number = hardNumber & 0x0F;
  ReadItems(cfg, *this, kComPortItems);
  if (std::find(kFifoLevels.begin(), kFifoLevels.end(), FifoLevel) == kFifoLevels.end()) FifoLevel = 1;
  Interface = InterfaceIndex ? kRs485 : kRs232;
  UpdateNode();
}

int TComPort::FrameBits() const { return 10 + (Parity ? 1 : 0) + (StopBits == 2 ? 1 : 0); }

double TComPort::CalculatedGap() const {
  if (Speed <= 0) return 0;
  const double bitTime = 1000.0 / Speed;
  const int bits = FrameBits();
  return FifoLevel == 1 ? bitTime * bits + 1 : bitTime * (bits * (FifoLevel - 1) + 44);
}

// --- modem ---

TModem::TModem(TTreeNode* node) : THardPort(node) {
  TypeName = "Модемный порт";
  Number = 1;
  Interface = kModemLine;
  Interfaces = 0;
  Allow(kModemLine);
  if (Controller) Controller->AddHardPort(this);
}

TModem::~TModem() {
  if (Controller) Controller->RemoveHardPort(this);
}

std::string TModem::GetCaption() const {
  return Format("%s %d.%d", {TypeName, Card ? Card->Address : 0, Number});
}

void TModem::UpdateNode() {
  if (!Node) return;
  Node->SetText(GetCaption());
  Node->SetImage(icon::kModem);
}

uint8_t TModem::GetHardNumber() const { return static_cast<uint8_t>((Card ? Card->Address : 0) * 16 + 1); }

// --- kinds ---

void RegisterCardKinds(TKindRegistry& registry) {
  registry.Register({TKindFamily::Card, 1, "TCardPVS", "Добавить плату ПВС", "ActionNewCardPVS", &MakeObject<TCardPVS>});
  registry.Register({TKindFamily::Card, 2, "TCard5554", "Добавить плату 5554", "ActionNewCard5554", &MakeObject<TCard5554>});
  registry.Register({TKindFamily::Card, 3, "TCard5558", "Добавить плату 5558", "ActionNewCard5558", &MakeObject<TCard5558>});
  registry.Register({TKindFamily::Card, 4, "TCardUNIO", "Добавить плату UNIO96", "ActionNewCardUNIO96", &MakeObject<TCardUNIO>});
  registry.Register({TKindFamily::Card, 5, "TCardPPI", "Добавить плату ППИ", "ActionNewCardPPI", &MakeObject<TCardPPI>});
}

}  // namespace vlm
