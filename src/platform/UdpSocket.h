#pragma once
// One IPv4 datagram socket: bind, send to, receive from, wait with a time-out. The link, the
// oscilloscope and the simulator use it; only posix/ and win32/ know the system's socket calls.
#include <array>
#include <chrono>
#include <cstdint>
#include <span>
#include <string>

#include "platform/OpenError.h"

namespace vlm::platform {

using TIPv4 = std::array<uint8_t, 4>;  // text order, i.e. network order
using TNativeHandle = std::intptr_t;
constexpr TNativeHandle kNoHandle = -1;

class TUdpSocket {
 public:
  TUdpSocket() = default;
  ~TUdpSocket();
  TUdpSocket(const TUdpSocket&) = delete;
  TUdpSocket& operator=(const TUdpSocket&) = delete;

  // A non-blocking socket bound to ip:port (port 0: the system picks one). The program on 0.0.0.0
  // and a simulator on a loopback address may share a port, but a second socket on the same
  // address and port is refused (it would silently take the first one's datagrams); broadcast
  // is allowed (a controller may be asked by broadcast). Returns an error text, empty on success.
  std::string Open(const TIPv4& ip, uint16_t port);
  void Close();
  bool IsOpen() const { return handle_ != kNoHandle; }

  bool SendTo(std::span<const uint8_t> data, const TIPv4& ip, uint16_t port);
  // Reads one waiting datagram into `into`: its length, or -1 when none was waiting or on an
  // error. A datagram longer than `into` is consumed and reported longer than `into` (pass a
  // buffer one byte above the largest wanted size to tell it).
  int ReceiveFrom(std::span<uint8_t> into, TIPv4& fromIp, uint16_t& fromPort);
  // Waits up to the time-out for something to read; false on time-out or error.
  bool WaitReadable(std::chrono::microseconds timeout) const;

  uint16_t LocalPort() const;
  // The system's code of the last failure (errno / WSAGetLastError), 0 when none.
  int LastError() const { return lastError_; }
  // The kind of the last failed Open (None after a successful one).
  TOpenError LastOpenError() const { return openError_; }
  TNativeHandle NativeHandle() const { return handle_; }

 private:
  TNativeHandle handle_ = kNoHandle;
  int lastError_ = 0;
  TOpenError openError_ = TOpenError::None;
};

// The system's text for an error code of the calls above.
std::string SystemErrorText(int code);

}  // namespace vlm::platform
