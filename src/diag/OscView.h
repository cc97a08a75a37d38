#pragma once
// Geometry of the oscilloscope's two pictures, free of any drawing library: the slow plotter
// (one column per 240 frames, six lines of ten seconds) and the oscillogram of 1000 frames, the
// amplitude divisor, the rulers and the recording that the save button writes.
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "diag/OscStream.h"

namespace vlm {

// One plotter column: two bars, and whether the picture has to scroll up by one line first.
struct TPlotColumn {
  int x = 0;
  int aTop = 0, aHeight = 0;
  uint32_t aColour = 0;
  int bTop = 0, bHeight = 0;
  bool scroll = false;  // after this column: scroll up by kLine, clear and regrid the bottom band
};

namespace PlotColour {
constexpr uint32_t Grey = 0x808080, Grid = 0x008000, ChannelB = 0x800080, FirstLine = 0x00FF00, Silent = 0x0000FF;
}

class TOscPlotter {
 public:
  static constexpr int kWidth = 1001, kHeight = 300, kLine = 50, kColumns = 1000;
  static constexpr uint32_t kFramesPerColumn = 240;
  static constexpr int kBarDivisor = 32768 / kHeight;  // 109

  int X = 0;
  int Baseline = 25;
  uint32_t Colour = PlotColour::FirstLine;
  uint32_t PageStart = 0;
  uint32_t ReadPosition = 0;

  void Reset() { *this = TOscPlotter{}; }
  // Bar height of a mean level: level div 109, limited to 1..30.
  static int BarHeight(int level);
  // Takes 240 frames at a time while the ring holds that many unread; one column each.
  size_t Advance(const TOscRing& ring, const std::function<void(const TPlotColumn&)>& draw);
  // The frame under a click on the plotter picture.
  uint32_t FrameAt(int x, int y) const;
};

// Plotter grid: dotted verticals at x = 100..900, solid horizontals at y = 50..250.
inline constexpr int kPlotGridStep = 100, kPlotGridLineStep = 50;

class TOscillogram {
 public:
  static constexpr int kWidth = 1001, kHeight = 257, kFrames = 1000, kZero = 128;
  static constexpr uint32_t kLastStart = kOscRingFrames - kFrames - 1;  // 1,438,999
  static constexpr int kGridY[5] = {28, 78, 128, 178, 228};

  int Divisor = 256;

  // Start of the view that ends at the write position; the out-of-range rule applied.
  static uint32_t StartBefore(uint32_t writePosition);
  static uint32_t ClampStart(int64_t start);
  int Y(int16_t sample) const;
  // Largest and smallest channel A sample of the view from start.
  static std::pair<int, int> RangeA(const TOscRing& ring, uint32_t start);

  // "Крупнее" halves down to 1, "Мельче" doubles up to 256.
  void Larger() { Divisor = Divisor > 1 ? Divisor / 2 : 1; }
  void Smaller() { Divisor = Divisor < 256 ? Divisor * 2 : 256; }
  bool LargerEnabled() const { return Divisor > 1; }
  bool SmallerEnabled() const { return Divisor < 256; }
  // Label i (-2..2) of the amplitude scale and its y.
  int AmplitudeLabel(int i) const { return i * Divisor * 50; }
  static int AmplitudeLabelY(int i) { return 121 - 50 * i; }
};

// A ruler under or above a picture: ticks k = 0..n at 3 + k * spacing.
struct TOscRuler {
  int n, spacing, step;
  const char* caption;
  bool fromTop;

  struct Tick {
    int x, length;
    std::string label;  // every tenth tick
  };
  std::vector<Tick> Ticks() const;
};
extern const TOscRuler kPlotRuler, kSampleRuler, kTimeRuler;

// Frames from the page start up to, not including, the write position in ring order; the whole
// ring when both are equal. 4 bytes per frame, as kept.
std::vector<uint8_t> OscRecording(const TOscRing& ring, uint32_t pageStart);

// Interval of the oscillogram timer for a track bar position 1..10.
inline int OscTimerInterval(int position) { return 1000 / (position < 1 ? 1 : position); }

}  // namespace vlm
