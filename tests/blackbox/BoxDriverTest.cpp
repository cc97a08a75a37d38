// Polling a type-0 recorder: header checks, batch and single reads, the record line and where
// it goes (display, file, decoder), filters and the display bounds.
#include "BoxReaderFixture.h"
#include "common/TextCodec.h"

namespace vlm::test {
namespace {

using Reader = BoxReaderTest;

TEST_F(Reader, HeaderDecidesWhetherAnythingIsRead) {
  auto reader = MakeReader();
  reader->Poll();  // write index 0 = read index 0: the header and the guard, the head of buffer 15
  ASSERT_EQ(memory.requests.size(), 2u);
  EXPECT_EQ(memory.requests[1], (std::vector<uint8_t>{6, 0x80, 0xF8, 0x07, 0x00, 0x20, 8, 0xA7}));
  EXPECT_EQ(events.points, std::vector<uint32_t>{kPointGreen});

  SetWriteIndex(16);
  reader->Poll();
  EXPECT_EQ(memory.requests.size(), 3u);
  EXPECT_EQ(events.points.back(), kPointPurple);

  SetWriteIndex(1);
  memory.Put(kDescriptorSegment, 4, {'X'});
  reader->Poll();
  EXPECT_EQ(events.points.back(), kPointFuchsia);
  EXPECT_EQ(memory.requests.size(), 4u);
  EXPECT_EQ(reader->Descriptor().WriteIndex(), 0) << "a damaged header is not taken";

  memory.failReads = 1;
  reader->Poll();
  EXPECT_EQ(events.points.back(), kPointYellow);

  context.view.currentBox = nullptr;  // neither current nor recording: no exchange at all
  const size_t before = memory.requests.size();
  reader->Poll();
  EXPECT_EQ(memory.requests.size(), before);
}

TEST_F(Reader, BatchesStopAt248BytesOr16AreasAndTheProbeRunsOnce) {
  auto reader = MakeReader();
  for (size_t i = 0; i < 15; ++i) PutRecord(i, uint32_t(1000 + i), 35, 0, std::vector<uint8_t>(100, uint8_t(i)));
  SetWriteIndex(15);
  reader->Poll();
  EXPECT_TRUE(reader->BatchTested());
  EXPECT_TRUE(reader->BatchSupported());
  // The probe: 4 bytes at 0000:0000; then areas of 108 bytes, two to a request, and behind them
  // the guard, the head of buffer 15.
  ASSERT_EQ(memory.Count(0xA3), 2u);
  const std::vector<uint8_t> probe{7, 0xA3, 1, 0, 0, 0, 0, 4, 0xA8};
  EXPECT_EQ(memory.requests[2], probe);
  EXPECT_EQ(memory.requests[3], (std::vector<uint8_t>{17, 0xA3, 3, 0x00, 0x00, 0x00, 0x20, 108, 0x88, 0x00, 0x00,
                                                      0x20, 108, 0xF8, 0x07, 0x00, 0x20, 8, 0x6D}));
  EXPECT_EQ(reader->ReadIndex(), 2);
  for (int i = 0; i < 7; ++i) reader->Poll();
  EXPECT_EQ(std::count(memory.requests.begin(), memory.requests.end(), probe), 1) << "the probe is not repeated";
  EXPECT_EQ(reader->ReadIndex(), 15);
  EXPECT_EQ(reader->Lines().size(), 15u * 2) << "hex line and Modbus text of each";

  // Empty records: fifteen areas of 8 bytes and the guard go in one request. The link knows
  // the answer already: a second reader sends no probe.
  auto second = MakeReader();
  memory.requests.clear();
  for (size_t i = 0; i < 15; ++i) PutRecord(i, uint32_t(i), 35, 0, {});
  second->Poll();
  EXPECT_TRUE(second->BatchSupported());
  ASSERT_EQ(memory.Count(0xA3), 1u);
  EXPECT_EQ(std::count(memory.requests.begin(), memory.requests.end(), probe), 0);
  EXPECT_EQ(memory.requests.back()[2], 16);
  EXPECT_EQ(second->ReadIndex(), 15);
}

TEST_F(Reader, FailedBatchLosesItsRecordsFailedSingleReadIsAskedAgain) {
  context.view.showText = false;
  for (size_t i = 0; i < 3; ++i) PutRecord(i, uint32_t(i), 35, 0, {1, 2, 3});
  SetWriteIndex(3);
  auto batch = MakeReader();
  memory.failAreas = 0;
  batch->Poll();
  EXPECT_EQ(batch->Lines().size(), 3u);
  PutRecord(3, 3, 35, 0, {4});
  SetWriteIndex(4);
  memory.requests.clear();
  memory.failAt = 1;  // the header (with the guard) answered, the batch lost
  batch->Poll();
  EXPECT_EQ(events.points.back(), kPointYellow);
  EXPECT_EQ(batch->ReadIndex(), 4) << "the batch moved the read index before it was sent";
  EXPECT_EQ(batch->RecordsLost(), 1u);
  batch->Poll();
  EXPECT_EQ(batch->Lines().size(), 3u);

  memory.refuseAreas = true;  // older firmware, at another address
  memory.failAt = SIZE_MAX;
  context.link.Settings.DestIP = {10, 0, 0, 2};
  auto single = MakeReader();
  memory.requests.clear();
  single->Poll();  // header, guard, refused probe, four single reads, guard again
  EXPECT_FALSE(single->BatchSupported());
  EXPECT_EQ(memory.Count(0x80), 7u);
  EXPECT_EQ(single->Lines().size(), 4u);
  EXPECT_EQ(memory.requests[3], (std::vector<uint8_t>{6, 0x80, 0x00, 0x00, 0x00, 0x20, 11, 0xAB}));

}

TEST_F(Reader, SingleReadFailureKeepsTheReadIndex) {
  context.view.showText = false;
  memory.refuseAreas = true;
  for (size_t i = 0; i < 2; ++i) PutRecord(i, uint32_t(i), 35, 0, {1});
  SetWriteIndex(2);
  auto reader = MakeReader();
  reader->Poll();  // header, guard, probe, two buffers, guard
  EXPECT_EQ(reader->ReadIndex(), 2);
  PutRecord(2, 2, 35, 0, {1});
  SetWriteIndex(3);
  memory.requests.clear();
  memory.failAt = 1;  // header answered, buffer read lost
  reader->Poll();
  EXPECT_EQ(events.points.back(), kPointYellow);
  EXPECT_EQ(reader->ReadIndex(), 2);
  reader->Poll();
  EXPECT_EQ(reader->ReadIndex(), 3);
  EXPECT_EQ(memory.requests[1], memory.requests[3]) << "the same buffer asked again";

  // A guard read lost behind the buffers keeps them unread as well.
  PutRecord(3, 3, 35, 0, {1});
  SetWriteIndex(4);
  memory.requests.clear();
  memory.failAt = 2;
  reader->Poll();
  EXPECT_EQ(reader->ReadIndex(), 3);
  EXPECT_EQ(reader->Lines().size(), 3u);
  reader->Poll();
  EXPECT_EQ(reader->ReadIndex(), 4);
  EXPECT_EQ(reader->Lines().size(), 4u);
}

TEST_F(Reader, LineOf128BytesAndTheErrorOfSentFrames) {
  context.view.showText = false;
  std::vector<uint8_t> full(128);
  for (size_t i = 0; i < 128; ++i) full[i] = uint8_t(0x80 + i);
  PutRecord(0, 100, 14, 1, full, 3);
  SetWriteIndex(1);
  auto reader = MakeReader();
  reader->Poll();
  ASSERT_EQ(reader->Lines().size(), 1u);
  const std::string& line = reader->Lines()[0];
  EXPECT_EQ(line[0], '\0');
  const std::string head = "2024.01.02 03:04:05.678|t   100|d 100|p014|e0|L128|№1|<ПУ|";
  ASSERT_TRUE(line.substr(1).starts_with(head)) << line;
  EXPECT_EQ(line.size(), 1 + head.size() + 128 * 3);
  EXPECT_TRUE(line.ends_with("FD FE FF "));
  EXPECT_EQ(reader->RawLines().size(), 1u);
  EXPECT_EQ(reader->RawLines()[0], line);
}

TEST_F(Reader, LengthAbove128IsCutToTheBuffer) {
  context.view.showText = false;
  PutRecord(0, 1, 35, 0, std::vector<uint8_t>(128, 0xAB));
  memory.Put(kDescriptorSegment, 14, {200});
  memory.Put(kBufferSegment, 136, {0xEE});  // next buffer: must not be read into the record
  SetWriteIndex(1);
  memory.refuseAreas = true;
  auto reader = MakeReader();
  reader->Poll();
  ASSERT_EQ(reader->Lines().size(), 1u);
  EXPECT_NE(reader->Lines()[0].find("|L128|"), std::string::npos);
  EXPECT_EQ(reader->Lines()[0].find("EE"), std::string::npos);
  EXPECT_EQ(memory.requests[memory.requests.size() - 2][6], 136) << "the buffer, then the guard";
  EXPECT_EQ(reader->RecordsCut(), 1u);
}

TEST_F(Reader, RingPastTheEndOfItsSegmentIsNeverRead) {
  memory.Put(kDescriptorSegment, 30, {0x00, 0xFF});  // buffers at 2000:FF00, 16 × 136 bytes do not fit
  PutRecord(0, 1, 35, 0, {1});
  SetWriteIndex(1);
  auto reader = MakeReader();
  EXPECT_FALSE(reader->RingFits());
  reader->Poll();
  reader->StartRecording();
  EXPECT_FALSE(reader->Recording());
  EXPECT_TRUE(memory.requests.empty());
  EXPECT_EQ(events.points, std::vector<uint32_t>{kPointPurple});
  ASSERT_EQ(prompt.errors.size(), 1u);
  EXPECT_EQ(prompt.errors[0],
            "Буферы Чёрного Ящика №1 COM2 выходят за пределы сегмента (смещение FF00h): запись невозможна.");

  memory.Put(kDescriptorSegment, 30, {0x80, 0xF7});  // F780h + 2176 = 10000h: up to the last byte
  EXPECT_TRUE(MakeReader()->RingFits());
  memory.Put(kDescriptorSegment, 30, {0x81, 0xF7});
  EXPECT_FALSE(MakeReader()->RingFits());
}

TEST_F(Reader, SentFramesOfCode8AreSeparatedNotThoseOfCode35) {
  context.view.showText = false;
  auto reader = MakeReader();
  ASSERT_NO_FATAL_FAILURE(reader->StartRecording());
  ASSERT_TRUE(reader->Recording());
  PutRecord(0, 10, 8, 1, {0xE5});
  PutRecord(1, 20, 8, 1, {0xE5});
  PutRecord(2, 30, 35, 1, {0x01});
  PutRecord(3, 40, 35, 1, {0x01});
  PutRecord(4, 50, 8, 0, {0xE5});
  PutRecord(5, 60, 8, 1, {0xE5});
  SetWriteIndex(6);
  reader->Poll();
  std::vector<std::string> display;
  for (const auto& line : reader->Lines()) display.push_back(line.substr(0, 1) + (line.size() > 40 ? line.substr(39, 4) : line.substr(1)));
  EXPECT_EQ(display, (std::vector<std::string>{std::string(1, '\0') + "p008", "\x01 ", std::string(1, '\0') + "p008",
                                               std::string(1, '\0') + "p035", std::string(1, '\0') + "p035",
                                               std::string(1, '\0') + "p008", std::string(1, '\0') + "p008"}));
  reader->StopRecording();
  const std::string file = ReadFile(folder / "BlackBox01.txt");
  const std::string legendEnd = Utf8ToCp1251("7=ош.CRC\r\n" + std::string(99, '-') + "\r\n");
  const size_t body = file.find(legendEnd);
  ASSERT_NE(body, std::string::npos);
  const std::string records = file.substr(body + legendEnd.size());
  std::vector<size_t> lengths;
  for (size_t from = 0, at; (at = records.find("\r\n", from)) != std::string::npos; from = at + 2) lengths.push_back(at - from);
  ASSERT_EQ(lengths.size(), 7u);
  EXPECT_EQ(lengths[1], 0u) << "an empty line between the two sent frames of code 8";
  for (size_t i : {0, 2, 3, 4, 5, 6}) EXPECT_GT(lengths[i], 50u) << i;
  EXPECT_EQ(reader->BytesWritten(), int32_t(lengths[0] * 6));
}

TEST_F(Reader, FiltersHideOnlyCodes2_4And36) {
  context.view.showText = false;
  context.view.kpFilter = true;
  context.view.kpNumber = 5;
  PutRecord(0, 1, 36, 0, {0x00, 0x25, 0x07});  // 25h and 1Fh = 5: shown
  PutRecord(1, 2, 36, 0, {0x05, 0x26, 0x07});  // 6: hidden
  PutRecord(2, 3, 14, 0, {0x68, 0x26});        // never filtered
  PutRecord(3, 4, 2, 0, {0x05, 0x03});          // k = 0: shown
  PutRecord(4, 5, 2 | 0x40, 0, {0x05, 0x03});   // k = 1 by the framing flag: hidden
  SetWriteIndex(5);
  auto reader = MakeReader();
  reader->Poll();
  std::string ticks;
  for (const auto& line : reader->Lines()) ticks += line.substr(25, 8) + ";";
  EXPECT_EQ(ticks, "t     1|;t     3|;t     4|;");

  context.view.kpFilter = false;
  context.view.fnFilter = true;
  context.view.fnNumber = 7;
  PutRecord(5, 6, 36, 0, {0x00, 0x25, 0x07});
  PutRecord(6, 7, 36, 0, {0x00, 0x25, 0x08});
  SetWriteIndex(7);
  reader->Poll();
  EXPECT_EQ(reader->Lines().size(), 4u);
}

TEST_F(Reader, TextWithoutDecoderShowsTheHexLineInvalidDirectionOnlyInTheFile) {
  context.view.showHex = false;
  context.view.showText = true;
  context.view.analyzerRunning = true;
  PutRecord(0, 1, 20, 0, {0x11, 0x22});
  PutRecord(1, 2, 35, 0, {0x01, 0x03, 0x00, 0x00, 0x00, 0x01, 0x84, 0x0A}, 7);
  SetWriteIndex(2);
  auto reader = MakeReader();
  reader->StartRecording();
  reader->Poll();
  ASSERT_EQ(reader->Lines().size(), 2u) << events.shown;
  EXPECT_NE(reader->Lines()[0].find("|p020|e0|L  2|№1|-->|11 22 "), std::string::npos);
  EXPECT_EQ(reader->Lines()[1].find("|p035"), std::string::npos) << "decoded text only, no hex line";
  EXPECT_EQ(std::count(events.points.begin(), events.points.end(), kPointRed), 0);
  EXPECT_EQ(events.fed, 2u);
  reader->StopRecording();
  const std::string file = Cp1251ToUtf8(ReadFile(folder / "BlackBox01.txt"));
  EXPECT_EQ(file.find("|p020|"), file.rfind("|p020|")) << "the line is written once";
  EXPECT_NE(file.find("|p035|e7|L  8|№1|-->|01 03 00 00 00 01 84 0A \r\n-> КП=1 Фн=03"), std::string::npos);
}

TEST_F(Reader, InvalidDirectionIsWrittenAndFedButNeitherShownNorDecoded) {
  context.view.analyzerRunning = true;
  PutRecord(0, 1, 35, 2, {0x01, 0x03, 0x00, 0x00, 0x00, 0x01, 0x84, 0x0A});
  SetWriteIndex(1);
  auto reader = MakeReader();
  reader->StartRecording();
  reader->Poll();
  EXPECT_TRUE(reader->Lines().empty());
  EXPECT_EQ(std::count(events.points.begin(), events.points.end(), kPointRed), 1);
  EXPECT_EQ(events.fed, 1u);
  reader->StopRecording();
  const std::string file = Cp1251ToUtf8(ReadFile(folder / "BlackBox01.txt"));
  EXPECT_NE(file.find("|L  8|№1|01 03 00 00 00 01 84 0A \r\n"), std::string::npos);
}

TEST_F(Reader, DisplayKeeps2000LinesAndFlowEntriesDropTheOldest) {
  auto reader = MakeReader();
  for (int i = 0; i < 2100; ++i) {
    reader->CurrentRecord().direction = uint8_t(i & 1);
    reader->AddLines("a" + std::to_string(i) + "\r\nbb", uint8_t(0x35));
  }
  ASSERT_EQ(reader->Lines().size(), 2000u);
  EXPECT_EQ(reader->Lines().back(), "\x35" "bb");
  EXPECT_EQ(reader->Lines().front(), "\x35" "a1100");
  EXPECT_EQ(reader->FlowCount(), 1999);
  EXPECT_EQ(reader->Flow()[1998].length, 2);
  EXPECT_EQ(reader->Flow()[1998].colour, 0x30);
  EXPECT_EQ(reader->Flow()[1997].length, 5);  // "a2099"
  EXPECT_EQ(reader->Flow()[1997].direction, 1);

  reader->Paused = true;
  reader->AddLines("x", 0);
  EXPECT_EQ(reader->Lines().back(), "\x35" "bb");
  reader->Paused = false;
  context.view.currentBox = nullptr;
  reader->AddLines("x", 0);
  EXPECT_EQ(reader->Lines().back(), "\x35" "bb");
}

}  // namespace
}  // namespace vlm::test
