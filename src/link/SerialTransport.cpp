// The serial transport: POSIX termios on the COM device (or a USB adapter, or the simulator's
// pty). Time-outs as on the controller's own service port: no gap time-out, a read may take
// 2 ms per expected byte plus 2 s, a write 10 ms per byte plus 1 s.
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <thread>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include "link/LinkSettings.h"
#include "link/SerialTransport.h"

namespace vlm {
namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kPumpInterval = std::chrono::milliseconds(50);

class TSerialTransport : public ILinkTransport {
 public:
  explicit TSerialTransport(std::string device) : device_(std::move(device)) {}
  ~TSerialTransport() override { Close(); }

  bool Open() override {
    fd_ = ::open(device_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) return false;
    // Exclusive like a COM port: a second program on the same line would steal answers.
    if (::ioctl(fd_, TIOCEXCL) != 0 || ::flock(fd_, LOCK_EX | LOCK_NB) != 0 || !Configure()) {
      Close();
      return false;
    }
    Purge();
    return true;
  }

  void Close() override {
    if (fd_ < 0) return;
    // The last request (a reset gets no answer) may still sit in the output queue: let it go out
    // before closing, and throw away only what came in. Flushing the output here would discard a
    // reset the controller has not read yet.
    DrainOutput(std::chrono::milliseconds(1000));
    ::tcflush(fd_, TCIFLUSH);
    ::close(fd_);
    fd_ = -1;
  }

  bool WholeAnswers() const override { return false; }

  bool Send(std::span<const uint8_t> frame) override {
    if (fd_ < 0) return false;
    // Bytes left over from an earlier answer (longer than expected, or late) would be read as
    // the start of this one.
    ::tcflush(fd_, TCIFLUSH);
    const auto deadline = Clock::now() + std::chrono::milliseconds(10 * frame.size() + 1000);
    size_t done = 0;
    while (done < frame.size()) {
      const ssize_t n = ::write(fd_, frame.data() + done, frame.size() - done);
      if (n > 0) {
        done += size_t(n);
        continue;
      }
      if ((n < 0 && errno != EAGAIN && errno != EINTR) || !WaitFor(POLLOUT, deadline)) {
        Purge();
        return false;
      }
    }
    return true;
  }

  TReceived Receive(std::span<uint8_t> into, size_t expected, std::chrono::milliseconds,
                    const TAnswerFilter& filter, const std::function<void()>& pump) override {
    if (fd_ < 0) return {TReceiveEnd::Failed, 0};
    expected = std::min(expected, into.size());
    const auto deadline = Clock::now() + std::chrono::milliseconds(2 * expected + 2000);
    auto nextPump = Clock::now() + kPumpInterval;
    size_t got = 0;
    while (got < expected && !FrameComplete(into.first(got))) {
      const TRead r = ReadSome(into.subspan(got, expected - got), std::min(deadline, nextPump));
      if (r.hungUp) {
        Purge();
        return {TReceiveEnd::Disconnected, got};
      }
      got += r.bytes;
      if (Clock::now() >= nextPump) {
        if (pump) pump();
        nextPump = Clock::now() + kPumpInterval;
      }
      // The deadline ends the read whatever the line reports, so a dead line cannot spin.
      if (r.bytes == 0 && Clock::now() >= deadline) break;
    }
    if (got == 0) return {};
    // A line has no datagram boundaries: bytes that are not this answer cannot be skipped, so
    // anything but a taken answer fails the try.
    const bool taken = !filter || filter(into.first(got)) == TAnswerVerdict::Take;
    if (!taken) Purge();
    return {taken ? TReceiveEnd::Answer : TReceiveEnd::Rejected, got};
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
    while (fd_ >= 0 && Clock::now() < std::min(quietUntil, limit)) {
      if (pump) pump();
      const TRead r = ReadSome(sink, std::min({quietUntil, limit, Clock::now() + kPumpInterval}));
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

  bool Configure() {
    termios tio{};
    if (::tcgetattr(fd_, &tio) != 0) return false;
    ::cfmakeraw(&tio);  // no echo, no line editing, no character translation
    tio.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_iflag &= ~(INPCK | IXON | IXOFF);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (::cfsetispeed(&tio, B9600) != 0 || ::cfsetospeed(&tio, B9600) != 0) return false;
    return ::tcsetattr(fd_, TCSANOW, &tio) == 0;
  }

  void DrainOutput(std::chrono::milliseconds limit) {
    const auto until = Clock::now() + limit;
    int pending = 0;
    while (::ioctl(fd_, TIOCOUTQ, &pending) == 0 && pending > 0 && Clock::now() < until)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }

  void Purge() {
    if (fd_ >= 0) ::tcflush(fd_, TCIOFLUSH);
  }

  struct TRead {
    size_t bytes = 0;
    bool hungUp = false;
  };
  // Reads what the line holds, waiting for it until `until`. A line whose other end went away
  // (a USB adapter pulled out, a pty whose master closed) reports hang-up, an error or endless
  // zero-byte reads; all of them end the wait at once as a disconnection.
  TRead ReadSome(std::span<uint8_t> into, Clock::time_point until) {
    const ssize_t n = ::read(fd_, into.data(), into.size());
    if (n > 0) return {size_t(n), false};
    if (n < 0 && errno != EAGAIN && errno != EINTR) return {0, true};
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - Clock::now()).count();
    pollfd p{fd_, POLLIN, 0};
    int r;
    do r = ::poll(&p, 1, int(std::max<long long>(left, 0)));
    while (r < 0 && errno == EINTR);
    if (r < 0 || (p.revents & (POLLERR | POLLHUP | POLLNVAL))) return {0, true};
    // Readable and yet a read of nothing: end of file, the device is gone.
    if (r > 0 && (p.revents & POLLIN) && n == 0) {
      const ssize_t again = ::read(fd_, into.data(), into.size());
      if (again > 0) return {size_t(again), false};
      if (again == 0 || (errno != EAGAIN && errno != EINTR)) return {0, true};
    }
    return {};
  }

  bool WaitFor(short events, Clock::time_point until) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - Clock::now()).count();
    pollfd p{fd_, events, 0};
    int r;
    do r = ::poll(&p, 1, int(std::max<long long>(left, 0)));
    while (r < 0 && errno == EINTR);
    return r > 0 && (p.revents & events) && !(p.revents & (POLLERR | POLLHUP | POLLNVAL));
  }

  std::string device_;
  int fd_ = -1;
};

}  // namespace

std::unique_ptr<ILinkTransport> MakeSerialTransport(const TLinkSettings& settings) {
  return std::make_unique<TSerialTransport>(SerialDeviceName(settings));
}

}  // namespace vlm
