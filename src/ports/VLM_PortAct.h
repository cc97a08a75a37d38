#pragma once
// The two polling ports: the active port and the TK RES port carry a poll sequence that the
// controller repeats cyclically.
#include <array>
#include <cstdint>
#include <vector>

#include "ports/PortKind.h"

namespace vlm {

inline constexpr int kMaxPollSteps = 255;
inline constexpr uint8_t kTkrPausePoint = 31;

class TPortActive : public TDataPort {
 public:
  TPortActive(TTreeNode* node, const TPortKind& kind) : TDataPort(node, kind) {}

  uint8_t StepCount = 0;
  // Step k: 1..30 polls the point with that number, 0 is a TI request.
  std::array<uint8_t, 256> Steps{};

 protected:
  void WriteMarker(TConfig& cfg, const TItemDef& def) override;
  void ReadSpecial(TConfig& cfg) override;
};

enum class TTkrStepKind : uint8_t { State = 0, TS = 1, TI = 2, Pause = 3 };

struct TTkrStep {
  uint8_t Point = 0;  // 31 for a pause
  uint8_t Kind = 0;   // TTkrStepKind
};

class TPortTKR : public TDataPort {
 public:
  TPortTKR(TTreeNode* node, const TPortKind& kind) : TDataPort(node, kind) {}

  uint8_t StepCount = 0;
  std::array<TTkrStep, 256> Steps{};
  uint8_t CurrentPoint = 1;  // editor state, not written

 protected:
  void WriteMarker(TConfig& cfg, const TItemDef& def) override;
  void ReadSpecial(TConfig& cfg) override;
};

// The editing state behind both ring editors: the steps, the selected step and the current
// point. The frames draw it and route their buttons here.
inline constexpr const char* kMaxStepsMessage = "Достигнуто максимальное число шагов опроса.";

class TPollSequence {
 public:
  // Active port steps use only `Point` (0 = TI request); TK RES steps use both bytes.
  std::vector<TTkrStep> Steps;
  int Selected = -1;         // -1: none
  uint8_t CurrentPoint = 1;  // the point whose steps are highlighted

  void Load(const TPortActive& port);
  void Store(TPortActive& port) const;
  void Load(const TPortTKR& port);
  void Store(TPortTKR& port) const;

  // Inserts after the selected step, or appends when none or the last is selected; the new step
  // becomes the selected one. False (nothing added) when 255 steps are there already.
  // Active port: the step's point becomes the current point.
  bool AddActive(uint8_t value);
  // TK RES port: a step of the current point, or a pause (point 31) that leaves it unchanged.
  bool AddTkr(TTkrStepKind kind);
  void Select(int index);
  // Removes the selected step; the previous one becomes selected (and its point current), or
  // after removing the first one the new first step, the current point unchanged.
  void DeleteSelected();
  bool Highlighted(int index) const { return Steps.at(index).Point == CurrentPoint; }
  bool CanDelete() const { return !Steps.empty(); }

 private:
  bool Insert(TTkrStep step);
};

// Texts of the TK RES step kinds in the ring ("зс", "тс", "ти", "П").
const char* TkrStepText(uint8_t kind);

// Where the ring editor places step `index` of `count` steps: 30 degrees apart up to 12 steps,
// 360/count beyond, clockwise from the top; returns the panel's left and top edges.
struct TRingPoint {
  int left, top;
};
TRingPoint RingPosition(int index, int count, int centerX, int centerY, int radius);

}  // namespace vlm
