#include "platform/SerialPort.h"

#include <windows.h>

#include <algorithm>
#include <thread>

#include "platform/win32/WinText.h"

namespace vlm::platform {

struct TSerialPort::TImpl {
  HANDLE handle = INVALID_HANDLE_VALUE;
  DWORD readTimeoutMs = ~DWORD(0);  // what COMMTIMEOUTS holds now, to set it only on a change

  bool Configure() {
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(handle, &dcb)) return false;
    dcb.BaudRate = CBR_9600;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = TRUE;
    dcb.fParity = FALSE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fNull = FALSE;
    dcb.fAbortOnError = FALSE;
    return SetCommState(handle, &dcb) != 0;
  }

  // A read returns at once with what is there, else waits up to `ms` for the first byte
  // (MAXDWORD interval and multiplier: the documented "return on first byte" mode).
  bool SetReadTimeout(DWORD ms, DWORD writeMs) {
    COMMTIMEOUTS t{};
    t.ReadIntervalTimeout = MAXDWORD;
    t.ReadTotalTimeoutMultiplier = MAXDWORD;
    t.ReadTotalTimeoutConstant = std::max<DWORD>(ms, 1);
    t.WriteTotalTimeoutMultiplier = 0;
    t.WriteTotalTimeoutConstant = std::max<DWORD>(writeMs, 1);
    readTimeoutMs = ms;
    return SetCommTimeouts(handle, &t) != 0;
  }

  static DWORD MsUntil(Clock::time_point until) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - Clock::now()).count();
    return DWORD(std::clamp<long long>(left, 0, 60000));
  }
};

TSerialPort::TSerialPort() : impl_(std::make_unique<TImpl>()) {}
TSerialPort::~TSerialPort() { Close(); }
bool TSerialPort::IsOpen() const { return impl_->handle != INVALID_HANDLE_VALUE; }

std::string TSerialPort::Open(const std::string& device) {
  Close();
  // Exclusive by the system: no share mode.
  impl_->handle = CreateFileW(win32::Wide(device).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  openError_ = TOpenError::None;
  if (impl_->handle == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION) {
      openError_ = TOpenError::InUse;
      return device + ": занят другой программой";
    }
    openError_ = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_BAD_NETPATH
                     ? TOpenError::NoDevice
                     : TOpenError::Other;
    return device + ": " + win32::MessageOf(error);
  }
  if (!impl_->Configure() || !impl_->SetReadTimeout(1, 1000)) {
    openError_ = TOpenError::Other;
    const std::string error = device + ": " + win32::MessageOf(GetLastError());
    CloseHandle(impl_->handle);
    impl_->handle = INVALID_HANDLE_VALUE;
    return error;
  }
  DiscardBoth();
  return {};
}

void TSerialPort::Close() {
  if (impl_->handle == INVALID_HANDLE_VALUE) return;
  const auto until = Clock::now() + std::chrono::seconds(1);
  for (;;) {
    COMSTAT status{};
    DWORD errors = 0;
    if (!ClearCommError(impl_->handle, &errors, &status) || status.cbOutQue == 0 || Clock::now() >= until) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  PurgeComm(impl_->handle, PURGE_RXABORT | PURGE_RXCLEAR);
  CloseHandle(impl_->handle);
  impl_->handle = INVALID_HANDLE_VALUE;
}

void TSerialPort::DiscardInput() {
  if (IsOpen()) PurgeComm(impl_->handle, PURGE_RXABORT | PURGE_RXCLEAR);
}

void TSerialPort::DiscardBoth() {
  if (IsOpen()) PurgeComm(impl_->handle, PURGE_RXABORT | PURGE_RXCLEAR | PURGE_TXABORT | PURGE_TXCLEAR);
}

bool TSerialPort::Write(std::span<const uint8_t> data, Clock::time_point until) {
  if (!IsOpen()) return false;
  impl_->SetReadTimeout(impl_->readTimeoutMs, TImpl::MsUntil(until));
  size_t done = 0;
  while (done < data.size()) {
    DWORD written = 0;
    if (!WriteFile(impl_->handle, data.data() + done, DWORD(data.size() - done), &written, nullptr)) return false;
    if (written == 0 && Clock::now() >= until) return false;
    done += written;
  }
  return true;
}

TSerialPort::TRead TSerialPort::ReadSome(std::span<uint8_t> into, Clock::time_point until) {
  if (!IsOpen()) return {0, true};
  const DWORD ms = TImpl::MsUntil(until);
  if (ms != impl_->readTimeoutMs && !impl_->SetReadTimeout(ms, 1000)) return {0, true};
  DWORD got = 0;
  // A USB adapter pulled out fails the read (ERROR_BAD_COMMAND, ERROR_ACCESS_DENIED ...).
  if (!ReadFile(impl_->handle, into.data(), DWORD(into.size()), &got, nullptr)) return {0, true};
  return {size_t(got), false};
}

std::string ComPortDeviceName(int number) { return "\\\\.\\COM" + std::to_string(number); }

}  // namespace vlm::platform
