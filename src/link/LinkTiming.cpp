#include "link/LinkTiming.h"

#include <algorithm>
#include <cmath>

namespace vlm {
namespace {

// However slow the line, a request is given up after this long (or WaitTime when longer).
constexpr double kCeilingMs = 15000;
// Three tries of a silent line then cost 1 + 2 + 4 answer times: a dead controller is reported
// in about seven measured answer times, not after waits that grow to the ceiling.
constexpr int kMaxBackoff = 4;

double Ms(TLinkTiming::Duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

}  // namespace

void TLinkTiming::SetFloor(int waitTimeMs) {
  const int floor = std::max(1, waitTimeMs);
  if (floor == floorMs_ && srttMs_ > 0) return;
  floorMs_ = floor;
  srttMs_ = rttvarMs_ = 0;
  backoff_ = 1;
}

static std::chrono::milliseconds WaitOf(double floorMs, double srttMs, double rttvarMs, int backoff) {
  const double measured = srttMs > 0 ? srttMs + 4 * rttvarMs : 0;
  const double ceiling = std::max(kCeilingMs, floorMs);
  const double wait = std::min(ceiling, std::max(floorMs, measured) * backoff);
  return std::chrono::milliseconds(std::lround(std::ceil(wait)));
}

std::chrono::milliseconds TLinkTiming::Wait() const { return WaitOf(floorMs_, srttMs_, rttvarMs_, backoff_); }
std::chrono::milliseconds TLinkTiming::BaseWait() const { return WaitOf(floorMs_, srttMs_, rttvarMs_, 1); }

std::chrono::milliseconds TLinkTiming::Measured() const {
  return std::chrono::milliseconds(srttMs_ > 0 ? std::lround(std::ceil(srttMs_ + 4 * rttvarMs_)) : 0);
}

void TLinkTiming::Answered(Duration roundTrip) {
  const double r = Ms(roundTrip);
  if (srttMs_ <= 0) {
    srttMs_ = r;
    rttvarMs_ = r / 2;
  } else {
    rttvarMs_ = 0.75 * rttvarMs_ + 0.25 * std::abs(srttMs_ - r);
    srttMs_ = 0.875 * srttMs_ + 0.125 * r;
  }
  backoff_ = 1;
}

void TLinkTiming::TimedOut() { backoff_ = std::min(backoff_ * 2, kMaxBackoff); }

void TLinkTiming::LateAnswer(Duration sinceFirstSend) {
  // Only ever raises: a late answer proves the line slower than thought, never faster.
  const double r = Ms(sinceFirstSend);
  if (r > srttMs_) {
    srttMs_ = r;
    rttvarMs_ = std::max(rttvarMs_, r / 2);
  }
}

}  // namespace vlm
