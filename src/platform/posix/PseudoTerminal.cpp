#include "platform/PseudoTerminal.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace vlm::platform {
namespace {

std::string SystemError(const std::string& what) { return what + ": " + std::strerror(errno); }

}  // namespace

TPseudoTerminal::~TPseudoTerminal() {
  for (TNativeHandle fd : {master_, slave_})
    if (fd != kNoHandle) ::close(int(fd));
}

std::string TPseudoTerminal::Open() {
  const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master < 0) return SystemError("posix_openpt");
  master_ = master;
  if (::grantpt(master) != 0 || ::unlockpt(master) != 0) return SystemError("grantpt");
  char name[128];
  if (::ptsname_r(master, name, sizeof name) != 0) return SystemError("ptsname");
  path_ = name;
  const int slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (slave < 0) return SystemError("open " + path_);
  slave_ = slave;
  // Raw bytes both ways: no echo, no line editing, no CR/LF translation.
  termios tio{};
  ::tcgetattr(slave, &tio);
  ::cfmakeraw(&tio);
  ::cfsetispeed(&tio, B9600);
  ::cfsetospeed(&tio, B9600);
  ::tcsetattr(slave, TCSANOW, &tio);
  ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
  return {};
}

int TPseudoTerminal::Read(std::span<uint8_t> into) {
  const ssize_t got = ::read(int(master_), into.data(), into.size());
  if (got < 0) return errno == EAGAIN || errno == EINTR ? 0 : -1;
  return int(got);
}

bool TPseudoTerminal::WriteAll(std::span<const uint8_t> data, std::chrono::milliseconds timeout) {
  size_t done = 0;
  while (done < data.size()) {
    const ssize_t n = ::write(int(master_), data.data() + done, data.size() - done);
    if (n > 0) {
      done += size_t(n);
      continue;
    }
    if (n < 0 && errno != EAGAIN && errno != EINTR) return false;
    pollfd p{int(master_), POLLOUT, 0};
    if (::poll(&p, 1, int(timeout.count())) <= 0) return false;
  }
  return true;
}

std::string WaitReadable(std::span<const TNativeHandle> handles, std::chrono::milliseconds timeout,
                         std::vector<bool>& ready) {
  std::vector<pollfd> fds;
  for (TNativeHandle h : handles) fds.push_back({int(h), POLLIN, 0});
  ready.assign(handles.size(), false);
  const int r = ::poll(fds.data(), nfds_t(fds.size()), int(timeout.count()));
  if (r < 0) return errno == EINTR ? std::string() : SystemError("poll");
  for (size_t i = 0; i < fds.size(); ++i) ready[i] = (fds[i].revents & (POLLIN | POLLERR | POLLHUP)) != 0;
  return {};
}

}  // namespace vlm::platform
