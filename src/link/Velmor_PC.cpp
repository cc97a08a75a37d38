#include "link/Velmor_PC.h"

#include <algorithm>

#include "common/Prompt.h"
#include "link/ExchangeLog.h"

namespace vlm {

TControllerLink::TControllerLink() : factory_(MakeDefaultTransport) {}
TControllerLink::~TControllerLink() { CloseLink(); }

static bool KnownMode(uint8_t mode) { return mode == kLinkUdp || mode == kLinkSerial; }

bool TControllerLink::OpenLink() {
  if (transport_ || !KnownMode(Settings.LinkMode)) return false;
  auto transport = factory_ ? factory_(Settings) : nullptr;
  if (!transport || !transport->Open()) return false;
  transport_ = std::move(transport);
  return true;
}

void TControllerLink::CloseLink() {
  if (!transport_) return;
  transport_->Close();
  transport_.reset();
}

void TControllerLink::RequestChecksum() {
  const size_t n = RequestBuffer[0];
  uint8_t sum = 0;
  for (size_t i = 1; i <= n; ++i) sum = uint8_t(sum + RequestBuffer[i]);
  RequestBuffer[n + 1] = sum;
}

void TControllerLink::AddObserver(ILinkObserver* observer) {
  if (observer && std::find(observers_.begin(), observers_.end(), observer) == observers_.end())
    observers_.push_back(observer);
}

void TControllerLink::RemoveObserver(ILinkObserver* observer) {
  std::erase(observers_, observer);
}

bool TControllerLink::SendRequest() {
  const std::span<const uint8_t> frame(RequestBuffer.data(), size_t(RequestBuffer[0]) + 2);
  // A UDP link opens itself on first use; a serial one must have been opened by the caller.
  if (Settings.LinkMode == kLinkUdp) OpenLink();
  const bool sent = transport_ && KnownMode(Settings.LinkMode) && transport_->Send(frame);
  for (auto* o : observers_) o->FrameSent(frame);
  return sent;
}

bool TControllerLink::ReceiveResponse(uint8_t expected) {
  const int got = transport_ ? transport_->Receive(ResponseBuffer, expected, pump_) : -1;
  responseLength_ = got > 0 ? size_t(got) : 0;
  const bool ok = got > 0;
  for (auto* o : observers_) o->ResponseReceived(ResponseBuffer, ok);
  return ok;
}

bool TControllerLink::Exchange(uint8_t mode, uint8_t expected) {
  if (busy_) {
    // The first exchange is still waiting and its buffers belong to it.
    LastFailure = TLinkFailure::Busy;
    return false;
  }
  struct BusyGuard {
    bool& flag;
    ~BusyGuard() { flag = false; }
  } guard{busy_};
  busy_ = true;
  ResponseBuffer.fill(0);
  responseLength_ = 0;
  LastDosError = 0;
  RequestChecksum();
  if (!SendRequest()) {
    LastFailure = transport_ ? TLinkFailure::Send : TLinkFailure::NotOpen;
    if (Settings.ShowErrors) ShowError("Ошибка при передаче запроса.");
    return false;
  }
  if (mode == kExchangeSendOnly) {
    LastFailure = TLinkFailure::None;
    return true;
  }
  if (mode != kExchangeAnswer && mode != kExchangeAnswer2) {
    LastFailure = TLinkFailure::Send;
    return false;
  }
  if (!ReceiveResponse(expected)) {
    LastFailure = TLinkFailure::NoAnswer;
    if (Settings.ShowErrors) ShowError("Нет ответа.");
    return false;
  }
  LastFailure = TLinkFailure::None;
  return true;
}

}  // namespace vlm
