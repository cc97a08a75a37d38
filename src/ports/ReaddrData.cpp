#include "ports/ReaddrData.h"

#include <algorithm>
#include <cstdio>

#include "common/DateTime.h"
#include "common/Format.h"
#include "common/TextCodec.h"

namespace vlm {

TReaddrData::TReaddrData(std::string title, std::vector<TReaddrColumn> columns)
    : title_(std::move(title)), columns_(std::move(columns)) {
  AddRow();
}

size_t TReaddrData::RowWidth() const {
  size_t width = 0;
  for (const auto& c : columns_)
    if (!c.shownOnly) width += KindWidth(c.kind);
  return width;
}

void TReaddrData::SetCell(size_t row, size_t column, std::string text) {
  cells_.at(row).at(column) = std::move(text);
}

bool TReaddrData::RowIsEmpty(size_t row) const {
  const auto& r = cells_.at(row);
  for (size_t c = 0; c < r.size(); ++c)
    if (!columns_[c].shownOnly && r[c].find_first_not_of(' ') != std::string::npos) return false;
  return true;
}

void TReaddrData::Load(const std::vector<TByteRow>& rows) {
  cells_.clear();
  for (const auto& bytes : rows) {
    std::vector<std::string> row;
    size_t offset = 0;
    for (const auto& c : columns_) {
      if (c.shownOnly) {
        row.emplace_back();
        continue;
      }
      const size_t w = KindWidth(c.kind);
      // A short stored row shows its missing cells empty rather than reading past it.
      row.push_back(offset + w <= bytes.size()
                        ? CellFromBytes(c.kind, std::span<const uint8_t>(bytes.data() + offset, w))
                        : std::string());
      offset += w;
    }
    cells_.push_back(std::move(row));
  }
  AddRow();
}

TStoreResult TReaddrData::Store(
    size_t capacity, const std::function<TCellDecision(const std::string&, int, int)>& onError) const {
  TStoreResult result;
  for (size_t r = 0; r < cells_.size(); ++r) {
    if (RowIsEmpty(r)) continue;
    if (capacity != 0 && result.rows.size() >= capacity) {
      result.capacityExceeded = true;
      result.rows.clear();
      result.gridRows.clear();
      return result;
    }
    TByteRow bytes(RowWidth());
    size_t offset = 0;
    for (size_t c = 0; c < columns_.size(); ++c) {
      if (columns_[c].shownOnly) continue;
      const size_t w = KindWidth(columns_[c].kind);
      const TCellResult cell = BytesFromCell(columns_[c], cells_[r][c], std::span<uint8_t>(bytes.data() + offset, w));
      if (cell.error != TCellError::None) {
        const int row = static_cast<int>(r + 1), column = static_cast<int>(c + 1);
        const std::string text = CellErrorText(title_, row, column, cells_[r][c], cell);
        if (!onError || onError(text, row, column) == TCellDecision::Cancel) {
          result.errorRow = row;
          result.errorColumn = column;
          result.rows.clear();
          result.gridRows.clear();
          return result;
        }
      }
      offset += w;
    }
    result.rows.push_back(std::move(bytes));
    result.gridRows.push_back(r);
  }
  result.ok = true;
  return result;
}

std::string TReaddrData::SortKey(size_t row, TSortKind role) const {
  std::string key;
  for (size_t c = 0; c < columns_.size(); ++c) {
    if (columns_[c].sortRole != role) continue;
    // 16-bit columns (Modbus registers, object addresses) take four digits, so that 0x100 does
    // not sort before 0x20 in the string comparison, and their empty cells stay all "f" (last).
    const bool wide = columns_[c].kind == TDataKind::Word;
    long v = wide ? 0xFFFF : 255;  // empty (or unreadable) cells sort last
    if (!ParseTableInt(cells_[row][c], v) || v < 0) v = wide ? 0xFFFF : 255;
    char buf[24];
    std::snprintf(buf, sizeof buf, wide ? "%04lx" : "%02lx", static_cast<unsigned long>(v));
    key += buf;
  }
  return key;
}

// The grid's quicksort (middle pivot, Hoare partition): equal keys keep the order this algorithm
// gives them, so a table sorts the same way every time it is stored.
static void QuickSortRows(std::vector<std::pair<std::string, std::vector<std::string>>>& rows, long lo, long hi) {
  while (lo < hi) {
    long i = lo, j = hi;
    const std::string pivot = rows[static_cast<size_t>((lo + hi) / 2)].first;
    do {
      while (rows[static_cast<size_t>(i)].first < pivot) ++i;
      while (rows[static_cast<size_t>(j)].first > pivot) --j;
      if (i <= j) {
        std::swap(rows[static_cast<size_t>(i)], rows[static_cast<size_t>(j)]);
        ++i;
        --j;
      }
    } while (i <= j);
    if (lo < j) QuickSortRows(rows, lo, j);
    lo = i;
  }
}

void TReaddrData::Sort(TSortKind role) {
  // Without a key column every key is equal and the quicksort would still swap rows; a table
  // whose row number means something (junctions) must keep its order.
  if (std::none_of(columns_.begin(), columns_.end(), [role](const TReaddrColumn& c) { return c.sortRole == role; }))
    return;
  std::vector<std::pair<std::string, std::vector<std::string>>> rows;
  rows.reserve(cells_.size());
  for (size_t r = 0; r < cells_.size(); ++r) rows.emplace_back(SortKey(r, role), std::move(cells_[r]));
  if (!rows.empty()) QuickSortRows(rows, 0, static_cast<long>(rows.size()) - 1);
  for (size_t r = 0; r < rows.size(); ++r) cells_[r] = std::move(rows[r].second);
}

void TReaddrData::FillSelection(size_t top, size_t left, size_t bottom, size_t right, const std::string& text) {
  if (top > bottom || left > right || bottom >= cells_.size() || right >= columns_.size()) return;
  if (text.empty() || text[0] != '+') {
    for (size_t r = top; r <= bottom; ++r)
      for (size_t c = left; c <= right; ++c)
        if (!columns_[c].shownOnly) cells_[r][c] = text;
    return;
  }
  long step = 1, value = 0;
  if (!ParseTableInt(std::string_view(text).substr(1), step)) step = 1;
  if (!ParseTableInt(cells_[top][left], value)) value = 0;
  for (size_t r = top; r <= bottom; ++r)
    for (size_t c = left; c <= right; ++c) {
      if (columns_[c].shownOnly) continue;
      cells_[r][c] = std::to_string(value);
      value += step;
    }
}

void TReaddrData::AddRow() { cells_.emplace_back(columns_.size()); }

void TReaddrData::InsertEmptyRow(size_t row) {
  cells_.insert(cells_.begin() + static_cast<long>(std::min(row, cells_.size())), std::vector<std::string>(columns_.size()));
}

void TReaddrData::InsertCopyRow(size_t row) {
  row = std::min(row, cells_.size());
  InsertEmptyRow(row);
  if (row + 1 < cells_.size()) cells_[row] = cells_[row + 1];
}

void TReaddrData::DeleteRow(size_t row) {
  if (row >= cells_.size()) return;
  if (cells_.size() == 1) {
    cells_[0].assign(columns_.size(), std::string());
    return;
  }
  cells_.erase(cells_.begin() + static_cast<long>(row));
}

void TReaddrData::MoveRow(size_t from, size_t to) {
  if (from >= cells_.size() || to >= cells_.size() || from == to) return;
  auto row = std::move(cells_[from]);
  cells_.erase(cells_.begin() + static_cast<long>(from));
  cells_.insert(cells_.begin() + static_cast<long>(to), std::move(row));
}

std::string TReaddrData::ExportText() const {
  std::string text;
  for (const auto& row : cells_) {
    for (const auto& cell : row) text += cell + "\t";
    text += "\r\n";
  }
  return Utf8ToCp1251(text);
}

void TReaddrData::ImportText(std::string_view bytes) {
  const std::string text = AnyToUtf8(bytes);
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    start = end + 1;
  }
  cells_.assign(lines.size() + 1, std::vector<std::string>(columns_.size()));
  size_t next = 0;
  for (const auto& full : lines) {
    if (full.empty() || full[0] < '0' || full[0] > '9') continue;
    const std::string line = full.substr(0, 255);
    size_t pos = 0;
    for (size_t c = 0; c < columns_.size() && pos <= line.size(); ++c) {
      const size_t tab = line.find('\t', pos);
      cells_[next][c] = line.substr(pos, tab == std::string::npos ? std::string::npos : tab - pos);
      if (tab == std::string::npos) break;
      pos = tab + 1;
    }
    ++next;
  }
}

