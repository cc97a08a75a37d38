#pragma once
// Configuration objects: the base TObj, its families (cards, hardware ports, software ports),
// the controller with its registries of base addresses, interrupt lines and port links, the
// station, the processor and the telemetering group.
#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "model/TreeNode.h"

namespace vlm {

class TConfig;
class TController;
class TCard;
class THardPort;
class TSoftPort;
struct TItem;

// Context menus of the tree; the UI maps each kind to a QMenu of actions.
enum class TPopupMenu : uint8_t {
  None,
  Station,
  Controller,
  Processor,
  Delete,       // cards, most ports and points: "Удалить"
  HardPort,     // hardware ports: "Отмена" only
  PortActive,   // PopupMenuPortA
  PortTKR,
  PortPCE,
  PortPC4,
  Port104,
  PortLisnaC,
  PortLisnaV,
  PortLisnaM,
  PortModbus,
};

// Image indices of the tree icons.
namespace icon {
inline constexpr int kSoftPort = 1, kController = 2, kCard = 6, kProcessor = 6, kRs232 = 8,
                     kRs485 = 9, kModem = 10, kStation = 12;
}

// Interfaces of hardware ports (THardPort::Interface).
inline constexpr uint8_t kRs232 = 1, kRs485 = 2, kModemLine = 3;

class TObj {
 public:
  // The node must already sit in the tree: the owning controller is found through its ancestors.
  explicit TObj(TTreeNode* node);
  virtual ~TObj() = default;
  TObj(const TObj&) = delete;
  TObj& operator=(const TObj&) = delete;

  uint8_t Version = 1;
  std::string TypeName;
  uint8_t TypeId = 0;
  TTreeNode* Node = nullptr;
  TPopupMenu PopupMenu = TPopupMenu::None;
  TController* Controller = nullptr;

  virtual std::string GetCaption() const { return "???"; }
  // Class name ("TCard5554", "TPortActive"): the key under which the UI registers the editor
  // frame of the class (frames are created by the UI, not by the core).
  virtual const char* ClassName() const { return "TObj"; }
  virtual void ReadConfig(TConfig& cfg) = 0;
  virtual void WriteConfig(TConfig& cfg) = 0;
  virtual void UpdateNode() = 0;
  // The kind's items described as data (Items.h); empty for kinds written by hand only.
  virtual std::span<const TItem> Items() const { return {}; }

  size_t ChildCount() const { return Node ? Node->Count() : 0; }
  TObj* ChildObject(size_t index) const { return Node ? Node->Child(index)->Object() : nullptr; }
};

class TCard : public TObj {
 public:
  explicit TCard(TTreeNode* node);
  ~TCard() override;

  uint8_t Address = 255;  // 0..15, 255 = not set
  uint8_t IRQ = 0;        // 3..7, 0 = none

  virtual void SetAddress(uint8_t address) = 0;
  virtual void SetIRQ(uint8_t line) = 0;
};

class THardPort : public TObj {
 public:
  explicit THardPort(TTreeNode* node);

  uint8_t Number = 0;
  TCard* Card = nullptr;
  uint8_t Interface = kRs232;
  uint8_t Interfaces = 0;  // bit i set: interface i allowed

  bool Allows(uint8_t interface) const { return (Interfaces >> interface) & 1u; }
  void Allow(uint8_t interface) { Interfaces = static_cast<uint8_t>(Interfaces | (1u << interface)); }
  virtual void SetNumber(uint8_t number) { Number = number; }
  // Card address in the high nibble, port number in the low one: how software ports name it.
  virtual uint8_t GetHardNumber() const = 0;
  void ReadConfig(TConfig&) override {}
  void WriteConfig(TConfig&) override {}
};

class TSoftPort : public TObj {
 public:
  explicit TSoftPort(TTreeNode* node);  // registers with the controller
  ~TSoftPort() override;                // unregisters

  uint8_t Number = 0;  // "Адрес порта", 0 = not set
  std::string Comment;
  uint8_t HardNumber = 0;
  size_t ContainerStart = 0;

  std::string GetCaption() const override;
  void UpdateNode() override;
  // Opens the container (TypeId) and writes the shared items 101, 106, 149, 107 with the two
  // reports; the kind then writes its own items and children and calls EndConfig.
  void WriteConfig(TConfig& cfg) override;
  // Reads 101, 106, 149, 107, binds the hardware port by number and updates the node.
  void ReadConfig(TConfig& cfg) override;

  void BeginConfig(TConfig& cfg);
  void EndConfig(TConfig& cfg);
  // The shared items one by one, for kinds that write them themselves.
  void WriteVersionItem(TConfig& cfg) const;
  void WriteNumberItem(TConfig& cfg, bool report) const;
  void WriteCommentItem(TConfig& cfg) const;
  // Item 107 from the binding; report = "Не выбран аппаратный порт" when unbound.
  void WriteHardNumberItem(TConfig& cfg, bool report);
  // Item 107 as a constant (kinds without a hardware port).
  void WriteHardNumberConst(TConfig& cfg, uint8_t value);
  // Item 108 with the node's child count; reports caption + noneText when there is none.
  void WriteChildCountItem(TConfig& cfg, const char* noneText) const;
  void WriteChildren(TConfig& cfg) const;

