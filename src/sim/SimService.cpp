#include "sim/SimService.h"

namespace vlm::sim {

ServeResult Serve(SimController& controller, FaultInjector& faults, std::span<const uint8_t> frame,
                  const LinkProfile& link) {
  ServeResult result;
  const FaultDecision fault = faults.Next();
  if (fault.dropRequest) {
    result.logLine = "request lost (injected)";
    return result;
  }
  SimController::Outcome outcome = controller.Handle(frame, link);
  result.logLine = outcome.summary;
  if (!outcome.answered) return result;
  if (fault.dropAnswer) {
    result.logLine += " [answer lost]";
    return result;
  }
  if (fault.corrupt && !outcome.answer.empty()) {
    outcome.answer[fault.corruptPosition % outcome.answer.size()] ^= fault.corruptMask;
    result.logLine += " [corrupted]";
  }
  if (fault.lateMs > 0) result.logLine += " [late " + std::to_string(fault.lateMs) + " ms]";
  result.sends.push_back({outcome.answer, fault.lateMs});
  if (fault.duplicate) {
    result.sends.push_back({std::move(outcome.answer), fault.lateMs + fault.dupGapMs});
    result.logLine += fault.dupGapMs > 0 ? " [duplicated, copy " + std::to_string(fault.dupGapMs) + " ms later]"
                                         : " [duplicated]";
  }
  return result;
}

}  // namespace vlm::sim
