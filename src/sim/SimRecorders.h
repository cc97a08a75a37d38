#pragma once
// The controller's traffic recorders: record rings of the serial ports (type 0) fed by the
// traffic generator, and an Ethernet recorder (type 1) holding an IEC 104 session as pcap
// records in linear memory. They hang in the chain at 0000:0218 from segment 6000h on and fill
// as time passes: every request first lets them catch up with the clock.
#include <chrono>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "sim/SimMemory.h"
#include "sim/SimPcapTraffic.h"
#include "sim/SimTraffic.h"

namespace vlm::sim {

struct RecorderOptions {
  double rate = 10;   // frames per second of each serial port; 0 keeps the rings empty
  uint64_t seed = 1;
  uint32_t pcapPeriodMs = 200;  // one Ethernet packet this often
  bool faults = true;  // plant faults in the serial traffic
};

// Where the recorders lie in the controller's memory.
constexpr uint16_t kRecorderSegment = 0x6000;       // descriptor i at (6000h + 10h * i):0000
constexpr uint16_t kRecordBufferSegment = 0x6100;   // buffers of ring i at (6100h + 100h * i):0000
constexpr uint32_t kPcapBufferBase = 0x00200000;    // linear
constexpr uint32_t kPcapBufferSize = 256 * 1024;

struct RecorderPort {
  const char* name;  // UTF-8
  std::vector<uint8_t> codes;
};
// The serial-port recorders, in chain order; the Ethernet recorder comes last.
const std::vector<RecorderPort>& RecorderPorts();
inline constexpr const char* kEthernetRecorderName = "ETH0 МЭК-104 pcap";

// The traffic of ring `index` and the controller tick at which its frame k passes the line:
// the same for every run with the same seed and rate.
TrafficGenerator RingTraffic(size_t index, uint64_t seed, bool faults = true);
uint32_t RingTick(size_t index, uint64_t k, double rate);

class SimRecorders {
 public:
  explicit SimRecorders(const RecorderOptions& options);

  // Boot hook: lays out the chain and empty rings; the controller's tick count starts again.
  void Publish(SimMemory& memory);
  // Request hook: every frame whose time has come is written.
  void CatchUp(SimMemory& memory);
  // The same with the tick count given (tests).
  void CatchUpTo(SimMemory& memory, uint32_t nowMs);

  struct Count {
    std::string name;
    uint64_t written;  // frames (type 0) or packets (type 1) since the last start
  };
  std::vector<Count> Counts() const;

 private:
  struct Ring {
    TrafficGenerator traffic;
    uint64_t next = 0;  // number of the next frame
    uint64_t written = 0;
    uint8_t writeIndex = 0;
  };
  void WriteRecord(SimMemory& memory, size_t index, Ring& ring, const SimFrame& frame, uint32_t tick);
  void WritePacket(SimMemory& memory, uint32_t tick);
  // A record of zeros covering [at, end) whose stamp is `stamp` (8 bytes of another record).
  void WriteFiller(uint32_t at, uint32_t end, const uint8_t* stamp);

  RecorderOptions options_;
  std::vector<Ring> rings_;
  std::unique_ptr<PcapSession> session_;
  std::span<uint8_t> pcapBuffer_;
  uint32_t pcapWrite_ = 0;
  bool pcapWrapped_ = false;
  // Record starts of this lap, and those of the previous lap not yet overwritten (ascending,
  // all behind the write position): a new record that cuts into an old one leaves a filler
  // record up to the next old start, so the buffer read from the write position on is still a
  // stream of whole pcap records.
  std::vector<uint32_t> lapStarts_;
  std::vector<uint32_t> oldStarts_;
  size_t oldNext_ = 0;
  uint8_t lastStamp_[8] = {};
  uint64_t packetsNext_ = 0, packetsWritten_ = 0;
  std::chrono::steady_clock::time_point boot_{};
  int64_t bootUnixMs_ = 0;
};

}  // namespace vlm::sim
