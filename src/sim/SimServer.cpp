#include "sim/SimServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "sim/SimProtocol.h"
#include "sim/SimService.h"

namespace vlm::sim {
namespace {

// A frame that stopped arriving for this long is taken as garbage (a byte takes ~1 ms at 9600).
constexpr auto kLineIdle = std::chrono::milliseconds(50);

std::string SystemError(const std::string& what) { return what + ": " + std::strerror(errno); }

std::string AddressText(const sockaddr_in& a) {
  char ip[INET_ADDRSTRLEN] = "?";
  inet_ntop(AF_INET, &a.sin_addr, ip, sizeof ip);
  return std::string(ip) + ":" + std::to_string(ntohs(a.sin_port));
}

}  // namespace

SimServer::SimServer(SimController& controller, FaultInjector& faults, bool verbose)
    : controller_(controller), faults_(faults), verbose_(verbose) {}

SimServer::~SimServer() {
  for (int fd : {udp_, ptyMaster_, ptySlave_})
    if (fd >= 0) close(fd);
}

std::string SimServer::OpenUdp(const std::string& ip, uint16_t port) {
  udp_ = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (udp_ < 0) return SystemError("socket");
  // The program binds the same port on the wildcard address of the same machine.
  const int on = 1;
  setsockopt(udp_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_port = htons(port);
  if (inet_pton(AF_INET, ip.c_str(), &local.sin_addr) != 1) return "bad address " + ip;
  if (bind(udp_, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0)
    return SystemError("bind " + ip + ":" + std::to_string(port));
  return {};
}

std::string SimServer::UdpAddress() const {
  sockaddr_in local{};
  socklen_t size = sizeof local;
  getsockname(udp_, reinterpret_cast<sockaddr*>(&local), &size);
  return AddressText(local);
}

std::string SimServer::OpenPty() {
  ptyMaster_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (ptyMaster_ < 0) return SystemError("posix_openpt");
  if (grantpt(ptyMaster_) != 0 || unlockpt(ptyMaster_) != 0) return SystemError("grantpt");
  char name[128];
  if (ptsname_r(ptyMaster_, name, sizeof name) != 0) return SystemError("ptsname");
  ptyPath_ = name;
  ptySlave_ = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (ptySlave_ < 0) return SystemError("open " + ptyPath_);
  // Raw bytes both ways: no echo, no line editing, no CR/LF translation.
  termios tio{};
  tcgetattr(ptySlave_, &tio);
  cfmakeraw(&tio);
  cfsetispeed(&tio, B9600);
  cfsetospeed(&tio, B9600);
  tcsetattr(ptySlave_, TCSANOW, &tio);
  fcntl(ptyMaster_, F_SETFL, fcntl(ptyMaster_, F_GETFL) | O_NONBLOCK);
  return {};
}

void SimServer::Dispatch(std::span<const uint8_t> frame, bool serial, const sockaddr_in& from) {
  const unsigned resetsBefore = controller_.Resets();
  ServeResult result = Serve(controller_, faults_, frame, serial ? kSerialLink : kUdpLink);
  // A restart is worth a line even without -v: whoever watches the simulator learns it happened.
  if (controller_.Resets() != resetsBefore) std::fprintf(stderr, "sim: reset #%u, state restarted\n", controller_.Resets());
  if (verbose_) {
    const std::string origin = serial ? "serial" : "udp " + AddressText(from);
    std::fprintf(stderr, "sim: %s %s\n", origin.c_str(), result.logLine.c_str());
  }
  const auto due = Clock::now() + std::chrono::milliseconds(faults_.Settings().delayMs);
  for (auto& bytes : result.sends) queue_.push_back({due, serial, from, std::move(bytes)});
  SendDue();
}

void SimServer::ReceiveDatagram() {
  uint8_t buffer[2048];
  for (;;) {
    sockaddr_in from{};
    socklen_t size = sizeof from;
    const ssize_t got = recvfrom(udp_, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &size);
    if (got < 0) return;
    size_t frameSize = 0;
    const std::span<const uint8_t> datagram(buffer, size_t(got));
    if (CheckRequestFrame(datagram, frameSize) == FrameCheck::Valid) {
      Dispatch(datagram.first(frameSize), false, from);
    } else if (verbose_) {
      std::fprintf(stderr, "sim: udp %s ignored %zd bytes that are no request\n", AddressText(from).c_str(), got);
    }
  }
}

void SimServer::ReceiveSerial() {
  uint8_t buffer[512];
  const ssize_t got = read(ptyMaster_, buffer, sizeof buffer);
  if (got <= 0) return;
  lastSerialByte_ = Clock::now();
  framer_.Append(std::span(buffer, size_t(got)));
  while (auto frame = framer_.Next()) Dispatch(*frame, true, {});
}

void SimServer::Send(const Outgoing& out) {
  if (!out.serial) {
    sendto(udp_, out.bytes.data(), out.bytes.size(), 0, reinterpret_cast<const sockaddr*>(&out.to), sizeof out.to);
    return;
  }
  size_t done = 0;
  while (done < out.bytes.size()) {
    const ssize_t n = write(ptyMaster_, out.bytes.data() + done, out.bytes.size() - done);
    if (n > 0) {
      done += size_t(n);
      continue;
    }
    pollfd p{ptyMaster_, POLLOUT, 0};
    // A client that stopped reading must not hang the simulator: give up the answer.
    if (n < 0 && errno != EAGAIN && errno != EINTR) return;
    if (poll(&p, 1, 1000) <= 0) return;
  }
}

void SimServer::SendDue() {
  const auto now = Clock::now();
  while (!queue_.empty() && queue_.front().due <= now) {
    Send(queue_.front());
    queue_.pop_front();
  }
}

int SimServer::PollTimeoutMs() const {
  auto timeout = std::chrono::milliseconds(100);
  if (!queue_.empty()) {
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(queue_.front().due - Clock::now());
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
    pollfd fds[2];
    nfds_t count = 0;
    if (udp_ >= 0) fds[count++] = {udp_, POLLIN, 0};
    if (ptyMaster_ >= 0) fds[count++] = {ptyMaster_, POLLIN, 0};
    const int ready = poll(fds, count, PollTimeoutMs());
    if (ready < 0 && errno != EINTR) return SystemError("poll");
    for (nfds_t i = 0; ready > 0 && i < count; ++i) {
      if (!(fds[i].revents & (POLLIN | POLLERR | POLLHUP))) continue;
      if (fds[i].fd == udp_) ReceiveDatagram();
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
