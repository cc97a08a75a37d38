// The whole-file reader against lines that lose, delay, repeat and echo: whatever comes, a read
// that succeeds delivers exactly the controller's bytes.
#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <random>
#include <utility>

#include "FakeTransport.h"
#include "link/FileRead.h"

namespace vlm {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Pattern(size_t n, unsigned seed = 7) {
  Bytes b(n);
  for (size_t i = 0; i < n; ++i) b[i] = uint8_t(i * 31 + i / 251 + seed);
  return b;
}

// A datagram line in front of the fake controller: each request is answered at once, but the
// line may lose the answer, send it twice (the copy after the next request), put before it a
// stale answer of the same count with other bytes (an answer owed to some earlier operation),
// echo the request, write the length of long answers modulo 256, or give, instead of the answer,
// a copy of an earlier answer of the same count (its own answer lost).
struct TBadLine {
  test::TFakeController controller;
  std::mt19937 random{1};
  double lose = 0, duplicate = 0, stale = 0, replay = 0;
  std::map<size_t, Bytes> lastOfSize;
  int replayed = 0;
  Bytes staleSearch;  // given once before the answer to the next search
  bool echo = false, lengthModulo = false;
  std::deque<Bytes> queue, later;
  int staleSent = 0;

  bool Chance(double p) { return std::uniform_real_distribution<>(0, 1)(random) < p; }

  void Request(std::span<const uint8_t> frame) {
    for (auto& b : later) queue.push_back(std::move(b));
    later.clear();
    if (echo) queue.emplace_back(frame.begin(), frame.end());
    Bytes answer = controller.Answer(frame);
    if (answer.empty()) return;
    if (lengthModulo && answer.size() > 257) {
      answer[0] = uint8_t((answer.size() - 2) % 256);
    }
    const bool block = frame[1] == 0x95 || frame[1] == 0xA4;
    if (block && Chance(stale)) {
      // The same count, bytes from elsewhere: only where the answer came from tells them apart.
      Bytes other = answer;
      const size_t data = frame[1] == 0x95 ? 5 : 9;
      const auto mask = uint8_t(std::uniform_int_distribution<>(1, 255)(random));
      for (size_t i = data; i + 1 < other.size(); ++i) other[i] = uint8_t(other[i] ^ mask);
      queue.push_back(test::Sealed(other));
      ++staleSent;
    }
    if (!block) lastOfSize.clear();  // copies come from the transfer under way only
    if (frame[1] == 0x94 && !staleSearch.empty()) queue.push_back(std::exchange(staleSearch, {}));
    if (block) {
      auto& last = lastOfSize[answer.size()];
      if (!last.empty() && last != answer && Chance(replay)) {
        queue.push_back(last);
        ++replayed;
        return;
      }
      last = answer;
    }
    if (Chance(lose)) return;
    queue.push_back(answer);
    if (Chance(duplicate)) later.push_back(answer);
  }
};

class TBadLineTransport : public ILinkTransport {
 public:
  explicit TBadLineTransport(TBadLine& line) : line_(line) {}
  bool Open() override { return true; }
  void Close() override {}
  bool Send(std::span<const uint8_t> frame) override {
    line_.queue.clear();
    line_.Request(frame);
    return true;
  }
  bool SendAhead(std::span<const uint8_t> frame) override {
    line_.Request(frame);
    return true;
  }
  TReceived Receive(std::span<uint8_t> into, size_t, std::chrono::milliseconds, const TAnswerFilter& filter,
                    const std::function<void()>&) override {
    while (!line_.queue.empty()) {
      Bytes answer = std::move(line_.queue.front());
      line_.queue.pop_front();
      const TAnswerVerdict v = filter ? filter(answer) : TAnswerVerdict::Take;
      if (v == TAnswerVerdict::Ignore || v == TAnswerVerdict::Echo) continue;
      std::copy(answer.begin(), answer.end(), into.begin());
      return {v == TAnswerVerdict::Take ? TReceiveEnd::Answer : TReceiveEnd::Rejected, answer.size()};
    }
    return {};
  }
  int Quiet(std::chrono::milliseconds, const std::function<void()>&, std::chrono::steady_clock::time_point&) override {
    const int n = int(line_.queue.size());
    line_.queue.clear();
    return n;
  }
  bool AdaptiveWait() const override { return true; }

