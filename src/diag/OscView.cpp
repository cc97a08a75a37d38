#include "diag/OscView.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace vlm {

int TOscPlotter::BarHeight(int level) { return std::clamp(level / kBarDivisor, 1, 30); }

size_t TOscPlotter::Advance(const TOscRing& ring, const std::function<void(const TPlotColumn&)>& draw) {
  size_t columns = 0;
  for (;;) {
    const uint32_t write = ring.WritePosition();
    if (uint32_t(std::abs(int64_t(write) - int64_t(ReadPosition))) < kFramesPerColumn) break;
    int64_t sumA = 0, sumB = 0;
    for (uint32_t i = 0; i < kFramesPerColumn; ++i) {
      sumA += std::abs(int(ring.A(ReadPosition)));
      sumB += std::abs(int(ring.B(ReadPosition)));
      if (++ReadPosition >= kOscRingFrames) ReadPosition = 0;
    }
    const int a = int(sumA / kFramesPerColumn), b = int(sumB / kFramesPerColumn);
    TPlotColumn c;
    c.x = X;
    c.bHeight = BarHeight(b);
    c.bTop = Baseline - c.bHeight / 2 + 9;
    c.aHeight = BarHeight(a);
    c.aTop = Baseline - c.aHeight / 2 - 8;
    c.aColour = a == 0 ? PlotColour::Silent : Colour;
    if (++X >= kColumns) {
      // Six shades of green, one per line of the page.
      Colour -= 0x000C00;
      if (Colour < 0x00C000) Colour = PlotColour::FirstLine;
      X = 0;
      Baseline += kLine;
      if (Baseline >= kHeight - 1) {
        Baseline -= kLine;
        c.scroll = true;
        PageStart += kOscPageFrames;
        if (PageStart >= kOscRingFrames) PageStart = 0;
      }
    }
    draw(c);
    ++columns;
  }
  return columns;
}

uint32_t TOscPlotter::FrameAt(int x, int y) const {
  const int64_t frame = int64_t(std::max(y, 0) / kLine) * kOscPageFrames + int64_t(std::max(x, 0)) * kFramesPerColumn +
                        PageStart;
  return uint32_t(frame % kOscRingFrames);
}

uint32_t TOscillogram::ClampStart(int64_t start) {
  return start < 0 || start > int64_t(kLastStart) ? kLastStart : uint32_t(start);
}

uint32_t TOscillogram::StartBefore(uint32_t writePosition) { return ClampStart(int64_t(writePosition) - kFrames); }

int TOscillogram::Y(int16_t sample) const { return kZero - std::clamp(sample / Divisor, -128, 128); }

std::pair<int, int> TOscillogram::RangeA(const TOscRing& ring, uint32_t start) {
  int high = -32768, low = 32767;
  for (uint32_t i = 0; i < uint32_t(kFrames); ++i) {
    const int v = ring.A(start + i);
    high = std::max(high, v);
    low = std::min(low, v);
  }
  return {high, low};
}

std::vector<TOscRuler::Tick> TOscRuler::Ticks() const {
  std::vector<Tick> ticks;
  for (int k = 0; k <= n; ++k) {
    Tick t{3 + k * spacing, k % 10 == 0 ? 8 : k % 5 == 0 ? 6 : 4, {}};
    if (k % 10 == 0) t.label = std::to_string(k / 10 * step);
    ticks.push_back(std::move(t));
  }
  return ticks;
}

// The plotter's caption starts with a Latin C, as the program has always shown it.
const TOscRuler kPlotRuler{100, 10, 1, "Cекунды", true};
const TOscRuler kSampleRuler{100, 10, 100, "Отсчёты", true};
const TOscRuler kTimeRuler{41, 24, 10, "мс", false};

std::vector<uint8_t> OscRecording(const TOscRing& ring, uint32_t pageStart) {
  const uint32_t write = ring.WritePosition();
  pageStart %= kOscRingFrames;
  const uint32_t frames = write == pageStart ? kOscRingFrames : (write + kOscRingFrames - pageStart) % kOscRingFrames;
  std::vector<uint8_t> out(size_t(frames) * kOscFrameBytes);
  const auto bytes = ring.Bytes();
  const size_t first = std::min<size_t>(frames, kOscRingFrames - pageStart);
  std::memcpy(out.data(), &bytes[size_t(pageStart) * kOscFrameBytes], first * kOscFrameBytes);
  if (first < frames) std::memcpy(&out[first * kOscFrameBytes], bytes.data(), (frames - first) * kOscFrameBytes);
  return out;
}

}  // namespace vlm
