#include "platform/SerialPort.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <thread>

namespace vlm::platform {

struct TSerialPort::TImpl {
  int fd = -1;

  bool Configure() {
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0) return false;
    ::cfmakeraw(&tio);  // no echo, no line editing, no character translation
    tio.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_iflag &= ~(INPCK | IXON | IXOFF);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (::cfsetispeed(&tio, B9600) != 0 || ::cfsetospeed(&tio, B9600) != 0) return false;
    return ::tcsetattr(fd, TCSANOW, &tio) == 0;
  }

  // Waits for `events` until `until`: poll's result, its revents in `revents`.
  int Wait(short events, Clock::time_point until, short& revents) const {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - Clock::now()).count();
    pollfd p{fd, events, 0};
    int r;
    do r = ::poll(&p, 1, int(std::max<long long>(left, 0)));
    while (r < 0 && errno == EINTR);
    revents = p.revents;
    return r;
  }
};

TSerialPort::TSerialPort() : impl_(std::make_unique<TImpl>()) {}
TSerialPort::~TSerialPort() { Close(); }
bool TSerialPort::IsOpen() const { return impl_->fd >= 0; }

std::string TSerialPort::Open(const std::string& device) {
  Close();
  openError_ = TOpenError::None;
  impl_->fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (impl_->fd < 0) {
    const int code = errno;
    openError_ = code == ENOENT || code == ENODEV || code == ENXIO || code == ENOTDIR ? TOpenError::NoDevice
                 : code == EBUSY                                                    ? TOpenError::InUse
                                                                                    : TOpenError::Other;
    return device + ": " + std::strerror(code);
  }
  std::string error;
  if (::ioctl(impl_->fd, TIOCEXCL) != 0 && errno == ENOTTY) {
    // Not a serial line at all (a plain file): no such port.
    openError_ = TOpenError::NoDevice;
    error = device + ": " + std::strerror(ENOTTY);
  } else if (::ioctl(impl_->fd, TIOCEXCL) != 0 || ::flock(impl_->fd, LOCK_EX | LOCK_NB) != 0) {
    openError_ = TOpenError::InUse;
    error = device + ": занят другой программой";
  } else if (!impl_->Configure()) {
    // Not a serial line at all (a plain file, a terminal of another kind): not a port to open.
    openError_ = errno == ENOTTY ? TOpenError::NoDevice : TOpenError::Other;
    error = device + ": " + std::strerror(errno);
  }
  if (!error.empty()) {
    ::close(impl_->fd);
    impl_->fd = -1;
    return error;
  }
  DiscardBoth();
  return {};
}

void TSerialPort::Close() {
  if (impl_->fd < 0) return;
  const auto until = Clock::now() + std::chrono::seconds(1);
  int pending = 0;
  while (::ioctl(impl_->fd, TIOCOUTQ, &pending) == 0 && pending > 0 && Clock::now() < until)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  ::tcflush(impl_->fd, TCIFLUSH);
  ::close(impl_->fd);
  impl_->fd = -1;
}

void TSerialPort::DiscardInput() {
  if (impl_->fd >= 0) ::tcflush(impl_->fd, TCIFLUSH);
}

void TSerialPort::DiscardBoth() {
  if (impl_->fd >= 0) ::tcflush(impl_->fd, TCIOFLUSH);
}

bool TSerialPort::Write(std::span<const uint8_t> data, Clock::time_point until) {
  if (impl_->fd < 0) return false;
  size_t done = 0;
  while (done < data.size()) {
    const ssize_t n = ::write(impl_->fd, data.data() + done, data.size() - done);
    if (n > 0) {
      done += size_t(n);
      continue;
    }
    if (n < 0 && errno != EAGAIN && errno != EINTR) return false;
    short revents = 0;
    if (impl_->Wait(POLLOUT, until, revents) <= 0 || !(revents & POLLOUT) || (revents & (POLLERR | POLLHUP | POLLNVAL)))
      return false;
  }
  return true;
}

// A line whose other end went away reports hang-up, an error or endless zero-byte reads; all of
// them end the wait at once as a disconnection.
TSerialPort::TRead TSerialPort::ReadSome(std::span<uint8_t> into, Clock::time_point until) {
  if (impl_->fd < 0) return {0, true};
  const ssize_t n = ::read(impl_->fd, into.data(), into.size());
  if (n > 0) return {size_t(n), false};
  if (n < 0 && errno != EAGAIN && errno != EINTR) return {0, true};
  short revents = 0;
  const int r = impl_->Wait(POLLIN, until, revents);
  if (r < 0 || (revents & (POLLERR | POLLHUP | POLLNVAL))) return {0, true};
  // Readable and yet a read of nothing: end of file, the device is gone.
  if (r > 0 && (revents & POLLIN) && n == 0) {
    const ssize_t again = ::read(impl_->fd, into.data(), into.size());
    if (again > 0) return {size_t(again), false};
    if (again == 0 || (errno != EAGAIN && errno != EINTR)) return {0, true};
  }
  return {};
}

std::string ComPortDeviceName(int number) { return "/dev/ttyS" + std::to_string(number - 1); }

}  // namespace vlm::platform
