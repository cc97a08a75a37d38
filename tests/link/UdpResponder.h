#pragma once
// A controller on a loopback UDP address for link tests and the benchmark, on the platform's
// bare datagram socket, so it does not lean on the link's socket class under test.
#include <atomic>
#include <functional>
#include <random>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "common/IpAddress.h"
#include "platform/UdpSocket.h"

namespace vlm::test {

class TUdpResponder {
 public:
  using THandler = std::function<std::vector<uint8_t>(std::span<const uint8_t>)>;

  // Binds ip:port with a random port from 20000 up (trying others while taken), or the port given.
  TUdpResponder(const std::string& ip, THandler handler, uint16_t port = 0) : handler_(std::move(handler)) {
    std::mt19937 random(std::random_device{}());
    for (int tries = 0; tries < 50 && !socket_.IsOpen(); ++tries) Bind(ip, port ? port : uint16_t(20000 + random() % 40000));
    thread_ = std::thread([this] { Serve(); });
  }
  ~TUdpResponder() {
    stop_ = true;
    thread_.join();
  }
  uint16_t Port() const { return port_; }
  bool Ok() const { return socket_.IsOpen(); }
  std::atomic<int> requests{0};
  std::atomic<int> copies{1};  // how often each answer is sent (a duplicating network)
  std::atomic<uint16_t> clientPort{0};  // where the last request came from

 private:
  void Bind(const std::string& ip, uint16_t port) {
    if (socket_.Open(StrToIP(ip), port).empty()) port_ = port;
  }
  void Serve() {
    std::vector<uint8_t> buffer(2048);
    while (!stop_ && socket_.IsOpen()) {
      if (!socket_.WaitReadable(std::chrono::milliseconds(20))) continue;
      platform::TIPv4 fromIp{};
      uint16_t fromPort = 0;
      const int n = socket_.ReceiveFrom(buffer, fromIp, fromPort);
      if (n <= 0) continue;
      ++requests;
      clientPort = fromPort;
      const auto answer = handler_({buffer.data(), size_t(n)});
      for (int i = 0; !answer.empty() && i < copies; ++i) socket_.SendTo(answer, fromIp, fromPort);
    }
  }

  THandler handler_;
  platform::TUdpSocket socket_;
  uint16_t port_ = 0;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace vlm::test
