// The UDP transport of the link: one socket per opening, bound to SelfIP:UdpPort.
#include <algorithm>
#include <chrono>
#include <cstring>

#include "link/LinkSettings.h"
#include "link/LinkTransport.h"
#include "link/SerialTransport.h"
#include "link/SocketUDP.h"

namespace vlm {
namespace {

// The window system must get a turn at least this often while an answer is awaited.
constexpr auto kPumpInterval = std::chrono::milliseconds(50);

class TUdpTransport : public ILinkTransport {
 public:
  explicit TUdpTransport(const TLinkSettings& s)
      : socket_(s.UdpPort, s.SelfIP, s.DestIP), waitMs_(std::max(0, s.WaitTime)) {}

  bool Open() override { return socket_.Open(); }
  void Close() override { socket_.Close(); }

  bool Send(std::span<const uint8_t> frame) override {
    // A late or duplicated answer to an earlier request must not pass for the answer to this one.
    socket_.Discard();
    return socket_.Send(frame);
  }

  int Receive(std::span<uint8_t> into, size_t, const std::function<void()>& pump) override {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(waitMs_);
    auto nextPump = Clock::now() + kPumpInterval;
    for (;;) {
      const auto now = Clock::now();
      if (now >= nextPump) {
        if (pump) pump();
        nextPump = Clock::now() + kPumpInterval;
      }
      if (now >= deadline) return 0;
      const auto until = std::min(deadline, nextPump);
      const int waitMs = int(std::chrono::ceil<std::chrono::milliseconds>(until - Clock::now()).count());
      if (socket_.WaitReadable(std::max(waitMs, 0)) && socket_.Receive()) {
        const auto got = socket_.ReceiveBuffer();
        const size_t n = std::min(got.size(), into.size());
        std::memcpy(into.data(), got.data(), n);
        return int(n);
      }
    }
  }

 private:
  TSocketUdp socket_;
  int waitMs_;
};

}  // namespace

std::unique_ptr<ILinkTransport> MakeDefaultTransport(const TLinkSettings& settings) {
  if (settings.LinkMode == kLinkUdp) return std::make_unique<TUdpTransport>(settings);
  if (settings.LinkMode == kLinkSerial) return MakeSerialTransport(settings);
  return nullptr;
}

}  // namespace vlm
