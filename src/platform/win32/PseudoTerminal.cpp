#include "platform/PseudoTerminal.h"

#include <winsock2.h>
#include <windows.h>

#include "platform/win32/WinText.h"

namespace vlm::platform {

TPseudoTerminal::~TPseudoTerminal() = default;

std::string TPseudoTerminal::Open() { return "the simulated serial line (a pseudo-terminal) needs Linux; use UDP"; }
int TPseudoTerminal::Read(std::span<uint8_t>) { return -1; }
bool TPseudoTerminal::WriteAll(std::span<const uint8_t>, std::chrono::milliseconds) { return false; }

std::string WaitReadable(std::span<const TNativeHandle> handles, std::chrono::milliseconds timeout,
                         std::vector<bool>& ready) {
  ready.assign(handles.size(), false);
  fd_set read;
  FD_ZERO(&read);
  for (TNativeHandle h : handles) FD_SET(SOCKET(h), &read);
  timeval tv{long(timeout.count() / 1000), long(timeout.count() % 1000) * 1000};
  if (handles.empty()) {
    Sleep(DWORD(timeout.count()));
    return {};
  }
  const int r = ::select(0, &read, nullptr, nullptr, &tv);
  if (r == SOCKET_ERROR) return "select: " + win32::MessageOf(DWORD(WSAGetLastError()));
  for (size_t i = 0; i < handles.size(); ++i) ready[i] = FD_ISSET(SOCKET(handles[i]), &read) != 0;
  return {};
}

}  // namespace vlm::platform
