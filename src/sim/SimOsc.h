#pragma once
// The firmware's oscilloscope: on a stream command (02h 05h channel sum) it streams packets of
// 256 sample frames at 24000 frames per second to the sender, for as long as the commands keep
// coming (a stream that hears nothing for 3 s ends); a stop command (01h 06h 06h) ends it at
// once. Channel A is a 50 Hz sine with its third and fifth harmonics, channel B a ramp of 2 s.
// The fault options drop, duplicate and corrupt packets (only sample bytes are corrupted).
// Runs on a thread of its own, so pacing never waits for the service link.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <thread>

#include "platform/UdpSocket.h"
#include "sim/SimFaults.h"

namespace vlm::sim {

struct SimOscReport {
  uint64_t sent = 0;       // packets made (repeats not counted), dropped ones included
  uint64_t delivered = 0;  // packets that went out
  uint64_t dropped = 0;   // lost packets that a receiver can notice: a later packet arrived
  uint64_t repeated = 0;  // packets sent twice
};

class SimOsc {
 public:
  static constexpr uint32_t kFrameRate = 24000, kBlockFrames = 256;
  static constexpr size_t kPacketSize = 1030;

  explicit SimOsc(const FaultSettings& faults);
  ~SimOsc();
  SimOsc(const SimOsc&) = delete;
  SimOsc& operator=(const SimOsc&) = delete;

  std::string Open(const std::string& ip, uint16_t port);  // error text, empty on success
  std::string Address() const;                             // "IP:PORT" as bound
  void Start();
  void Stop();
  // Totals over all streams so far; each ended stream also prints its own line on stderr.
  SimOscReport Report() const;

  // Packet k of a stream (sequence k mod 256), frames from k * 256 on.
  static void FillPacket(uint64_t k, uint8_t* packet);

 private:
  using Clock = std::chrono::steady_clock;
  void Run();
  void Receive();
  void SendDue();
  void EndStream(const char* why);

  platform::TUdpSocket socket_;
  platform::TIPv4 boundIp_{};
  FaultInjector faults_;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  bool streaming_ = false;
  platform::TIPv4 clientIp_{};
  uint16_t clientPort_ = 0;
  Clock::time_point started_{}, lastCommand_{};
  uint64_t next_ = 0;          // packet to send next
  uint64_t pendingDrops_ = 0;  // drops not yet followed by a delivered packet
  bool anyDelivered_ = false;  // a packet of this stream went out
  SimOscReport stream_{};
  std::atomic<uint64_t> sent_{0}, delivered_{0}, dropped_{0}, repeated_{0};
};

}  // namespace vlm::sim