  void SetHardPort(THardPort* hard);
  uint8_t HardInterface() const;
};

// One binding of a software port to a hardware port; either side may be empty.
struct TLink {
  TSoftPort* SoftPort = nullptr;
  THardPort* HardPort = nullptr;
};

class TController : public TObj {
 public:
  explicit TController(TTreeNode* node);
  ~TController() override;

  static constexpr int kAddressCount = 16;
  static constexpr int kFirstIrq = 3, kLastIrq = 7;

  std::array<std::vector<TCard*>, kAddressCount> AddrCards;
  std::array<std::vector<TCard*>, kLastIrq - kFirstIrq + 1> IrqCards;
  std::vector<std::unique_ptr<TLink>> Links;

  const char* ClassName() const override { return "TController"; }
  void UpdateNode() override {}  // the processor names the controller node
  void ReadConfig(TConfig& cfg) override;
  void WriteConfig(TConfig& cfg) override;

  class TProcessor* Processor() const;

  void AddHardPort(THardPort* port);
  void AddSoftPort(TSoftPort* port);
  void RemoveSoftPort(TSoftPort* port);
  void RemoveHardPort(THardPort* port);
  void LinkPorts(TSoftPort* soft, THardPort* hard);
  void LinkByNumber(TSoftPort* soft, uint8_t number);
  THardPort* HardPortOf(const TSoftPort* soft) const;
  uint8_t HardNumberOf(const TSoftPort* soft) const;
  TSoftPort* SoftPortOf(const THardPort* hard) const;
  std::vector<THardPort*> FreeHardPorts(const TSoftPort* soft) const;
  // Caption and port of every free hardware port: the items of a hardware port combo box.
  std::vector<std::pair<std::string, THardPort*>> FreeHardPortNames(const TSoftPort* soft) const;
  void ShowHardPortOf(const TSoftPort* soft) const;
  void ShowSoftPortOf(const THardPort* hard) const;

  bool TakeAddress(int address, TCard* card);
  bool TakeIRQ(int line, TCard* card);
  void ReleaseAddress(TCard* card);
  void ReleaseIRQ(TCard* card);
  int AddrUseCount(int address) const;
  int IrqUseCount(int line) const;

 private:
  TLink* LinkOfSoft(const TSoftPort* soft) const;
  TLink* LinkOfHard(const THardPort* hard) const;
  void DropEmptyLink(TLink* link);
};

class TStation : public TObj {
 public:
  explicit TStation(TTreeNode* node);

  std::string Place;  // "Место установки", UTF-8; at most 255 bytes in the image

  const char* ClassName() const override { return "TStation"; }
  void UpdateNode() override;
  // Builds the whole image into cfg (header, records, size, checksum); aborts with a message
  // and no image when the configuration does not fit.
  void WriteConfig(TConfig& cfg) override;
  // Reads the whole image loaded into cfg; the first error is shown and aborts (EAbort).
  void ReadConfig(TConfig& cfg) override;
};

class TProcessor : public TCard {
 public:
  explicit TProcessor(TTreeNode* node);

  uint8_t Number = 1;
  uint32_t IPAddress = 0;         // first octet in the most significant byte
  uint32_t NetMask = 0xFFFFFF00;  // 255.255.255.0
  uint32_t Gateway = 0;

  const char* ClassName() const override { return "TProcessor"; }
  void UpdateNode() override;  // also renames the controller node
  void ReadConfig(TConfig& cfg) override;
  void WriteConfig(TConfig& cfg) override;
  void SetAddress(uint8_t) override {}
  void SetIRQ(uint8_t) override {}
};

// One group of telemetering measurements of a remote point (no node, no controller).
class TTIGroup : public TObj {
 public:
  explicit TTIGroup(uint8_t number);

  bool Used = false;
  uint8_t Number = 0;
  uint8_t PollMode = 0;  // 0 common cycle, 1 own timer, 2 not polled
  int32_t TimerPeriod = 0;  // ms
  uint8_t UseMask = 255;    // bit 7 = measurement 1
  std::array<uint8_t, 8> Deltas{7, 7, 7, 7, 7, 7, 7, 7};

  const char* ClassName() const override { return "TTIGroup"; }
  void UpdateNode() override {}
  void WriteConfig(TConfig& cfg) override;  // container 200
  void ReadConfig(TConfig& cfg) override;   // items of the entered container; marks it used
  // Poll mode, period, mask and deltas (the template copies).
  void CopySettingsFrom(const TTIGroup& other);
};

// The 256 groups (numbers 0..255) of a point that has TI groups.
class TTIGroups {
 public:
  TTIGroups();
  TTIGroup& operator[](size_t number) { return *groups_.at(number); }
  const TTIGroup& operator[](size_t number) const { return *groups_.at(number); }
  // Used groups among 1..255: item 124 of the owner point.
  uint8_t UsedCount() const;
  // The used groups 1..255 in ascending order.
  void WriteUsed(TConfig& cfg) const;
  // count records, each must be a container 200 ("Ошибка идентификатора группы ТИ\rid=").
  void Read(TConfig& cfg, int count);

 private:
  std::array<std::unique_ptr<TTIGroup>, 256> groups_;
};

// The program-wide template of the TI group editors and whether it was ever filled.
TTIGroup& TemplateGroup();
bool& TemplateGroupSet();

// Walks from a node upwards to the first ancestor whose object is a controller.
TController* FindController(const TTreeNode* node);

}  // namespace vlm
