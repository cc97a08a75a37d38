#pragma once
// Reads and writes at an offset of a file without following a symbolic link at its name: the
// simulator's disk must never reach outside its folder through a link planted in it.
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <span>
#include <vector>

namespace vlm::platform {

// fopen for a path: the wide-character open on Windows, so any name opens.
std::FILE* OpenFile(const std::filesystem::path& path, const char* mode);

// Up to out.size() bytes from `offset`; the count read, or -1 on failure.
long long ReadFileAt(const std::filesystem::path& path, uint64_t offset, std::span<uint8_t> out);
// Writes `data` at `offset` (creating the file; `truncate` empties it first); false on failure.
bool WriteFileAt(const std::filesystem::path& path, uint64_t offset, std::span<const uint8_t> data, bool truncate);

// Whether the entry at `path` is itself a link: a symbolic link (dangling ones included), or on
// Windows any reparse point (junctions too). std::filesystem cannot tell there under MinGW.
bool IsLink(const std::filesystem::path& path);
// Makes a symbolic link at `link` to `target`; on Windows, where a link needs a privilege the user
// may lack, a folder gets a junction instead. False when the system makes no link.
bool MakeLink(const std::filesystem::path& target, const std::filesystem::path& link, bool folder);
// Sets the modification time of a file or folder (std::filesystem cannot set a folder's on Windows).
bool SetModifiedTime(const std::filesystem::path& path, std::time_t when);

}  // namespace vlm::platform
