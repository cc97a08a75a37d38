// The oscilloscope's stream handling, pictures and WAV file; the display mirror's screen, glyphs
// and BMP file.
#include <gtest/gtest.h>

#include <fstream>

#include "DiagFake.h"
#include "support/TempDir.h"
#include "common/HexText.h"
#include "common/PathText.h"
#include "diag/DisplayFont.h"
#include "diag/OscView.h"
#include "diag/WavFile.h"

namespace vlm::test {
namespace {

std::vector<uint8_t> Bytes(std::string_view hex) { return *ParseHexPairs(hex); }
template <typename T>
std::vector<uint8_t> Bytes(std::span<T> s) { return {s.begin(), s.end()}; }

std::vector<uint8_t> Packet(uint8_t sequence, int16_t a = 0, int16_t b = 0) {
  std::vector<uint8_t> p(kOscPacketSize);
  p[kOscSequenceByte] = sequence;
  for (size_t i = 0; i < kOscBlockFrames; ++i) {
    PutU16(&p[6 + i * 4], uint16_t(a));
    PutU16(&p[8 + i * 4], uint16_t(b));
  }
  return p;
}

struct OscStreamTest : ::testing::Test {
  TOscRing ring;
  std::vector<uint32_t> points;
  std::vector<std::string> lines;
  TOscPacketHandler handler{ring, [this](uint32_t c) { points.push_back(c); },
                            [this](const std::string& l) { lines.push_back(l); }};
};

TEST_F(OscStreamTest, CommandsCarryTheirSums) {
  EXPECT_EQ(OscStreamCommand(3), (std::array<uint8_t, 4>{0x02, 0x05, 0x03, 0x08}));
  EXPECT_EQ(OscStopCommand(), (std::array<uint8_t, 3>{0x01, 0x06, 0x06}));
}

TEST_F(OscStreamTest, GapIsFilledWithSilenceAndCounted) {
  handler.Handle(Packet(10, 100, -100));
  handler.Handle(Packet(11, 200));
  handler.Handle(Packet(14, 300));
  EXPECT_EQ(lines, std::vector<std::string>{"Осциллограф:Потерь=2"});
  EXPECT_EQ(points, (std::vector<uint32_t>{OscPoint::Good, OscPoint::Good, OscPoint::Lost, OscPoint::Lost, OscPoint::Good}));
  EXPECT_EQ(ring.WritePosition(), 5 * kOscBlockFrames);
  EXPECT_EQ(ring.A(0), 100);
  EXPECT_EQ(ring.B(255), -100);
  EXPECT_EQ(ring.A(256), 200);
  for (uint32_t f = 512; f < 1024; ++f) ASSERT_EQ(ring.A(f), 0) << f;  // 512 zero frames
  EXPECT_EQ(ring.A(1024), 300);
  EXPECT_EQ(handler.Counters().lost.load(), 2u);
  EXPECT_EQ(handler.Counters().packets.load(), 3u);
}

TEST_F(OscStreamTest, RepeatIsDroppedAndWrapIsNoLoss) {
  handler.Handle(Packet(10, 1));
  handler.Handle(Packet(10, 2));
  EXPECT_EQ(lines, std::vector<std::string>{"Осциллограф:Повтор"});
  EXPECT_EQ(points.back(), OscPoint::Repeat);
  EXPECT_EQ(ring.WritePosition(), kOscBlockFrames);
  EXPECT_EQ(ring.A(0), 1);

  handler.Restart();
  handler.Handle(Packet(255));
  handler.Handle(Packet(0));
  EXPECT_EQ(handler.Counters().lost.load(), 0u);
  EXPECT_EQ(handler.Counters().repeated.load(), 1u);
}

TEST_F(OscStreamTest, OtherLengthsAreReportedTwoBytesIgnored) {
  handler.Handle(std::vector<uint8_t>(2));
  EXPECT_TRUE(points.empty());
  handler.Handle(std::vector<uint8_t>(7));
  handler.Handle(std::vector<uint8_t>(1031));
  EXPECT_EQ(lines, (std::vector<std::string>{"Осциллограф:Байтов=7(<>1030)", "Осциллограф:Байтов=1031(<>1030)"}));
  EXPECT_EQ(points, (std::vector<uint32_t>{OscPoint::WrongSize, OscPoint::WrongSize}));
  EXPECT_EQ(ring.WritePosition(), 0u);
}

TEST_F(OscStreamTest, RingWrapsAtSixtySeconds) {
  for (uint32_t i = 0; i < kOscRingFrames / kOscBlockFrames; ++i) handler.Handle(Packet(uint8_t(i), 5));
  EXPECT_EQ(ring.WritePosition(), 0u);
  handler.Handle(Packet(uint8_t(kOscRingFrames / kOscBlockFrames), 6));
  EXPECT_EQ(ring.WritePosition(), kOscBlockFrames);
  EXPECT_EQ(ring.A(0), 6);
}

TEST_F(OscStreamTest, PlotterBarsAndPaging) {
  EXPECT_EQ(TOscPlotter::BarHeight(0), 1);
  EXPECT_EQ(TOscPlotter::BarHeight(1090), 10);
  EXPECT_EQ(TOscPlotter::BarHeight(32767), 30);
  // Channel A at -1090 (mean of magnitudes 1090, height 10), channel B silent.
  handler.Handle(Packet(0, -1090, 0));
  TOscPlotter plotter;
  std::vector<TPlotColumn> columns;
  EXPECT_EQ(plotter.Advance(ring, [&](const TPlotColumn& c) { columns.push_back(c); }), 1u);  // 256 frames: one step
  ASSERT_EQ(columns.size(), 1u);
  EXPECT_EQ(columns[0].x, 0);
  EXPECT_EQ(columns[0].aHeight, 10);
  EXPECT_EQ(columns[0].aTop, 25 - 5 - 8);
  EXPECT_EQ(columns[0].aColour, 0x00FF00u);
  EXPECT_EQ(columns[0].bHeight, 1);
  EXPECT_EQ(columns[0].bTop, 25 - 0 + 9);
  EXPECT_EQ(plotter.ReadPosition, 240u);

  // A silent stream: red bars; six lines, then the page scrolls and starts 240,000 frames later.
  TOscRing silent;
  TOscPacketHandler h(silent, nullptr, nullptr);
  TOscPlotter p;
  std::vector<uint32_t> lineColours;
  int scrolls = 0, column = 0;
  for (uint32_t i = 0; i < kOscRingFrames / kOscBlockFrames; ++i) {
    h.Handle(Packet(uint8_t(i)));
    p.Advance(silent, [&](const TPlotColumn& c) {
      EXPECT_EQ(c.aColour, PlotColour::Silent);
      if (c.x == 0) lineColours.push_back(p.Colour);
      if (c.scroll) {
        ++scrolls;
        EXPECT_EQ(column, 5999);
        EXPECT_EQ(c.x, 999);
      }
      ++column;
    });
  }
  ASSERT_GE(lineColours.size(), 6u);
  EXPECT_EQ(std::vector<uint32_t>(lineColours.begin(), lineColours.begin() + 6),
            (std::vector<uint32_t>{0x00FF00, 0x00F300, 0x00E700, 0x00DB00, 0x00CF00, 0x00C300}));
  EXPECT_EQ(scrolls, 1);
  EXPECT_EQ(p.PageStart, 240000u);
  EXPECT_EQ(p.Baseline, 275);
  EXPECT_EQ(p.Colour, 0x00FF00u);  // six shades, then the first again
  EXPECT_EQ(p.FrameAt(10, 60), (240000u + 240000u + 2400u) % kOscRingFrames);
}

TEST_F(OscStreamTest, OscillogramScaleAndDivisorLimits) {
  TOscillogram view;
  EXPECT_EQ(view.Y(32767), 1);  // 32767 div 256 = 127
  EXPECT_EQ(view.Y(-32768), 256);
  EXPECT_EQ(view.Y(2560), 118);
  for (int i = 0; i < 10; ++i) view.Larger();
  EXPECT_EQ(view.Divisor, 1);
  EXPECT_FALSE(view.LargerEnabled());
  EXPECT_EQ(view.Y(100), 28);
  EXPECT_EQ(view.Y(1000), 0);  // limited to 128 either side of zero
  EXPECT_EQ(view.Y(-1000), 256);
  EXPECT_EQ(view.AmplitudeLabel(2), 100);
  EXPECT_EQ(TOscillogram::AmplitudeLabelY(2), 21);
  for (int i = 0; i < 10; ++i) view.Smaller();
  EXPECT_EQ(view.Divisor, 256);
  EXPECT_FALSE(view.SmallerEnabled());
  EXPECT_TRUE(view.LargerEnabled());
  EXPECT_EQ(TOscillogram::StartBefore(500), 1438999u);
  EXPECT_EQ(TOscillogram::StartBefore(5000), 4000u);
  EXPECT_EQ(OscTimerInterval(5), 200);
  const auto ticks = kTimeRuler.Ticks();
  ASSERT_EQ(ticks.size(), 42u);
  EXPECT_EQ(ticks[40].x, 3 + 40 * 24);
  EXPECT_EQ(ticks[40].label, "40");
  EXPECT_EQ(ticks[5].length, 6);
  EXPECT_EQ(kSampleRuler.Ticks()[100].label, "1000");
}

TEST_F(OscStreamTest, WavFileOfTheFramesSincePageStart) {
  handler.Handle(Packet(0, 1, -1));
  handler.Handle(Packet(1, 0x1234, 0x5678));
  const auto frames = OscRecording(ring, 256);  // the page started at the second block
  ASSERT_EQ(frames.size(), 1024u);
  EXPECT_EQ(Bytes(std::span(frames).first(8)), Bytes("34 12 78 56 34 12 78 56"));
  TTempDir dir;
  const auto path = dir.Path() / "запись.wav";
  ASSERT_EQ(WriteWavFile(path, frames), "");
  std::ifstream in(path, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), {});
  ASSERT_EQ(bytes.size(), 44u + 1024u);
  EXPECT_EQ(Bytes(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), 48)),
            Bytes("52 49 46 46 24 04 00 00 57 41 56 45 66 6D 74 20 10 00 00 00 01 00 02 00 "
            "C0 5D 00 00 00 77 01 00 04 00 10 00 64 61 74 61 00 04 00 00 34 12 78 56"));
  EXPECT_EQ(WavSavedText("a.wav", 192044), "Файл: a.wav\r\rБайтов: 192044\rСекунд: 2");
  EXPECT_EQ(OscRecording(ring, 512).size(), size_t(kOscRingFrames) * 4);  // equal positions: the whole ring
  EXPECT_EQ(WavFileName("rec"), "rec.wav");
  EXPECT_EQ(WavFileName("rec.raw"), "rec.raw");
  EXPECT_EQ(WavProposedName(2026, 3, 7, 9, 5, 1), "2026_03_07 09_05_01.wav");
}

