#include "platform/UdpSocket.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include "platform/win32/WinText.h"
#include "platform/win32/Winsock.h"

#include <algorithm>
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

SOCKET Sock(TNativeHandle h) { return static_cast<SOCKET>(h); }

}  // namespace

TUdpSocket::~TUdpSocket() { Close(); }

std::string TUdpSocket::Open(const TIPv4& ip, uint16_t port) {
  Close();
  openError_ = TOpenError::Other;
  if (!win32::StartWinsock()) return "WSAStartup failed";
  const SOCKET s = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
  if (s == INVALID_SOCKET) {
    lastError_ = WSAGetLastError();
    return "socket: " + SystemErrorText(lastError_);
  }
  u_long nonBlocking = 1;
  ::ioctlsocket(s, FIONBIO, &nonBlocking);
  const BOOL on = TRUE;
  // No SO_REUSEADDR: on Windows it lets a second socket take over a port already bound, so a
  // second program (or a second link of this one) would silently steal the answers. Without it
  // Windows refuses the same address and port twice, and still lets a program on every address
  // share the port with a simulator on a loopback address. A socket on one address is also made
  // exclusive: nobody may then bind that address again, with SO_REUSEADDR or not. Not so one on
  // every address: that would shut out the simulator on the loopback address.
  if (ip != TIPv4{0, 0, 0, 0})
    ::setsockopt(s, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&on), sizeof on);
  ::setsockopt(s, SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char*>(&on), sizeof on);
  // An ICMP "port unreachable" for an earlier datagram would otherwise fail the next receive
  // with WSAECONNRESET, as if this socket were broken.
  DWORD off = 0, unused = 0;
  constexpr DWORD kSioUdpConnReset = 0x9800000C;  // SIO_UDP_CONNRESET
  ::WSAIoctl(s, kSioUdpConnReset, &off, sizeof off, nullptr, 0, &unused, nullptr, nullptr);
  const sockaddr_in local = MakeAddress(ip, port);
  if (::bind(s, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
    lastError_ = WSAGetLastError();
    // An address bound exclusively by another socket is refused with WSAEACCES.
    openError_ = lastError_ == WSAEADDRINUSE || lastError_ == WSAEACCES ? TOpenError::InUse
                 : lastError_ == WSAEADDRNOTAVAIL                       ? TOpenError::NoAddress
                                                                        : TOpenError::Other;
    ::closesocket(s);
    return "bind: " + SystemErrorText(lastError_);
  }
  handle_ = static_cast<TNativeHandle>(s);
  lastError_ = 0;
  openError_ = TOpenError::None;
  return {};
}

void TUdpSocket::Close() {
  if (handle_ != kNoHandle) ::closesocket(Sock(handle_));
  handle_ = kNoHandle;
}

bool TUdpSocket::SendTo(std::span<const uint8_t> data, const TIPv4& ip, uint16_t port) {
  if (handle_ == kNoHandle) return false;
  const sockaddr_in to = MakeAddress(ip, port);
  const int n = ::sendto(Sock(handle_), reinterpret_cast<const char*>(data.data()), int(data.size()), 0,
                         reinterpret_cast<const sockaddr*>(&to), sizeof to);
  lastError_ = n == SOCKET_ERROR ? WSAGetLastError() : 0;
  return n == int(data.size());
}

int TUdpSocket::ReceiveFrom(std::span<uint8_t> into, TIPv4& fromIp, uint16_t& fromPort) {
  if (handle_ == kNoHandle) return -1;
  sockaddr_in from{};
  int fromLength = sizeof from;
  const int n = ::recvfrom(Sock(handle_), reinterpret_cast<char*>(into.data()), int(into.size()), 0,
                           reinterpret_cast<sockaddr*>(&from), &fromLength);
  if (n == SOCKET_ERROR) {
    const int error = WSAGetLastError();
    if (error != WSAEMSGSIZE) {
      lastError_ = error == WSAEWOULDBLOCK ? 0 : error;
      return -1;
    }
    // Windows cuts a long datagram to the buffer and says so: report it as longer than asked.
    std::memcpy(fromIp.data(), &from.sin_addr.s_addr, 4);
    fromPort = ntohs(from.sin_port);
    return int(into.size()) + 1;
  }
  std::memcpy(fromIp.data(), &from.sin_addr.s_addr, 4);
  fromPort = ntohs(from.sin_port);
  return n;
}

bool TUdpSocket::WaitReadable(std::chrono::microseconds timeout) const {
  if (handle_ == kNoHandle) return false;
  const long long us = std::max<long long>(timeout.count(), 0);
  fd_set read;
  FD_ZERO(&read);
  FD_SET(Sock(handle_), &read);
  timeval tv{long(us / 1000000), long(us % 1000000)};
  return ::select(0, &read, nullptr, nullptr, &tv) > 0;
}

uint16_t TUdpSocket::LocalPort() const {
  sockaddr_in local{};
  int size = sizeof local;
  if (handle_ == kNoHandle || ::getsockname(Sock(handle_), reinterpret_cast<sockaddr*>(&local), &size) != 0) return 0;
  return ntohs(local.sin_port);
}

std::string SystemErrorText(int code) { return win32::MessageOf(DWORD(code)); }

}  // namespace vlm::platform
