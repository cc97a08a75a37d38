#pragma once
// One entry of a controller directory as the file exchange window lists it, its date-time text,
// the three sort orders and the selection summary.
#include <cstdint>
#include <string>
#include <vector>

#include "link/ServiceRequests.h"

namespace vlm {

struct TFileInfo {
  std::string Name;       // UTF-8; files lower-cased, directories as received
  uint8_t Attr = 0;
  uint32_t Size = 0;
  uint32_t DateTime = 0;  // packed DOS date-time as sent
  bool IsDirectory() const { return (Attr & 0x10) != 0; }
};

// Lower-cases a file's name (A-Z only, as the controller's names are 8.3 Latin in practice);
// a directory keeps its name.
TFileInfo MakeFileInfo(const TDirEntry& entry);

// "DD.MM.YYYY  HH:NN:SS" of a packed DOS date-time; a part out of its range is wrapped in "?".
std::string FileDateTimeText(uint32_t packed);

enum : int { kSortByName = 0, kSortBySize = 1, kSortByDate = 2 };
// Name: directories first, then by name; size and date ascending, ties by name.
void SortFileInfos(std::vector<TFileInfo>& items, int column);

// "Выбрано файлов: %d, байтов: %d" over the selected files (directories do not count); empty
// when no file is selected.
std::string SelectionSummary(const std::vector<TFileInfo>& selected);

}  // namespace vlm
