// The serial transport on the platform's serial port (a COM port, a USB adapter, or the
// simulator's pty). Time-outs as on the controller's own service port: no gap time-out, a read
// may take 2 ms per expected byte plus 2 s, a write 10 ms per byte plus 1 s.
#include <algorithm>
#include <chrono>
#include <vector>

#include "link/LinkSettings.h"
#include "link/SerialTransport.h"
#include "platform/SerialPort.h"

namespace vlm {
namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kPumpInterval = std::chrono::milliseconds(50);

class TSerialTransport : public ILinkTransport {
 public:
  explicit TSerialTransport(std::string device) : device_(std::move(device)) {}
  ~TSerialTransport() override { Close(); }

  bool Open() override {
    const std::string error = port_.Open(device_);
    // The port's text starts with the device's name, which the wording gives itself.
    const size_t named = error.rfind(device_ + ": ", 0) == 0 ? device_.size() + 2 : 0;
    failure_ = {OpenErrorOf(port_.LastOpenError()), error.substr(named)};
    return error.empty();
  }
  TLinkOpenFailure OpenFailure() const override { return failure_; }

  // The last request (a reset gets no answer) may still sit in the output queue: the port lets
  // it go out before closing and throws away only what came in.
  void Close() override { port_.Close(); }

  bool WholeAnswers() const override { return false; }

  bool Send(std::span<const uint8_t> frame) override {
    if (!port_.IsOpen()) return false;
    // Bytes left over from an earlier answer (longer than expected, or late) would be read as
    // the start of this one.
    port_.DiscardInput();
    lastSent_.assign(frame.begin(), frame.end());
    const auto deadline = Clock::now() + std::chrono::milliseconds(10 * frame.size() + 1000);
    if (port_.Write(frame, deadline)) return true;
    port_.DiscardBoth();
    return false;
  }

  TReceived Receive(std::span<uint8_t> into, size_t expected, std::chrono::milliseconds,
                    const TAnswerFilter& filter, const std::function<void()>& pump) override {
    if (!port_.IsOpen()) return {TReceiveEnd::Failed, 0};
    expected = std::min(expected, into.size());
    const auto deadline = Clock::now() + std::chrono::milliseconds(2 * (expected + lastSent_.size()) + 2000);
    auto nextPump = Clock::now() + kPumpInterval;
    size_t got = 0;
    int echoes = 0;
    for (;;) {
      // An RS-485 adapter or a loopback plug gives the request back before the answer: while
      // what came is the request's beginning, read on to its end, and drop it once whole.
      if (IsEcho(into.first(got))) {
        std::copy(into.begin() + long(lastSent_.size()), into.begin() + long(got), into.begin());
        got -= lastSent_.size();
        ++echoes;
        continue;
      }
      const bool echoSoFar = got > 0 && got < lastSent_.size() && std::equal(into.begin(), into.begin() + long(got), lastSent_.begin());
      const size_t target = echoSoFar ? std::min(into.size(), lastSent_.size()) : std::max(expected, got);
      if (got >= target || (!echoSoFar && FrameComplete(into.first(got)))) break;
      const platform::TSerialPort::TRead r = port_.ReadSome(into.subspan(got, target - got), std::min(deadline, nextPump));
      if (r.hungUp) {
        port_.DiscardBoth();
        return {TReceiveEnd::Disconnected, got, echoes};
      }
      got += r.bytes;
      if (Clock::now() >= nextPump) {
        if (pump) pump();
        nextPump = Clock::now() + kPumpInterval;
      }
      // The deadline ends the read whatever the line reports, so a dead line cannot spin.
      if (r.bytes == 0 && Clock::now() >= deadline) break;
    }
    if (got == 0) return {TReceiveEnd::TimedOut, 0, echoes};
    // A line has no datagram boundaries: bytes that are not this answer cannot be skipped, so
    // anything but a taken answer fails the try.
    const bool taken = !filter || filter(into.first(got)) == TAnswerVerdict::Take;
    if (!taken) port_.DiscardBoth();
    return {taken ? TReceiveEnd::Answer : TReceiveEnd::Rejected, got, echoes};
  }

  int Quiet(std::chrono::milliseconds silence, const std::function<void()>& pump,
            Clock::time_point& firstArrival) override {
    // At 9600 bit/s a byte takes about a millisecond: the rest of a late answer is over once the
    // line stayed silent for a few of them.
    silence = std::max(silence, std::chrono::milliseconds(50));
    const auto limit = Clock::now() + 3 * silence;
    auto quietUntil = Clock::now() + silence;
    int stale = 0;
    uint8_t sink[256];
    while (port_.IsOpen() && Clock::now() < std::min(quietUntil, limit)) {
      if (pump) pump();
      const platform::TSerialPort::TRead r = port_.ReadSome(sink, std::min({quietUntil, limit, Clock::now() + kPumpInterval}));
      if (r.hungUp) break;
      if (r.bytes > 0) {
        if (stale++ == 0) firstArrival = Clock::now();
        quietUntil = Clock::now() + silence;
      }
    }
    return stale;
  }

 private:
  // An answer carries its length in its first byte: once that many bytes and the checksum are
  // in, nothing more belongs to it, and waiting for the full expected count would only add the
  // read time-out to every short answer (a last file block, an error code).
  static bool FrameComplete(std::span<const uint8_t> got) {
    return !got.empty() && got.size() >= size_t(got[0]) + 2;
  }

  bool IsEcho(std::span<const uint8_t> got) const {
    return !lastSent_.empty() && got.size() >= lastSent_.size() && std::equal(lastSent_.begin(), lastSent_.end(), got.begin());
  }

  std::string device_;
  platform::TSerialPort port_;
  std::vector<uint8_t> lastSent_;
  TLinkOpenFailure failure_;
};

}  // namespace

std::unique_ptr<ILinkTransport> MakeSerialTransport(const TLinkSettings& settings) {
  return std::make_unique<TSerialTransport>(SerialDeviceName(settings));
}

}  // namespace vlm
