#include "sim/SimOsc.h"

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <numbers>

namespace vlm::sim {
namespace {

constexpr auto kStreamTimeout = std::chrono::seconds(3);

std::string AddressText(const sockaddr_in& a) {
  char ip[INET_ADDRSTRLEN] = "?";
  inet_ntop(AF_INET, &a.sin_addr, ip, sizeof ip);
  return std::string(ip) + ":" + std::to_string(ntohs(a.sin_port));
}

void Put16(uint8_t* p, int v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(uint16_t(v) >> 8);
}

}  // namespace

SimOsc::SimOsc(const FaultSettings& faults) : faults_([&] {
  FaultSettings f = faults;
  f.seed = faults.seed * 31 + 7;  // a sequence of its own, independent of the link's requests
  return f;
}()) {}

SimOsc::~SimOsc() {
  Stop();
  if (fd_ >= 0) close(fd_);
}

std::string SimOsc::Open(const std::string& ip, uint16_t port) {
  fd_ = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd_ < 0) return std::string("socket: ") + std::strerror(errno);
  const int on = 1;
  setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_port = htons(port);
  if (inet_pton(AF_INET, ip.c_str(), &local.sin_addr) != 1) return "bad address " + ip;
  if (bind(fd_, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0)
    return "bind " + ip + ":" + std::to_string(port) + ": " + std::strerror(errno);
  return {};
}

std::string SimOsc::Address() const {
  sockaddr_in local{};
  socklen_t size = sizeof local;
  getsockname(fd_, reinterpret_cast<sockaddr*>(&local), &size);
  return AddressText(local);
}

void SimOsc::Start() {
  if (fd_ >= 0 && !thread_.joinable()) thread_ = std::thread([this] { Run(); });
}

void SimOsc::Stop() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  if (streaming_) EndStream("simulator stopped");
}

SimOscReport SimOsc::Report() const { return {sent_.load(), delivered_.load(), dropped_.load(), repeated_.load()}; }

void SimOsc::FillPacket(uint64_t k, uint8_t* packet) {
  std::memset(packet, 0, 6);
  packet[3] = uint8_t(k);
  constexpr double kTwoPi = 2 * std::numbers::pi;
  for (uint32_t i = 0; i < kBlockFrames; ++i) {
    const uint64_t n = k * kBlockFrames + i;
    const double t = double(n % (kFrameRate * 2)) / kFrameRate;  // both signals repeat every 2 s
    const double a = 12000 * std::sin(kTwoPi * 50 * t) + 4000 * std::sin(kTwoPi * 150 * t) + 2000 * std::sin(kTwoPi * 250 * t);
    const double b = -20000 + 40000 * t / 2;
    Put16(packet + 6 + i * 4, int(std::lround(a)));
    Put16(packet + 8 + i * 4, int(std::lround(b)));
  }
}

void SimOsc::Run() {
  while (!stop_.load()) {
    int timeoutMs = 100;
    if (streaming_) {
      const auto due = started_ + std::chrono::microseconds(next_ * kBlockFrames * 1000000 / kFrameRate);
      timeoutMs = int(std::clamp<long long>(
          std::chrono::ceil<std::chrono::milliseconds>(due - Clock::now()).count(), 0, 100));
    }
    pollfd p{fd_, POLLIN, 0};
    if (poll(&p, 1, timeoutMs) > 0) Receive();
    if (streaming_ && Clock::now() - lastCommand_ > kStreamTimeout) EndStream("no stream command for 3 s");
    if (streaming_) SendDue();
  }
}

void SimOsc::Receive() {
  uint8_t buffer[64];
  for (;;) {
    sockaddr_in from{};
    socklen_t size = sizeof from;
    const ssize_t got = recvfrom(fd_, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &size);
    if (got < 0) return;
    if (got == 4 && buffer[0] == 0x02 && buffer[1] == 0x05 && uint8_t(buffer[1] + buffer[2]) == buffer[3]) {
      lastCommand_ = Clock::now();
      const bool sameClient = streaming_ && from.sin_addr.s_addr == client_.sin_addr.s_addr && from.sin_port == client_.sin_port;
      if (!sameClient) {
        if (streaming_) EndStream("another client asked");
        streaming_ = true;
        client_ = from;
        started_ = Clock::now();
        next_ = 0;
        pendingDrops_ = 0;
        anyDelivered_ = false;
        stream_ = {};
        std::fprintf(stderr, "osc: streaming to %s\n", AddressText(from).c_str());
      }
    } else if (got == 3 && buffer[0] == 0x01 && buffer[1] == 0x06 && buffer[2] == 0x06) {
      if (streaming_) EndStream("stop command");
    }
  }
}

void SimOsc::SendDue() {
  uint8_t packet[kPacketSize];
  const auto now = Clock::now();
  while (started_ + std::chrono::microseconds(next_ * kBlockFrames * 1000000 / kFrameRate) <= now) {
    FillPacket(next_++, packet);
    ++stream_.sent;
    ++sent_;
    const FaultDecision d = faults_.Next();
    if (d.dropRequest || d.dropAnswer) {
      ++pendingDrops_;
      continue;
    }
    if (d.corrupt) packet[6 + d.corruptPosition % (kPacketSize - 6)] ^= d.corruptMask;
    // Drops become visible to a receiver only when a later packet arrives.
    if (anyDelivered_) stream_.dropped += pendingDrops_, dropped_ += pendingDrops_;
    pendingDrops_ = 0;
    anyDelivered_ = true;
    ++stream_.delivered;
    ++delivered_;
    const auto* to = reinterpret_cast<const sockaddr*>(&client_);
    sendto(fd_, packet, sizeof packet, 0, to, sizeof client_);
    if (d.duplicate) {
      sendto(fd_, packet, sizeof packet, 0, to, sizeof client_);
      ++stream_.repeated;
      ++repeated_;
    }
  }
}

void SimOsc::EndStream(const char* why) {
  std::fprintf(stderr, "osc: stream to %s ended (%s): sent %llu delivered %llu dropped %llu repeated %llu\n",
               AddressText(client_).c_str(), why, static_cast<unsigned long long>(stream_.sent),
               static_cast<unsigned long long>(stream_.delivered),
               static_cast<unsigned long long>(stream_.dropped), static_cast<unsigned long long>(stream_.repeated));
  streaming_ = false;
}

}  // namespace vlm::sim
