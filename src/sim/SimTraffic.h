#pragma once
// The traffic of the simulated ports: poll and answer frames of each recorded protocol with
// valid check characters, and now and then a fault (bad check, cut frame, line error, a broken
// direction byte). The sequence is a function of the seed alone, so a test can build the same
// frames again and compare them with what was read out of the recorder.
#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace vlm::sim {

struct SimFrame {
  uint8_t protocol = 0;   // protocol byte of the record
  uint8_t direction = 0;  // 0 received by the controller, 1 sent by it
  uint8_t error = 0;      // the controller's error code, 0..7
  uint8_t param = 0;      // protocol parameter byte (IEC 101 field lengths)
  std::vector<uint8_t> bytes;  // at most 128
  // The fault put in on purpose, so tests know what the program must find.
  enum Fault : uint8_t { kNone, kBadCheck, kCut, kLineError, kBadDirection } fault = kNone;
};

// Protocol codes of the recorded ports.
enum : uint8_t {
  kCodeSirius = 2,
  kCodeSiriusFast = 4,
  kCodeIec101 = 8,
  kCodeMkt3 = 12,
  kCodeTkRes = 13,
  kCodeIec104 = 14,
  kCodeLisna = 32,
  kCodeModbus = 35,
  kCodeLampBoard = 36,
  kCodeApciPrivate = 37,
};

// IEC 101 ports of the simulator: link address, cause, common address and object address one
// octet each (two bits per field, low field first).
constexpr uint8_t kIec101Param = 0x55;

class TrafficGenerator {
 public:
  // One port speaking the given protocol codes in turn (a poll and its answer per code);
  // without faults every frame is intact (the same frames otherwise).
  TrafficGenerator(std::vector<uint8_t> codes, uint64_t seed, bool faults = true);
  SimFrame Next();
  uint64_t Produced() const { return produced_; }

  // Intact SIRIUS frames (codes 2 and 4) produced so far, by КП, function and group: what a
  // stream analyzer of the recording must find.
  struct SiriusKey {
    uint8_t kp, function, group;
    auto operator<=>(const SiriusKey&) const = default;
  };
  const std::map<SiriusKey, uint64_t>& SiriusSent() const { return siriusSent_; }
  void ClearSiriusSent() { siriusSent_.clear(); }

 private:
  void Dialog(uint8_t code, std::vector<SimFrame>& out);
  void Fault(SimFrame& frame);
  unsigned Random(unsigned below) { return unsigned(random_() % below); }

  std::vector<uint8_t> codes_;
  std::mt19937_64 random_;
  std::vector<SimFrame> pending_;
  size_t nextPending_ = 0;
  size_t nextCode_ = 0;
  uint64_t produced_ = 0;
  bool faults_ = true;
  std::map<SiriusKey, uint64_t> siriusSent_;
  uint16_t sent104_ = 0, received104_ = 0;
  uint8_t fcb101_ = 0;
};

// Check characters of the recorded protocols, written on the controller's side.
uint16_t ModbusCrc(const uint8_t* bytes, size_t count);
uint8_t SiriusCheck(const std::vector<uint8_t>& frame);  // over octets 1 .. size-2

}  // namespace vlm::sim
