#include "platform/System.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <io.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <system_error>

#include "platform/win32/WinText.h"
#include "platform/win32/Winsock.h"

namespace vlm::platform {
namespace fs = std::filesystem;

fs::path ExecutablePath(const fs::path& argv0) {
  std::wstring buffer(32768, L'\0');
  const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), DWORD(buffer.size()));
  if (n == 0 || n >= buffer.size()) {
    std::error_code ec;
    return fs::absolute(argv0, ec);
  }
  buffer.resize(n);
  return fs::path(buffer);
}

fs::path PerUserDataFolder() {
  if (const wchar_t* appData = _wgetenv(L"APPDATA"); appData && *appData) return fs::path(appData) / L"velmor";
  return fs::temp_directory_path() / L"velmor";
}

// Windows has no access(W_OK) worth its name for folders (ACLs, virtualisation under Program
// Files): try to create a file.
bool IsWritableFolder(const fs::path& folder) {
  const fs::path probe = folder / L".velmor-write-probe";
  const HANDLE h = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  CloseHandle(h);
  return true;
}

std::string HostName() {
  if (!win32::StartWinsock()) return {};
  char name[256] = {};
  if (::gethostname(name, sizeof name - 1) != 0) return {};
  return name;
}

std::vector<std::array<uint8_t, 4>> ResolveIPv4(const std::string& name) {
  std::vector<std::array<uint8_t, 4>> out;
  if (!win32::StartWinsock()) return out;
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_DGRAM;
  addrinfo* list = nullptr;
  if (::getaddrinfo(name.c_str(), nullptr, &hints, &list) != 0) return out;
  for (addrinfo* a = list; a; a = a->ai_next) {
    std::array<uint8_t, 4> ip{};
    std::memcpy(ip.data(), &reinterpret_cast<const sockaddr_in*>(a->ai_addr)->sin_addr.s_addr, 4);
    out.push_back(ip);
  }
  ::freeaddrinfo(list);
  return out;
}

bool LocalTime(std::time_t when, std::tm& out) { return ::localtime_s(&out, &when) == 0; }
bool StderrIsTerminal() { return ::_isatty(_fileno(stderr)) != 0; }
void IgnoreBrokenPipe() {}  // Windows raises no signal for it

std::vector<std::string> Utf8Arguments(int, char**) {
  SetConsoleOutputCP(CP_UTF8);
  std::vector<std::string> out;
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!wide) return out;
  for (int i = 1; i < count; ++i) out.push_back(win32::Utf8(wide[i]));
  LocalFree(wide);
  return out;
}

void UseUtcAsLocalTime() {
  _putenv_s("TZ", "UTC0");
  _tzset();
}

void SetEnvironment(const std::string& name, const std::string& value) {
  _wputenv_s(win32::Wide(name).c_str(), win32::Wide(value).c_str());
}

}  // namespace vlm::platform
