#pragma once
// The answer time of a link that adapts to what it measures. Controllers reached over GPRS or a
// VPN answer in hundreds of milliseconds; a fixed WaitTime then turns every late answer into a
// retry and leaves the answer in flight to meet the next request. The time follows the smoothed
// round trip (as TCP's retransmission timer does), doubles after each time-out, and never falls
// below the configured WaitTime.
#include <chrono>

namespace vlm {

class TLinkTiming {
 public:
  using Duration = std::chrono::steady_clock::duration;

  explicit TLinkTiming(int waitTimeMs = 100) { SetFloor(waitTimeMs); }

  // The configured WaitTime; a change starts the measurements over.
  void SetFloor(int waitTimeMs);
  int Floor() const { return floorMs_; }

  std::chrono::milliseconds Wait() const;
  // The wait without the back-off: how long an answer can take on this line as measured.
  std::chrono::milliseconds BaseWait() const;
  // The measured answer time (smoothed round trip and four deviations); zero before a sample.
  std::chrono::milliseconds Measured() const;
  // An answer taken at the first try: its round trip is a clean sample.
  void Answered(Duration roundTrip);
  // An answer taken after a retry: the back-off ends, but which try it answers is unknown.
  void AnsweredAfterRetry() { backoff_ = 1; }
  void TimedOut();
  // An answer that came after its request had been given up: the round trip is at least this.
  void LateAnswer(Duration sinceFirstSend);

 private:
  int floorMs_ = 100;
  double srttMs_ = 0, rttvarMs_ = 0;  // 0: nothing measured yet
  int backoff_ = 1;
};

}  // namespace vlm