 private:
  TBadLine& line_;
};

struct FileRead : ::testing::Test {
  TControllerLink link;
  TBadLine line;
  ScriptedPrompt prompt;
  PromptGuard guard{prompt};
  void SetUp() override {
    link.SetTransportFactory([this](const TLinkSettings&) { return std::make_unique<TBadLineTransport>(line); });
    link.Settings.WaitTime = 1;
    link.Settings.Attempts = 10;
    ASSERT_TRUE(link.OpenLink());
  }
  // Reads the file `runs` times; every success must be exact. Returns the successes.
  int ReadsExact(const std::string& name, int runs, TReadReport* last = nullptr) {
    int ok = 0;
    for (int i = 0; i < runs; ++i) {
      Bytes out;
      TReadReport report;
      if (ReadControllerFile(link, name, out, {}, &report)) {
        ++ok;
        const auto& want = line.controller.files[name];
        const auto wrong = std::ranges::mismatch(out, want);
        EXPECT_EQ(out, want) << "run " << i << ", passes " << report.passes << ", first wrong byte at "
                             << (wrong.in1 - out.begin());
      }
      if (last) *last = report;
    }
    return ok;
  }
};

TEST_F(FileRead, AStaleAnswerOfTheRightCountNeverMakesAWrongFile) {
  for (bool longBlocks : {true, false}) {
    SCOPED_TRACE(longBlocks);
    line.controller.longBlocks = longBlocks;
    line.controller.files["late.bin"] = Pattern(12000);
    line.stale = 0.05;  // its own answer follows: the second answer of the count with other bytes
    EXPECT_GT(ReadsExact("late.bin", 30), 20);
    EXPECT_GT(line.staleSent, 10);
  }
}

TEST_F(FileRead, LostDelayedAndRepeatedAnswersCostTriesNotASecondReading) {
  line.controller.files["f.bin"] = Pattern(64000);
  line.lose = 0.1;
  line.duplicate = 0.2;
  TReadReport report;
  EXPECT_EQ(ReadsExact("f.bin", 10, &report), 10);
  // Every block has a count of its own: a copy or a late answer names the block it belongs to.
  EXPECT_EQ(report.passes, 1);
  EXPECT_TRUE(report.longBlocks);
  EXPECT_TRUE(prompt.errors.empty());
}

TEST_F(FileRead, AnEchoingLineIsSkippedAndASilentControllerIsNoEmptyFile) {
  line.echo = true;
  line.controller.files["autoexec.bat"] = Pattern(5000);
  TReadReport report;
  EXPECT_EQ(ReadsExact("autoexec.bat", 1, &report), 1);
  EXPECT_GT(report.echoes, 0u);
  // Only the echo comes back: that is no answer, never a file of size 0.
  line.controller.files.clear();
  link.Settings.Attempts = 2;
  TBadLine silentEcho;
  silentEcho.echo = true;
  link.CloseLink();
  link.SetTransportFactory([&](const TLinkSettings&) { return std::make_unique<TBadLineTransport>(silentEcho); });
  silentEcho.controller.files["x"] = {};
  line.lose = 1;
  silentEcho.lose = 1;
  Bytes out{1};
  EXPECT_FALSE(ReadControllerFile(link, "x", out, {}, &report));
  EXPECT_EQ(link.LastFailure, TLinkFailure::NoAnswer);
  EXPECT_FALSE(report.found);
}

// The late answer of an earlier search names the file with the size it had then: the search
// after the blocks tells, and the file is read again.
TEST_F(FileRead, ALateSearchAnswerWithAnEarlierSizeIsCaughtByTheSecondSearch) {
  line.controller.files["s.bin"] = Pattern(4999);
  TDirEntry entry;
  ASSERT_TRUE(FindControllerFile(link, "s.bin", entry));
  line.staleSearch = Bytes(link.Response().begin(), link.Response().end());
  line.controller.files["s.bin"] = Pattern(5000, 9);
  EXPECT_EQ(ReadsExact("s.bin", 1), 1);
  EXPECT_TRUE(line.staleSearch.empty());
}

// A controller whose long blocks stop at 1000 bytes: the first block tells, the others follow
// its size, and no byte between is left unread.
TEST_F(FileRead, ShorterLongBlocksAreFollowedWithoutAGap) {
  line.controller.longMax = 1000;
  line.controller.files["s.bin"] = Pattern(5000);
  TReadReport report;
  EXPECT_EQ(ReadsExact("s.bin", 2, &report), 2);
  EXPECT_TRUE(report.longBlocks);
}

TEST_F(FileRead, LongAnswersWithTheirLengthModulo256AreTakenWithoutAnError) {
  line.lengthModulo = true;
  line.controller.files["big.bin"] = Pattern(20000);
  TReadReport report;
  EXPECT_EQ(ReadsExact("big.bin", 1, &report), 1);
  EXPECT_TRUE(report.longBlocks);
  EXPECT_LE(report.requests, 15u);
  EXPECT_TRUE(prompt.errors.empty());
}

// A long answer of 1272 bytes has 1280 behind its length byte: modulo 256 that is 0.
TEST(LongAnswerFrame, LengthModulo256OfZeroIsTakenWhenTheChecksumHolds) {
  Bytes frame(1282, 0x11);
  frame[0] = 0;
  frame[1] = 0xA4;
  frame = test::Sealed(frame);
  EXPECT_TRUE(wire::AnswerFrameIntact(frame));
  frame.back() ^= 1;
  EXPECT_FALSE(wire::AnswerFrameIntact(frame));
  EXPECT_FALSE(wire::AnswerFrameIntact(Bytes{0, 0xA4, 0xA4}));  // a short frame never has 0 there
}

// A cycle of short blocks covers 19955 bytes; the rest of a 30000-byte file reuses counts.
TEST_F(FileRead, ReusedCountsStandAloneOnlyWhereNoCopyOfAnEarlierAnswerCouldLookLikeThem) {
  line.controller.longBlocks = false;
  line.controller.files["c.bin"] = Pattern(30000);
  line.duplicate = 0.3;
  TReadReport report;
  EXPECT_EQ(ReadsExact("c.bin", 3, &report), 3);
  // Its blocks hold other bytes than the blocks read before with their counts: one reading.
  EXPECT_EQ(report.passes, 1);
  EXPECT_LT(report.requests, 200u);
  // A file of equal blocks: a copy of an earlier answer would look the same, so that part is
  // read again.
  line.controller.files["z.bin"] = Bytes(30000, 0x5A);
  EXPECT_EQ(ReadsExact("z.bin", 2, &report), 2);
  EXPECT_EQ(report.passes, 2);
  EXPECT_LT(report.requests, 280u);  // two whole readings take about 350
  // Now and then a copy of an earlier answer of the same count instead of the own one (which is
  // lost): the copy is told by its bytes, and what it spoiled is read again.
  line.replay = 0.03;
  line.controller.files["r.bin"] = Pattern(60000, 3);
  EXPECT_GT(ReadsExact("r.bin", 20), 10);
  EXPECT_GT(line.replayed, 20);
}

TEST(BlockCounts, EachCountOfTheUpperHalfOncePerCycleAndTheLastBlockExact) {
  TBlockCounts counts(230);
  std::vector<bool> seen(231);
  size_t total = 0;
  while (!counts.Reusing()) {
    const size_t c = counts.Next(100000);
    if (counts.Reusing()) break;
    ASSERT_GE(c, 115u);
    ASSERT_FALSE(seen[c]) << c;
    seen[c] = true;
    total += c;
  }
  EXPECT_EQ(total, (115u + 230u) * 116u / 2);
  // A last block whose count is taken reads part of it with a smaller free count.
  TBlockCounts tail(230);
  EXPECT_EQ(tail.Next(1000), 230u);
  EXPECT_EQ(tail.Next(230), 229u);
  EXPECT_EQ(tail.Next(1), 1u);
  EXPECT_FALSE(tail.Reusing());
}

}  // namespace
}  // namespace vlm
