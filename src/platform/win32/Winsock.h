#pragma once
// Winsock wants one start-up per process before the first socket or name lookup.
#include <winsock2.h>

namespace vlm::platform::win32 {

inline bool StartWinsock() {
  static const bool started = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  return started;
}

}  // namespace vlm::platform::win32
