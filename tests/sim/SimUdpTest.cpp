// The simulator served over a real UDP socket on loopback.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <sys/socket.h>
#include <unistd.h>

#include <thread>

#include "SimTestUtil.h"
#include "sim/SimServer.h"

using namespace simtest;
using namespace vlm::sim;

namespace {

class UdpClient {
 public:
  explicit UdpClient(const std::string& serverAddress) {
    fd_ = socket(AF_INET, SOCK_DGRAM, 0);
    timeval timeout{2, 0};  // generous: only a lost simulator hits it
    setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    const size_t colon = serverAddress.find(':');
    server_.sin_family = AF_INET;
    server_.sin_port = htons(uint16_t(std::stoi(serverAddress.substr(colon + 1))));
    inet_pton(AF_INET, serverAddress.substr(0, colon).c_str(), &server_.sin_addr);
  }
  ~UdpClient() { close(fd_); }
  Bytes Exchange(const Bytes& request, bool wait = true) {
    sendto(fd_, request.data(), request.size(), 0, reinterpret_cast<sockaddr*>(&server_), sizeof server_);
    if (!wait) return {};
    Bytes answer(1600);
    const ssize_t got = recv(fd_, answer.data(), answer.size(), 0);
    answer.resize(got > 0 ? size_t(got) : 0);
    return answer;
  }

 private:
  int fd_;
  sockaddr_in server_{};
};

TEST(SimUdp, AnswersRequestsOnLoopbackAndStopsOnRequest) {
  TempDir dir;
  SimMemory memory;
  SimDisk disk(dir.Path());
  SimController controller(disk, memory);
  FaultInjector faults({});
  SimServer server(controller, faults, false);
  ASSERT_EQ(server.OpenUdp("127.0.0.3", 0), "");
  const std::string address = server.UdpAddress();
  EXPECT_EQ(address.rfind("127.0.0.3:", 0), 0u);

  std::atomic<bool> stop{false};
  std::thread serving([&] { server.Run(stop); });
  UdpClient client(address);
  EXPECT_EQ(ToHex(client.Exchange(Hex("09 81 10 00 34 12 03 01 02 03 E0"))), "06 81 10 00 34 12 03 DA");
  // A request with a bad checksum gets no answer: the next answer to come is the good request's.
  client.Exchange(Hex("06 80 10 00 34 12 03 00"), false);
  EXPECT_EQ(ToHex(client.Exchange(Hex("06 80 10 00 34 12 03 D9"))), "09 80 10 00 34 12 03 01 02 03 DF");
  stop = true;
  serving.join();
}

}  // namespace
