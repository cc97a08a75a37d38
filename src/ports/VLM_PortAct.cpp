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

void TPollSequence::Load(const TPortActive& port) {
  Steps.clear();
  for (size_t i = 0; i < port.StepCount; ++i) Steps.push_back({port.Steps[i], 0});
  Selected = Steps.empty() ? -1 : 0;
}

void TPollSequence::Store(TPortActive& port) const {
  port.Steps.fill(0);
  port.StepCount = static_cast<uint8_t>(Steps.size());
  for (size_t i = 0; i < Steps.size(); ++i) port.Steps[i] = Steps[i].Point;
}

void TPollSequence::Load(const TPortTKR& port) {
  Steps.assign(port.Steps.begin(), port.Steps.begin() + port.StepCount);
  Selected = Steps.empty() ? -1 : 0;
  CurrentPoint = port.CurrentPoint;
}

void TPollSequence::Store(TPortTKR& port) const {
  port.Steps.fill({});
  port.StepCount = static_cast<uint8_t>(Steps.size());
  std::copy(Steps.begin(), Steps.end(), port.Steps.begin());
  port.CurrentPoint = CurrentPoint;
}

bool TPollSequence::Insert(TTkrStep step) {
  if (Steps.size() >= kMaxPollSteps) return false;
  const bool inside = Selected >= 0 && Selected + 1 < static_cast<int>(Steps.size());
  Selected = inside ? Selected + 1 : static_cast<int>(Steps.size());
  Steps.insert(Steps.begin() + Selected, step);
  return true;
}

bool TPollSequence::AddActive(uint8_t value) {
  if (!Insert({value, 0})) return false;
  CurrentPoint = value;
  return true;
}

bool TPollSequence::AddTkr(TTkrStepKind kind) {
  const uint8_t point = kind == TTkrStepKind::Pause ? kTkrPausePoint : CurrentPoint;
  return Insert({point, static_cast<uint8_t>(kind)});
}

void TPollSequence::Select(int index) {
  if (index < 0 || index >= static_cast<int>(Steps.size())) return;
  Selected = index;
  CurrentPoint = Steps[index].Point;
}

void TPollSequence::DeleteSelected() {
  if (Selected < 0 || Selected >= static_cast<int>(Steps.size())) return;
  Steps.erase(Steps.begin() + Selected);
  if (Steps.empty()) {
    Selected = -1;
  } else if (Selected > 0) {
    Select(Selected - 1);
  }
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
