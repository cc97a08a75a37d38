// The simulator's recorders in its memory: chain, descriptors, rings filled with time, the pcap
// stream, restarts; ReadMemoryAreas refused on request; the recorder options.
#include <gtest/gtest.h>

#include <cstring>

#include "SimTestUtil.h"
#include "common/TextCodec.h"
#include "sim/SimController.h"
#include "sim/SimOptions.h"
#include "sim/SimRecorders.h"

using namespace simtest;
using namespace vlm::sim;

namespace {

struct Recorders : ::testing::Test {
  SimMemory memory;
  SimRecorders recorders{RecorderOptions{10, 5, 200}};
  void SetUp() override { recorders.Publish(memory); }
  Bytes Read(uint16_t segment, uint16_t offset, size_t n) {
    Bytes b(n);
    memory.Read(segment, offset, b);
    return b;
  }
  static uint32_t U32(const Bytes& b, size_t at) {
    return uint32_t(b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t(b[at + 3]) << 24);
  }
};

TEST_F(Recorders, ChainHoldsEveryPortAndTheEthernetRecorder) {
  uint32_t next = U32(Read(0, 0x218, 4), 0);
  std::vector<std::string> names;
  std::vector<int> types;
  while (next != 0 && names.size() < 20) {
    const Bytes d = Read(uint16_t(next >> 16), uint16_t(next), 68);
    ASSERT_EQ(std::string(d.begin() + 4, d.begin() + 12), "BlackBox");
    names.push_back(vlm::Cp1251ToUtf8(std::string(d.begin() + 35, d.begin() + 35 + d[34])));
    types.push_back(d[12]);
    ASSERT_LT(next >> 16, 0x7000u);
    ASSERT_GE(next >> 16, 0x6000u);
    next = U32(d, 0);
  }
  ASSERT_EQ(names.size(), RecorderPorts().size() + 1);
  EXPECT_EQ(names[0], "COM2 МЭК-101");
  EXPECT_EQ(names[2], "ЛИСНА-1");
  EXPECT_EQ(names.back(), kEthernetRecorderName);
  EXPECT_EQ(types.back(), 1);
  EXPECT_EQ(std::count(types.begin(), types.end(), 0), int(RecorderPorts().size()));
}

TEST_F(Recorders, RingsFillWithTheSeededTrafficAtTheirTicks) {
  recorders.CatchUpTo(memory, 1000);  // frames at 0, 100, ..., 1000 ms
  const Bytes header = Read(kRecorderSegment, 0, 30);
  EXPECT_EQ(header[13], 11);
  TrafficGenerator again = RingTraffic(0, 5);
  for (int k = 0; k < 11; ++k) {
    const SimFrame frame = again.Next();
    ASSERT_EQ(header[14 + k], frame.bytes.size());
    const Bytes record = Read(kRecordBufferSegment, uint16_t(k * 136), 8 + frame.bytes.size());
    EXPECT_EQ(U32(record, 0), RingTick(0, uint64_t(k), 10));
    EXPECT_EQ(record[4], frame.protocol);
    EXPECT_EQ(record[5], frame.direction);
    EXPECT_EQ(Bytes(record.begin() + 8, record.end()), frame.bytes);
  }
  recorders.CatchUpTo(memory, 2000);
  EXPECT_EQ(Read(kRecorderSegment, 13, 1)[0], 21 % 16) << "the ring goes round";
  EXPECT_EQ(recorders.Counts()[0].written, 21u);
}

TEST_F(Recorders, PcapStreamGrowsAndWrapsAtTheBufferEnd) {
  const uint16_t eth = uint16_t(kRecorderSegment + 0x10 * RecorderPorts().size());
  recorders.CatchUpTo(memory, 1000);  // packets at 0, 200, ..., 1000
  Bytes d = Read(eth, 0, 68);
  EXPECT_EQ(U32(d, 13), kPcapBufferBase);
  EXPECT_EQ(U32(d, 17), kPcapBufferSize);
  const uint32_t written = U32(d, 21);
  // Six records of Ethernet + IPv4 + TCP; the first is the SYN of 54 bytes, padded to 64.
  const Bytes first = Read(uint16_t(0xF000 | kPcapBufferBase >> 16), 0, 16 + 64);
  EXPECT_EQ(U32(first, 8), 64u);
  EXPECT_EQ(first[16 + 12], 0x08);
  EXPECT_EQ(first[16 + 14], 0x45);
  EXPECT_EQ(first[16 + 47], 0x02) << "SYN";
  size_t at = 0, records = 0;
  while (at < written) {
    const Bytes head = Read(uint16_t(0xF000 | kPcapBufferBase >> 16), uint16_t(at), 16);
    at += 16 + U32(head, 8);
    ++records;
  }
  EXPECT_EQ(at, written);
  EXPECT_EQ(records, 6u);
  EXPECT_EQ(d[25], 0);
  for (const uint32_t laps : {4000u, 4321u, 9000u}) {
    recorders.CatchUpTo(memory, 200 * laps);
    d = Read(eth, 0, 68);
    EXPECT_EQ(d[25], 1) << "buffer started over";
    const uint32_t writeIndex = U32(d, 21);
    EXPECT_LT(writeIndex, kPcapBufferSize);
    // Read in order from the write index, the buffer is whole records: the older end part
    // (a filler first where a new record cut into an old one), then the start.
    for (const auto& [from, to] : {std::pair{writeIndex, kPcapBufferSize}, std::pair{0u, writeIndex}}) {
      size_t pos = from, count = 0;
      while (pos < to) {
        const Bytes head = Read(uint16_t(0xF000 | kPcapBufferBase >> 16), uint16_t(pos), 16);
        pos += 16 + U32(head, 8);
        ++count;
      }
      EXPECT_EQ(pos, to) << laps;
      EXPECT_GT(count, 10u);
    }
  }
}

TEST_F(Recorders, ResetStartsTheRecordersAgainAndAreasCanBeRefused) {
  SimDisk disk(std::filesystem::temp_directory_path().string());
  SimController controller(disk, memory);
  controller.SetBootHook([this](SimMemory& m) { recorders.Publish(m); });
  controller.SetRequestHook([this] { recorders.CatchUpTo(memory, 500); });
  controller.Boot();
  const Bytes areas = Frame(0xA3, {1, 0x0D, 0x00, 0x00, 0x60, 1});
  auto outcome = controller.Handle(areas, kUdpLink);
  ASSERT_TRUE(outcome.answered);
  EXPECT_EQ(outcome.answer[2], 6) << "write index after the frames of 0..500 ms";
  controller.SetAreasRefused(true);
  EXPECT_FALSE(controller.Handle(areas, kUdpLink).answered);
}

TEST(SimRecorderOptions, RateAndBatchRefusal) {
  SimOptions options;
  EXPECT_EQ(ParseOptions({"--box-rate", "50", "--no-batch"}, options), "");
  EXPECT_EQ(options.boxRate, 50);
  EXPECT_TRUE(options.noBatch);
  EXPECT_NE(ParseOptions({"--box-rate", "-1"}, options), "");
  EXPECT_NE(ParseOptions({"--box-rate", "x"}, options), "");
}

}  // namespace
