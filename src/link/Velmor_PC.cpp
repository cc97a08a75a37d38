#include "link/Velmor_PC.h"

#include <algorithm>
#include <utility>

#include "common/Prompt.h"
#include "common/ServiceProtocol.h"
#include "link/ExchangeLog.h"

namespace vlm {

TControllerLink::TControllerLink() : factory_(MakeDefaultTransport) {}
TControllerLink::~TControllerLink() { CloseLink(); }

static bool KnownMode(uint8_t mode) { return mode == kLinkUdp || mode == kLinkSerial; }

bool TControllerLink::OpenLink() {
  openFailure_ = {};
  if (transport_) return false;
  auto transport = KnownMode(Settings.LinkMode) && factory_ ? factory_(Settings) : nullptr;
  if (!transport) {
    openFailure_ = {TLinkOpenError::WrongMode, {}};
    return false;
  }
  if (!transport->Open()) {
    openFailure_ = transport->OpenFailure();
    if (!openFailure_) openFailure_.kind = TLinkOpenError::Other;
    return false;
  }
  timing_.SetFloor(Settings.WaitTime);
  transport_ = std::move(transport);
  errorShown_ = false;
  heardAtOpen_ = counters_.answers + counters_.rejected + counters_.stale;
  return true;
}

void TControllerLink::CloseLink(bool quiet) {
  if (!transport_) return;
  if (!quiet) unsettled_ = quietOwed_ = false;
  // Nothing owed to this operation may reach the next one (a new socket on the same port).
  // A line that has said nothing since it opened (a controller switched off, a wrong address)
  // owes nothing: a dead controller costs the tries alone.
  if (unsettled_ || (quietOwed_ && HeardSinceOpen())) QuietLink();
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

bool TControllerLink::SendRequest(bool ahead) {
  const std::span<const uint8_t> frame(RequestBuffer.data(), size_t(RequestBuffer[0]) + 2);
  // A UDP link opens itself on first use; a serial one must have been opened by the caller.
  if (Settings.LinkMode == kLinkUdp) OpenLink();
  retry_ = lastFailed_ && std::ranges::equal(frame, lastFrame_);
  // An answer taken after a retry may have been the earlier try's; the retry's own answer is
  // then still on its way and must not meet a different request.
  if (!retry_ && (unsettled_ || quietOwed_) && !ahead) QuietLink();
  const auto now = std::chrono::steady_clock::now();  // after the quiet: it is no part of the round trip
  if (!retry_) {
    lastFrame_.assign(frame.begin(), frame.end());
    firstSentAt_ = now;
  }
  sentAt_ = now;
  constexpr size_t kRecentFrames = 64;
  if (recentFrames_.size() < kRecentFrames) recentFrames_.emplace_back(frame.begin(), frame.end());
  else recentFrames_[recentNext_].assign(frame.begin(), frame.end());
  recentNext_ = (recentNext_ + 1) % kRecentFrames;
  const bool sent = transport_ && KnownMode(Settings.LinkMode) && (ahead ? transport_->SendAhead(frame) : transport_->Send(frame));
  if (transport_ && !ahead) counters_.stale += uint64_t(transport_->StaleBeforeSend());
  ++counters_.sent;
  for (auto* o : observers_) o->FrameSent(frame);
  return sent;
}

bool TControllerLink::IsOwnRequest(std::span<const uint8_t> bytes) const {
  return std::ranges::any_of(recentFrames_, [&](const std::vector<uint8_t>& f) { return std::ranges::equal(f, bytes); });
}

TAnswerVerdict TControllerLink::Judge(std::span<const uint8_t> bytes, uint8_t expected,
                                      const TAnswerFilter& filter) const {
  // A request's own bytes coming back (an echoing line) are never its answer: an echoed search
  // would read as a file of size 0.
  // (A memory read of no bytes is the one answer made of its request's own bytes.)
  const bool answerIsRequest = RequestBuffer[1] == wire::kCmdReadMemory && RequestBuffer[6] == 0;
  if (!answerIsRequest && IsOwnRequest(bytes)) return TAnswerVerdict::Echo;
  if (Settings.CheckAnswerSum && !wire::AnswerFrameIntact(bytes)) {
    // A line reader stops at the expected length; when the request's own expectation is
    // shorter than the frame there is nothing to check.
    const bool cutByExpectation = !transport_->WholeAnswers() && bytes.size() == expected && bytes[0] + 2u > expected;
    if (!cutByExpectation) return TAnswerVerdict::Reject;
  }
  // The answer to another request (one that outlived its own wait) is not this one's.
  if (bytes.size() >= 2 && bytes[1] != RequestBuffer[1]) return TAnswerVerdict::Ignore;
  return filter ? filter(bytes) : TAnswerVerdict::Take;
}

bool TControllerLink::ReceiveResponse(uint8_t expected, const TAnswerFilter& filter, bool sampleRoundTrip) {
  TReceived r{TReceiveEnd::Failed, 0};
  uint64_t ignored = 0, echoes = 0;
  if (transport_) {
    const TAnswerFilter judge = [&](std::span<const uint8_t> bytes) {
      const TAnswerVerdict v = Judge(bytes, expected, filter);
      if (v == TAnswerVerdict::Ignore) ++ignored;
      if (v == TAnswerVerdict::Echo) ++echoes;
      return v;
    };
    r = transport_->Receive(ResponseBuffer, expected, timing_.Wait(), judge, pump_);
  }
  counters_.stale += ignored;
  counters_.echoes += echoes + uint64_t(r.echoes);
  const bool ok = r.end == TReceiveEnd::Answer && r.length > 0;
  responseLength_ = ok ? r.length : 0;
  if (!ok) {
    // A damaged answer leaves nothing behind for the caller to read as fields.
    std::fill_n(ResponseBuffer.begin(), std::min(r.length, ResponseBuffer.size()), 0);
  }
  for (auto* o : observers_) o->ResponseReceived(ResponseBuffer, ok);
  lastFailed_ = !ok;
  if (ok) {
    ++counters_.answers;
    if (sampleRoundTrip && !retry_) timing_.Answered(std::chrono::steady_clock::now() - sentAt_);
    else timing_.AnsweredAfterRetry();
    if (retry_) unsettled_ = true;
    answeredAt_ = std::chrono::steady_clock::now();
    errorShown_ = false;
    LastFailure = TLinkFailure::None;
    return true;
  }
  switch (r.end) {
    case TReceiveEnd::Rejected: ++counters_.rejected; LastFailure = TLinkFailure::BadAnswer; break;
    case TReceiveEnd::Disconnected: LastFailure = TLinkFailure::Disconnected; break;
    default: ++counters_.timeouts; timing_.TimedOut(); LastFailure = TLinkFailure::NoAnswer; break;
  }
  // An answer owed to this try is as good as the retry's own (the retry is the same frame), so
  // the line falls quiet only before a different request or the closing, not before each retry.
  if (LastFailure != TLinkFailure::Disconnected) quietOwed_ = true;
  return false;
}

bool TControllerLink::HeardSinceOpen() const {
  return counters_.answers + counters_.rejected + counters_.stale != heardAtOpen_;
}

void TControllerLink::QuietLink() {
  if (!transport_) return;
  quietOwed_ = false;
  // The failed wait itself was already backed off: an answer owed to it comes within one more
  // measured round trip, and doubling the silence as well only made every loss cost twice.
  auto silence = transport_->AdaptiveWait() ? timing_.BaseWait() : std::chrono::milliseconds(Settings.WaitTime);
  // The answer taken after a retry may have been the first try's, which then took as long as
  // the tries took together: the last try's own answer can be that late behind it.
  if (std::exchange(unsettled_, false))
    // (measured to the answer, not to now: the silence must not grow with the idle time after it)
    silence = std::max(silence, std::chrono::ceil<std::chrono::milliseconds>(answeredAt_ - firstSentAt_));
  std::chrono::steady_clock::time_point firstArrival{};
  const int late = transport_->Quiet(silence, pump_, firstArrival);
  if (late > 0) {
    counters_.stale += uint64_t(late);
    // Its round trip is at least the time since the last send (which try it answers is unknown,
    // and counting from the first one would feed the waits of all tries back into the time).
    if (transport_->AdaptiveWait()) timing_.LateAnswer(firstArrival - sentAt_);
  }
}

bool TControllerLink::SendAhead() {
  if (busy_) {
    LastFailure = TLinkFailure::Busy;
    return false;
  }
  RequestChecksum();
  if (!SendRequest(true)) {
    LastFailure = transport_ ? TLinkFailure::Send : TLinkFailure::NotOpen;
    return false;
  }
  LastFailure = TLinkFailure::None;
  return true;
}

// Holds the buffers for one exchange and gives them back however it ends.
class TControllerLink::TExchangeScope {
 public:
  explicit TExchangeScope(TControllerLink& link) : link_(link) {
    if (link.busy_) {
      // The first exchange is still waiting and its buffers belong to it.
      link.LastFailure = TLinkFailure::Busy;
      return;
    }
    claimed_ = link.busy_ = true;
    link.ResponseBuffer.fill(0);
    link.responseLength_ = 0;
    link.LastDosError = 0;
  }
  ~TExchangeScope() {
    if (claimed_) link_.busy_ = false;
  }
  bool Claimed() const { return claimed_; }

 private:
  TControllerLink& link_;
  bool claimed_ = false;
};

bool TControllerLink::AwaitAnswer(uint8_t expected, TAnswerFilter filter) {
  const TExchangeScope scope(*this);
  return scope.Claimed() && ReceiveResponse(expected, filter, false);
}

void TControllerLink::Listen(std::chrono::milliseconds wait, const TAnswerFilter& filter) {
  const TExchangeScope scope(*this);
  if (!scope.Claimed() || !transport_) return;
  transport_->Receive(ResponseBuffer, 0, wait, [&](std::span<const uint8_t> bytes) {
    const TAnswerVerdict v = Judge(bytes, 0, filter);
    if (v == TAnswerVerdict::Echo) ++counters_.echoes;
    else if (v != TAnswerVerdict::Reject) ++counters_.stale;
    return v == TAnswerVerdict::Reject ? v : TAnswerVerdict::Ignore;
  }, pump_);
  responseLength_ = 0;
}

bool TControllerLink::Exchange(uint8_t mode, uint8_t expected) {
  TAnswerFilter filter = std::exchange(filter_, {});
  const char* error = nullptr;
  // The exchange holds the link; its error box comes after it has let go.
  const bool ok = [&] {
    const TExchangeScope scope(*this);
    if (!scope.Claimed()) return false;
    RequestChecksum();
    if (!SendRequest()) {
      LastFailure = transport_ ? TLinkFailure::Send : TLinkFailure::NotOpen;
      error = "Ошибка при передаче запроса.";
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
    if (!ReceiveResponse(expected, filter, true)) {
      error = LastFailure == TLinkFailure::BadAnswer ? "Искажённый ответ контроллера." : "Нет ответа.";
      return false;
    }
    return true;
  }();
  if (error && Settings.ShowErrors && !std::exchange(errorShown_, true)) ShowError(error);
  return ok;
}

}  // namespace vlm
