#pragma once
// One table page of a port or point frame: the headings over the column groups ("Локальная
// система", "Внешняя система") and the readdressing grid of one owner table.
#include <QWidget>
#include <functional>
#include <optional>

#include "ports/ReaddrOwners.h"

namespace vlm {

class TReaddrTable;
class TRowTable;

// Draws the headings over runs of the grid's columns, following their widths and the scrolling.
class TReaddrHeadings : public QWidget {
  Q_OBJECT
 public:
  TReaddrHeadings(const TOwnerTable& def, TReaddrTable* table, QWidget* parent);
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  const TOwnerTable& def_;
  TReaddrTable* table_;
};

class TReaddrPage : public QWidget {
  Q_OBJECT
 public:
  TReaddrPage(TOwnerTableId id, QWidget* parent);

  const TOwnerTable& Def() const { return def_; }
  TOwnerTableId Id() const { return id_; }
  TReaddrTable* Table() const { return table_; }
  // Extra controls of the page go above the headings.
  QWidget* Top() const { return top_; }

  void Load(const TRowTable& rows);
  // The converted rows, or nothing when the store is refused (the user went back to a cell, or
  // was told why). A refused or successful store leaves the grid showing what it stored from
  // (sorted where the table sorts on store).
  std::optional<TOwnerStore> Store();
  // Makes the grid row that produced stored row `storedRow` (1-based) current, in column.
  void ShowStoredRow(const TOwnerStore& store, int storedRow, int column);

  // Brings the page to the front (set by the frame); called before the page asks anything.
  std::function<void()> reveal;

 private:
  TOwnerTableId id_;
  const TOwnerTable& def_;
  TReaddrTable* table_;
  QWidget* top_;
};

}  // namespace vlm
