// Requests recognised in the serial byte stream.
#include <gtest/gtest.h>

#include "SimTestUtil.h"
#include "sim/StreamFramer.h"

using namespace simtest;
using namespace vlm::sim;

namespace {

const Bytes kRead = Hex("06 80 10 00 34 12 10 E6");
const Bytes kReset = Hex("01 88 88");

std::vector<Bytes> Feed(StreamFramer& framer, const Bytes& bytes, bool idle = false) {
  framer.Append(bytes);
  std::vector<Bytes> frames;
  while (auto f = framer.Next(idle)) frames.push_back(*f);
  return frames;
}

TEST(StreamFramer, FramesArrivingByteByByteOrBackToBack) {
  StreamFramer framer;
  for (size_t i = 0; i + 1 < kRead.size(); ++i) EXPECT_TRUE(Feed(framer, {kRead[i]}).empty());
  EXPECT_EQ(Feed(framer, {kRead.back()}), std::vector<Bytes>{kRead});
  Bytes two = kReset;
  Append(two, kRead);
  EXPECT_EQ(Feed(framer, two), (std::vector<Bytes>{kReset, kRead}));
  EXPECT_EQ(framer.Pending(), 0u);
}

TEST(StreamFramer, GarbageBeforeAFrameIsSkipped) {
  StreamFramer framer;
  Bytes noisy = Hex("00 FF 55 06 80 01 02");  // the last bytes even start like a read request
  Append(noisy, kRead);
  EXPECT_EQ(Feed(framer, noisy), std::vector<Bytes>{kRead});
}

TEST(StreamFramer, BadChecksumIsNoFrame) {
  StreamFramer framer;
  Bytes bad = kRead;
  bad.back() ^= 1;
  EXPECT_TRUE(Feed(framer, bad).empty());
}

TEST(StreamFramer, RequestInsideAnIncompleteBlockIsNotTaken) {
  // A file block carrying the bytes of a reset request, still arriving: the reset must wait.
  Bytes write = Frame(0x96, [] {
    Bytes d;
    AppendName(d, "x.bin");
    AppendU32(d, 0);
    AppendU32(d, 3);
    d.push_back(3);
    Append(d, {0x01, 0x88, 0x88});
    return d;
  }());
  StreamFramer framer;
  EXPECT_TRUE(Feed(framer, Bytes(write.begin(), write.end() - 1)).empty());
  EXPECT_EQ(Feed(framer, {write.back()}), std::vector<Bytes>{write});
}

TEST(StreamFramer, StalledStartIsSkippedOnceTheLineIsIdle) {
  StreamFramer framer;
  Bytes stream = Hex("06 80 01");  // a read request that lost its tail
  Append(stream, kReset);
  EXPECT_TRUE(Feed(framer, stream).empty());
  EXPECT_EQ(Feed(framer, {}, true), std::vector<Bytes>{kReset});
}

TEST(StreamFramer, EndlessNoiseKeepsTheBufferSmall) {
  StreamFramer framer;
  Bytes noise;
  for (int i = 0; i < 50; ++i) Append(noise, {0x17, 0x95});  // read-block starts, never whole
  for (int i = 0; i < 100; ++i) Feed(framer, noise);
  EXPECT_LE(framer.Pending(), 514u);
  EXPECT_EQ(Feed(framer, kRead, true), std::vector<Bytes>{kRead});
}

}  // namespace
