#pragma once
// One serial line, raw bytes at 9600 bit/s, 8 data bits, no parity, one stop bit, held
// exclusively (a second program on the line would steal answers). POSIX termios in posix/,
// Win32 COM in win32/.
#include <chrono>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "platform/OpenError.h"

namespace vlm::platform {

class TSerialPort {
 public:
  using Clock = std::chrono::steady_clock;
  TSerialPort();
  ~TSerialPort();
  TSerialPort(const TSerialPort&) = delete;
  TSerialPort& operator=(const TSerialPort&) = delete;

  // Returns an error text, empty on success. Input and output are discarded after opening.
  std::string Open(const std::string& device);
  // The kind of the last failed Open (None after a successful one).
  TOpenError LastOpenError() const { return openError_; }
  // Lets what was written go out (up to a second: a reset gets no answer and must still reach
  // the controller), throws away what came in, and closes.
  void Close();
  bool IsOpen() const;

  void DiscardInput();
  void DiscardBoth();
  // Writes everything by `until`; false on a failure or when the line would not take it in time.
  bool Write(std::span<const uint8_t> data, Clock::time_point until);

  struct TRead {
    size_t bytes = 0;
    bool hungUp = false;  // the other end went away (adapter pulled out, pty closed)
  };
  // What the line holds, waiting for it until `until`.
  TRead ReadSome(std::span<uint8_t> into, Clock::time_point until);

 private:
  struct TImpl;
  std::unique_ptr<TImpl> impl_;
  TOpenError openError_ = TOpenError::None;
};

// The system's name of COM port `number` (1-based): "/dev/ttyS<n-1>" or "\\.\COM<n>".
std::string ComPortDeviceName(int number);

}  // namespace vlm::platform
