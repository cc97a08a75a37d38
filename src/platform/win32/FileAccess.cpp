#include "platform/FileAccess.h"

#include <windows.h>

namespace vlm::platform {
namespace {

// FILE_FLAG_OPEN_REPARSE_POINT opens a link itself, not what it points to; a link then fails
// to read or write as a file would.
HANDLE OpenNoFollow(const std::filesystem::path& path, DWORD access, DWORD disposition) {
  return CreateFileW(path.c_str(), access, FILE_SHARE_READ, nullptr, disposition,
                     FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

bool IsReparsePoint(HANDLE h) {
  BY_HANDLE_FILE_INFORMATION info{};
  return !GetFileInformationByHandle(h, &info) || (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

OVERLAPPED At(uint64_t offset) {
  OVERLAPPED at{};
  at.Offset = DWORD(offset & 0xFFFFFFFFu);
  at.OffsetHigh = DWORD(offset >> 32);
  return at;
}

}  // namespace

std::FILE* OpenFile(const std::filesystem::path& path, const char* mode) {
  std::wstring wideMode;
  for (const char* c = mode; *c; ++c) wideMode += wchar_t(*c);
  return _wfopen(path.c_str(), wideMode.c_str());
}

long long ReadFileAt(const std::filesystem::path& path, uint64_t offset, std::span<uint8_t> out) {
  const HANDLE h = OpenNoFollow(path, GENERIC_READ, OPEN_EXISTING);
  if (h == INVALID_HANDLE_VALUE) return -1;
  if (IsReparsePoint(h)) {
    CloseHandle(h);
    return -1;
  }
  OVERLAPPED at = At(offset);
  DWORD got = 0;
  const BOOL ok = ReadFile(h, out.data(), DWORD(out.size()), &got, &at);
  const DWORD error = ok ? 0 : GetLastError();
  CloseHandle(h);
  if (!ok && error != ERROR_HANDLE_EOF) return -1;
  return got;
}

bool WriteFileAt(const std::filesystem::path& path, uint64_t offset, std::span<const uint8_t> data, bool truncate) {
  const HANDLE h = OpenNoFollow(path, GENERIC_WRITE, truncate ? CREATE_ALWAYS : OPEN_ALWAYS);
  if (h == INVALID_HANDLE_VALUE) return false;
  if (IsReparsePoint(h)) {
    CloseHandle(h);
    return false;
  }
  OVERLAPPED at = At(offset);
  DWORD written = 0;
  const BOOL ok = data.empty() || WriteFile(h, data.data(), DWORD(data.size()), &written, &at);
  const bool closed = CloseHandle(h) != 0;
  return ok && written == data.size() && closed;
}

}  // namespace vlm::platform
