#pragma once
// Small UDP socket of the link and the oscilloscope, bound to the link's addresses: one
// non-blocking datagram socket of the platform layer and a wait with a time-out.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>

#include "link/LinkOpenFailure.h"
#include "link/LinkSettings.h"
#include "platform/UdpSocket.h"

namespace vlm {

class TSocketUdp {
 public:
  static constexpr size_t kMaxDatagram = 1500;

  // `port` in host order, bound and sent to alike unless `selfPort` names the port to bind (0: one
  // the system picks); the addresses are copied now, so later changes of the settings reach the
  // next socket, not this one.
  TSocketUdp(uint16_t port, const TIPAddress& selfIP, const TIPAddress& destIP,
             std::optional<uint16_t> selfPort = std::nullopt);
  ~TSocketUdp();
  TSocketUdp(const TSocketUdp&) = delete;
  TSocketUdp& operator=(const TSocketUdp&) = delete;

  // Creates a non-blocking datagram socket and binds it to SelfIP:port (the platform's rules: a
  // simulator on a loopback address may share the port, a second link may not).
  bool Open();
  // Why the last Open failed: the kind and the system's text (kind None after a successful one).
  TLinkOpenFailure OpenFailure() const { return openFailure_; }
  void Close();
  bool IsOpen() const { return socket_.IsOpen(); }
  bool Send(std::span<const uint8_t> data);
  // True when one datagram of at most 1500 bytes was waiting; it is then in ReceiveBuffer().
  // A longer datagram is read and dropped (false), so it cannot block the queue.
  bool Receive();
  // Waits up to the time-out for something to read; false on time-out.
  bool WaitReadable(int timeoutMs) const;
  bool WaitReadable(std::chrono::microseconds timeout) const;

  std::span<const uint8_t> ReceiveBuffer() const { return {buffer_, size_t(received_ > 0 ? received_ : 0)}; }
  int ReceivedLength() const { return received_; }
  const TIPAddress& SenderIP() const { return senderIP_; }  // of the last datagram read
  int LastResult() const { return lastResult_; }  // last call result or the system's error code
  uint16_t Port() const { return port_; }
  uint16_t LocalPort() const { return socket_.LocalPort(); }  // the one bound, 0 when closed

 private:
  platform::TUdpSocket socket_;
  uint16_t port_, selfPort_;
  TIPAddress self_, dest_;
  uint8_t buffer_[kMaxDatagram + 1] = {};
  int received_ = -1;
  TIPAddress senderIP_{};
  int lastResult_ = 0;
  TLinkOpenFailure openFailure_;
};

}  // namespace vlm
