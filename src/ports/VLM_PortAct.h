#pragma once
// The two polling ports: the active port and the TK RES port carry a poll sequence that the
// controller repeats cyclically.
#include <array>
#include <cstdint>

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

// Texts of the TK RES step kinds in the ring ("зс", "тс", "ти", "П").
const char* TkrStepText(uint8_t kind);

// Where the ring editor places step `index` of `count` steps: 30 degrees apart up to 12 steps,
// 360/count beyond, clockwise from the top; returns the panel's left and top edges.
struct TRingPoint {
  int left, top;
};
TRingPoint RingPosition(int index, int count, int centerX, int centerY, int radius);

}  // namespace vlm
