#pragma once
// What a fresh controller has on its drive: a start-up batch file and a configuration file.
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

namespace vlm::sim {

// The configuration image of a new configuration: a station without place, one controller with
// processor 1, no cards and no ports; 212 bytes stamped with the given local time.
std::vector<uint8_t> NewConfigImage(std::time_t built);

// The default start-up batch file (DOS text, CR LF).
std::string DefaultAutoexec();

// Creates the folder when missing and puts the default autoexec.bat and vlm.cfg into it when they
// are not there (in any case of the name). Existing files are never touched. Returns an error
// text, empty on success.
std::string PrepareDisk(const std::filesystem::path& folder);

}  // namespace vlm::sim
