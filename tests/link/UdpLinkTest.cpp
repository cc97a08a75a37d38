// The link over real loopback UDP: a controller that answers, one that does not, and the pump.
#include <gtest/gtest.h>

#include <chrono>

#include "FakeController.h"
#include "UdpResponder.h"
#include "common/Prompt.h"
#include "link/ExchangeLog.h"
#include "link/FileTransfer.h"
#include "link/LinkTransport.h"
#include "link/ServiceRequests.h"
#include "link/SocketUDP.h"
#include "support/ScriptedPrompt.h"

namespace vlm {
namespace {

using Clock = std::chrono::steady_clock;

// A port nobody holds at the moment.
uint16_t FreePort() {
  platform::TUdpSocket probe;
  return probe.Open({0, 0, 0, 0}, 0).empty() ? probe.LocalPort() : 0;
}

// The controller has a port of its own and answers to the port a request came from; the link is
// bound to a port the system picks. A controller in the test's own process cannot share the
// link's port as a simulator on a loopback address does: Windows gives one address and port to
// one socket, and wine binds every address as 0.0.0.0.
struct UdpLink : ::testing::Test {
  test::TFakeController controller;
  std::mutex mutex;
  test::TUdpResponder responder{"127.0.0.1", [this](std::span<const uint8_t> req) {
                                  std::lock_guard lock(mutex);
                                  return controller.Answer(req);
                                }};
  TControllerLink link;
  TExchangeLog log;
  ScriptedPrompt prompt;
  PromptGuard guard{prompt};
  void SetUp() override {
    ASSERT_TRUE(responder.Ok());
    link.SetTransportFactory([](const TLinkSettings& s) { return MakeUdpTransport(s, 0); });
    link.Settings.SelfIP = {0, 0, 0, 0};
    link.Settings.DestIP = {127, 0, 0, 1};
    link.Settings.UdpPort = responder.Port();
    link.AddObserver(&log);
  }
};

// A port another program holds is named as such, not as a link that failed for no reason.
TEST(UdpLinkOpen, APortHeldByAnotherProgramIsSaidSo) {
  platform::TUdpSocket other;
  ASSERT_EQ(other.Open({0, 0, 0, 0}, 0), "");
  TControllerLink link;
  link.Settings.UdpPort = other.LocalPort();
  EXPECT_FALSE(link.OpenLink());
  EXPECT_EQ(link.LastOpenFailure().kind, TLinkOpenError::PortInUse);
  EXPECT_FALSE(link.LastOpenFailure().systemText.empty());
  EXPECT_EQ(LinkOpenFailureText(link.LastOpenFailure(), link.Settings),
            "Не удалось открыть связь: порт UDP " + std::to_string(other.LocalPort()) + " занят другой программой");
  other.Close();
  EXPECT_TRUE(link.OpenLink());
  EXPECT_FALSE(link.LastOpenFailure());
}

TEST_F(UdpLink, ReadsAndWritesMemoryAndFilesOverLoopback) {
  ASSERT_TRUE(link.OpenLink());
  const std::vector<uint8_t> data{1, 2, 3, 4, 5};
  ASSERT_TRUE(WriteMemory(link, 0, 0x100, data));
  std::vector<uint8_t> back(5);
  ASSERT_TRUE(ReadMemory(link, 0, 0x100, back));
  EXPECT_EQ(back, data);

  std::vector<uint8_t> file(5000);
  for (size_t i = 0; i < file.size(); ++i) file[i] = uint8_t(i * 7);
  ASSERT_TRUE(WriteControllerFile(link, "data.bin", file));
  std::vector<uint8_t> got;
  ASSERT_TRUE(ReadControllerFile(link, "data.bin", got));
  EXPECT_EQ(got, file);
  EXPECT_TRUE(prompt.errors.empty());
}

TEST_F(UdpLink, NoAnswerFailsAfterAboutTheWaitTimeAndLogsAnEmptyReply) {
  // The link on its own port on every address hears its own request to a silent loopback address
  // and must not take it for the answer.
  link.SetTransportFactory(MakeDefaultTransport);
  link.Settings.UdpPort = FreePort();
  link.Settings.DestIP = {127, 0, 0, 9};  // nobody there
  link.Settings.WaitTime = 100;
  int pumps = 0;
  link.SetPump([&] { ++pumps; });
  link.RequestBuffer[0] = 1;
  link.RequestBuffer[1] = 0x80;
  const auto start = Clock::now();
  EXPECT_FALSE(link.Exchange(1, 8));
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
  EXPECT_GE(ms, 95);
  EXPECT_LT(ms, 10000);  // only "it gave up": a loaded machine may take long for three tries
  EXPECT_GE(pumps, 1);  // 100 ms of waiting pump at least once
  const auto lines = log.Lines();
  ASSERT_EQ(lines.size(), 2u);
  std::string zeros;
  for (int i = 0; i < 32; ++i) zeros += "00 ";
  EXPECT_EQ(lines[1][0], '>');
  EXPECT_EQ(lines[1][3], '.');
  EXPECT_TRUE(lines[1].ends_with("  " + zeros + "0")) << lines[1];
  EXPECT_EQ(lines[0].substr(0, 1), "<");
  EXPECT_EQ(lines[0].substr(7, 8), " 99999  ");
}

TEST_F(UdpLink, DropsALateAnswerBeforeTheNextRequest) {
  ASSERT_TRUE(link.OpenLink());
  ASSERT_TRUE(ReadMemory(link, 0, 0, 4));
  // A stray copy of an answer arrives from the controller's address between two requests.
  platform::TUdpSocket stray;
  ASSERT_EQ(stray.Open({127, 0, 0, 1}, 0), "");
  const uint8_t stale[] = {10, 0x80, 0, 0, 0, 0, 4, 9, 9, 9, 9, 0};
  ASSERT_NE(responder.clientPort, 0);
  ASSERT_TRUE(stray.SendTo(stale, {127, 0, 0, 1}, responder.clientPort));
  stray.Close();
  // Time for the stray datagram to be queued before the next request (generous on a loaded machine).
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  controller.memory[0x10] = 0x42;
  std::vector<uint8_t> out(1);
  ASSERT_TRUE(ReadMemory(link, 0, 0x10, out));
  EXPECT_EQ(out[0], 0x42);
}

TEST_F(UdpLink, DuplicatedAnswersDoNotStandInForLostOnes) {
  // Every answer comes twice and every third write request is lost: a copy of the previous
  // answer must not be taken as the lost request's answer, or the file gets a hole. Like a real
  // controller this one takes a while to write a block; the copy follows its original at once.
  int writes = 0;
  test::TUdpResponder lossy("127.0.0.1", [&](std::span<const uint8_t> req) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    std::lock_guard lock(mutex);
    if (req[1] == 0x96 && ++writes % 3 == 0) return std::vector<uint8_t>();
    return controller.Answer(req);
  });
  lossy.copies = 2;
  link.Settings.UdpPort = lossy.Port();
  link.Settings.WaitTime = 40;
  link.Settings.Attempts = 5;
  std::vector<uint8_t> file(230 * 12);
  for (size_t i = 0; i < file.size(); ++i) file[i] = uint8_t(i / 230 + 1);
  ASSERT_TRUE(WriteControllerFile(link, "dup.bin", file));
  std::lock_guard lock(mutex);
  EXPECT_EQ(controller.files["dup.bin"], file);
}

TEST_F(UdpLink, TheLateAnswerToARetriedBlockIsNotTakenForTheNextBlock) {
  // The first try of the second block is answered after the wait ran out, the retry a little
  // later: that second answer arrives while the third block waits, and looks like real data.
  // The late answer must come between one and two waits after the request; 450 ms against a
  // 300 ms wait leaves 150 ms either way for a loaded machine.
  int secondBlockTries = 0;
  test::TUdpResponder slow("127.0.0.1", [&](std::span<const uint8_t> req) {
    if (req[1] == 0x95 && req[2] == 230 && ++secondBlockTries <= 2)
      std::this_thread::sleep_for(std::chrono::milliseconds(secondBlockTries == 1 ? 450 : 5));
    std::lock_guard lock(mutex);
    return controller.Answer(req);
  });
  std::vector<uint8_t> file(230 * 4);
  for (size_t i = 0; i < file.size(); ++i) file[i] = uint8_t(i / 230 + 1);
  controller.files["late.bin"] = file;
  link.Settings.UdpPort = slow.Port();
  link.Settings.WaitTime = 300;
  link.Settings.Attempts = 3;
  std::vector<uint8_t> got;
  TReadOptions shortBlocks;
  shortBlocks.longBlocks = false;
  ASSERT_TRUE(ReadControllerFile(link, "late.bin", got, shortBlocks));
  EXPECT_EQ(secondBlockTries, 2);
  EXPECT_EQ(got, file);
}

TEST(SocketUdp, BindFailureIsReportedAndADatagramOver1500BytesIsNothing) {
  // A second link on the same address and port would silently take the first one's answers.
  TSocketUdp everywhere(0, {0, 0, 0, 0}, {127, 0, 0, 1});
  ASSERT_TRUE(everywhere.Open());
  TSocketUdp second(everywhere.LocalPort(), {0, 0, 0, 0}, {127, 0, 0, 1});
  EXPECT_FALSE(second.Open());
  EXPECT_NE(second.LastResult(), 0);
#ifndef _WIN32  // wine binds every address as 0.0.0.0, and so binds any address and refuses this
  EXPECT_FALSE(TSocketUdp(1, {192, 0, 2, 1}, {0, 0, 0, 0}).Open());  // not our address
  // A simulator on a loopback address beside the program on every address.
  EXPECT_TRUE(TSocketUdp(everywhere.LocalPort(), {127, 0, 0, 2}, {127, 0, 0, 1}).Open());
#endif

  TSocketUdp b(0, {127, 0, 0, 1}, {127, 0, 0, 1});
  ASSERT_TRUE(b.Open());
  EXPECT_FALSE(TSocketUdp(b.LocalPort(), {127, 0, 0, 1}, {127, 0, 0, 1}).Open());
  TSocketUdp a(b.LocalPort(), {127, 0, 0, 1}, {127, 0, 0, 1}, 0);
  ASSERT_TRUE(a.Open());
  ASSERT_TRUE(a.Send(std::vector<uint8_t>(1501, 1)));
  ASSERT_TRUE(a.Send(std::vector<uint8_t>(1500, 2)));
  ASSERT_TRUE(b.WaitReadable(1000));
  EXPECT_FALSE(b.Receive());
  EXPECT_EQ(b.ReceivedLength(), -1);
  ASSERT_TRUE(b.WaitReadable(1000));
  ASSERT_TRUE(b.Receive());
  EXPECT_EQ(b.ReceivedLength(), 1500);
  EXPECT_EQ(b.ReceiveBuffer()[1499], 2);
}

}  // namespace
}  // namespace vlm
