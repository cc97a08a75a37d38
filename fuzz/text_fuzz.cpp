// Text read from outside (ini files, controller names) through the code page converters and the
// ini parser: never a crash, and CP1251 bytes survive a round trip.
#include <cstdint>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "common/DataFolder.h"
#include "common/IniFile.h"
#include "common/TextCodec.h"

namespace {

// Never destroyed, so the clean-up at exit can still use it: the replay run of every build must
// not leave its ini behind.
const std::filesystem::path& IniPath() {
  static const auto* path = [] {
    auto* p = new std::filesystem::path(std::filesystem::temp_directory_path() /
                                        ("velmor_text_fuzz_" + std::to_string(::getpid()) + ".ini"));
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove(IniPath(), ec);
    });
    return p;
  }();
  return *path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  if (vlm::Utf8ToCp1251(vlm::Cp1251ToUtf8(bytes)) != bytes) std::abort();
  (void)vlm::DosToUtf8(bytes);
  (void)vlm::AnyToUtf8(bytes);
  const std::filesystem::path& path = IniPath();
  vlm::WriteFileAtomically(path, bytes);
  vlm::TIniFile ini(path.string());
  for (const auto& section : ini.ReadSections())
    for (const auto& key : ini.ReadSection(section)) (void)ini.ReadInteger(section, key, 0);
  return 0;
}
