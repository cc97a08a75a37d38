// The UDP transport of the link: one socket per opening, bound to SelfIP:UdpPort.
#include <algorithm>
#include <chrono>
#include <cstring>
#include <utility>
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
    Drain();
    if (!std::ranges::equal(frame, lastFrame_)) {
      // A request sent more often than it was answered may still be answered: those answers
      // are owed and will come while the next request waits.
      owed_ = std::max(0, sends_ - answers_);
      lastFrame_.assign(frame.begin(), frame.end());
      sends_ = answers_ = 0;
      doubtful_ = false;
    } else {
      owed_ = 0;  // a retry waited the full time: what was owed is taken as lost
    }
    ++sends_;
    sentAt_ = Clock::now();
    return socket_.Send(frame);
  }

  void ExpectLookAlikeAnswer() override { lookAlike_ = true; }

  int Receive(std::span<uint8_t> into, size_t, const std::function<void()>& pump) override {
    const bool lookAlike = std::exchange(lookAlike_, false);
    bool suspected = false;
    const auto deadline = Clock::now() + std::chrono::milliseconds(waitMs_);
    auto nextPump = Clock::now() + kPumpInterval;
    for (;;) {
      const auto now = Clock::now();
      if (now >= nextPump) {
        if (pump) pump();
        nextPump = Clock::now() + kPumpInterval;
      }
      if (now >= deadline) {
        // Only a suspected copy came. If the request was lost, its retry brings the real answer;
        // if the suspicion was wrong (the first round trips were slow), the retry gets the same
        // quick answer again, and a second one cannot be a copy: the copy is used up.
        doubtful_ = suspected;
        return 0;
      }
      const auto until = std::min(deadline, nextPump);
      const int waitMs = int(std::chrono::ceil<std::chrono::milliseconds>(until - Clock::now()).count());
      if (socket_.WaitReadable(std::max(waitMs, 0)) && socket_.Receive() && FromController() &&
          !StaleCopy(lookAlike, suspected)) {
        doubtful_ = false;
        ++answers_;
        const auto got = socket_.ReceiveBuffer();
        lastAnswer_.assign(got.begin(), got.end());
        const size_t n = std::min(got.size(), into.size());
        std::copy_n(got.data(), n, into.data());
        return int(n);
      }
    }
  }

 private:
  using Clock = std::chrono::steady_clock;

  void Drain() {
    for (int i = 0; i < 10000 && socket_.WaitReadable(0); ++i)
      if (socket_.Receive() && std::ranges::equal(socket_.ReceiveBuffer(), lastAnswer_)) ++answers_;
  }

  // The protocol has no sequence numbers. Two kinds of stale answer look exactly like the
  // previous one: the late answer to a request that was sent again after a time-out (it is owed,
  // see Send), and a duplicate that was still on its way when this request went out, which
  // arrives long before any real answer could (the fastest round trip seen tells them apart). Only requests whose answers look alike (file
  // blocks) ask for this; a memory read that repeats its answer is checked by its echo instead.
  bool StaleCopy(bool lookAlike, bool& suspected) {
    const auto roundTrip = Clock::now() - sentAt_;
    const bool same = std::ranges::equal(socket_.ReceiveBuffer(), lastAnswer_);
    if (lookAlike && same && owed_ > 0) {
      --owed_;  // the late answer to a retried request
      return true;
    }
    if (lookAlike && same && roundTrip < fastestRoundTrip_ / 2 && !doubtful_) {
      suspected = true;
      return true;
    }
    if (fastestRoundTrip_ == Clock::duration::zero() || roundTrip < fastestRoundTrip_) fastestRoundTrip_ = roundTrip;
    return false;
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
  Clock::time_point sentAt_;
  Clock::duration fastestRoundTrip_{};
  std::vector<uint8_t> lastFrame_;
  bool doubtful_ = false;  // the last try of this same frame saw only a suspected copy
  int sends_ = 0, answers_ = 0;  // of lastFrame_
  int owed_ = 0;                 // answers still to come for the frame before
  bool lookAlike_ = false;
};

}  // namespace

std::unique_ptr<ILinkTransport> MakeDefaultTransport(const TLinkSettings& settings) {
  if (settings.LinkMode == kLinkUdp) return std::make_unique<TUdpTransport>(settings);
  if (settings.LinkMode == kLinkSerial) return MakeSerialTransport(settings);
  return nullptr;
}

}  // namespace vlm
