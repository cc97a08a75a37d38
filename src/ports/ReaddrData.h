#pragma once
// The data behind a readdressing grid: column descriptions and the cell texts of the data rows
// (the trailing empty row included). Everything the grid does to its rows that does not need a
// widget lives here: loading stored rows, storing them back with the cell checks, sorting by
// local or external address, the Enter fill, row editing and the text import/export.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "ports/ReaddrCell.h"

namespace vlm {

using TByteRow = std::vector<uint8_t>;

// What the owner does with a refused cell: Cancel stops the store, Ignore stores 0 and goes on.
enum class TCellDecision { Cancel, Ignore };

struct TStoreResult {
  bool ok = false;
  std::vector<TByteRow> rows;
  std::vector<size_t> gridRows;  // the data row (0-based) each stored row came from
  // Where it stopped (data row and column, 1-based as shown) when a cell was refused with Cancel.
  int errorRow = 0, errorColumn = 0;
  bool capacityExceeded = false;
};

class TReaddrData {
 public:
  TReaddrData(std::string title, std::vector<TReaddrColumn> columns);

  const std::string& Title() const { return title_; }
  const std::vector<TReaddrColumn>& Columns() const { return columns_; }
  size_t ColumnCount() const { return columns_.size(); }  // data columns (grid columns 1..n)
  size_t RowWidth() const;  // bytes of one converted row (shown-only columns take none)

  // Data rows, 0-based here; the grid shows row r as number r + 1.
  size_t RowCount() const { return cells_.size(); }
  const std::string& Cell(size_t row, size_t column) const { return cells_.at(row).at(column); }
  void SetCell(size_t row, size_t column, std::string text);
  bool RowIsEmpty(size_t row) const;

  // The stored rows plus one empty row at the end.
  void Load(const std::vector<TByteRow>& rows);
  // Converts every non-empty row. capacity 0 means no limit. onError decides for a refused cell
  // (it gets the error box text); without it the store stops at the first refused cell.
  TStoreResult Store(size_t capacity, const std::function<TCellDecision(const std::string&, int row, int column)>& onError) const;

  void Sort(TSortKind role);
  std::string SortKey(size_t row, TSortKind role) const;

  // Enter: the text applied to the selection (rows top..bottom, columns left..right, 0-based).
  void FillSelection(size_t top, size_t left, size_t bottom, size_t right, const std::string& text);

  void AddRow();
  void InsertEmptyRow(size_t row);
  void InsertCopyRow(size_t row);
  void DeleteRow(size_t row);  // with one data row left the row is just cleared
  void MoveRow(size_t from, size_t to);

  // Tab-separated lines, CP1251, CR LF; every data row (the trailing empty one too).
  std::string ExportText() const;
  // Lines starting with a digit become rows (words to columns); others are skipped.
  void ImportText(std::string_view bytes);

 private:
  std::string title_;
  std::vector<TReaddrColumn> columns_;
  std::vector<std::vector<std::string>> cells_;
};

// The proposed export file name for a date ("Таблица адресации_yyyy_mm_dd.txt").
// Table files are refused before the grid grows: one larger than the text of a full table could
// be (ImportByteLimit), or one with more data lines (lines starting with a digit) than the table
// has rows. The reason for the box, or "" when the file may be imported.
uint64_t ImportByteLimit(size_t capacity);
std::string ImportSizeRefusal(std::string_view title, size_t capacity, uint64_t fileSize);
std::string ImportRefusal(std::string_view title, size_t capacity, std::string_view bytes);

std::string ProposedTableFileName(double dateTime);

}  // namespace vlm
