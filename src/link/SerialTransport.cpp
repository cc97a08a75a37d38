// The serial transport: POSIX termios on the COM device (or a USB adapter, or the simulator's
// pty). Time-outs as on the controller's own service port: no gap time-out, a read may take
// 2 ms per expected byte plus 2 s, a write 10 ms per byte plus 1 s.
#include <algorithm>
#include <cerrno>
#include <chrono>
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
    Purge();
    ::close(fd_);
    fd_ = -1;
  }

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

  int Receive(std::span<uint8_t> into, size_t expected, const std::function<void()>& pump) override {
    if (fd_ < 0) return -1;
    expected = std::min(expected, into.size());
    const auto deadline = Clock::now() + std::chrono::milliseconds(2 * expected + 2000);
    auto nextPump = Clock::now() + kPumpInterval;
    size_t got = 0;
    while (got < expected && !FrameComplete(into.first(got))) {
      const ssize_t n = ::read(fd_, into.data() + got, expected - got);
      if (n > 0) {
        got += size_t(n);
        continue;
      }
      if (n < 0 && errno != EAGAIN && errno != EINTR) {
        Purge();
        return got > 0 ? int(got) : -1;
      }
      if (Clock::now() >= nextPump) {
        if (pump) pump();
        nextPump = Clock::now() + kPumpInterval;
      }
      if (!WaitFor(POLLIN, std::min(deadline, nextPump)) && Clock::now() >= deadline) break;
    }
    return int(got);
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

  void Purge() {
    if (fd_ >= 0) ::tcflush(fd_, TCIOFLUSH);
  }

  bool WaitFor(short events, Clock::time_point until) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - Clock::now()).count();
    pollfd p{fd_, events, 0};
    int r;
    do r = ::poll(&p, 1, int(std::max<long long>(left, 0)));
    while (r < 0 && errno == EINTR);
    return r > 0 && (p.revents & events);
  }

  std::string device_;
  int fd_ = -1;
};

}  // namespace

std::unique_ptr<ILinkTransport> MakeSerialTransport(const TLinkSettings& settings) {
  return std::make_unique<TSerialTransport>(SerialDeviceName(settings));
}

}  // namespace vlm
