#include "common/DataFolder.h"

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <mutex>
#include <system_error>

#include "common/PathText.h"
#include "platform/System.h"

namespace vlm {
namespace fs = std::filesystem;
namespace {

std::mutex gMutex;
fs::path gProgramDir;

// Names Windows takes for devices whatever the folder or extension ("con", "nul.txt", "com1").
bool IsDeviceName(std::string_view name) {
  std::string base(name.substr(0, name.find('.')));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  for (char& c : base) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  static const char* const kDevices[] = {"con", "prn", "aux", "nul", "clock$", "conin$", "conout$"};
  for (const char* device : kDevices)
    if (base == device) return true;
  return base.size() == 4 && (base.starts_with("com") || base.starts_with("lpt")) && base[3] >= '0' &&
         base[3] <= '9';
}

}  // namespace

void SetProgramPath(const fs::path& argv0) {
  const fs::path exe = platform::ExecutablePath(argv0);
  std::lock_guard lock(gMutex);
  gProgramDir = exe.parent_path();
}

fs::path DataFolder() {
  if (const char* home = std::getenv("VELMOR_HOME"); home && *home) {
    const fs::path folder = PathFromUtf8(home);
    std::error_code ec;
    fs::create_directories(folder, ec);
    return folder;
  }
  fs::path programDir;
  {
    std::lock_guard lock(gMutex);
    programDir = gProgramDir;
  }
  if (!programDir.empty() && platform::IsWritableFolder(programDir)) return programDir;
  const fs::path user = platform::PerUserDataFolder();
  std::error_code ec;
  fs::create_directories(user, ec);
  return user;
}

fs::path DataSubfolder(std::string_view name) {
  const fs::path dir = DataFolder() / PathFromUtf8(name);
  std::error_code ec;
  fs::create_directories(dir, ec);
  return dir;
}

fs::path SettingsIniPath() { return DataFolder() / "velmor.ini"; }
fs::path IpListIniPath() { return DataFolder() / "IPList.ini"; }

std::string SanitizeFileName(std::string_view name) {
  std::string out;
  for (char c : name) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || c == '/' || c == '\\' || c == ':' || c == '*' || c == '?' || c == '"' ||
        c == '<' || c == '>' || c == '|')
      continue;
    out += c;
  }
  // Windows drops trailing dots and blanks, which would turn "con." into the console device.
  while (!out.empty() && (out.back() == '.' || out.back() == ' ')) out.pop_back();
  if (IsDeviceName(out)) return {};
  return out;
}

std::optional<uintmax_t> FileSizeOver(const fs::path& path, uintmax_t limit) {
  std::error_code ec;
  const uintmax_t size = fs::file_size(path, ec);
  if (ec || size <= limit) return std::nullopt;
  return size;
}

bool WriteFileAtomically(const fs::path& path, std::string_view bytes) {
  fs::path tmp = path;
  tmp += ".tmp";
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    if (!out) {
      out.close();
      std::error_code ec;
      fs::remove(tmp, ec);
      return false;
    }
  }
  std::error_code ec;
  fs::rename(tmp, path, ec);
  if (ec) {
    fs::remove(tmp, ec);
    return false;
  }
  return true;
}

bool ReadWholeFile(const fs::path& path, std::string& out) {
  // A folder opens as a stream on some systems and then fails inside the read; an I/O error
  // of a removable disk or a share surfaces as an exception of the stream buffer.
  std::error_code ec;
  if (fs::is_directory(path, ec)) return false;
  try {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
  } catch (const std::exception&) {
    out.clear();
    return false;
  }
}

}  // namespace vlm