uint64_t ImportByteLimit(size_t capacity) {
  // A line holds at most 255 characters of cells; headers and blank lines get a generous share.
  return (uint64_t{capacity} + 64) * 512;
}

std::string ImportSizeRefusal(std::string_view title, size_t capacity, uint64_t fileSize) {
  if (fileSize <= ImportByteLimit(capacity)) return {};
  return Format("Файл слишком велик для таблицы \"%s\" (не более %u записей).", {title, capacity});
}

std::string ImportRefusal(std::string_view title, size_t capacity, std::string_view bytes) {
  if (std::string why = ImportSizeRefusal(title, capacity, bytes.size()); !why.empty()) return why;
  const std::string text = AnyToUtf8(bytes);
  size_t dataLines = 0;
  for (size_t pos = 0; pos < text.size();) {
    if (text[pos] >= '0' && text[pos] <= '9') ++dataLines;
    const size_t end = text.find('\n', pos);
    if (end == std::string::npos) break;
    pos = end + 1;
  }
  if (dataLines > capacity)
    return Format("Файл содержит %u строк данных, а таблица \"%s\" вмещает не более %u записей.",
                  {dataLines, title, capacity});
  return {};
}

std::string ProposedTableFileName(double dateTime) {
  return FormatDateTime("\"Таблица адресации_\"yyyy_mm_dd", dateTime) + ".txt";
}

}  // namespace vlm
