// What the link does with damaged, late and missing answers and with a line that went away:
// either exactly the right bytes or a clear failure.
#include <gtest/gtest.h>

#include <pty.h>
#include <unistd.h>

#include <mutex>
#include <thread>

#include "FakeTransport.h"
#include "UdpResponder.h"
#include "link/FileTransfer.h"

namespace vlm {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Pattern(size_t n) {
  Bytes b(n);
  for (size_t i = 0; i < n; ++i) b[i] = uint8_t(i * 7 + i / 230);
  return b;
}

struct UdpCounting : ::testing::Test {
  test::TFakeController controller;
  std::mutex mutex;
  std::map<uint8_t, int> requests;  // by command
  std::function<Bytes(std::span<const uint8_t>)> fault;  // replaces the controller's answer when set
  test::TUdpResponder responder{"127.0.0.2", [this](std::span<const uint8_t> req) {
                                  std::lock_guard lock(mutex);
                                  ++requests[req[1]];
                                  return fault ? fault(req) : controller.Answer(req);
                                }};
  TControllerLink link;
  ScriptedPrompt prompt;
  PromptGuard guard{prompt};
  void SetUp() override {
    ASSERT_TRUE(responder.Ok());
    link.Settings.DestIP = {127, 0, 0, 2};
    link.Settings.UdpPort = responder.Port();
  }
  // Writes `file` through the faults; the controller's disk must then hold exactly it.
  void ExpectWrittenWhole(const std::string& name, const Bytes& file) {
    ASSERT_TRUE(WriteControllerFile(link, name, file));
    std::lock_guard lock(mutex);
    EXPECT_EQ(controller.files[name], file);
  }
};

// Write answers all look alike: none of them may be taken for a stale copy, so a block goes out
// once and nobody waits out the answer time.
TEST_F(UdpCounting, EveryBlockGoesOutOnceWhenEveryAnswerComes) {
  const Bytes file = Pattern(230 * 40 + 7);
  ASSERT_TRUE(WriteControllerFile(link, "once.bin", file));
  std::lock_guard lock(mutex);
  EXPECT_EQ(requests[0x96], 41);
  EXPECT_EQ(controller.files["once.bin"], file);
  EXPECT_EQ(link.Counters().timeouts, 0u);
  EXPECT_EQ(link.Counters().stale, 0u);
}

// Every third answer has one byte changed on the way: the sum gives it away, the try is
// repeated, and the file comes out exact.
TEST_F(UdpCounting, DamagedAnswersAreRetriedUnlessTheSumCheckIsOff) {
  controller.files["sum.bin"] = Pattern(5000);
  int n = 0;
  fault = [&](std::span<const uint8_t> req) {
    Bytes a = controller.Answer(req);
    if (req[1] != 0x94 && ++n % 3 == 0 && a.size() > 12) a[12] ^= 0x40;
    return a;
  };
  link.Settings.WaitTime = 20;
  Bytes got;
  ASSERT_TRUE(ReadControllerFile(link, "sum.bin", got));
  EXPECT_EQ(got, controller.files["sum.bin"]);
  EXPECT_GT(link.Counters().rejected, 0u);

  // Unchecked, an answer is never certain by itself: every block is read twice and compared.
  link.Settings.CheckAnswerSum = false;
  fault = {};
  TReadReport report;
  ASSERT_TRUE(ReadControllerFile(link, "sum.bin", got, {}, &report));
  EXPECT_EQ(got, controller.files["sum.bin"]);
  EXPECT_EQ(report.passes, 2);
}

// Every second write answer is damaged: every window of blocks falls short, but no block fails
// three times in a row, so the file goes up whole.
TEST_F(UdpCounting, ShortWindowsNarrowTheWindowOnlySingleBlocksUseUpTheTries) {
  int n = 0;
  fault = [&](std::span<const uint8_t> req) {
    Bytes a = controller.Answer(req);
    if (req[1] == 0x96 && ++n % 2 == 0) a.back() ^= 0x40;
    return a;
  };
  link.Settings.WaitTime = 20;
  ExpectWrittenWhole("narrow.bin", Pattern(230 * 20));
}

// A search answer whose size field was damaged would cut or stretch the file.
TEST_F(UdpCounting, ADamagedSizeInTheSearchAnswerIsNotBelieved) {
  controller.files["size.bin"] = Pattern(4600);
  bool damaged = false;
  fault = [&](std::span<const uint8_t> req) {
    Bytes a = controller.Answer(req);
    if (req[1] == 0x94 && !damaged) a[32] ^= 0x01, damaged = true;  // size bytes 31..34
    return a;
  };
  link.Settings.WaitTime = 20;
  Bytes got;
  ASSERT_TRUE(ReadControllerFile(link, "size.bin", got));
  EXPECT_EQ(got, controller.files["size.bin"]);
}

// The request of a block is lost and a duplicate of the previous answer arrives in its place:
// counting answers cannot tell, the read-back does, and the file is written again.
TEST_F(UdpCounting, ADuplicateStandingInForALostWriteIsFoundByTheReadBack) {
  int writes = 0;
  Bytes previous;
  fault = [&](std::span<const uint8_t> req) {
    if (req[1] == 0x96 && ++writes == 5) return previous;  // block 5 never reaches the disk
    Bytes a = controller.Answer(req);
    if (req[1] == 0x96) previous = a;
    return a;
  };
  link.Settings.WaitTime = 30;
  ExpectWrittenWhole("hole.bin", Pattern(230 * 12));
}

// A stale answer of the previous block, arriving first, is passed over by its count.
TEST(LinkFaults, AStaleBlockAnswerIsPassedOverByItsCount) {
  TControllerLink link;
  test::TFakeWire wire;
  test::TFakeController controller;
  test::UseFake(link, wire);
  wire.controller = &controller;
  ScriptedPrompt prompt;
  PromptGuard guard{prompt};
  ASSERT_TRUE(link.OpenLink());
  controller.files["s.bin"] = Pattern(700);
  Bytes firstAnswer;
  wire.duringWait = [&] {
    const auto& req = wire.sent.back();
    if (req[1] != 0x95) return;
    if (firstAnswer.empty()) firstAnswer = controller.Answer(req);
    else if (wire.answers.empty()) wire.answers = {firstAnswer};  // then the controller's own
  };
  Bytes got;
  TReadOptions shortBlocks;
  shortBlocks.longBlocks = false;
  ASSERT_TRUE(ReadControllerFile(link, "s.bin", got, shortBlocks));
  EXPECT_EQ(got, controller.files["s.bin"]);
  EXPECT_GT(link.Counters().stale, 0u);
}

// The other end of the serial line goes away while an answer is awaited (an adapter pulled
// out): the wait ends as a disconnection instead of spinning until its time-out and beyond.
TEST(LinkFaults, ASerialLineThatHangsUpEndsTheWaitAsADisconnection) {
  int master = -1, slave = -1;
  char name[128] = {};
  ASSERT_EQ(::openpty(&master, &slave, name, nullptr, nullptr), 0);
  ::close(slave);
  TControllerLink link;
  ScriptedPrompt prompt;
  PromptGuard guard{prompt};
  link.Settings.LinkMode = kLinkSerial;
  link.Settings.ComPortDevice = name;
  ASSERT_TRUE(link.OpenLink());
  std::thread unplug([master] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ::close(master);
  });
  link.File.FileName = "a.txt";
  link.File.BlockSize = 230;
  Bytes block(230);
  EXPECT_FALSE(ReadFileBlock(link, block));
  unplug.join();
  EXPECT_EQ(link.LastFailure, TLinkFailure::Disconnected);
}

}  // namespace
}  // namespace vlm
