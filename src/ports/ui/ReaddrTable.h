#pragma once
// TReaddrTable: the typed grid that edits every readdressing table. Row numbers are the vertical
// header (drag a number to move a row); cells take only their column's characters; Enter applies
// the current text (or a "+step" series) to the selection; "*" and "=" move back and forth.
#include <QTableView>
#include <functional>
#include <memory>
#include <optional>

#include "ports/ReaddrData.h"

namespace vlm {

class TReaddrModel;

class TReaddrTable : public QTableView {
  Q_OBJECT
 public:
  TReaddrTable(const QString& title, std::vector<TReaddrColumn> columns, QWidget* parent = nullptr);
  ~TReaddrTable() override;

  TReaddrData& Data() { return *data_; }
  TReaddrModel& Model() { return *model_; }
  void Load(const std::vector<TByteRow>& rows);
  // The rows to keep, or nothing when the store was refused (a cell the user went back to, or
  // more rows than capacity; capacityMessage is shown after the title then).
  std::optional<std::vector<TByteRow>> Store(size_t capacity, const QString& capacityMessage = {});
  void SortBy(TSortKind role);
  // The pieces of a store for owners that convert the data themselves: take over the text still
  // in the cell editor, ask about a refused cell (made current first), show a refusal.
  void CommitEdit();
  TCellDecision AskCell(const std::string& text, int row, int column);
  void ShowMessage(const QString& text);
  // Makes the data cell (0-based row, 1-based column) current and visible.
  void ShowCell(int row, int column);
  void Reload();  // after the data changed behind the view

  // Row operations of the shared menu, on the current row.
  void InsertEmptyRow();
  void InsertCopyRow();
  void DeleteCurrentRow();
  void OpenKeypad();
  // Both show why they failed (unreadable or oversized file, unwritable folder) and answer false.
  bool ImportFrom(const QString& path);
  bool ExportTo(const QString& path);
  // Rows the owner's table holds: imports with more data lines are refused (0: 65535).
  size_t capacity = 0;

  // Enter: applies text to the selected cells (the current cell when nothing else is selected).
  void ApplyToSelection(const QString& text);
  void MoveToPreviousCell();
  void MoveToNextCell();

  // Tests and owners may answer the Cancel/Ignore box themselves; by default a dialog asks.
  std::function<TCellDecision(const QString& text)> cellErrorHandler;
  // And the capacity message box (default: the program's error box).
  std::function<void(const QString& text)> messageHandler;

 signals:
  void Beep();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  friend class TReaddrCellEditor;
  bool HandleKey(QKeyEvent* event, bool fromEditor);
  bool IsAccepted(int column, QChar c) const;
  void RowMoved(int logical, int oldVisual, int newVisual);
  TDataKind KindAt(int column) const;

  std::unique_ptr<TReaddrData> data_;
  TReaddrModel* model_;
};

}  // namespace vlm
