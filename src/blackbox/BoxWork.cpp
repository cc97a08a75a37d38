#include "blackbox/BoxWork.h"

#include <thread>

#include "blackbox/BoxScan.h"

namespace vlm {

TPollPacer::Clock::time_point TSteadyWorkClock::Now() { return TPollPacer::Clock::now(); }

void TSteadyWorkClock::SleepUntil(TPollPacer::Clock::time_point at) { std::this_thread::sleep_until(at); }

void RunBoxWork(TBoxList& list, IWorkClock& clock, double seconds, const std::function<bool()>& stop) {
  const auto start = clock.Now();
  const auto limit = std::chrono::duration<double>(seconds);
  TPollPacer pacer(kBoxWorkTick, start);
  while (!stop()) {
    if (seconds > 0 && clock.Now() - start >= limit) break;
    list.PollAll();
    clock.SleepUntil(pacer.Next(clock.Now()));
  }
}

}  // namespace vlm
