#include "platform/FileAccess.h"

#include <windows.h>
#include <winioctl.h>

#include <cstring>
#include <string>

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

// A junction's reparse data (the layout of REPARSE_DATA_BUFFER's mount point member, which
// MinGW's user-mode headers lack).
struct MountPointData {
  DWORD tag;
  WORD dataLength;
  WORD reserved;
  WORD substituteOffset;
  WORD substituteLength;
  WORD printOffset;
  WORD printLength;
  wchar_t names[MAX_PATH * 2 + 8];
};

bool MakeJunction(const std::filesystem::path& target, const std::filesystem::path& link) {
  std::error_code ec;
  const std::wstring absolute = std::filesystem::absolute(target, ec).make_preferred().wstring();
  if (ec || absolute.size() > MAX_PATH || !CreateDirectoryW(link.c_str(), nullptr)) return false;
  const std::wstring substitute = L"\\??\\" + absolute;
  MountPointData data{};
  data.tag = IO_REPARSE_TAG_MOUNT_POINT;
  data.substituteLength = WORD(substitute.size() * sizeof(wchar_t));
  data.printOffset = WORD(data.substituteLength + sizeof(wchar_t));
  data.printLength = WORD(absolute.size() * sizeof(wchar_t));
  std::memcpy(data.names, substitute.data(), data.substituteLength);
  std::memcpy(data.names + substitute.size() + 1, absolute.data(), data.printLength);
  // Four offsets and lengths, both names and their terminating zeros.
  data.dataLength = WORD(8 + data.printOffset + data.printLength + sizeof(wchar_t));
  const HANDLE h = CreateFileW(link.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                               FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  DWORD returned = 0;
  const bool made = h != INVALID_HANDLE_VALUE &&
                    DeviceIoControl(h, FSCTL_SET_REPARSE_POINT, &data, data.dataLength + 8, nullptr, 0, &returned,
                                    nullptr);
  if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  if (!made) RemoveDirectoryW(link.c_str());
  return made;
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

bool IsLink(const std::filesystem::path& path) {
  // GetFileAttributesW describes the entry itself, never what a link points to.
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool MakeLink(const std::filesystem::path& target, const std::filesystem::path& link, bool folder) {
#ifndef SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE
  constexpr DWORD SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE = 0x2;
#endif
  const DWORD flags = SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE | (folder ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0);
  // Some systems (wine) report success and make nothing, so the link itself is looked at.
  if (CreateSymbolicLinkW(link.c_str(), target.c_str(), flags) && IsLink(link)) return true;
  return folder && MakeJunction(target, link) && IsLink(link);
}

bool SetModifiedTime(const std::filesystem::path& path, std::time_t when) {
  // FILE_FLAG_BACKUP_SEMANTICS lets a folder be opened; the C library's utime cannot.
  const HANDLE h = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  // 100-nanosecond ticks since 1601-01-01.
  const uint64_t ticks = (uint64_t(when) + 11644473600ull) * 10000000ull;
  FILETIME stamp{DWORD(ticks & 0xFFFFFFFFu), DWORD(ticks >> 32)};
  const bool set = SetFileTime(h, nullptr, nullptr, &stamp) != 0;
  CloseHandle(h);
  return set;
}

}  // namespace vlm::platform
