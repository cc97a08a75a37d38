// Bytes from outside of the oscilloscope and the display mirror: the input cut into datagrams
// for the stream handler (two length bytes before each), taken whole as a PSF1 font, and laid
// over the text screen that is then turned into text and drawn. Nothing may crash or read
// outside the input.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

#include "diag/DisplayFont.h"
#include "diag/OscView.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static vlm::TOscRing ring;
  ring.Reset();
  vlm::TOscPacketHandler handler(ring, [](uint32_t) {}, [](const std::string&) {});
  const std::span<const uint8_t> input(data, size);
  for (size_t at = 0; at + 2 <= size;) {
    const size_t length = std::min<size_t>(size_t(data[at]) | size_t(data[at + 1]) << 8, size - at - 2);
    handler.Handle(input.subspan(at + 2, length));
    at += 2 + length;
  }
  vlm::TOscPlotter plotter;
  plotter.Advance(ring, [](const vlm::TPlotColumn&) {});
  (void)vlm::OscRecording(ring, size % vlm::kOscRingFrames);

  const auto font = vlm::ParsePsf1(input);
  vlm::TScreenBuffer screen;
  for (int r = 0; r < vlm::kScreenRows; ++r) {
    auto row = screen.Row(r);
    const size_t from = std::min(size, size_t(r) * row.size());
    std::copy_n(data + from, std::min(row.size(), size - from), row.begin());
  }
  (void)screen.Text();
  if (font) {
    static const vlm::TGlyphCache glyphs(*font);
    vlm::TScreenPicture picture(glyphs);
    picture.DrawAll(screen);
  }
  return 0;
}
