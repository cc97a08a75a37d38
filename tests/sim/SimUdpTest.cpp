// The simulator served over a real UDP socket on loopback.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "SimTestUtil.h"
#include "common/IpAddress.h"
#include "platform/UdpSocket.h"
#include "sim/SimServer.h"

using namespace simtest;
using namespace vlm::sim;

namespace {

class UdpClient {
 public:
  explicit UdpClient(const std::string& serverAddress) {
    const size_t colon = serverAddress.find(':');
    serverIp_ = vlm::StrToIP(serverAddress.substr(0, colon));
    serverPort_ = uint16_t(std::stoi(serverAddress.substr(colon + 1)));
    socket_.Open({127, 0, 0, 1}, 0);
  }
  Bytes Exchange(const Bytes& request, bool wait = true) {
    socket_.SendTo(request, serverIp_, serverPort_);
    if (!wait) return {};
    return Receive();
  }
  Bytes Receive() {
    Bytes answer(1600);
    vlm::platform::TIPv4 fromIp{};
    uint16_t fromPort = 0;
    int got = -1;
    // Generous: only a lost simulator hits it.
    if (socket_.WaitReadable(std::chrono::seconds(2))) got = socket_.ReceiveFrom(answer, fromIp, fromPort);
    answer.resize(got > 0 ? size_t(got) : 0);
    return answer;
  }

 private:
  vlm::platform::TUdpSocket socket_;
  vlm::platform::TIPv4 serverIp_{};
  uint16_t serverPort_ = 0;
};

// A simulator served by a thread of the test, on a port the system picks.
class ServedSim {
 public:
  explicit ServedSim(const FaultSettings& faults) : faults_(faults) {
    error_ = server_.OpenUdp("127.0.0.3", 0);
    if (error_.empty()) thread_ = std::thread([this] { server_.Run(stop_); });
  }
  ~ServedSim() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
  }
  const std::string& Error() const { return error_; }
  std::string Address() const { return server_.UdpAddress(); }

 private:
  vlm::test::TTempDir dir_{"sim"};
  SimMemory memory_;
  SimDisk disk_{dir_.Path()};
  SimController controller_{disk_, memory_};
  FaultInjector faults_;
  SimServer server_{controller_, faults_, false};
  std::atomic<bool> stop_{false};
  std::string error_;
  std::thread thread_;
};

TEST(SimUdp, AnswersRequestsOnLoopbackAndStopsOnRequest) {
  ServedSim sim(FaultSettings{});
  ASSERT_EQ(sim.Error(), "");
  const std::string address = sim.Address();
  EXPECT_EQ(address.rfind("127.0.0.3:", 0), 0u);
  UdpClient client(address);
  EXPECT_EQ(ToHex(client.Exchange(Hex("09 81 10 00 34 12 03 01 02 03 E0"))), "06 81 10 00 34 12 03 DA");
  // A request with a bad checksum gets no answer: the next answer to come is the good request's.
  client.Exchange(Hex("06 80 10 00 34 12 03 00"), false);
  EXPECT_EQ(ToHex(client.Exchange(Hex("06 80 10 00 34 12 03 D9"))), "09 80 10 00 34 12 03 01 02 03 DF");
}

TEST(SimUdp, DuplicatedAnswersComeTwiceAndDelayedOnesNotBeforeTheirTime) {
  ServedSim sim(FaultSettings{0, 1, 0, 30, 5});
  ASSERT_EQ(sim.Error(), "");
  UdpClient client(sim.Address());
  const auto start = std::chrono::steady_clock::now();
  const Bytes first = client.Exchange(Hex("06 80 10 00 34 12 01 D7"));
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(30));
  EXPECT_EQ(ToHex(first), "07 80 10 00 34 12 01 00 D7");
  EXPECT_EQ(client.Receive(), first);
}

// A late answer overtakes nothing: the answer to the next request leaves on time, ahead of it.
TEST(SimUdp, LateAnswerDoesNotHoldBackTheNextOne) {
  FaultSettings settings;
  settings.late = 0.5;
  settings.lateMaxMs = 400;
  // A seed whose first answer is late by 200 ms or more and whose second is on time.
  for (settings.seed = 1;; ++settings.seed) {
    FaultInjector probe(settings);
    const unsigned first = probe.Next().lateMs, second = probe.Next().lateMs;
    if (first >= 200 && second == 0) break;
  }
  ServedSim sim(settings);
  ASSERT_EQ(sim.Error(), "");
  UdpClient client(sim.Address());
  client.Exchange(Hex("06 80 10 00 34 12 01 D7"), false);
  client.Exchange(Hex("06 80 10 00 34 12 02 D8"), false);
  EXPECT_EQ(ToHex(client.Receive()), "08 80 10 00 34 12 02 00 00 D8");
  EXPECT_EQ(ToHex(client.Receive()), "07 80 10 00 34 12 01 00 D7");
}

}  // namespace
