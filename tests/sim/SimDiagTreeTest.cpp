// The simulator's diagnostic tree as bytes in its memory: where it lives, that a seed repeats a
// run, and that values written over the link go on from the written value.
#include <gtest/gtest.h>

#include "common/Numbers.h"
#include "sim/SimDiagTree.h"

namespace vlm::sim {
namespace {

uint32_t Far(const SimMemory& m, uint32_t linear) {
  uint8_t b[4];
  m.Read(uint16_t(linear >> 4), uint16_t(linear & 15), b);
  return GetU32(b);
}
size_t Linear(uint32_t far) { return (size_t(far >> 16) << 4) + (far & 0xFFFF); }

TEST(SimDiagTree, RootObjectsStayInTheirSegments) {
  SimMemory memory;
  SimDiagTree tree(1);
  tree.Publish(memory);
  const uint32_t root = Far(memory, 0x208);
  EXPECT_EQ(root, tree.Root());
  EXPECT_EQ(memory.Real()[Linear(root)], 0x77);
  EXPECT_EQ(memory.Real()[Linear(root) + 1], 1);
  EXPECT_GT(tree.Objects(), 500u);
  // Nothing of the tree below 1000:0000 (but the root pointer) or from 6000:0000 on.
  for (size_t i = 0x400; i < 0x10000; ++i) ASSERT_EQ(memory.Real()[i], 0) << i;
  for (size_t i = 0x60000; i < 0x100000; ++i) ASSERT_EQ(memory.Real()[i], 0) << i;
}

TEST(SimDiagTree, ASeedRepeatsTheRunAnotherDoesNot) {
  SimMemory a, b, c;
  SimDiagTree ta(7), tb(7), tc(8);
  ta.Publish(a), tb.Publish(b), tc.Publish(c);
  for (int i = 0; i < 50; ++i) ta.Tick(a), tb.Tick(b), tc.Tick(c);
  EXPECT_TRUE(std::equal(a.Real().begin(), a.Real().end(), b.Real().begin()));
  EXPECT_FALSE(std::equal(a.Real().begin(), a.Real().end(), c.Real().begin()));
  // Publishing again (a reset) starts the same run over.
  SimMemory d;
  SimDiagTree td(7);
  td.Publish(d);
  for (int i = 0; i < 10; ++i) td.Tick(d);
  td.Publish(d);
  for (int i = 0; i < 50; ++i) td.Tick(d);
  EXPECT_TRUE(std::equal(a.Real().begin(), a.Real().end(), d.Real().begin()));
}

TEST(SimDiagTree, TicksChangeValuesFromWhatMemoryHolds) {
  SimMemory memory;
  SimDiagTree tree(3);
  tree.Publish(memory);
  const std::vector<uint8_t> before(memory.Real().begin() + 0x30000, memory.Real().begin() + 0x60000);
  tree.Tick(memory);
  const std::vector<uint8_t> after(memory.Real().begin() + 0x30000, memory.Real().begin() + 0x60000);
  EXPECT_NE(before, after);
  // Headers and names never move.
  const std::vector<uint8_t> headers(memory.Real().begin() + 0x10000, memory.Real().begin() + 0x30000);
  for (int i = 0; i < 20; ++i) tree.Tick(memory);
  for (size_t i = 0; i < headers.size(); ++i)
    if (i % 16 != 10) ASSERT_EQ(memory.Real()[0x10000 + i], headers[i]) << i;  // byte 10: the icon
}

}  // namespace
}  // namespace vlm::sim
