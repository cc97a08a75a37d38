// The UDP transport of the link: one socket per opening, bound to SelfIP:UdpPort.
#include <algorithm>
#include <chrono>
#include <utility>

#include "link/DatagramWait.h"
#include "link/LinkSettings.h"
#include "link/LinkTransport.h"
#include "link/SerialTransport.h"
#include "link/SocketUDP.h"

namespace vlm {
namespace {

using Clock = std::chrono::steady_clock;
// The window system must get a turn at least this often while an answer is awaited.

class TUdpTransport : public ILinkTransport {
 public:
  TUdpTransport(const TLinkSettings& s, uint16_t selfPort)
      : socket_(s.UdpPort, s.SelfIP, s.DestIP, selfPort), dest_(s.DestIP) {}

  bool Open() override { return socket_.Open(); }
  TLinkOpenFailure OpenFailure() const override { return socket_.OpenFailure(); }
  void Close() override { socket_.Close(); }
  bool AdaptiveWait() const override { return true; }
  int StaleBeforeSend() const override { return staleBeforeSend_; }

  bool Send(std::span<const uint8_t> frame) override {
    // What is still queued is late or duplicated: it must not meet this request's wait.
    staleBeforeSend_ = 0;
    for (int i = 0; i < 10000 && socket_.WaitReadable(0); ++i)
      if (socket_.Receive() && FromController()) ++staleBeforeSend_;
    return socket_.Send(frame);
  }

  bool SendAhead(std::span<const uint8_t> frame) override { return socket_.Send(frame); }

  TReceived Receive(std::span<uint8_t> into, size_t, std::chrono::milliseconds wait, const TAnswerFilter& filter,
                    const std::function<void()>& pump) override {
    // Answers to a window of blocks are mostly queued already: read first, wait only when
    // nothing is there (one system call per answer instead of two).
    return ReceiveDatagram(into, wait, filter, pump, [this](Clock::time_point until, std::span<const uint8_t>& answer) {
      const bool got = socket_.Receive() || (WaitUntil(until) && socket_.Receive());
      if (!got || !FromController()) return false;
      answer = socket_.ReceiveBuffer();
      return true;
    });
  }

  int Quiet(std::chrono::milliseconds silence, const std::function<void()>& pump,
            Clock::time_point& firstArrival) override {
    return QuietDatagrams(silence, pump, firstArrival, [this](Clock::time_point until, std::span<const uint8_t>&) {
      return WaitUntil(until) && socket_.Receive() && FromController();
    });
  }

 private:
  bool WaitUntil(Clock::time_point until) {
    const auto left = std::chrono::ceil<std::chrono::microseconds>(until - Clock::now());
    return socket_.WaitReadable(std::max(left, std::chrono::microseconds(0)));
  }

  // A socket bound to every address hears its own requests sent to a silent loopback address,
  // and a stranger may send anything: when the controller has one address, only its datagrams
  // are answers. A controller asked by broadcast answers from an address not known beforehand.
  bool FromController() const {
    const bool broadcast = dest_ == TIPAddress{0, 0, 0, 0} || dest_[3] == 255;
    return broadcast || socket_.SenderIP() == dest_;
  }

  TSocketUdp socket_;
  TIPAddress dest_;
  int staleBeforeSend_ = 0;
};

}  // namespace

std::unique_ptr<ILinkTransport> MakeDefaultTransport(const TLinkSettings& settings) {
  if (settings.LinkMode == kLinkUdp) return std::make_unique<TUdpTransport>(settings, settings.UdpPort);
  if (settings.LinkMode == kLinkSerial) return MakeSerialTransport(settings);
  return nullptr;
}

std::unique_ptr<ILinkTransport> MakeUdpTransport(const TLinkSettings& settings, uint16_t selfPort) {
  return std::make_unique<TUdpTransport>(settings, selfPort);
}

}  // namespace vlm
