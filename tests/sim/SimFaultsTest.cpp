// Fault injection: repeatable under a seed, and each kind of fault does what it says.
#include <gtest/gtest.h>

#include "SimTestUtil.h"
#include "sim/SimService.h"

using namespace simtest;
using namespace vlm::sim;

namespace {

std::string Trace(FaultSettings settings, int requests) {
  FaultInjector faults(settings);
  std::string trace;
  for (int i = 0; i < requests; ++i) {
    const FaultDecision d = faults.Next();
    trace += d.dropRequest ? 'R' : d.dropAnswer ? 'A' : '.';
    trace += d.duplicate ? 'D' : '-';
    trace += d.corrupt ? char('a' + d.corruptPosition % 26) : '-';
  }
  return trace;
}

TEST(Faults, SameSeedSameFaults) {
  const FaultSettings s{0.3, 0.2, 0.1, 0, 42};
  EXPECT_EQ(Trace(s, 200), Trace(s, 200));
  FaultSettings other = s;
  other.seed = 43;
  EXPECT_NE(Trace(s, 200), Trace(other, 200));
}

TEST(Faults, ProbabilitiesZeroAndOne) {
  const std::string none = Trace({0, 0, 0, 0, 7}, 100);
  EXPECT_EQ(none.find_first_not_of(".-"), std::string::npos);
  FaultInjector all({1, 1, 1, 0, 7});
  for (int i = 0; i < 100; ++i) {
    const FaultDecision d = all.Next();
    EXPECT_TRUE(d.dropRequest != d.dropAnswer);
    EXPECT_TRUE(d.duplicate && d.corrupt);
    EXPECT_NE(d.corruptMask, 0);
  }
}

TEST(Faults, RatesFollowTheProbabilities) {
  FaultSettings settings{0.2, 0.05, 0, 0, 3};
  settings.late = 0.1;
  settings.lateMaxMs = 2000;
  settings.dupGapMs = 30;
  FaultInjector faults(settings);
  int lost = 0, duplicated = 0, late = 0, longLate = 0;
  unsigned gapMax = 0, gapMin = 30;
  for (int i = 0; i < 10000; ++i) {
    const FaultDecision d = faults.Next();
    lost += d.dropRequest || d.dropAnswer;
    duplicated += d.duplicate;
    late += d.lateMs > 0;
    longLate += d.lateMs > 1000;
    EXPECT_LE(d.lateMs, 2000u);
    gapMax = std::max(gapMax, d.dupGapMs);
    gapMin = std::min(gapMin, d.dupGapMs);
  }
  EXPECT_NEAR(lost, 2000, 200);
  EXPECT_NEAR(duplicated, 500, 100);
  EXPECT_NEAR(late, 1000, 150);
  EXPECT_NEAR(longLate, 500, 100);  // uniform over the range
  EXPECT_EQ(gapMin, 0u);
  EXPECT_EQ(gapMax, 30u);
}

// Changing one probability must not shift the other decisions: every request draws alike.
TEST(Faults, DecisionsStayAlignedAcrossSettings) {
  FaultSettings withLate{0.5, 0.5, 0.5, 0, 9};
  withLate.late = 0.5;
  withLate.lateMaxMs = 100;
  withLate.dupGapMs = 20;
  FaultInjector a({0.5, 0, 0, 0, 9}), b(withLate);
  for (int i = 0; i < 100; ++i) {
    const FaultDecision x = a.Next(), y = b.Next();
    EXPECT_EQ(x.dropRequest, y.dropRequest);
    EXPECT_EQ(x.dropAnswer, y.dropAnswer);
  }
}

class ServeTest : public ::testing::Test {
 protected:
  vlm::test::TTempDir dir_{"sim"};
  SimMemory memory_;
  SimDisk disk_{dir_.Path()};
  SimController controller_{disk_, memory_};
  const Bytes write_ = Frame(0x81, {0, 0, 0, 0x10, 1, 0x42});
  const Bytes read_ = Frame(0x80, {0, 0, 0, 0x10, 1});
};

TEST_F(ServeTest, LostRequestIsNotCarriedOutLostAnswerIs) {
  FaultInjector faults({1, 0, 0, 0, 1});
  int notCarriedOut = 0;
  for (int i = 0; i < 20; ++i) {
    memory_.Real()[0x10000] = 0;
    const ServeResult r = Serve(controller_, faults, write_, kUdpLink);
    EXPECT_TRUE(r.sends.empty());
    notCarriedOut += memory_.Real()[0x10000] == 0;
  }
  EXPECT_GT(notCarriedOut, 0);
  EXPECT_LT(notCarriedOut, 20);
}

TEST_F(ServeTest, DuplicateAndCorrupt) {
  FaultInjector dup({0, 1, 0, 0, 1});
  const ServeResult twice = Serve(controller_, dup, read_, kUdpLink);
  ASSERT_EQ(twice.sends.size(), 2u);
  EXPECT_EQ(twice.sends[0].bytes, twice.sends[1].bytes);
  EXPECT_EQ(twice.sends[1].afterMs, 0u);  // back to back unless a gap is asked for
  FaultInjector clean({0, 0, 0, 0, 1}), corrupt({0, 0, 1, 0, 1});
  const Bytes good = Serve(controller_, clean, read_, kUdpLink).sends.at(0).bytes;
  const Bytes bad = Serve(controller_, corrupt, read_, kUdpLink).sends.at(0).bytes;
  ASSERT_EQ(good.size(), bad.size());
  int differing = 0;
  for (size_t i = 0; i < good.size(); ++i) differing += good[i] != bad[i];
  EXPECT_EQ(differing, 1);
}

TEST_F(ServeTest, LateAnswerAndItsCopyLeaveAfterTheirTimes) {
  FaultSettings settings{0, 1, 0, 0, 4};
  settings.late = 1;
  settings.lateMaxMs = 500;
  settings.dupGapMs = 30;
  FaultInjector faults(settings);
  bool someGap = false;
  for (int i = 0; i < 50; ++i) {
    const ServeResult r = Serve(controller_, faults, read_, kUdpLink);
    ASSERT_EQ(r.sends.size(), 2u);
    EXPECT_GE(r.sends[0].afterMs, 1u);
    EXPECT_LE(r.sends[0].afterMs, 500u);
    EXPECT_LE(r.sends[1].afterMs - r.sends[0].afterMs, 30u);
    someGap |= r.sends[1].afterMs > r.sends[0].afterMs;
  }
  EXPECT_TRUE(someGap);
}

TEST_F(ServeTest, ResetIsNeverAnsweredEvenWhenDuplicating) {
  FaultInjector dup({0, 1, 0, 0, 1});
  EXPECT_TRUE(Serve(controller_, dup, Hex("01 88 88"), kUdpLink).sends.empty());
}

}  // namespace
