#pragma once
// Modification times of PC files in the controller's terms: packed DOS date-time, local time.
#include <cstdint>
#include <filesystem>

namespace vlm {

// False when the time cannot be set (the file stays as it is).
bool SetFileDosTime(const std::filesystem::path& path, uint32_t packed);
// The file's modification time packed as DOS date-time (seconds rounded down to even); 0 when
// the file cannot be read.
uint32_t FileDosTime(const std::filesystem::path& path);

}  // namespace vlm