TEST(DisplayTest, AttributesPaintForegroundOnBackgroundWithoutBlinking) {
  TFont8x8 font{};
  font['A' * 8 + 0] = 0x80;  // top-left pixel of the glyph
  const TGlyphCache glyphs(font);
  TPixelImage image(16, 10);
  glyphs.DrawCell(image, 0, 0, 'A', 0x1F);
  glyphs.DrawCell(image, 8, 0, 'A', 0xF0);
  EXPECT_EQ(image.At(0, 1), 0xFFFFFFu);  // white text
  EXPECT_EQ(image.At(1, 1), 0x0000C0u);  // on blue
  EXPECT_EQ(image.At(0, 0), 0x0000C0u);  // row 0 of the cell is background
  EXPECT_EQ(image.At(8, 1), 0x000000u);  // black text
  EXPECT_EQ(image.At(9, 1), 0xFFFFFFu);  // on white: bit 7 is a background colour
  EXPECT_EQ(image.At(8, 9), 0xFFFFFFu);
}

TEST(DisplayTest, Psf1FontIsCheckedBeforeUse) {
  std::vector<uint8_t> bytes{0x36, 0x04, 0x00, 0x08};
  std::string error;
  EXPECT_FALSE(ParsePsf1(bytes, &error));
  EXPECT_EQ(error, "the font file is cut short");
  bytes.resize(4 + 2048, 0xAA);
  ASSERT_TRUE(ParsePsf1(bytes));
  EXPECT_EQ((*ParsePsf1(bytes))[0], 0xAA);
  bytes[3] = 16;
  EXPECT_FALSE(ParsePsf1(bytes, &error));
  bytes[0] = 0x72;
  EXPECT_FALSE(ParsePsf1(bytes, &error));
  EXPECT_EQ(error, "not a PSF1 font");
}

