#include "sim/SimFaults.h"

#include <algorithm>

namespace vlm::sim {

FaultInjector::FaultInjector(const FaultSettings& settings) : settings_(settings), engine_(settings.seed) {}

double FaultInjector::Uniform() { return double(engine_() >> 11) * 0x1.0p-53; }

FaultDecision FaultInjector::Next() {
  FaultDecision d;
  const double drop = Uniform(), which = Uniform(), dup = Uniform(), corrupt = Uniform();
  const uint64_t where = engine_();
  const double late = Uniform(), lateAmount = Uniform(), gap = Uniform();
  const bool lost = drop < settings_.drop;
  d.dropRequest = lost && which < 0.5;
  d.dropAnswer = lost && !d.dropRequest;
  d.duplicate = dup < settings_.dup;
  d.corrupt = corrupt < settings_.corrupt;
  d.corruptPosition = uint32_t(where);
  d.corruptMask = uint8_t(1 + (where >> 32) % 255);
  if (late < settings_.late && settings_.lateMaxMs > 0)
    d.lateMs = 1 + std::min(settings_.lateMaxMs - 1, unsigned(lateAmount * settings_.lateMaxMs));
  d.dupGapMs = std::min(settings_.dupGapMs, unsigned(gap * (settings_.dupGapMs + 1.0)));
  return d;
}

}  // namespace vlm::sim
