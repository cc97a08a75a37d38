// The exchange of one frame: its bytes on the wire, the modes, the busy guard and the messages.
#include <gtest/gtest.h>

#include "FakeTransport.h"
#include "common/Prompt.h"
#include "link/ServiceRequests.h"
#include "link/Velmor_PC.h"
#include "support/ScriptedPrompt.h"

namespace vlm {
namespace {

using Bytes = std::vector<uint8_t>;

struct LinkExchange : ::testing::Test {
  TControllerLink link;
  test::TFakeWire wire;
  ScriptedPrompt prompt;
  PromptGuard guard{prompt};
  void SetUp() override {
    test::UseFake(link, wire);
    ASSERT_TRUE(link.OpenLink());
  }
};

TEST_F(LinkExchange, ResetIsThreeBytesWithTheCommandAsChecksumAndWaitsForNothing) {
  EXPECT_TRUE(ResetController(link));
  ASSERT_EQ(wire.sent.size(), 1u);
  EXPECT_EQ(wire.sent[0], (Bytes{0x01, 0x88, 0x88}));
  EXPECT_TRUE(wire.expected.empty());
}

TEST_F(LinkExchange, ReadMemoryFrameExpectationAndEchoCheck) {
  Bytes answer{22, 0x80, 0x10, 0x00, 0x34, 0x12, 16};
  answer.resize(24, 0x5A);
  answer = test::Sealed(answer);
  wire.answers = {answer};
  ASSERT_TRUE(ReadMemory(link, 0x1234, 0x0010, 16));
  EXPECT_EQ(wire.sent[0], (Bytes{0x06, 0x80, 0x10, 0x00, 0x34, 0x12, 0x10, 0xE6}));
  EXPECT_EQ(wire.expected[0], 24u);
  EXPECT_EQ(link.ResponseBuffer[7], 0x5A);

  Bytes wrongCount = answer;
  wrongCount[6] = 15;
  wire.answers = {test::Sealed(wrongCount)};
  EXPECT_FALSE(ReadMemory(link, 0x1234, 0x0010, 16));
  EXPECT_EQ(link.LastFailure, TLinkFailure::BadAnswer);

  Bytes wrongAddress = answer;
  wrongAddress[4] = 0x35;
  wire.answers = {test::Sealed(wrongAddress)};
  EXPECT_FALSE(ReadMemory(link, 0x1234, 0x0010, 16));

  // Claims 16 data bytes but carries 10: nothing past the received bytes is taken.
  wire.answers = {Bytes(answer.begin(), answer.begin() + 17)};
  EXPECT_FALSE(ReadMemory(link, 0x1234, 0x0010, 16));
  EXPECT_TRUE(prompt.errors.empty());
}

TEST_F(LinkExchange, ChecksumIsTheSumOfCommandAndDataModulo256) {
  link.RequestBuffer[0] = 3;
  link.RequestBuffer[1] = 100;
  link.RequestBuffer[2] = 100;
  link.RequestBuffer[3] = 100;
  link.RequestBuffer[4] = 0xFF;  // not part of the sum: it is where the checksum goes
  link.RequestChecksum();
  EXPECT_EQ(link.RequestBuffer[4], 44);
}

TEST_F(LinkExchange, ModesAndTheTwoMessagesOnlyWithShowErrors) {
  link.RequestBuffer[0] = 1;
  link.RequestBuffer[1] = 0x42;
  wire.answers = {Bytes{}};
  EXPECT_FALSE(link.Exchange(1, 5));
  EXPECT_EQ(link.LastFailure, TLinkFailure::NoAnswer);
  EXPECT_FALSE(link.Exchange(7, 5));  // unknown mode: sent, then failed
  EXPECT_EQ(wire.sent.size(), 2u);
  wire.failSend = true;
  EXPECT_FALSE(link.Exchange(0, 0));
  EXPECT_TRUE(prompt.errors.empty());

  link.Settings.ShowErrors = true;
  EXPECT_FALSE(link.Exchange(0, 0));
  wire.failSend = false;
  wire.answers = {test::Sealed({2, 0x42, 7, 0})};
  EXPECT_TRUE(link.Exchange(1, 5));  // an answer: the next failure is news again
  // The tries of a request to a controller that stopped answering: one box, not one per try.
  wire.answers = {Bytes{}, Bytes{}, Bytes{}};
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(link.Exchange(2, 5));
  EXPECT_EQ(prompt.errors, (std::vector<std::string>{"Ошибка при передаче запроса.", "Нет ответа."}));
}

TEST_F(LinkExchange, ResponseBufferIsClearedBeforeEachExchange) {
  wire.answers = {test::Sealed({4, 0x42, 9, 9, 9, 0}), test::Sealed({2, 0x42, 7, 0})};
  link.RequestBuffer[0] = 1;
  link.RequestBuffer[1] = 0x42;
  ASSERT_TRUE(link.Exchange(1, 5));
  ASSERT_TRUE(link.Exchange(1, 5));
  EXPECT_EQ(link.ResponseLength(), 4u);
  EXPECT_EQ(link.ResponseBuffer[4], 0);
}

TEST_F(LinkExchange, ExchangeStartedWhileAnotherWaitsFailsAtOnceAndLeavesTheBuffersIntact) {
  wire.controller = nullptr;
  Bytes answer{22, 0x80, 0x10, 0x00, 0x34, 0x12, 16};
  answer.resize(24, 0x77);
  wire.answers = {test::Sealed(answer)};
  bool nestedExchange = true, nestedRequest = true;
  decltype(link.RequestBuffer) requestDuringWait{};
  decltype(link.ResponseBuffer) responseDuringWait{};
  wire.duringWait = [&] {
    requestDuringWait = link.RequestBuffer;
    responseDuringWait = link.ResponseBuffer;
    nestedRequest = ReadMemory(link, 0x2000, 0x0000, 4);  // a timer's request
    nestedExchange = link.Exchange(1, 8);
    EXPECT_EQ(link.RequestBuffer, requestDuringWait);
    EXPECT_EQ(link.ResponseBuffer, responseDuringWait);
  };
  ASSERT_TRUE(ReadMemory(link, 0x1234, 0x0010, 16));
  EXPECT_FALSE(nestedRequest);
  EXPECT_FALSE(nestedExchange);
  EXPECT_EQ(wire.sent.size(), 1u);  // the nested ones sent nothing
  EXPECT_EQ(link.ResponseBuffer[7], 0x77);
  EXPECT_FALSE(link.LinkBusy());
  EXPECT_TRUE(prompt.errors.empty());
}

TEST_F(LinkExchange, OpenTwiceFailsAndUdpSendOpensTheLinkByItself) {
  EXPECT_FALSE(link.OpenLink());
  link.CloseLink();
  EXPECT_FALSE(link.LinkOpen());
  link.RequestBuffer[0] = 1;
  EXPECT_TRUE(link.Exchange(0, 0));
  EXPECT_TRUE(link.LinkOpen());
  EXPECT_EQ(wire.opens, 2);

  link.CloseLink();
  link.Settings.LinkMode = kLinkSerial;  // a serial link must be opened by its user
  EXPECT_FALSE(link.Exchange(0, 0));
  link.Settings.LinkMode = 5;
  EXPECT_FALSE(link.OpenLink() && link.Exchange(0, 0));
}

// A retry repeats the request, so an answer owed to the try before is as good as its own: the
// line falls quiet only before a different request, and a line that never spoke not at all.
TEST_F(LinkExchange, TheLineFallsQuietBeforeTheNextRequestNotBetweenTries) {
  link.Settings.Attempts = 3;
  link.File.FileName = "a.txt";
  uint8_t block[230];
  link.File.BlockSize = 230;
  EXPECT_FALSE(ReadFileBlock(link, block));  // a controller that is switched off
  EXPECT_EQ(wire.sent.size(), 3u);
  link.CloseLink();
  EXPECT_EQ(wire.quiets, 0);

  test::TFakeController controller;
  controller.files["a.txt"] = Bytes(100, 7);
  wire.controller = &controller;
  ASSERT_TRUE(ReadMemory(link, 0, 0, 4));  // the next opening keeps the quiet owed from before
  EXPECT_EQ(wire.quiets, 1);
  wire.answers = {Bytes{}};  // one try lost, the retry answered
  link.File.FileSize = 100;
  ASSERT_TRUE(ReadFileBlock(link, block));
  EXPECT_EQ(wire.quiets, 1);
  ASSERT_TRUE(ReadMemory(link, 0, 0, 4));
  EXPECT_EQ(wire.quiets, 2);
  wire.answers = {Bytes{}, Bytes{}, Bytes{}};  // a line that spoke before and then fell silent
  EXPECT_FALSE(ReadFileBlock(link, block));
  link.CloseLink();
  EXPECT_EQ(wire.quiets, 3);

  // A poll that asks the same again after an answer is a new request, not a retry: nothing is
  // owed to it, and a quiet spell between polls never becomes a silence before the next one.
  ASSERT_TRUE(ReadMemory(link, 0, 0, 4));
  ASSERT_TRUE(ReadMemory(link, 0, 0, 4));
  ASSERT_TRUE(ReadMemory(link, 0, 4, 4));
  EXPECT_EQ(wire.quiets, 3);
}

TEST_F(LinkExchange, FailedOpenLeavesTheLinkClosed) {
  link.CloseLink();
  wire.failOpen = true;
  EXPECT_FALSE(link.OpenLink());
  EXPECT_FALSE(link.LinkOpen());
}

}  // namespace
}  // namespace vlm
