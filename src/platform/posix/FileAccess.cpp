#include "platform/FileAccess.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>

namespace vlm::platform {

std::FILE* OpenFile(const std::filesystem::path& path, const char* mode) { return std::fopen(path.c_str(), mode); }

long long ReadFileAt(const std::filesystem::path& path, uint64_t offset, std::span<uint8_t> out) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return -1;
  const ssize_t got = ::pread(fd, out.data(), out.size(), off_t(offset));
  ::close(fd);
  return got;
}

bool WriteFileAt(const std::filesystem::path& path, uint64_t offset, std::span<const uint8_t> data, bool truncate) {
  const int flags = O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC | (truncate ? O_TRUNC : 0);
  const int fd = ::open(path.c_str(), flags, 0644);
  if (fd < 0) return false;
  const ssize_t written = data.empty() ? 0 : ::pwrite(fd, data.data(), data.size(), off_t(offset));
  const bool closed = ::close(fd) == 0;
  return written == ssize_t(data.size()) && closed;
}

bool IsLink(const std::filesystem::path& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

bool MakeLink(const std::filesystem::path& target, const std::filesystem::path& link, bool) {
  return ::symlink(target.c_str(), link.c_str()) == 0;
}

bool SetModifiedTime(const std::filesystem::path& path, std::time_t when) {
  std::error_code ec;
  const auto system = std::chrono::system_clock::from_time_t(when);
  std::filesystem::last_write_time(path, std::chrono::file_clock::from_sys(system), ec);
  return !ec;
}

}  // namespace vlm::platform
