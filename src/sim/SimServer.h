#pragma once
// The simulator's transports: a UDP socket and a pseudo-terminal standing for the serial line,
// served by one waiting loop. Answers are sent at once or, with an injected delay, when due; they
// leave in the order of their due times, so a late answer holds back none given after it.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <map>
#include <functional>
#include <string>
#include <vector>

#include "sim/SimController.h"
#include "sim/SimFaults.h"
#include "sim/StreamFramer.h"
#include "platform/PseudoTerminal.h"
#include "platform/UdpSocket.h"

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
  const std::string& PtyPath() const { return pty_.Path(); }

  // Serves until stop becomes true (checked at least every 100 ms); returns an error text when the
  // waiting itself failed, empty after a requested stop.
  std::string Run(const std::atomic<bool>& stop);

  // Work of the firmware between requests (values that change), run from the serving loop every
  // period, so it never races a request.
  void SetTick(std::function<void()> tick, std::chrono::milliseconds period);

  // The serial line sends every byte the PC writes back to it at once, before any answer, as an
  // RS-485 adapter or a loopback plug does.
  void SetEcho(bool echo) { echo_ = echo; }

 private:
  using Clock = std::chrono::steady_clock;
  struct Peer {
    platform::TIPv4 ip{};
    uint16_t port = 0;
  };
  struct Outgoing {
    bool serial;
    Peer to;
    std::vector<uint8_t> bytes;
  };
  void ReceiveDatagram();
  void ReceiveSerial();
  void Dispatch(std::span<const uint8_t> frame, bool serial, const Peer& from);
  void SendDue();
  void Send(const Outgoing& out);
  int PollTimeoutMs() const;

  SimController& controller_;
  FaultInjector& faults_;
  bool verbose_;
  platform::TUdpSocket udp_;
  platform::TIPv4 boundIp_{};
  platform::TPseudoTerminal pty_;
  bool ptyOpen_ = false;
  StreamFramer framer_;
  Clock::time_point lastSerialByte_{};
  bool echo_ = false;
  // Answers waiting for their time; equal times keep the order they were given in.
  std::multimap<Clock::time_point, Outgoing> queue_;
  std::function<void()> tick_;
  std::chrono::milliseconds tickPeriod_{0};
  Clock::time_point nextTick_{};
};

}  // namespace vlm::sim
