#include "link/SocketUDP.h"

namespace vlm {

TSocketUdp::TSocketUdp(uint16_t port, const TIPAddress& selfIP, const TIPAddress& destIP,
                       std::optional<uint16_t> selfPort)
    : port_(port), selfPort_(selfPort.value_or(port)), self_(selfIP), dest_(destIP) {}

TSocketUdp::~TSocketUdp() { Close(); }

bool TSocketUdp::Open() {
  const std::string error = socket_.Open(self_, selfPort_);
  lastResult_ = socket_.LastError();
  openFailure_ = {OpenErrorOf(socket_.LastOpenError()), lastResult_ ? platform::SystemErrorText(lastResult_) : error};
  return error.empty();
}


void TSocketUdp::Close() { socket_.Close(); }

bool TSocketUdp::Send(std::span<const uint8_t> data) {
  const bool sent = socket_.SendTo(data, dest_, port_);
  lastResult_ = sent ? int(data.size()) : socket_.LastError();
  return sent;
}

bool TSocketUdp::Receive() {
  received_ = -1;
  uint16_t fromPort = 0;
  // One byte more than the largest datagram: a longer one shows as such and is dropped, so it
  // cannot block the queue.
  const int n = socket_.ReceiveFrom(std::span(buffer_, sizeof buffer_), senderIP_, fromPort);
  if (n < 0) {
    lastResult_ = socket_.LastError();
    return false;
  }
  lastResult_ = n;
  if (size_t(n) > kMaxDatagram) return false;
  received_ = n;
  return true;
}

bool TSocketUdp::WaitReadable(int timeoutMs) const {
  return WaitReadable(std::chrono::milliseconds(timeoutMs));
}

bool TSocketUdp::WaitReadable(std::chrono::microseconds timeout) const { return socket_.WaitReadable(timeout); }

}  // namespace vlm