struct ScreenTest : TDiagFixture {};

TEST_F(ScreenTest, RowsAreReadInTurnAndAFailedRowTurnsDarkGrey) {
  uint8_t* video = memory.At(MakeFarPtr(0xB800, 0));
  const std::string hello = WinToDos(Utf8ToCp1251("Привет"));
  for (size_t i = 0; i < hello.size(); ++i) video[i * 2] = uint8_t(hello[i]), video[i * 2 + 1] = 0x1F;
  TScreenBuffer screen;
  TScreenReader reader(link, screen);
  std::vector<uint32_t> dots;
  reader.SetIndicator([&](uint32_t c) { dots.push_back(c); });
  EXPECT_EQ(reader.ReadAll(), 0);
  EXPECT_EQ(screen.Text().substr(0, 12), "Привет");
  EXPECT_EQ(screen.Attribute(0, 0), 0x1F);
  // A controller without area reads: one try of them told, then a row per request.
  EXPECT_EQ(memory.areaCounts.size(), 1u);
  EXPECT_EQ(memory.readCounts.size(), 50u);
  EXPECT_EQ(memory.readCounts[0], 160u);

  memory.failReads = 3;  // three tries unanswered: the whole screen is stale, marked at once
  EXPECT_FALSE(reader.Tick());
  EXPECT_TRUE(reader.MarkedAll());
  EXPECT_EQ(dots.back(), 0x0000FFu);
  EXPECT_EQ(screen.Char(0, 0), uint8_t(hello[0]));  // stale text stays
  for (int r : {0, 7, 49})
    for (int c = 0; c < kScreenColumns; ++c) ASSERT_EQ(screen.Attribute(r, c), kUnreadableAttribute);
  EXPECT_EQ(reader.NextRow(), 8);
  memory.failReads = 2;  // the third try succeeds
  EXPECT_TRUE(reader.Tick());
  EXPECT_FALSE(reader.MarkedAll());
  EXPECT_EQ(dots.back(), 0x008000u);
  EXPECT_EQ(memory.readCounts.size(), 50u + 3u + 2u + 8u);
}

