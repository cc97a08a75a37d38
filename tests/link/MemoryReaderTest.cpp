// The memory reader: batches of area reads within the link's limits, single reads for a
// controller that leaves area reads unanswered, and area answers taken only for their own request.
#include <gtest/gtest.h>

#include "FakeTransport.h"
#include "link/MemoryReader.h"
#include "link/ServiceRequests.h"

namespace vlm {
namespace {

using Bytes = std::vector<uint8_t>;

struct MemoryReader : test::TFakeControllerLink {
  std::vector<Bytes> buffers;
  std::vector<TMemoryRead> reads;
  std::vector<bool> points;
  TMemoryReader reader{link};
  void SetUp() override {
    TFakeControllerLink::SetUp();
    for (size_t i = 0; i < controller.memory.size(); ++i) controller.memory[i] = uint8_t(i * 7 + i / 251);
    reader.SetIndicator([this](bool ok) { points.push_back(ok); });
  }
  // n areas of `size` bytes, 300 bytes apart from offset 0.
  void Areas(size_t n, size_t size) {
    buffers.assign(n, Bytes(size));
    reads.clear();
    for (size_t i = 0; i < n; ++i) reads.push_back({0, uint16_t(i * 300), buffers[i]});
  }
  bool AllRight() const {
    for (size_t i = 0; i < reads.size(); ++i)
      for (size_t k = 0; k < buffers[i].size(); ++k)
        if (!reads[i].Done || buffers[i][k] != controller.memory[reads[i].Offset + k]) return false;
    return true;
  }
  std::vector<uint8_t> Commands() const {
    std::vector<uint8_t> c;
    for (const auto& f : wire.sent) c.push_back(f[1]);
    return c;
  }
};

TEST(MemoryReaderPlan, BatchesEndAtTheAreaCountAndAtTheAnswerBytes) {
  const std::vector<size_t> small(120, 4), rows(20, 160);
  auto sizes = [](const std::vector<std::vector<size_t>>& batches) {
    std::vector<size_t> s;
    for (const auto& b : batches) s.push_back(b.size());
    return s;
  };
  EXPECT_EQ(sizes(TMemoryReader::Batches(small, 49, 1419)), (std::vector<size_t>{49, 49, 22}));
  EXPECT_EQ(sizes(TMemoryReader::Batches(rows, 49, 1419)), (std::vector<size_t>{8, 8, 4}));
  EXPECT_EQ(sizes(TMemoryReader::Batches(rows, 49, 252)), (std::vector<size_t>(20, 1)));
  TControllerLink serial;
  serial.Settings.LinkMode = kLinkSerial;
  EXPECT_EQ(TMemoryReader::AnswerBytes(serial), 252u);  // data + 3 in the 8-bit expected length
  EXPECT_EQ(TMemoryReader::AnswerBytes(TControllerLink{}), 1420u);
}

TEST_F(MemoryReader, AreasGoInBatchesWithinTheLimitsAndArriveInPlace) {
  Areas(120, 4);
  ASSERT_TRUE(reader.Read(reads));
  EXPECT_TRUE(AllRight());
  ASSERT_EQ(Commands(), (Bytes{0xA3, 0xA3, 0xA3}));
  EXPECT_EQ(wire.sent[0][2], 49);
  EXPECT_EQ(wire.sent[2][2], 22);
  EXPECT_EQ(points, (std::vector<bool>{true, true, true}));  // one indicator point per request
  // Rows of 160 bytes: eight fit the 1420 data bytes of one answer.
  wire.sent.clear();
  Areas(20, 160);
  ASSERT_TRUE(reader.Read(reads));
  EXPECT_TRUE(AllRight());
  EXPECT_EQ(Commands(), (Bytes{0xA3, 0xA3, 0xA3}));
  EXPECT_EQ(wire.sent[0][2], 8);
  EXPECT_EQ(TMemoryReader::AreasAnswered(link), std::optional<bool>(true));
}

TEST_F(MemoryReader, AnUnansweredAreaReadFallsBackToSingleReadsRememberedForTheLink) {
  controller.areas = false;  // firmware without area reads
  Areas(3, 10);
  ASSERT_TRUE(reader.Read(reads));
  EXPECT_TRUE(AllRight());
  EXPECT_EQ(Commands(), (Bytes{0xA3, 0x80, 0x80, 0x80}));  // one try tells
  EXPECT_EQ(TMemoryReader::AreasAnswered(link), std::optional<bool>(false));
  wire.sent.clear();
  TMemoryReader other(link);  // another window of the same link knows it too
  ASSERT_TRUE(other.Read(reads));
  EXPECT_EQ(Commands(), (Bytes{0x80, 0x80, 0x80}));
  // Another controller starts unknown again.
  link.Settings.DestIP = {10, 0, 0, 9};
  EXPECT_EQ(TMemoryReader::AreasAnswered(link), std::nullopt);

  // A silent controller teaches nothing, and its tries end the read: the areas behind the
  // unanswered request are not asked for.
  wire.sent.clear();
  controller.areas = true;
  wire.answers.assign(20, Bytes{});
  Areas(120, 4);
  EXPECT_FALSE(reader.Read(reads));
  EXPECT_EQ(Commands(), (Bytes{0xA3, 0x80, 0x80, 0x80}));
  EXPECT_EQ(TMemoryReader::AreasAnswered(link), std::nullopt);
}

TEST_F(MemoryReader, AnAreaAnswerIsTakenOnlyForTheRequestOfItsLength) {
  // A late answer of an earlier area read of 10 bytes waits in front of the answer to this one.
  const TMemoryArea areas[] = {{0x10, 0, 3}, {0x20, 0, 5}};
  wire.answers = {test::Sealed({11, 0xA3, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 0})};
  ASSERT_TRUE(ReadMemoryAreas(link, areas));
  EXPECT_EQ(link.ResponseLength(), 11u);
  EXPECT_EQ(link.Response()[2], controller.memory[0x10]);
  EXPECT_EQ(link.Counters().stale, 1u);

  // Two area reads in a row never ask for the same number of bytes: a repeated answer of the
  // one before cannot stand in for the next.
  Areas(2, 5);
  ASSERT_TRUE(reader.Read(reads));
  const Bytes first = controller.Answer(wire.sent.back());
  for (int i = 0; i < 10; ++i) controller.memory[size_t(i % 2) * 300 + size_t(i / 2)] ^= 0x55;
  wire.answers = {first};
  ASSERT_TRUE(reader.Read(reads));
  EXPECT_EQ(wire.sent.back()[2], 3);  // a third area of one byte
  EXPECT_TRUE(AllRight());
  EXPECT_EQ(link.Counters().stale, 2u);

  // Nor as many as any of the sixteen before: the answer of two reads back cannot either.
  for (int i = 0; i < 10; ++i) controller.memory[size_t(i % 2) * 300 + size_t(i / 2)] ^= 0x55;
  wire.answers = {first};
  ASSERT_TRUE(reader.Read(reads));
  EXPECT_EQ(wire.sent.back()[2], 3);
  EXPECT_EQ(wire.sent.back()[3 + 5 * 2 + 4], 2);  // the third area is two bytes now
  EXPECT_TRUE(AllRight());
  EXPECT_EQ(link.Counters().stale, 3u);
}

}  // namespace
}  // namespace vlm
