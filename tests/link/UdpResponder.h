#pragma once
// A controller on a loopback UDP address for link tests and the benchmark, written with plain
// sockets so it does not lean on the socket class under test.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <random>
#include <span>
#include <string>
#include <thread>
#include <vector>

namespace vlm::test {

class TUdpResponder {
 public:
  using THandler = std::function<std::vector<uint8_t>(std::span<const uint8_t>)>;

  // Binds ip:port with a random port from 20000 up (trying others while taken), or the port given.
  TUdpResponder(const std::string& ip, THandler handler, uint16_t port = 0) : handler_(std::move(handler)) {
    std::mt19937 random(std::random_device{}());
    for (int tries = 0; tries < 50 && fd_ < 0; ++tries) Bind(ip, port ? port : uint16_t(20000 + random() % 40000));
    thread_ = std::thread([this] { Serve(); });
  }
  ~TUdpResponder() {
    stop_ = true;
    thread_.join();
    if (fd_ >= 0) ::close(fd_);
  }
  uint16_t Port() const { return port_; }
  bool Ok() const { return fd_ >= 0; }
  std::atomic<int> requests{0};
  std::atomic<int> copies{1};  // how often each answer is sent (a duplicating network)

 private:
  void Bind(const std::string& ip, uint16_t port) {
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    ::inet_pton(AF_INET, ip.c_str(), &a.sin_addr);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) {
      fd_ = fd;
      port_ = port;
    } else {
      ::close(fd);
    }
  }
  void Serve() {
    std::vector<uint8_t> buffer(2048);
    while (!stop_ && fd_ >= 0) {
      pollfd p{fd_, POLLIN, 0};
      if (::poll(&p, 1, 20) <= 0) continue;
      sockaddr_in from{};
      socklen_t fromLength = sizeof from;
      const ssize_t n = ::recvfrom(fd_, buffer.data(), buffer.size(), 0, reinterpret_cast<sockaddr*>(&from), &fromLength);
      if (n <= 0) continue;
      ++requests;
      const auto answer = handler_({buffer.data(), size_t(n)});
      for (int i = 0; !answer.empty() && i < copies; ++i)
        ::sendto(fd_, answer.data(), answer.size(), 0, reinterpret_cast<sockaddr*>(&from), fromLength);
    }
  }

  THandler handler_;
  int fd_ = -1;
  uint16_t port_ = 0;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace vlm::test
