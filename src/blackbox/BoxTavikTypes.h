#pragma once
// The objects of the stream data analyzer (ТАВИК): hubs for the controller, port, point,
// function and group, and leaves for telemetering, telesignal, telecontrol and configuration
// blocks. Each object sits on one node of a plain tree that the window adapts to its view.
#include <array>
#include <bitset>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "common/DateTime.h"

namespace vlm {

class TTavik;
class TTavikAnalyzer;

// Lists of changes and errors keep this many entries; the oldest goes first.
constexpr size_t kTavikMaxList = 1000;

// Node images of the analyzer tree (indices into the window's image list).
enum : int {
  kTavikImagePort = 2,
  kTavikImagePoint = 3,
  kTavikImageGroup = 4,
  kTavikImageTS = 5,
  kTavikImageTI = 7,
  kTavikImageTU = 9,
  kTavikImageBlock = 16,
  kTavikImageTI3 = 17,
  kTavikImageRoot = 18,
};

struct TTavikNode {
  std::string text = "NewNode";
  int image = 0;
  int stateImage = 0;  // 0: none, 1..15 share of the parent's traffic
  bool expanded = false;
  TTavikNode* parent = nullptr;
  std::vector<std::unique_ptr<TTavikNode>> children;  // ascending keys
  std::unique_ptr<TTavik> object;

  TTavikNode();
  ~TTavikNode();
  TTavikNode(const TTavikNode&) = delete;
  TTavikNode& operator=(const TTavikNode&) = delete;
};

// One entry of a change list.
struct TBit {
  uint8_t value = 0;
  uint8_t second = 0;  // the function code of a telesignal, the direction of a telecontrol
  TDateTime time = 0;
};

// What the event log window shows for one object.
struct TTavikLog {
  std::string caption;
  uint32_t appearances = 0;
  uint32_t changes = 0;
  std::string first, last;
  std::vector<std::string> lines;
};

// The information lines of the tree's popup menu.
struct TTavikPopup {
  std::string nameLine;
  std::string changes, firstSeen, lastSeen;
  std::string sourceLine;  // hubs only ("SrcLine:\t...")
  bool hasSource = false;
  bool logEnabled = false;
};

class TTavik {
 public:
  TTavik(TTavikAnalyzer& analyzer, uint8_t key, TTavikNode* node, std::string name, int image);
  virtual ~TTavik() = default;
  TTavik(const TTavik&) = delete;
  TTavik& operator=(const TTavik&) = delete;

  virtual void Update();
  virtual void UpdateText();
  virtual bool HasLog() const { return false; }
  virtual void ShowLog(TTavikLog& /*log*/) const {}
  // The state text the last Update left (built when shown, so feeding stays cheap).
  virtual std::string StateText() const;
  virtual bool IsHub() const { return false; }
  TTavikPopup Popup() const;
  // Reached by the frame being analyzed (the node's overlay image).
  bool Touched() const;

  uint32_t appearances = 0;
  TDateTime firstSeen = 0, lastSeen = 0;
  std::string name;
  uint8_t key;
  TTavikNode* node;
  TDateTime lastActivity = 0;

 protected:
  TTavikAnalyzer& analyzer_;
  uint64_t touchedFrame_ = 0;
  friend class TTavikAnalyzer;
};

class TTavikHub : public TTavik {
 public:
  using TTavik::TTavik;
  void UpdateText() override;
  bool IsHub() const override { return true; }
  // The appearances the node's state image compares with.
  virtual uint32_t Reference() const;

  std::string sourceLine;
  std::bitset<256> present;

 protected:
  void TakeSource();
};

class TTavikHubContr : public TTavikHub {
 public:
  TTavikHubContr(TTavikAnalyzer& analyzer, uint8_t key, TTavikNode* node);
  void Update() override;
  void UpdateText() override;
  std::string StateText() const override;
  bool HasLog() const override { return true; }
  void ShowLog(TTavikLog& log) const override;
  uint32_t ErrorSum() const { return lengthErrors + kpErrors + endErrors + checkErrors; }
  void AddError(const std::string& line, std::string_view text);

