#include "services/FileTime.h"

#include <chrono>
#include <ctime>
#include <mutex>

#include "common/DateTime.h"

namespace vlm {
namespace fs = std::filesystem;
namespace {

std::mutex gLocalTimeMutex;  // std::localtime shares one buffer

}  // namespace

bool SetFileDosTime(const fs::path& path, uint32_t packed) {
  const DateTimeParts p = DecodeDateTime(DosToDateTime(packed));
  std::tm local{};
  local.tm_year = p.year - 1900;
  local.tm_mon = p.month - 1;
  local.tm_mday = p.day;
  local.tm_hour = p.hour;
  local.tm_min = p.minute;
  local.tm_sec = p.second;
  local.tm_isdst = -1;  // the controller's clock knows no summer time: let the PC's rules decide
  const std::time_t when = std::mktime(&local);
  if (when == std::time_t(-1)) return false;
  const auto system = std::chrono::system_clock::from_time_t(when);
  std::error_code ec;
  fs::last_write_time(path, std::chrono::file_clock::from_sys(system), ec);
  return !ec;
}

uint32_t FileDosTime(const fs::path& path) {
  std::error_code ec;
  const auto stamp = fs::last_write_time(path, ec);
  if (ec) return 0;
  const auto system = std::chrono::time_point_cast<std::chrono::system_clock::duration>(
      std::chrono::file_clock::to_sys(stamp));
  const std::time_t when = std::chrono::system_clock::to_time_t(system);
  std::lock_guard lock(gLocalTimeMutex);
  const std::tm* local = std::localtime(&when);
  if (!local) return 0;
  return DateTimeToDos(EncodeDateTime({local->tm_year + 1900, local->tm_mon + 1, local->tm_mday, local->tm_hour,
                                       local->tm_min, local->tm_sec, 0}));
}

}  // namespace vlm
