#include "ports/VLM_PortAct.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "common/Prompt.h"
#include "model/Config.h"

namespace vlm {

namespace {

constexpr const char* kNoSequence = "\rНе настроена последовательность опроса КП";

// A damaged count byte must not claim more steps than the controller's array holds.
uint8_t ClampSteps(uint8_t count) { return std::min<uint8_t>(count, kMaxPollSteps); }

}  // namespace

void TPortActive::WriteMarker(TConfig& cfg, const TItemDef& def) {
  if (def.Marker() != TMarker::Steps) return TDataPort::WriteMarker(cfg, def);
  if (StepCount == 0) ShowError(GetCaption() + kNoSequence);
  cfg.WriteU8(109, StepCount);
  cfg.WriteItem(110, StepCount, Steps.data());
}

void TPortActive::ReadSpecial(TConfig& cfg) {
  cfg.ReadU8(109, StepCount);
  StepCount = ClampSteps(StepCount);
  Steps.fill(0);
  cfg.ReadItem(110, Steps.size(), Steps.data());
}

void TPortTKR::WriteMarker(TConfig& cfg, const TItemDef& def) {
  if (def.Marker() != TMarker::Steps) return TDataPort::WriteMarker(cfg, def);
  if (StepCount == 0) ShowError(GetCaption() + kNoSequence);
  cfg.WriteU8(109, StepCount);
  // The controller takes the whole 256-step block; steps past the count are written as zeros.
  std::array<uint8_t, 512> block{};
  for (size_t i = 0; i < StepCount; ++i) {
    block[2 * i] = Steps[i].Point;
    block[2 * i + 1] = Steps[i].Kind;
  }
  cfg.WriteItem(110, block.size(), block.data());
}

void TPortTKR::ReadSpecial(TConfig& cfg) {
  cfg.ReadU8(109, StepCount);
  StepCount = ClampSteps(StepCount);
  std::array<uint8_t, 512> block{};
  cfg.ReadItem(110, block.size(), block.data());
  for (size_t i = 0; i < Steps.size(); ++i) Steps[i] = {block[2 * i], block[2 * i + 1]};
}

const char* TkrStepText(uint8_t kind) {
  static constexpr const char* kTexts[] = {"зс", "тс", "ти", "П"};
  return kind < 4 ? kTexts[kind] : "?";
}

TRingPoint RingPosition(int index, int count, int centerX, int centerY, int radius) {
  const double pi = std::numbers::pi;
  const double step = count > 0 ? std::min(2 * pi / count, pi / 6) : 0;
  const double theta = index * step;
  return {centerX + static_cast<int>(std::lround(radius * std::sin(theta))) - 12,
          centerY - static_cast<int>(std::lround(radius * std::cos(theta))) - 12};
}

}  // namespace vlm
