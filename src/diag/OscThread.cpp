#include "diag/OscThread.h"

#include "link/SocketUDP.h"

namespace vlm {

void TThreadOsc::Start() {
  terminated_ = false;
  thread_ = std::thread([this] { Execute(); });
}

void TThreadOsc::Terminate() {
  terminated_ = true;
  if (thread_.joinable()) thread_.join();
}

void TThreadOsc::Execute() {
  while (!terminated_.load(std::memory_order_relaxed)) {
    // The wait may also end on a pending socket error (an ICMP answer to our command); the
    // receive below clears it, so the loop never spins on it.
    socket_.WaitReadable(100);
    // Everything waiting is taken before sleeping again; a datagram over 1500 bytes is a failed
    // receive that is read and dropped.
    for (;;) {
      if (socket_.Receive()) handler_.Handle(socket_.ReceiveBuffer());
      else if (socket_.LastResult() <= int(TSocketUdp::kMaxDatagram)) break;
    }
  }
}

TOscStream::TOscStream()
    : handler_(
          ring_,
          [this](uint32_t colour) {
            std::lock_guard lock(mutex_);
            if (events_.points.size() < kMaxQueuedPoints) events_.points.push_back(colour);
          },
          [this](const std::string& line) {
            std::lock_guard lock(mutex_);
            if (events_.lines.size() < kMaxQueuedLines) events_.lines.push_back(line);
          }) {}

TOscStream::~TOscStream() { Stop(); }

std::string TOscStream::Start(const TIPAddress& selfIP, const TIPAddress& destIP, uint16_t port, uint8_t channel) {
  Stop();
  channel_ = channel;
  socket_ = std::make_unique<TSocketUdp>(port, selfIP, destIP);
  if (!socket_->Open()) {
    const std::string error = "cannot bind the oscilloscope port " + IPToStr(selfIP) + ":" + std::to_string(port);
    socket_.reset();
    return error;
  }
  handler_.Restart();
  thread_ = std::make_unique<TThreadOsc>(*socket_, handler_);
  thread_->Start();
  SendStreamCommand();
  return {};
}

bool TOscStream::SendStreamCommand() {
  if (!socket_) return false;
  return socket_->Send(OscStreamCommand(channel_));
}

void TOscStream::Stop(std::chrono::milliseconds drain) {
  if (!socket_) return;
  socket_->Send(OscStopCommand());
  if (drain.count() > 0) std::this_thread::sleep_for(drain);
  // The thread ends before the socket goes; the ring lives as long as this object.
  thread_.reset();
  socket_.reset();
}

TOscEvents TOscStream::TakeEvents() {
  std::lock_guard lock(mutex_);
  TOscEvents taken;
  std::swap(taken, events_);
  return taken;
}

}  // namespace vlm
