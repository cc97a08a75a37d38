#pragma once
// The simulator's transports: a UDP socket and a pseudo-terminal standing for the serial line,
// served by one poll loop. Answers are sent at once or, with an injected delay, when due.
#include <netinet/in.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "sim/SimController.h"
#include "sim/SimFaults.h"
#include "sim/StreamFramer.h"

namespace vlm::sim {

class SimServer {
 public:
  SimServer(SimController& controller, FaultInjector& faults, bool verbose);
  ~SimServer();
  SimServer(const SimServer&) = delete;
  SimServer& operator=(const SimServer&) = delete;

  // Both return an error text, empty on success.
  std::string OpenUdp(const std::string& ip, uint16_t port);
  std::string OpenPty();
  // "IP:PORT" as bound (the real port when 0 was asked for); path of the pty's terminal side.
  std::string UdpAddress() const;
  const std::string& PtyPath() const { return ptyPath_; }

  // Serves until stop becomes true (checked at least every 100 ms); returns an error text when the
  // waiting itself failed, empty after a requested stop.
  std::string Run(const std::atomic<bool>& stop);

  // Work of the firmware between requests (values that change), run from the serving loop every
  // period, so it never races a request.
  void SetTick(std::function<void()> tick, std::chrono::milliseconds period);

 private:
  using Clock = std::chrono::steady_clock;
  struct Outgoing {
    Clock::time_point due;
    bool serial;
    sockaddr_in to;
    std::vector<uint8_t> bytes;
  };
  void ReceiveDatagram();
  void ReceiveSerial();
  void Dispatch(std::span<const uint8_t> frame, bool serial, const sockaddr_in& from);
  void SendDue();
  void Send(const Outgoing& out);
  int PollTimeoutMs() const;

  SimController& controller_;
  FaultInjector& faults_;
  bool verbose_;
  int udp_ = -1;
  int ptyMaster_ = -1;
  int ptySlave_ = -1;  // kept open so the line stays up while clients come and go
  std::string ptyPath_;
  StreamFramer framer_;
  Clock::time_point lastSerialByte_{};
  std::deque<Outgoing> queue_;
  std::function<void()> tick_;
  std::chrono::milliseconds tickPeriod_{0};
  Clock::time_point nextTick_{};
};

}  // namespace vlm::sim
