#pragma once
// One request through the simulated link: fault decisions, the controller, and the frames that
// go back (none, one, or two when duplicated), with the line the request log shows.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "sim/SimController.h"
#include "sim/SimFaults.h"

namespace vlm::sim {

struct ServeResult {
  std::vector<std::vector<uint8_t>> sends;
  std::string logLine;
};

ServeResult Serve(SimController& controller, FaultInjector& faults, std::span<const uint8_t> frame,
                  const LinkProfile& link);

}  // namespace vlm::sim
