#pragma once
// Fault injection of the simulated link: lost requests and answers, duplicated, corrupted,
// delayed and late answers. Every decision comes from one seeded generator, drawing the same number of
// values per request, so a run is repeatable under its seed whatever the probabilities are.
#include <cstdint>
#include <random>

namespace vlm::sim {

struct FaultSettings {
  double drop = 0;     // probability that a request or its answer is lost
  double dup = 0;      // probability that an answer is sent twice
  double corrupt = 0;  // probability that one byte of an answer is changed
  unsigned delayMs = 0;  // delay of every answer
  uint64_t seed = 1;
  double late = 0;          // probability that an answer leaves late, on top of delayMs
  unsigned lateMaxMs = 0;   // a late answer leaves 1..lateMaxMs ms late (uniform)
  unsigned dupGapMs = 0;    // the copy of a duplicated answer follows it by 0..dupGapMs ms (uniform)
};

struct FaultDecision {
  bool dropRequest = false;  // the request never reaches the controller
  bool dropAnswer = false;   // carried out, but its answer is lost
  bool duplicate = false;
  bool corrupt = false;
  uint32_t corruptPosition = 0;  // taken modulo the answer length
  uint8_t corruptMask = 0;       // never 0, so the byte really changes
  unsigned lateMs = 0;           // 0: on time
  unsigned dupGapMs = 0;         // how long after the answer its copy leaves
};

class FaultInjector {
 public:
  explicit FaultInjector(const FaultSettings& settings);
  FaultDecision Next();
  const FaultSettings& Settings() const { return settings_; }

 private:
  // Uniform in [0, 1) from the top 53 bits: the same on every platform, unlike the standard
  // distributions.
  double Uniform();
  FaultSettings settings_;
  std::mt19937_64 engine_;
};

}  // namespace vlm::sim
