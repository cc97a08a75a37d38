#pragma once
// The oscilloscope's own UDP endpoint and its receiving thread. The thread sleeps in the socket's
// wait (100 ms at most, to notice that it should end) instead of polling, so an idle or slow
// stream costs no processor time. Journal lines and indicator points are queued under a lock
// and taken by the window's timer (or the command line's loop).
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "diag/OscStream.h"
#include "link/LinkSettings.h"

namespace vlm {

class TSocketUdp;

struct TOscEvents {
  std::vector<uint32_t> points;
  std::vector<std::string> lines;
};

class TThreadOsc {
 public:
  explicit TThreadOsc(TSocketUdp& socket, TOscPacketHandler& handler) : socket_(socket), handler_(handler) {}
  ~TThreadOsc() { Terminate(); }
  TThreadOsc(const TThreadOsc&) = delete;
  TThreadOsc& operator=(const TThreadOsc&) = delete;

  void Start();
  // Asks the thread to end and waits for it: afterwards nothing touches the socket or the ring.
  void Terminate();
  bool Started() const { return thread_.joinable(); }

 private:
  void Execute();
  TSocketUdp& socket_;
  TOscPacketHandler& handler_;
  std::atomic<bool> terminated_{false};
  std::thread thread_;
};

// Ring, endpoint, handler and thread of one running oscilloscope.
class TOscStream {
 public:
  static constexpr size_t kMaxQueuedPoints = 4096, kMaxQueuedLines = 1000;

  TOscStream();
  ~TOscStream();
  TOscStream(const TOscStream&) = delete;
  TOscStream& operator=(const TOscStream&) = delete;

  // Binds selfIP:port, sends to destIP:port, starts the thread. An error text, empty on success.
  std::string Start(const TIPAddress& selfIP, const TIPAddress& destIP, uint16_t port, uint8_t channel);
  bool SendStreamCommand();
  // Stop command, end of the thread, endpoint closed; the ring keeps its frames. With a drain
  // time the thread goes on taking what is still on its way for that long.
  void Stop(std::chrono::milliseconds drain = std::chrono::milliseconds(0));
  bool Running() const { return thread_ != nullptr; }

  TOscEvents TakeEvents();
  TOscRing& Ring() { return ring_; }
  const TOscCounters& Counters() const { return handler_.Counters(); }
  uint8_t Channel() const { return channel_; }

 private:
  TOscRing ring_;
  TOscPacketHandler handler_;
  std::unique_ptr<TSocketUdp> socket_;
  std::unique_ptr<TThreadOsc> thread_;
  std::mutex mutex_;
  TOscEvents events_;
  uint8_t channel_ = 0;
};

}  // namespace vlm
