#include "platform/UdpSocket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace vlm::platform {
namespace {

sockaddr_in MakeAddress(const TIPv4& ip, uint16_t port) {
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(port);
  std::memcpy(&a.sin_addr.s_addr, ip.data(), 4);
  return a;
}

int Fd(TNativeHandle h) { return static_cast<int>(h); }

// Linux lets any number of sockets that all set SO_REUSEADDR bind the very same address and
// port, and then hands the datagrams to the newest one: a second program on the port would
// silently take the first one's answers. Whether another socket holds the address and port a
// socket has just been bound to is read from the system's socket table.
bool AnotherSocketOn(const sockaddr_in& bound) {
  std::FILE* table = std::fopen("/proc/net/udp", "re");
  if (!table) return false;
  char line[512];
  int same = 0;
  if (std::fgets(line, sizeof line, table)) {  // the heading
    while (std::fgets(line, sizeof line, table)) {
      unsigned address = 0, port = 0;  // the address as the system keeps it, the port in host order
      if (std::sscanf(line, " %*d: %8X:%4X", &address, &port) == 2 && address == bound.sin_addr.s_addr &&
          port == ntohs(bound.sin_port))
        ++same;
    }
  }
  std::fclose(table);
  return same > 1;
}

}  // namespace

TUdpSocket::~TUdpSocket() { Close(); }

std::string TUdpSocket::Open(const TIPv4& ip, uint16_t port) {
  Close();
  openError_ = TOpenError::None;
  const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    lastError_ = errno;
    openError_ = TOpenError::Other;
    return "socket: " + SystemErrorText(lastError_);
  }
  const int on = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  ::setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
  const sockaddr_in local = MakeAddress(ip, port);
  // SO_REUSEADDR lets a program on every address share the port with a simulator on a loopback
  // address; the same address and port twice is refused below, as Windows refuses it.
  const bool bound = ::bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) == 0;
  if (!bound || (port != 0 && AnotherSocketOn(local))) {
    lastError_ = bound ? EADDRINUSE : errno;
    openError_ = lastError_ == EADDRINUSE      ? TOpenError::InUse
                 : lastError_ == EADDRNOTAVAIL ? TOpenError::NoAddress
                                               : TOpenError::Other;
    ::close(fd);
    return "bind: " + SystemErrorText(lastError_);
  }
  handle_ = fd;
  lastError_ = 0;
  return {};
}

void TUdpSocket::Close() {
  if (handle_ != kNoHandle) ::close(Fd(handle_));
  handle_ = kNoHandle;
}

bool TUdpSocket::SendTo(std::span<const uint8_t> data, const TIPv4& ip, uint16_t port) {
  if (handle_ == kNoHandle) return false;
  const sockaddr_in to = MakeAddress(ip, port);
  const ssize_t n = ::sendto(Fd(handle_), data.data(), data.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
  lastError_ = n < 0 ? errno : 0;
  return n == ssize_t(data.size());
}

int TUdpSocket::ReceiveFrom(std::span<uint8_t> into, TIPv4& fromIp, uint16_t& fromPort) {
  if (handle_ == kNoHandle) return -1;
  sockaddr_in from{};
  socklen_t fromLength = sizeof from;
  const ssize_t n = ::recvfrom(Fd(handle_), into.data(), into.size(), 0, reinterpret_cast<sockaddr*>(&from), &fromLength);
  if (n < 0) {
    lastError_ = errno == EAGAIN || errno == EWOULDBLOCK ? 0 : errno;
    return -1;
  }
  std::memcpy(fromIp.data(), &from.sin_addr.s_addr, 4);
  fromPort = ntohs(from.sin_port);
  return int(n);
}

bool TUdpSocket::WaitReadable(std::chrono::microseconds timeout) const {
  if (handle_ == kNoHandle) return false;
  const long long us = std::max<long long>(timeout.count(), 0);
  const timespec ts{time_t(us / 1000000), long(us % 1000000) * 1000};
  pollfd p{Fd(handle_), POLLIN, 0};
  int r;
  do r = ::ppoll(&p, 1, &ts, nullptr);
  while (r < 0 && errno == EINTR);
  return r > 0 && (p.revents & POLLIN);
}

uint16_t TUdpSocket::LocalPort() const {
  sockaddr_in local{};
  socklen_t size = sizeof local;
  if (handle_ == kNoHandle || ::getsockname(Fd(handle_), reinterpret_cast<sockaddr*>(&local), &size) != 0) return 0;
  return ntohs(local.sin_port);
}

std::string SystemErrorText(int code) { return std::strerror(code); }

}  // namespace vlm::platform
