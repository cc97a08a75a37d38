#include "shell/SharedUdpPort.h"

#include <algorithm>

#include "link/DatagramWait.h"
#include "link/LinkSettings.h"
#include "link/SocketUDP.h"

namespace vlm {
namespace {

using Clock = TSharedUdpPort::Clock;
// The window system must get a turn at least this often while an answer is awaited; it is also
// the longest a link waits on the socket before it looks at its inbox again.
constexpr auto kSlice = std::chrono::milliseconds(50);
// Datagrams kept per controller: answers are taken as they come, so only a flood fills this.
constexpr size_t kInboxLimit = 256;

}  // namespace

std::string TSharedUdpPort::Open() {
  std::lock_guard lock(mutex_);
  if (!tried_) {
    tried_ = true;
    const std::string error = socket_.Open(self_, port_);
    if (!error.empty()) error_ = "сокет UDP " + IPToStr(self_) + ":" + std::to_string(port_) + " (" + error + ")";
    if (!error.empty()) failure_ = {OpenErrorOf(socket_.LastOpenError()), platform::SystemErrorText(socket_.LastError())};
  }
  return error_;
}

TLinkOpenFailure TSharedUdpPort::OpenFailure() {
  std::lock_guard lock(mutex_);
  return failure_;
}

void TSharedUdpPort::Listen(const TIPAddress& from) {
  std::lock_guard lock(mutex_);
  inbox_[from].clear();
}

void TSharedUdpPort::Forget(const TIPAddress& from) {
  std::lock_guard lock(mutex_);
  inbox_.erase(from);
}

bool TSharedUdpPort::SendTo(std::span<const uint8_t> frame, const TIPAddress& to) {
  std::lock_guard lock(mutex_);
  return socket_.SendTo(frame, to, port_);
}

int TSharedUdpPort::Drop(const TIPAddress& from) {
  std::lock_guard lock(mutex_);
  ReadWaiting();
  auto* inbox = InboxOf(from);
  if (!inbox) return 0;
  const int dropped = static_cast<int>(inbox->size());
  inbox->clear();
  return dropped;
}

bool TSharedUdpPort::Next(const TIPAddress& from, Clock::time_point until, std::vector<uint8_t>& datagram) {
  std::unique_lock lock(mutex_);
  for (;;) {
    ReadWaiting();
    if (auto* inbox = InboxOf(from); inbox && !inbox->empty()) {
      datagram = std::move(inbox->front());
      inbox->pop_front();
      return true;
    }
    const auto now = Clock::now();
    if (now >= until) return false;
    const auto slice = std::min(until, now + kSlice);
    if (reading_) {
      arrived_.wait_until(lock, slice);
      continue;
    }
    // This link waits on the socket for everyone and hands on what came; the others sleep
    // until it does.
    reading_ = true;
    lock.unlock();
    socket_.WaitReadable(std::chrono::ceil<std::chrono::microseconds>(slice - now));
    lock.lock();
    reading_ = false;
    ReadWaiting();
    arrived_.notify_all();
  }
}

void TSharedUdpPort::ReadWaiting() {
  if (buffer_.empty()) buffer_.resize(TSocketUdp::kMaxDatagram + 1);
  for (int i = 0; i < 10000; ++i) {
    TIPAddress from{};
    uint16_t fromPort = 0;
    const int n = socket_.ReceiveFrom(buffer_, from, fromPort);
    if (n < 0) return;
    // A datagram above the largest answer is nothing a controller sends.
    if (n > int(TSocketUdp::kMaxDatagram)) continue;
    auto* inbox = InboxOf(from);
    if (!inbox) continue;  // a stranger, or our own request to a silent address
    if (inbox->size() == kInboxLimit) inbox->pop_front();
    inbox->emplace_back(buffer_.begin(), buffer_.begin() + n);
  }
}

std::deque<std::vector<uint8_t>>* TSharedUdpPort::InboxOf(const TIPAddress& from) {
  if (auto it = inbox_.find(from); it != inbox_.end()) return &it->second;
  for (auto& [listener, inbox] : inbox_)
    if (IsBroadcast(listener)) return &inbox;
  return nullptr;
}

namespace {

// What the link's own UDP transport does, over the shared socket and the controller's inbox.
class TSharedUdpTransport : public ILinkTransport {
 public:
  TSharedUdpTransport(std::shared_ptr<TSharedUdpPort> port, const TIPAddress& dest)
      : port_(std::move(port)), dest_(dest) {}
  ~TSharedUdpTransport() override { Close(); }

  bool Open() override {
    if (!port_->Open().empty()) return false;
    port_->Listen(dest_);
    open_ = true;
    return true;
  }
  TLinkOpenFailure OpenFailure() const override { return port_->OpenFailure(); }
  void Close() override {
    if (open_) port_->Forget(dest_);
    open_ = false;
  }
  bool AdaptiveWait() const override { return true; }
  int StaleBeforeSend() const override { return staleBeforeSend_; }

  bool Send(std::span<const uint8_t> frame) override {
    // What is still waiting is late or repeated: it must not meet this request's wait.
    staleBeforeSend_ = port_->Drop(dest_);
    return port_->SendTo(frame, dest_);
  }
  bool SendAhead(std::span<const uint8_t> frame) override { return port_->SendTo(frame, dest_); }

  TReceived Receive(std::span<uint8_t> into, size_t, std::chrono::milliseconds wait, const TAnswerFilter& filter,
                    const std::function<void()>& pump) override {
    std::vector<uint8_t> datagram;
    return ReceiveDatagram(into, wait, filter, pump, [&](Clock::time_point until, std::span<const uint8_t>& answer) {
      if (!port_->Next(dest_, until, datagram)) return false;
      answer = datagram;
      return true;
    });
  }

  int Quiet(std::chrono::milliseconds silence, const std::function<void()>& pump,
            Clock::time_point& firstArrival) override {
    std::vector<uint8_t> thrown;
    return QuietDatagrams(silence, pump, firstArrival, [&](Clock::time_point until, std::span<const uint8_t>&) {
      return port_->Next(dest_, until, thrown);
    });
  }

 private:
  std::shared_ptr<TSharedUdpPort> port_;
  TIPAddress dest_;
  bool open_ = false;
  int staleBeforeSend_ = 0;
};

}  // namespace

std::unique_ptr<ILinkTransport> MakeSharedUdpTransport(const std::shared_ptr<TSharedUdpPort>& port,
                                                       const TLinkSettings& settings) {
  return std::make_unique<TSharedUdpTransport>(port, settings.DestIP);
}

}  // namespace vlm
