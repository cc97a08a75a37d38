#include "sim/SimOsc.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <numbers>

#include "common/IpAddress.h"

namespace vlm::sim {
namespace {

constexpr auto kStreamTimeout = std::chrono::seconds(3);

std::string AddressText(const platform::TIPv4& ip, uint16_t port) { return IPToStr(ip) + ":" + std::to_string(port); }

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
}

std::string SimOsc::Open(const std::string& ip, uint16_t port) {
  try {
    boundIp_ = StrToIP(ip);
  } catch (const EConvertError&) {
    return "bad address " + ip;
  }
  const std::string error = socket_.Open(boundIp_, port);
  return error.empty() ? error : error + " (" + ip + ":" + std::to_string(port) + ")";
}

std::string SimOsc::Address() const {
  return AddressText(boundIp_, socket_.LocalPort());
}

void SimOsc::Start() {
  if (socket_.IsOpen() && !thread_.joinable()) thread_ = std::thread([this] { Run(); });
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
    if (socket_.WaitReadable(std::chrono::milliseconds(timeoutMs))) Receive();
    if (streaming_ && Clock::now() - lastCommand_ > kStreamTimeout) EndStream("no stream command for 3 s");
    if (streaming_) SendDue();
  }
}

void SimOsc::Receive() {
  uint8_t buffer[64];
  for (;;) {
    platform::TIPv4 fromIp{};
    uint16_t fromPort = 0;
    const int got = socket_.ReceiveFrom(buffer, fromIp, fromPort);
    if (got < 0) return;
    if (got == 4 && buffer[0] == 0x02 && buffer[1] == 0x05 && uint8_t(buffer[1] + buffer[2]) == buffer[3]) {
      lastCommand_ = Clock::now();
      const bool sameClient = streaming_ && fromIp == clientIp_ && fromPort == clientPort_;
      if (!sameClient) {
        if (streaming_) EndStream("another client asked");
        streaming_ = true;
        clientIp_ = fromIp;
        clientPort_ = fromPort;
        started_ = Clock::now();
        next_ = 0;
        pendingDrops_ = 0;
        anyDelivered_ = false;
        stream_ = {};
        std::fprintf(stderr, "osc: streaming to %s\n", AddressText(fromIp, fromPort).c_str());
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
    socket_.SendTo(packet, clientIp_, clientPort_);
    if (d.duplicate) {
      socket_.SendTo(packet, clientIp_, clientPort_);
      ++stream_.repeated;
      ++repeated_;
    }
  }
}

void SimOsc::EndStream(const char* why) {
  std::fprintf(stderr, "osc: stream to %s ended (%s): sent %llu delivered %llu dropped %llu repeated %llu\n",
               AddressText(clientIp_, clientPort_).c_str(), why, static_cast<unsigned long long>(stream_.sent),
               static_cast<unsigned long long>(stream_.delivered),
               static_cast<unsigned long long>(stream_.dropped), static_cast<unsigned long long>(stream_.repeated));
  streaming_ = false;
}

}  // namespace vlm::sim