TEST_F(ScreenTest, AScreenGoesInSevenAreaReadsAndASilentOneCostsOneGroupsTries) {
  memory.areas = true;
  for (int r = 0; r < kScreenRows; ++r) memory.At(MakeFarPtr(0xB800, uint16_t(r * 160)))[0] = uint8_t('A' + r % 26);
  TScreenBuffer screen;
  TScreenReader reader(link, screen);
  EXPECT_EQ(reader.ReadAll(), 0);
  // (the requests after the first have an area of a few bytes more: no area read asks for as
  // many bytes as one of the 16 before it)
  EXPECT_EQ(memory.areaCounts, (std::vector<size_t>{8, 9, 9, 9, 9, 9, 2}));
  EXPECT_TRUE(memory.readCounts.empty());
  for (int r = 0; r < kScreenRows; ++r) ASSERT_EQ(screen.Char(r, 0), uint8_t('A' + r % 26));
  memory.failReads = 1000;
  memory.areaCounts.clear();
  EXPECT_EQ(reader.ReadAll(), kScreenRows);
  // Every group is tried (the screen goes on being asked for), but each only three times.
  EXPECT_EQ(memory.areaCounts.size(), 7u * 3u);
  EXPECT_TRUE(memory.readCounts.empty());
  for (int r = 0; r < kScreenRows; ++r) ASSERT_EQ(screen.Attribute(r, 0), kUnreadableAttribute);
}

TEST(DisplayTest, BmpOfThePictureAndItsExtension) {
  TPixelImage image(2, 1);
  image.pixels = {0x112233, 0xAABBCC};
  const auto bytes = BmpBytes(image);
  ASSERT_EQ(bytes.size(), 54u + 8u);
  EXPECT_EQ(Bytes(std::span(bytes).first(30)), Bytes(
            "42 4D 3E 00 00 00 00 00 00 00 36 00 00 00 28 00 00 00 02 00 00 00 01 00 00 00 01 00 18 00"));
  EXPECT_EQ(Bytes(std::span(bytes).subspan(54)), Bytes("33 22 11 CC BB AA 00 00"));
  EXPECT_EQ(BmpFileName("экран.png"), "экран.bmp");
  EXPECT_EQ(BmpFileName("/tmp/a.b/screen"), "/tmp/a.b/screen.bmp");
  EXPECT_EQ(BmpFileName("x.BMP"), "x.bmp");
}

}  // namespace
}  // namespace vlm::test
