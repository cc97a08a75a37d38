#pragma once
// Expansion cards of a controller and their hardware ports.
#include <array>
#include <cstdint>
#include <span>

#include "model/Items.h"
#include "model/VLM_Obj.h"

namespace vlm {

class TComPort;

// Fixed facts of each serial card kind.
struct TCardRSKind {
  const char* className;
  const char* typeName;
  uint8_t typeId;
  uint8_t addrCount;  // consecutive base addresses taken
  uint8_t addrStep;   // the base address is a multiple of this
  uint8_t portCount;
  bool allPortsRs485;  // else only ports 3 and 4 may be RS-485
};

inline constexpr int32_t kDefaultFrequency = 1843200;

class TCardRS : public TCard {
 public:
  TCardRS(TTreeNode* node, const TCardRSKind& kind);

  const TCardRSKind& Kind;
  uint8_t AddrCount;
  uint8_t AddrStep;
  uint8_t PortCount;
  std::array<TComPort*, 8> Ports{};
  int32_t Frequency = kDefaultFrequency;

  const char* ClassName() const override { return Kind.className; }
  std::string GetCaption() const override;
  void UpdateNode() override;
  void SetAddress(uint8_t address) override;
  void SetIRQ(uint8_t line) override;
  void ReadConfig(TConfig& cfg) override;
  void WriteConfig(TConfig& cfg) override;
};

extern const TCardRSKind kCard5554Kind, kCard5558Kind, kCardPPIKind;

class TCard5554 : public TCardRS {
 public:
  explicit TCard5554(TTreeNode* node) : TCardRS(node, kCard5554Kind) {}
};
class TCard5558 : public TCardRS {
 public:
  explicit TCard5558(TTreeNode* node) : TCardRS(node, kCard5558Kind) {}
};
class TCardPPI : public TCardRS {
 public:
  explicit TCardPPI(TTreeNode* node) : TCardRS(node, kCardPPIKind) {}
};

class TModem;

// A card on one base address without serial ports (PVS, UNIO96).
class TSingleAddressCard : public TCard {
 public:
  // addressShift: how far the address is shifted left in item 1 (the PVS card keeps it in the
  // high nibble).
  TSingleAddressCard(TTreeNode* node, const char* typeName, uint8_t typeId, uint8_t addressShift);

  std::string GetCaption() const override;
  void UpdateNode() override;
  void SetAddress(uint8_t address) override;
  void SetIRQ(uint8_t) override {}
  void ReadConfig(TConfig& cfg) override;
  void WriteConfig(TConfig& cfg) override;

 protected:
  // Ports whose captions show the card address.
  virtual void UpdatePorts() {}

 private:
  uint8_t addressShift_;
};

class TCardPVS : public TSingleAddressCard {
 public:
  explicit TCardPVS(TTreeNode* node);

  TModem* Modem = nullptr;

  const char* ClassName() const override { return "TCardPVS"; }

 protected:
  void UpdatePorts() override;
};

class TCardUNIO : public TSingleAddressCard {
 public:
  explicit TCardUNIO(TTreeNode* node) : TSingleAddressCard(node, "Плата UNIO96", 4, 0) {}

  const char* ClassName() const override { return "TCardUNIO"; }
};

inline constexpr uint8_t kComPortContainer = 128;

class TComPort : public THardPort {
 public:
  explicit TComPort(TTreeNode* node);
  ~TComPort() override;

  // Defaults come from the item table (Items()), the one place that states them.
  uint8_t InterfaceIndex{};  // item 8: 0 RS-232, 1 RS-485
  int32_t Speed{};
  uint8_t Parity{};
  uint8_t StopBits{};
  uint8_t FifoLevel{};
  uint16_t GapTime{};
  uint16_t StartTime{};
  uint16_t EndTime{};
  uint8_t TestOn{};
  uint16_t TestTime{};
  uint8_t TestByte{};
  uint16_t AfterTime{};

  const char* ClassName() const override { return "TComPort"; }
  std::string GetCaption() const override;
  void UpdateNode() override;
  void SetNumber(uint8_t number) override;
  uint8_t GetHardNumber() const override;
  std::span<const TItem> Items() const override;
  void ReadConfig(TConfig& cfg) override;
  void WriteConfig(TConfig& cfg) override;
  // Switches the electrical interface (kRs232 or kRs485) and the stored index with it.
  void SetInterface(uint8_t interface);

  // Editor choices.
  static constexpr std::array<int32_t, 9> kSpeeds{200000, 115200, 57600, 38400, 19200, 9600, 4800, 2400, 1200};
  static constexpr std::array<uint8_t, 4> kFifoLevels{1, 4, 8, 14};
  static constexpr std::array<const char*, 5> kParityTexts{"Нет", "Нечет (Odd)", "Чёт    (Even)",
                                                          "Маркер (Mark)", "Пробел (Space)"};
  // Bits of one frame (start, 8 data, parity, stop bits) and the shortest safe receive gap.
  int FrameBits() const;
  double CalculatedGap() const;
};

class TModem : public THardPort {
 public:
  explicit TModem(TTreeNode* node);
  ~TModem() override;

  const char* ClassName() const override { return "TModem"; }
  std::string GetCaption() const override;
  void UpdateNode() override;
  uint8_t GetHardNumber() const override;
};

// Registers the five card kinds (done by Kinds() on first use).
void RegisterCardKinds(class TKindRegistry& registry);

}  // namespace vlm
