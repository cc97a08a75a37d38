#pragma once
// Compares a controller file with a PC file block by block and shows where they first differ.
#include <filesystem>
#include <string>

#include "link/Velmor_PC.h"
#include "services/ServiceObserver.h"

namespace vlm {

enum class TCompareOutcome { Equal, Different, Directory, Failed, Stopped };

// The link must be open. `index` and `count` number the file within the selection for the state
// line. A difference is shown in the error box with its position and both bytes.
TCompareOutcome CompareControllerFile(TControllerLink& link, IServiceObserver& observer, const TStopFlag& stop,
                                      const std::string& name, const std::filesystem::path& pcPath, int index,
                                      int count);

// The error box text of a difference (position counted from 0, both bytes in decimal).
std::string CompareDifferenceText(const std::string& name, uint64_t position, uint8_t pcByte, uint8_t controllerByte);

}  // namespace vlm
