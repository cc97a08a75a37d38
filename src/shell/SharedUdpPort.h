#pragma once
// One UDP socket on the PC's address and port shared by several links that talk to different
// controllers at the same time (the fleet backup's jobs): every controller answers to the same
// port 208, so a socket per job cannot be bound twice. Answers are told apart by the address
// they come from and wait in that controller's inbox until its link takes them.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "common/IpAddress.h"
#include "link/LinkTransport.h"
#include "platform/UdpSocket.h"

namespace vlm {

class TSharedUdpPort {
 public:
  using Clock = std::chrono::steady_clock;

  TSharedUdpPort(const TIPAddress& self, uint16_t port) : self_(self), port_(port) {}
  TSharedUdpPort(const TSharedUdpPort&) = delete;
  TSharedUdpPort& operator=(const TSharedUdpPort&) = delete;

  // Binds the socket on first use; the reason of a failure is kept, and every later link
  // gets the same answer at once ("сокет UDP 0.0.0.0:208 (bind: Address already in use)").
  std::string Open();
  // The kind and the system's text of the failed binding (kind None when it succeeded).
  TLinkOpenFailure OpenFailure();
  // Datagrams from `from` are kept for its link from now until Forget; the others are dropped.
  // A broadcast address (x.x.x.255, 0.0.0.0) hears every sender.
  void Listen(const TIPAddress& from);
  void Forget(const TIPAddress& from);
  bool SendTo(std::span<const uint8_t> frame, const TIPAddress& to);
  // Throws away what waits for `from` (late or repeated answers); how many.
  int Drop(const TIPAddress& from);
  // The next datagram from `from`, waiting until `until`; false when none came.
  bool Next(const TIPAddress& from, Clock::time_point until, std::vector<uint8_t>& datagram);

  static bool IsBroadcast(const TIPAddress& ip) { return ip == TIPAddress{} || ip[3] == 255; }

 private:
  void ReadWaiting();  // the caller holds the lock
  std::deque<std::vector<uint8_t>>* InboxOf(const TIPAddress& from);

  const TIPAddress self_;
  const uint16_t port_;
  std::mutex mutex_;
  std::condition_variable arrived_;
  platform::TUdpSocket socket_;
  bool tried_ = false;
  std::string error_;
  TLinkOpenFailure failure_;
  bool reading_ = false;  // one link waits on the socket, the others on `arrived_`
  std::map<TIPAddress, std::deque<std::vector<uint8_t>>> inbox_;
  std::vector<uint8_t> buffer_;  // one datagram as it is read
};

// The link's transport over a shared port, for the controller the settings name (DestIP).
std::unique_ptr<ILinkTransport> MakeSharedUdpTransport(const std::shared_ptr<TSharedUdpPort>& port,
                                                       const TLinkSettings& settings);

}  // namespace vlm
