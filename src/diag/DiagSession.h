#pragma once
// What the diagnostics window keeps between its ticks, without the widgets: the tree, the open
// object, the watch list, the journal's object, and the refresh of one work tick. The window and
// velmorctl drive the same object.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "diag/DiagScan.h"

namespace vlm {

enum class TStepResult { NotEditable, NotNumber, Written, WriteFailed };

class TDiagSession {
 public:
  static constexpr size_t kHeadersPerTick = 6;
  static constexpr size_t kJournalLines = 1000;

  explicit TDiagSession(TDiagContext& context) : context_(context) {}
  TDiagContext& Context() { return context_; }

  std::unique_ptr<TDiagObj> Root;
  TDiagObj* CurrentObject = nullptr;
  std::vector<TDiagObj*> Watch;
  TDiagObj* LoggedObject = nullptr;
  bool HighlightGlobal = true;
  // Lines for the journal memo (the window keeps the last 1000).
  std::function<void(const std::string&)> Journal;

  // Drops the tree and reads the root again; false when the root pointer cannot be read.
  bool Scan();
  // Makes obj the open object; a folder not yet read is scanned. False when that scan ended early.
  bool Open(TDiagObj& obj, const TScanProgress& progress = {});

  // A work tick: the rows [first, first + count) of the open folder, then the watch list (objects
  // already read in this tick are not read again), then a few headers of the visible tree nodes.
  void BeginTick() { readThisTick_.clear(); }
  void RefreshRows(size_t first, size_t count);
  void RefreshWatch();
  // visibleNodes in tree order; iconChanged is told of every node whose image index moved.
  void RefreshHeaders(const std::vector<TDiagObj*>& visibleNodes, const std::function<void(TDiagObj&)>& iconChanged);
  bool ReadThisTick(const TDiagObj* obj) const;

  // The watch list: index of the object in it (added when missing).
  size_t AddWatch(TDiagObj& obj);
  void RemoveWatch(size_t index);
  int WatchIndex(const TDiagObj* obj) const;
  // Names of the open folders (from below "Процессор" or the root) and the heading above obj.
  std::string PathPrefixOf(const TDiagObj& obj) const;

  // + = - _ on a row: adds 10, 1, -1, -10 to the shown integer and writes it back; the row is
  // read again whatever the outcome. Constants and headings are never written.
  TStepResult StepValue(TDiagObj& obj, char key);

  // The journal memo for obj: its name, then its change log (the "Показать журнал" item).
  std::vector<std::string> ChangeLogLines(const TDiagObj& obj) const;
  // File text of a saved journal: path prefix and name, then the log lines, CR LF each.
  static std::string ChangeLogFileText(const TDiagObj& obj);
  static std::string ProposedLogName(const TDiagObj& obj);
  // Name, tab, value and "\r" for every row of the open folder.
  std::string ClipboardTable() const;
  // A click on a row: the journal follows obj from now on.
  void SelectLogged(TDiagObj& obj);

 private:
  void Refresh(TDiagObj& obj);
  TDiagContext& context_;
  std::vector<const TDiagObj*> readThisTick_;
  size_t headerCursor_ = 0;
};

}  // namespace vlm
