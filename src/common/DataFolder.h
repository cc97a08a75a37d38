#pragma once
// Where the program keeps its files ("Cfg", "Box", "Data", "Bak", "Log", "Wav", the ini files):
// VELMOR_HOME when set; else the program's own folder when writable; else a per-user folder
// ($XDG_DATA_HOME/velmor or ~/.local/share/velmor).
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace vlm {

// Remember the program's path (argv[0]) once at start.
void SetProgramPath(const std::filesystem::path& argv0);
std::filesystem::path DataFolder();
// DataFolder()/name, created on first use.
std::filesystem::path DataSubfolder(std::string_view name);
// The settings ini of the program ("velmor.ini") and the address list ("IPList.ini").
std::filesystem::path SettingsIniPath();
std::filesystem::path IpListIniPath();
// A name that came from outside (a controller file name, a place text) made safe as one path
// component: separators, ':' and control characters removed, trailing dots and blanks dropped,
// "." and ".." and device names ("con", "nul.txt", "com1") refused (empty result).
std::string SanitizeFileName(std::string_view name);
// Writes bytes through a temporary file and a rename; false (old file untouched) on failure.
bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes);
// The size of a regular file when it is larger than `limit` bytes (refused before reading it).
std::optional<uintmax_t> FileSizeOver(const std::filesystem::path& path, uintmax_t limit);
// Reads a whole file; false when it cannot be read (a folder, an I/O error), never throws.
bool ReadWholeFile(const std::filesystem::path& path, std::string& out);
// A path given as UTF-8 text (a command line, an ini value) goes through
// PathFromUtf8 first: taken as a path directly it would be read in the ANSI code page on Windows.
bool WriteFileAtomically(const std::string&, std::string_view) = delete;
bool WriteFileAtomically(const char*, std::string_view) = delete;
bool ReadWholeFile(const std::string&, std::string&) = delete;
bool ReadWholeFile(const char*, std::string&) = delete;

}  // namespace vlm
