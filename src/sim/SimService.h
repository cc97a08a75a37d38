#pragma once
// One request through the simulated link: fault decisions, the controller, and the frames that
// go back (none, one, or two when duplicated), each with how long after the link's own delay it
// leaves, and the line the request log shows.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "sim/SimController.h"
#include "sim/SimFaults.h"

namespace vlm::sim {

struct Sending {
  std::vector<uint8_t> bytes;
  unsigned afterMs = 0;  // on top of the delay of every answer
};

struct ServeResult {
  std::vector<Sending> sends;
  std::string logLine;
};

ServeResult Serve(SimController& controller, FaultInjector& faults, std::span<const uint8_t> frame,
                  const LinkProfile& link);

}  // namespace vlm::sim
