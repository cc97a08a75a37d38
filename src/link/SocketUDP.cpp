#include "link/SocketUDP.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace vlm {
namespace {

sockaddr_in MakeAddress(const TIPAddress& ip, uint16_t port) {
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(port);
  std::memcpy(&a.sin_addr.s_addr, ip.data(), 4);  // text order is network order
  return a;
}

}  // namespace

TSocketUdp::TSocketUdp(uint16_t port, const TIPAddress& selfIP, const TIPAddress& destIP)
    : port_(port), self_(selfIP), dest_(destIP) {}

TSocketUdp::~TSocketUdp() { Close(); }

bool TSocketUdp::Open() {
  Close();
  fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd_ < 0) {
    lastResult_ = errno;
    return false;
  }
  const int on = 1;
  ::setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  ::setsockopt(fd_, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);  // a controller may be asked by broadcast
  const sockaddr_in local = MakeAddress(self_, port_);
  if (::bind(fd_, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
    lastResult_ = errno;
    Close();
    return false;
  }
  lastResult_ = 0;
  return true;
}

void TSocketUdp::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

bool TSocketUdp::Send(std::span<const uint8_t> data) {
  if (fd_ < 0) return false;
  const sockaddr_in to = MakeAddress(dest_, port_);
  const ssize_t n = ::sendto(fd_, data.data(), data.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
  lastResult_ = n < 0 ? errno : int(n);
  return n == ssize_t(data.size());
}

bool TSocketUdp::Receive() {
  received_ = -1;
  if (fd_ < 0) return false;
  sockaddr_in from{};
  socklen_t fromLength = sizeof from;
  const ssize_t n =
      ::recvfrom(fd_, buffer_, sizeof buffer_, MSG_TRUNC, reinterpret_cast<sockaddr*>(&from), &fromLength);
  std::memcpy(senderIP_.data(), &from.sin_addr.s_addr, 4);
  if (n < 0) {
    lastResult_ = errno;
    return false;
  }
  lastResult_ = int(n);
  if (size_t(n) > kMaxDatagram) return false;
  received_ = int(n);
  return true;
}

bool TSocketUdp::WaitReadable(int timeoutMs) const {
  return WaitReadable(std::chrono::milliseconds(timeoutMs));
}

bool TSocketUdp::WaitReadable(std::chrono::microseconds timeout) const {
  if (fd_ < 0) return false;
  const long long us = std::max<long long>(timeout.count(), 0);
  const timespec ts{time_t(us / 1000000), long(us % 1000000) * 1000};
  pollfd p{fd_, POLLIN, 0};
  int r;
  do r = ::ppoll(&p, 1, &ts, nullptr);
  while (r < 0 && errno == EINTR);
  return r > 0 && (p.revents & POLLIN);
}

}  // namespace vlm
