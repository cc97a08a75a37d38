#pragma once
// The simulator's stand-in for a serial line: a pseudo-terminal whose other side a client opens
// as its COM device. Linux only; on Windows Open() says so and the simulator serves UDP alone.
#include <chrono>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/UdpSocket.h"

namespace vlm::platform {

class TPseudoTerminal {
 public:
  TPseudoTerminal() = default;
  ~TPseudoTerminal();
  TPseudoTerminal(const TPseudoTerminal&) = delete;
  TPseudoTerminal& operator=(const TPseudoTerminal&) = delete;

  // Raw bytes at 9600 bit/s; the terminal side stays open so the line stays up while clients
  // come and go. Returns an error text, empty on success.
  std::string Open();
  const std::string& Path() const { return path_; }
  TNativeHandle Handle() const { return master_; }
  // Bytes read (0: nothing waiting), -1 on an error.
  int Read(std::span<uint8_t> into);
  // Gives up after `timeout` without progress: a client that stopped reading must not hang us.
  bool WriteAll(std::span<const uint8_t> data, std::chrono::milliseconds timeout);

 private:
  TNativeHandle master_ = kNoHandle;
  TNativeHandle slave_ = kNoHandle;
  std::string path_;
};

// Waits until one of the handles (sockets; on Linux also terminals) is readable or the time-out
// passes; ready[i] tells which. Returns an error text when the wait itself failed.
std::string WaitReadable(std::span<const TNativeHandle> handles, std::chrono::milliseconds timeout,
                         std::vector<bool>& ready);

}  // namespace vlm::platform
