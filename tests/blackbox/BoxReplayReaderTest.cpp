// Replay of a recorded file through the "Test" reader: fields of the line, skipped lines.
#include <cstdio>

#include "BoxReaderFixture.h"
#include "blackbox/BoxReplay.h"
#include "blackbox/BoxScan.h"
#include "common/TextCodec.h"

namespace vlm::test {
namespace {

struct ReplayReader : BoxReaderTest {
  TBoxList list{context};
  std::FILE* file = std::tmpfile();
  ~ReplayReader() override { std::fclose(file); }
  void Write(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), file);
    std::rewind(file);
  }
};

TEST_F(ReplayReader, ThreePairsGiveThreeBytesAndTheLineKeepsItsTime) {
  context.view.showText = false;
  Write(Utf8ToCp1251(" Чёрный Ящик №1 COM2\r\n"
                     "2023.11.12 13:14:15.016|t  1234|d   4|p035|e0|L  3|№1|<ПУ|0A FF 10 \r\n"));
  TBoxDriver& box = list.ReplayBox();
  context.view.currentBox = &box;
  TBoxReplay replay(box, file);
  ASSERT_TRUE(replay.Step());
  EXPECT_EQ(replay.Progress(), 22u + 69u);
  EXPECT_EQ(box.CurrentRecord().data[0], 0x0A);
  EXPECT_EQ(box.CurrentRecord().data[1], 0xFF);
  EXPECT_EQ(box.CurrentRecord().data[2], 0x10);
  EXPECT_EQ(box.CurrentRecord().direction, 1);
  EXPECT_EQ(box.Descriptor().Length(0), 3u);
  ASSERT_EQ(box.Lines().size(), 1u);
  EXPECT_EQ(box.Lines()[0].substr(1), "2023.11.12 13:14:15.016|t  1234|d1234|p035|e0|L  3|№1|<ПУ|0A FF 10 ");
  EXPECT_FALSE(replay.Step());
  EXPECT_EQ(replay.Records(), 1u);
  EXPECT_EQ(replay.Skipped(), 0u);
}

TEST_F(ReplayReader, LinesWithEveryMarkButBadNumbersAreCounted) {
  Write("2023.11.12 13:14:15.016|t  12x4|d   4|p035|e0|L  3|№1|-->|0A FF 10 \n"
        "2023.13.12 13:14:15.016|t  1234|d   4|p035|e0|L  3|№1|-->|0A FF 10 \n"
        "2023.11.12 13:14:15.016|t  1234|d   4|p035|e0|L  3|№1|-->|0A FG 10 \n"
        "---------------------------------------\n"
        "2023.11.12 13:14:15.016|t  1234|d   4|p035|e0|L  3|№1|-->|01 \n");
  TBoxDriver& box = list.ReplayBox();
  TBoxReplay replay(box, file);
  ASSERT_TRUE(replay.Step());
  EXPECT_FALSE(replay.Step());
  EXPECT_EQ(replay.Records(), 1u);
  EXPECT_EQ(replay.Skipped(), 3u);
}

}  // namespace
}  // namespace vlm::test
