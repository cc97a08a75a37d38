#pragma once
// What the program asks of the operating system besides sockets and serial lines: its own
// file, the per-user data folder, the host's name and addresses, local time, the console.
#include <array>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

namespace vlm::platform {

// The running executable (argv0 made absolute when the system cannot tell).
std::filesystem::path ExecutablePath(const std::filesystem::path& argv0);
// The per-user folder for the program's files: %APPDATA%\velmor, or $XDG_DATA_HOME/velmor
// (~/.local/share/velmor).
std::filesystem::path PerUserDataFolder();
// True when a file can be created in the folder (a program folder under "Program Files" or
// /usr/bin usually cannot).
bool IsWritableFolder(const std::filesystem::path& folder);

std::string HostName();
// IPv4 addresses the name resolves to (the host's own when `name` is its name); empty on failure.
std::vector<std::array<uint8_t, 4>> ResolveIPv4(const std::string& name);

// Local broken-down time; false when the system cannot convert.
bool LocalTime(std::time_t when, std::tm& out);
// True when standard error is a console (progress lines are drawn over themselves only there).
bool StderrIsTerminal();
// A write to a closed pipe or socket must fail the call, not end the process.
void IgnoreBrokenPipe();
// The command line's arguments after the program's name as UTF-8 (Windows hands argv over in
// the ANSI code page; the wide command line has every character). Console output is UTF-8.
std::vector<std::string> Utf8Arguments(int argc, char** argv);

// Local time becomes UTC for this process (tests that check local-time stamps).
void UseUtcAsLocalTime();
// Sets (or, with an empty value, removes) an environment variable of this process.
void SetEnvironment(const std::string& name, const std::string& value);

}  // namespace vlm::platform
