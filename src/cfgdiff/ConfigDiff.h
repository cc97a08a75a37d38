#pragma once
// What differs between two configurations, object by object: objects added and removed (by their
// tree path), items changed (caption and both values as the frames show them) and readdressing
// rows added, removed or changed (row number, column titles, cell texts). Byte-identical images
// are equal without building any tree.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vlm {

class TLoadedImage;

enum class TChangeKind : uint8_t { Added, Removed, Changed, RowAdded, RowRemoved, RowChanged };

struct TCellChange {
  std::string column;
  std::string oldText, newText;
};

struct TDiffEntry {
  TChangeKind kind = TChangeKind::Changed;
  std::string path;     // "СТАНЦИЯ ПУ ... / Контроллер (№1) / №1 Процессор / №2 Порт Активный"
  std::string caption;  // item caption or table title; empty for objects
  std::string oldText, newText;
  int row = 0;          // table rows, 1-based as the grid numbers them
  std::vector<TCellChange> cells;
};

struct TConfigDiff {
  bool identicalBytes = false;
  std::vector<TDiffEntry> entries;
  bool Equal() const { return entries.empty(); }
};

// Both images are checked as the reader checks them: a damaged one shows the reader's message
// and aborts (EAbort).
TConfigDiff DiffImages(std::span<const uint8_t> before, std::span<const uint8_t> after);
TConfigDiff DiffLoaded(const TLoadedImage& before, const TLoadedImage& after);

// One line per entry ("~ path: caption: old -> new", "+ path", "- path", rows with their cells);
// "Конфигурации совпадают" when there is nothing.
std::string DiffText(const TConfigDiff& diff);
std::string DiffJson(const TConfigDiff& diff);
std::string DiffEntryText(const TDiffEntry& entry);

}  // namespace vlm
