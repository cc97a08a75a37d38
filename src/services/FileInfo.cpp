#include "services/FileInfo.h"

#include <algorithm>

#include "common/Format.h"

namespace vlm {
namespace {

std::string Part(int value, int low, int high) {
  const std::string text = Format("%02.2d", {value});
  return value < low || value > high ? "?" + text + "?" : text;
}

bool NameLess(const TFileInfo& a, const TFileInfo& b) { return a.Name < b.Name; }

}  // namespace

TFileInfo MakeFileInfo(const TDirEntry& entry) {
  TFileInfo info{entry.Name, entry.Attr, entry.Size, entry.DateTime};
  if (!info.IsDirectory())
    for (char& c : info.Name)
      if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return info;
}

std::string FileDateTimeText(uint32_t packed) {
  const int seconds = int(packed & 0x1F) * 2, minutes = int(packed >> 5 & 0x3F), hours = int(packed >> 11 & 0x1F);
  const int day = int(packed >> 16 & 0x1F), month = int(packed >> 21 & 0x0F), years = int(packed >> 25);
  std::string year = std::to_string(1980 + years);
  if (years >= 120) year = "?" + year + "?";
  return Format("%s.%s.%s  %s:%s:%s", {Part(day, 1, 31), Part(month, 1, 12), year, Part(hours, 0, 23),
                                       Part(minutes, 0, 59), Part(seconds, 0, 58)});
}

void SortFileInfos(std::vector<TFileInfo>& items, int column) {
  auto less = [column](const TFileInfo& a, const TFileInfo& b) {
    switch (column) {
      case kSortBySize:
        return a.Size != b.Size ? a.Size < b.Size : NameLess(a, b);
      case kSortByDate:
        return a.DateTime != b.DateTime ? a.DateTime < b.DateTime : NameLess(a, b);
      default:
        return a.IsDirectory() != b.IsDirectory() ? a.IsDirectory() : NameLess(a, b);
    }
  };
  std::stable_sort(items.begin(), items.end(), less);
}

std::string SelectionSummary(const std::vector<TFileInfo>& selected) {
  int64_t files = 0, bytes = 0;
  for (const auto& item : selected)
    if (!item.IsDirectory()) {
      ++files;
      bytes += item.Size;
    }
  return files ? Format("Выбрано файлов: %d, байтов: %d", {files, bytes}) : std::string();
}

}  // namespace vlm
