// The scan of the recorder chain: numbering, loops, length limit, unsupported types, failures.
#include "BoxReaderFixture.h"
#include "blackbox/BoxDriverEth.h"
#include "blackbox/BoxScan.h"

namespace vlm::test {
namespace {

struct Scan : BoxReaderTest {
  TBoxList list{context};
  void Root(uint16_t segment, uint16_t offset) {
    memory.Put(0, 0x218, {uint8_t(offset), uint8_t(offset >> 8), uint8_t(segment), uint8_t(segment >> 8)});
  }
  void Descriptor(uint16_t segment, uint32_t next, uint8_t type, const std::string& name) {
    memory.Put(segment, 0, TBoxLayout::Descriptor(next, type, name));
  }
};

TEST_F(Scan, ChainOfOneIsNumberedOneOnEveryScan) {
  Root(0x6000, 0);
  Descriptor(0x6000, 0, 0, "COM2");
  for (int scan = 0; scan < 2; ++scan) {
    ASSERT_TRUE(list.Scan());
    ASSERT_EQ(list.Readers().size(), 1u);
    EXPECT_EQ(list.Readers()[0]->Number(), 1);
    EXPECT_EQ(list.Readers()[0]->NodeText(), "№1 COM2");
    EXPECT_EQ(list.Readers()[0]->FileName, "BlackBox01.txt");
  }
  EXPECT_TRUE(prompt.errors.empty());
  EXPECT_EQ(events.points, (std::vector<uint32_t>{kPointLime, kPointLime, kPointLime, kPointLime}));
}

TEST_F(Scan, TypesPickTheirReaderAndUnknownTypesAreListedOnly) {
  Root(0x6000, 0);
  Descriptor(0x6000, 0x61000000, 0, "COM2");
  Descriptor(0x6100, 0x62000000, 7, "Новый");
  Descriptor(0x6200, 0, 1, "ETH");
  ASSERT_TRUE(list.Scan());
  ASSERT_EQ(list.Readers().size(), 2u);
  EXPECT_EQ(list.Readers()[1]->Number(), 2);
  EXPECT_NE(dynamic_cast<TBoxDriverEth*>(list.Readers()[1].get()), nullptr);
  EXPECT_EQ(list.Readers()[1]->FileName, "BlackBox02.pcap");
  ASSERT_EQ(list.Unsupported().size(), 1u);
  EXPECT_EQ(list.Unsupported()[0].type, 7);
  EXPECT_EQ(list.Find(2), list.Readers()[1].get());
  EXPECT_EQ(list.ReplayBox().Number(), 3);
  EXPECT_EQ(list.ReplayBox().Name(), "Test");
}

TEST_F(Scan, LoopsLongChainsAndMissingSignaturesEndTheScan) {
  Root(0x6000, 0);
  Descriptor(0x6000, 0x61000000, 0, "A");
  Descriptor(0x6100, 0x60000000, 0, "B");  // back to the first
  EXPECT_FALSE(list.Scan());
  EXPECT_EQ(list.Readers().size(), 2u) << "readers found before the failure stay";
  EXPECT_EQ(prompt.errors, std::vector<std::string>{kNoBoxInterface});
  EXPECT_FALSE(link.LinkOpen());

  for (uint16_t i = 0; i < 70; ++i) Descriptor(uint16_t(0x6000 + i * 0x10), uint32_t(0x6000 + (i + 1) * 0x10) << 16, 0, "x");
  EXPECT_FALSE(list.Scan());
  EXPECT_EQ(list.Readers().size(), TBoxList::kMaxDescriptors);

  Descriptor(0x6000, 0x61000000, 0, "A");
  memory.Put(0x6100, 4, {'b'});
  EXPECT_FALSE(list.Scan());
  EXPECT_EQ(list.Readers().size(), 1u);
}

TEST_F(Scan, UnreadableRootGivesThreeRedPoints) {
  memory.failReads = 3;
  EXPECT_FALSE(list.Scan());
  EXPECT_EQ(events.points, (std::vector<uint32_t>{kPointRed, kPointRed, kPointRed}));
  EXPECT_EQ(prompt.errors.size(), 1u);

  events.points.clear();
  Root(0x6000, 0);
  Descriptor(0x6000, 0, 0, "A");
  memory.failReads = 2;
  EXPECT_TRUE(list.Scan());
  EXPECT_EQ(events.points, (std::vector<uint32_t>{kPointRed, kPointRed, kPointLime, kPointLime}));
}

TEST_F(Scan, ScanStopsRecordings) {
  Root(0x6000, 0);
  Descriptor(0x6000, 0, 0, "A");
  ASSERT_TRUE(list.Scan());
  list.Readers()[0]->StartRecording();
  ASSERT_TRUE(list.Readers()[0]->Recording());
  ASSERT_TRUE(list.Scan());
  EXPECT_EQ(events.recordingChanges, 2);
}

}  // namespace
}  // namespace vlm::test
