#pragma once
// The waiting loops every datagram transport shares (its own socket, or a socket shared by the
// links of a fleet backup): an answer the filter takes, or a quiet line. `next` gives the next
// datagram from the controller that arrives before `until`, false when none did.
#include <algorithm>
#include <chrono>
#include <functional>
#include <span>

#include "link/LinkTransport.h"

namespace vlm {

using TNextDatagram = std::function<bool(std::chrono::steady_clock::time_point until, std::span<const uint8_t>& datagram)>;

// The window system is let breathe every 50 ms while the transport waits.
inline constexpr auto kDatagramPumpInterval = std::chrono::milliseconds(50);

inline TReceived ReceiveDatagram(std::span<uint8_t> into, std::chrono::milliseconds wait, const TAnswerFilter& filter,
                                 const std::function<void()>& pump, const TNextDatagram& next) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + wait;
  auto nextPump = Clock::now() + kDatagramPumpInterval;
  for (;;) {
    const auto now = Clock::now();
    if (now >= nextPump) {
      if (pump) pump();
      nextPump = Clock::now() + kDatagramPumpInterval;
    }
    if (now >= deadline) return {};
    std::span<const uint8_t> answer;
    if (!next(std::min(deadline, nextPump), answer)) continue;
    const TAnswerVerdict verdict = filter ? filter(answer) : TAnswerVerdict::Take;
    if (verdict == TAnswerVerdict::Ignore || verdict == TAnswerVerdict::Echo) continue;
    const size_t n = std::min(answer.size(), into.size());
    std::copy_n(answer.data(), n, into.data());
    return {verdict == TAnswerVerdict::Take ? TReceiveEnd::Answer : TReceiveEnd::Rejected, n};
  }
}

// Throws away what arrives until the line stayed silent for `silence` (at most three times that).
inline int QuietDatagrams(std::chrono::milliseconds silence, const std::function<void()>& pump,
                          std::chrono::steady_clock::time_point& firstArrival, const TNextDatagram& next) {
  using Clock = std::chrono::steady_clock;
  const auto limit = Clock::now() + 3 * silence;
  auto quietUntil = Clock::now() + silence;
  int stale = 0;
  while (Clock::now() < std::min(quietUntil, limit)) {
    if (pump) pump();
    std::span<const uint8_t> thrown;
    if (next(std::min({quietUntil, limit, Clock::now() + kDatagramPumpInterval}), thrown)) {
      if (stale++ == 0) firstArrival = Clock::now();
      quietUntil = Clock::now() + silence;
    }
  }
  return stale;
}

}  // namespace vlm