  uint32_t lengthErrors = 0, kpErrors = 0, endErrors = 0, checkErrors = 0;
  std::deque<std::string> errors;
};

class TTavikHubPort : public TTavikHub {
 public:
  TTavikHubPort(TTavikAnalyzer& analyzer, uint8_t key, TTavikNode* node);
  void Update() override;
  uint32_t Reference() const override;
};

class TTavikHubPoint : public TTavikHub {
 public:
  TTavikHubPoint(TTavikAnalyzer& analyzer, uint8_t key, TTavikNode* node);
  void Update() override;
  uint32_t Reference() const override;
  uint32_t frames = 0;
};

// The activity map of a function: a 207 × 19 picture with a 3 × 3 square per group.
struct TTavikMap {
  static constexpr int kWidth = 207, kHeight = 19;
  static constexpr uint32_t kNone = 0xFFFFFFFFu;  // square never painted
  static constexpr uint32_t kYellow = 0x00F0F0, kWhite = 0xFFFFFF, kBlack = 0x000000;
  std::array<uint32_t, 256> squares;
  TTavikMap() { squares.fill(kNone); }
  // The picture in Windows colour values, row by row, on the tree's background colour.
  std::vector<uint32_t> Render(uint32_t background) const;
  static int SquareX(int group) { return ((group - 1) / 5) * 4; }
  static int SquareY(int group) { return ((group - 1) % 5) * 4; }
};

class TTavikHubFunc : public TTavikHub {
 public:
  TTavikHubFunc(TTavikAnalyzer& analyzer, uint8_t key, TTavikNode* node);
  void Update() override;
  uint32_t Reference() const override;
  // Blackens the squares of groups quiet for more than a second; true when any square changed.
  bool Fade(TDateTime now);
  std::string NumberText() const;  // the highest group, three digits

  TTavikMap map;
  int mapWidth = 0;  // visible pixels of the map
  uint8_t highestGroup = 0;

 private:
  void GroupStep();
};

class TTavikHubGroup : public TTavikHub {
 public:
  TTavikHubGroup(TTavikAnalyzer& analyzer, uint8_t key, TTavikNode* node);
  void Update() override;
  void UpdateText() override;
  uint32_t Reference() const override;
  uint8_t FunctionCode() const;
  // Bit (8 - i) is the state of ТС i.
  uint8_t StateByte() const;
  uint32_t ChildChanges() const;

 private:
  void Telesignals();
  void ControlTelesignals(bool withMask);
};

class TTavikBlock : public TTavik {
 public:
  TTavikBlock(TTavikAnalyzer& analyzer, uint8_t key, TTavikNode* node);
  void Update() override;
  std::string StateText() const override;
  uint8_t octet = 0;
  uint32_t changes = 0;
};

class TTavikTI : public TTavik {
 public:
  TTavikTI(TTavikAnalyzer& analyzer, uint8_t key, TTavikNode* node);
  void Update() override;
  std::string StateText() const override;
  uint32_t changes = 0;
  uint16_t value = 0;
};

class TTavikTI3 : public TTavik {
 public:
  TTavikTI3(TTavikAnalyzer& analyzer, uint8_t key, TTavikNode* node);
  void Update() override;
  std::string StateText() const override;
  uint32_t changes = 0;
  uint32_t value = 0;
};

class TTavikTS : public TTavik {
 public:
  TTavikTS(TTavikAnalyzer& analyzer, uint8_t key, TTavikNode* node);
  void Update() override;
  std::string StateText() const override;
  bool HasLog() const override { return true; }
  void ShowLog(TTavikLog& log) const override;
  uint32_t changes = 0;
  std::deque<TBit> list;
  uint8_t state = 0;
};

class TTavikTU : public TTavik {
 public:
  TTavikTU(TTavikAnalyzer& analyzer, uint8_t key, TTavikNode* node);
  void Update() override;
  std::string StateText() const override;
  bool HasLog() const override { return true; }
  void ShowLog(TTavikLog& log) const override;
  uint32_t commands = 0;
  std::deque<TBit> list;
};

// The record time pattern of every analyzer text.
inline constexpr std::string_view kTavikTimePattern = "yyyy.mm.dd hh:nn:ss.zzz";

}  // namespace vlm
