#include "platform/System.h"

#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <system_error>

namespace vlm::platform {
namespace fs = std::filesystem;

fs::path ExecutablePath(const fs::path& argv0) {
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (ec) exe = fs::absolute(argv0, ec);
  return exe;
}

fs::path PerUserDataFolder() {
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg) return fs::path(xdg) / "velmor";
  if (const char* home = std::getenv("HOME"); home && *home) return fs::path(home) / ".local/share/velmor";
  return fs::temp_directory_path() / "velmor";
}

bool IsWritableFolder(const fs::path& folder) { return ::access(folder.c_str(), W_OK) == 0; }

std::string HostName() {
  char name[256] = {};
  if (::gethostname(name, sizeof name - 1) != 0) return {};
  return name;
}

std::vector<std::array<uint8_t, 4>> ResolveIPv4(const std::string& name) {
  std::vector<std::array<uint8_t, 4>> out;
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

bool LocalTime(std::time_t when, std::tm& out) { return ::localtime_r(&when, &out) != nullptr; }
bool StderrIsTerminal() { return ::isatty(STDERR_FILENO) != 0; }
void IgnoreBrokenPipe() { std::signal(SIGPIPE, SIG_IGN); }

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
  return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>();
}

void UseUtcAsLocalTime() {
  ::setenv("TZ", "UTC", 1);
  ::tzset();
}

void SetEnvironment(const std::string& name, const std::string& value) {
  if (value.empty()) ::unsetenv(name.c_str());
  else ::setenv(name.c_str(), value.c_str(), 1);
}

}  // namespace vlm::platform
