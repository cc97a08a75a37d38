// The UDP transport of the link: one socket per opening, bound to SelfIP:UdpPort.
#include <algorithm>
#include <chrono>
#include <cstring>
#include <vector>

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
      : socket_(s.UdpPort, s.SelfIP, s.DestIP), dest_(s.DestIP), waitMs_(std::max(0, s.WaitTime)) {}

  bool Open() override { return socket_.Open(); }
  void Close() override { socket_.Close(); }

  bool Send(std::span<const uint8_t> frame) override {
    // A late or duplicated answer to an earlier request must not pass for the answer to this one.
    DrainUntil(Clock::now());
    return socket_.Send(frame);
  }

  void DropLateAnswers() override {
    // A duplicate leaves the sender right behind the original, so a short look is enough; once
    // this link has shown duplicates, look longer.
    const auto window = sawDuplicate_ ? std::chrono::microseconds(2000) : std::chrono::microseconds(200);
    if (!lastAnswer_.empty()) DrainUntil(lastAnswerAt_ + window);
  }

  int Receive(std::span<uint8_t> into, size_t, const std::function<void()>& pump) override {
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
      if (socket_.WaitReadable(std::max(waitMs, 0)) && socket_.Receive() && FromController()) {
        const auto got = socket_.ReceiveBuffer();
        lastAnswer_.assign(got.begin(), got.end());
        lastAnswerAt_ = Clock::now();
        const size_t n = std::min(got.size(), into.size());
        std::memcpy(into.data(), got.data(), n);
        return int(n);
      }
    }
  }

 private:
  using Clock = std::chrono::steady_clock;

  // Reads and throws away whatever is queued, waiting for stragglers until `until`.
  void DrainUntil(Clock::time_point until) {
    for (int i = 0; i < 10000; ++i) {
      const auto left = std::chrono::duration_cast<std::chrono::microseconds>(until - Clock::now());
      if (!socket_.WaitReadable(left)) return;
      if (socket_.Receive() && std::ranges::equal(socket_.ReceiveBuffer(), lastAnswer_)) sawDuplicate_ = true;
    }
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
  int waitMs_;
  std::vector<uint8_t> lastAnswer_;
  Clock::time_point lastAnswerAt_;
  bool sawDuplicate_ = false;
};

}  // namespace

std::unique_ptr<ILinkTransport> MakeDefaultTransport(const TLinkSettings& settings) {
  if (settings.LinkMode == kLinkUdp) return std::make_unique<TUdpTransport>(settings);
  if (settings.LinkMode == kLinkSerial) return MakeSerialTransport(settings);
  return nullptr;
}

}  // namespace vlm
