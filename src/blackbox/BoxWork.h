#pragma once
// The work loop that polls the recorder readers, for velmorctl (the window's work timer restarts
// itself after each round of polls and needs no schedule of its own). A round that overran its
// tick (a slow link, a long exchange) is followed by one round at once, and the schedule starts
// again from there: missed ticks are dropped, never run back to back, and no round waits behind
// a schedule that has already passed.
#include <chrono>
#include <functional>

namespace vlm {

class TBoxList;

class TPollPacer {
 public:
  using Clock = std::chrono::steady_clock;

  TPollPacer(Clock::duration tick, Clock::time_point start) : tick_(tick), next_(start) {}
  // The moment the next round is due, given the moment the last one ended.
  Clock::time_point Next(Clock::time_point ended) {
    next_ += tick_;
    if (next_ < ended) next_ = ended;
    return next_;
  }

 private:
  Clock::duration tick_;
  Clock::time_point next_;
};

// The clock of the work loop: the steady clock in the program, a fake one in tests.
class IWorkClock {
 public:
  virtual ~IWorkClock() = default;
  virtual TPollPacer::Clock::time_point Now() = 0;
  virtual void SleepUntil(TPollPacer::Clock::time_point at) = 0;
};

class TSteadyWorkClock : public IWorkClock {
 public:
  TPollPacer::Clock::time_point Now() override;
  void SleepUntil(TPollPacer::Clock::time_point at) override;
};

inline constexpr std::chrono::milliseconds kBoxWorkTick{20};

// Polls every reader of the list once per tick until `stop` holds (asked before each round) or
// `seconds` have passed (0: no limit).
void RunBoxWork(TBoxList& list, IWorkClock& clock, double seconds, const std::function<bool()>& stop);

}  // namespace vlm
