// Lines of the exchange log: layout, time stamps, the 32-byte cap and the 2000-line bound.
#include <gtest/gtest.h>

#include <thread>

#include "FakeTransport.h"
#include "link/ExchangeLog.h"
#include "link/ServiceRequests.h"

namespace vlm {
namespace {

using namespace std::chrono;

// A clock that starts at hh:mm:07.250 and moves as the test says.
struct TManualClock {
  system_clock::time_point wall = system_clock::time_point(minutes(29000000) + seconds(7) + milliseconds(250));
  steady_clock::time_point steady{};
  void Advance(milliseconds ms) { wall += ms; steady += ms; }
  TExchangeLog::TClock Function() {
    return [this] { return TExchangeLog::TStamp{wall, steady}; };
  }
};

std::string Zeros(int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += "00 ";
  return s;
}

TEST(HexDump, UpperCaseDigitsEachFollowedByABlank) {
  const uint8_t bytes[] = {0x00, 0xAB, 0x0F, 0xF0};
  EXPECT_EQ(HexDump(bytes, 4), "00 AB 0F F0 ");
  EXPECT_EQ(HexDump(bytes, 0), "");
}

TEST(ExchangeLog, SentAndReceivedLinesWithStampElapsedAndCaps) {
  TManualClock clock;
  TExchangeLog log(clock.Function());
  std::vector<uint8_t> frame(40);
  for (size_t i = 0; i < frame.size(); ++i) frame[i] = uint8_t(i);
  log.FrameSent(frame);
  clock.Advance(milliseconds(12));
  std::vector<uint8_t> response(1501);
  response[0] = 0x03;
  response[40] = 0xEE;  // past the 32 dumped bytes
  log.ResponseReceived(response, true);
  clock.Advance(milliseconds(123456));
  log.ResponseReceived(std::vector<uint8_t>(1501), false);

  const auto lines = log.Lines();
  ASSERT_EQ(lines.size(), 3u);
  std::string first = "<07.250 99999  ";
  for (int i = 0; i < 32; ++i) first += HexDump(&frame[size_t(i)], 1);
  EXPECT_EQ(lines[0], first);
  EXPECT_EQ(lines[1], ">07.262  12  03 " + Zeros(31) + "1");
  EXPECT_EQ(lines[2], ">10.718 99999  " + Zeros(32) + "0");
}

TEST(ExchangeLog, KeepsTheNewest2000LinesWhileTwoThreadsWrite) {
  TExchangeLog log;
  auto writer = [&log](char tag) {
    for (int i = 0; i < 1500; ++i) log.AddLine(std::string(1, tag) + std::to_string(i));
  };
  std::thread scope(writer, 'o');
  writer('l');
  scope.join();
  const auto lines = log.Lines();
  ASSERT_EQ(lines.size(), TExchangeLog::kMaxLines);
  EXPECT_EQ(log.Count(), 2000u);
  // Each writer's lines stay in its own order.
  int lastScope = -1, lastLink = -1;
  for (const auto& line : lines) {
    int& last = line[0] == 'o' ? lastScope : lastLink;
    const int n = std::stoi(line.substr(1));
    EXPECT_GT(n, last);
    last = n;
  }
  EXPECT_EQ(lastScope, 1499);
  EXPECT_EQ(lastLink, 1499);
}

TEST(ExchangeLog, WatchesTheLinkOneLinePerFrameAndPerAwaitedAnswer) {
  TControllerLink link;
  test::TFakeWire wire;
  test::UseFake(link, wire);
  TManualClock clock;
  TExchangeLog log(clock.Function());
  link.AddObserver(&log);
  wire.answers = {{2, 0x88, 1, 0x89}};
  ASSERT_TRUE(ResetController(link));  // send only: one line
  link.RequestBuffer[0] = 1;
  EXPECT_TRUE(link.Exchange(1, 3));
  link.RemoveObserver(&log);
  EXPECT_TRUE(ResetController(link));
  const auto lines = log.Lines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "<07.250 99999  01 88 88 ");
  EXPECT_EQ(lines[2], ">07.250   0  02 88 01 89 " + Zeros(28) + "1");
}

}  // namespace
}  // namespace vlm
