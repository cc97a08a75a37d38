#include "sim/SimServer.h"

#include <algorithm>
#include <cstdio>

#include "common/IpAddress.h"
#include "sim/SimProtocol.h"
#include "sim/SimService.h"

namespace vlm::sim {
namespace {

// A frame that stopped arriving for this long is taken as garbage (a byte takes ~1 ms at 9600).
constexpr auto kLineIdle = std::chrono::milliseconds(50);

std::string AddressText(const platform::TIPv4& ip, uint16_t port) { return IPToStr(ip) + ":" + std::to_string(port); }

}  // namespace

SimServer::SimServer(SimController& controller, FaultInjector& faults, bool verbose)
    : controller_(controller), faults_(faults), verbose_(verbose) {}

SimServer::~SimServer() = default;

std::string SimServer::OpenUdp(const std::string& ip, uint16_t port) {
  TIPAddress address{};
  try {
    address = StrToIP(ip);
  } catch (const EConvertError&) {
    return "bad address " + ip;
  }
  // The program binds the same port on the wildcard address of the same machine (the socket
  // allows address reuse).
  boundIp_ = address;
  const std::string error = udp_.Open(address, port);
  return error.empty() ? error : error + " (" + ip + ":" + std::to_string(port) + ")";
}

std::string SimServer::UdpAddress() const {
  return udp_.IsOpen() ? AddressText(boundIp_, udp_.LocalPort()) : std::string();
}

std::string SimServer::OpenPty() {
  const std::string error = pty_.Open();
  ptyOpen_ = error.empty();
  return error;
}

void SimServer::Dispatch(std::span<const uint8_t> frame, bool serial, const Peer& from) {
  const unsigned resetsBefore = controller_.Resets();
  ServeResult result = Serve(controller_, faults_, frame, serial ? kSerialLink : kUdpLink);
  // A restart is worth a line even without -v: whoever watches the simulator learns it happened.
  if (controller_.Resets() != resetsBefore) std::fprintf(stderr, "sim: reset #%u, state restarted\n", controller_.Resets());
  if (verbose_) {
    const std::string origin = serial ? "serial" : "udp " + AddressText(from.ip, from.port);
    std::fprintf(stderr, "sim: %s %s\n", origin.c_str(), result.logLine.c_str());
  }
  const auto due = Clock::now() + std::chrono::milliseconds(faults_.Settings().delayMs);
  for (auto& send : result.sends)
    queue_.emplace(due + std::chrono::milliseconds(send.afterMs), Outgoing{serial, from, std::move(send.bytes)});
  SendDue();
}

void SimServer::ReceiveDatagram() {
  uint8_t buffer[2048];
  for (;;) {
    Peer from;
    const int got = udp_.ReceiveFrom(std::span(buffer, sizeof buffer), from.ip, from.port);
    if (got < 0) return;
    size_t frameSize = 0;
    const std::span<const uint8_t> datagram(buffer, size_t(got));
    if (CheckRequestFrame(datagram, frameSize) == FrameCheck::Valid) {
      Dispatch(datagram.first(frameSize), false, from);
    } else if (verbose_) {
      std::fprintf(stderr, "sim: udp %s ignored %d bytes that are no request\n", AddressText(from.ip, from.port).c_str(), got);
    }
  }
}

void SimServer::ReceiveSerial() {
  uint8_t buffer[512];
  const int got = pty_.Read(buffer);
  if (got <= 0) return;
  lastSerialByte_ = Clock::now();
  if (echo_) pty_.WriteAll(std::span<const uint8_t>(buffer, size_t(got)), std::chrono::milliseconds(1000));
  framer_.Append(std::span(buffer, size_t(got)));
  while (auto frame = framer_.Next()) Dispatch(*frame, true, {});
}

void SimServer::Send(const Outgoing& out) {
  if (!out.serial) {
    udp_.SendTo(out.bytes, out.to.ip, out.to.port);
    return;
  }
  // A client that stopped reading must not hang the simulator: the answer is given up.
  pty_.WriteAll(out.bytes, std::chrono::milliseconds(1000));
}

void SimServer::SendDue() {
  const auto now = Clock::now();
  while (!queue_.empty() && queue_.begin()->first <= now) {
    Send(queue_.begin()->second);
    queue_.erase(queue_.begin());
  }
}

int SimServer::PollTimeoutMs() const {
  auto timeout = std::chrono::milliseconds(100);
  if (!queue_.empty()) {
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(queue_.begin()->first - Clock::now());
    timeout = std::clamp(wait, std::chrono::milliseconds(0), timeout);
  }
  if (framer_.Pending() > 0) timeout = std::min(timeout, std::chrono::milliseconds(kLineIdle));
  if (tick_) {
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(nextTick_ - Clock::now());
    timeout = std::clamp(wait, std::chrono::milliseconds(0), timeout);
  }
  return int(timeout.count());
}

std::string SimServer::Run(const std::atomic<bool>& stop) {
  while (!stop.load()) {
    std::vector<platform::TNativeHandle> handles;
    if (udp_.IsOpen()) handles.push_back(udp_.NativeHandle());
    if (ptyOpen_) handles.push_back(pty_.Handle());
    std::vector<bool> ready;
    if (std::string error = platform::WaitReadable(handles, std::chrono::milliseconds(PollTimeoutMs()), ready);
        !error.empty())
      return error;
    for (size_t i = 0; i < handles.size(); ++i) {
      if (!ready[i]) continue;
      if (handles[i] == udp_.NativeHandle() && udp_.IsOpen()) ReceiveDatagram();
      else ReceiveSerial();
    }
    if (framer_.Pending() > 0 && Clock::now() - lastSerialByte_ >= kLineIdle) {
      while (auto frame = framer_.Next(true)) Dispatch(*frame, true, {});
      // The client writes a request at once; what is left after a silence will never complete.
      framer_.Flush();
    }
    SendDue();
    if (tick_ && Clock::now() >= nextTick_) {
      tick_();
      nextTick_ = Clock::now() + tickPeriod_;
    }
  }
  return {};
}

void SimServer::SetTick(std::function<void()> tick, std::chrono::milliseconds period) {
  tick_ = std::move(tick);
  tickPeriod_ = period;
  nextTick_ = Clock::now() + period;
}

}  // namespace vlm::sim
