#pragma once
// The readdressing tables of the passive, board, transmit ports, the Modbus device and the IEC 104
// PC point described as data: grid columns (title, kind, accepted characters, range, sort role),
// where each column's value sits in the stored row, the headings over the columns, the capacity
// and its message. The frames build their grids from these descriptions; the conversion between
// grid rows and stored rows and the checks each owner makes on store live here too.
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "ports/ReaddrData.h"

namespace vlm {

class TObj;
class TRowTable;

// Where a grid column's value is kept in the stored row.
struct TCellPlace {
  uint8_t offset = 0;    // first byte
  uint8_t mask = 0xFF;   // one-byte kinds: the value's bits before the shift (bit fields)
  uint8_t shift = 0;
  int8_t bias = 0;       // stored = shown + bias (external groups are stored as number - 1)
};

// A heading over a run of grid columns ("Локальная система" over columns 1..4).
struct TTableHeading {
  std::string text;
  int firstColumn;  // grid column, 1-based
  int columnCount;
};

struct TOwnerTable {
  std::string title;
  std::string rowTitle = "N";  // column 0
  std::vector<TReaddrColumn> columns;
  std::vector<TCellPlace> places;  // per column; ignored for shown-only columns
  std::vector<TTableHeading> headings;
  size_t rowSize = 0;              // bytes of a stored row
  size_t capacity = 0;
  std::string capacityMessage;     // shown after the title and "\r" when the capacity is exceeded
  bool sortOnStore = false;        // the grid is sorted by local address before it is stored
};

enum class TOwnerTableId {
  PasTs, PasTi, PasTu, PasArrays,
  LampTs, LampTi, LampJunction,
  Mkt3Ts, Mkt3Ti,
  Rpt80Ts, Rpt80Ti,
  ModbusTs, ModbusTi,
  Pc4Ti, Pc4Ts,
};
inline constexpr int kOwnerTableCount = 15;

const TOwnerTable& OwnerTable(TOwnerTableId id);

// "8001 запись", "256 записей", "1024 записи".
std::string RecordCount(size_t n);

// Grid cell bytes (columns in order, shown-only columns left out) <-> stored row bytes.
TByteRow GridRowFromStored(const TOwnerTable& def, std::span<const uint8_t> stored);
TByteRow StoredFromGridRow(const TOwnerTable& def, std::span<const uint8_t> grid);

// Puts the stored rows of a table into the grid data (plus the trailing empty row).
void LoadOwnerTable(const TOwnerTable& def, const TRowTable& rows, TReaddrData& data);

struct TOwnerStore {
  bool ok = false;
  std::vector<uint8_t> bytes;     // the stored rows, back to back
  std::vector<size_t> gridRows;   // grid data row (0-based) of every stored row
  int errorRow = 0, errorColumn = 0;  // the refused cell (1-based, as shown)
  std::string message;            // capacity refusal, to be shown; empty after a cell Cancel
  size_t Count(const TOwnerTable& def) const { return bytes.size() / def.rowSize; }
};

using TCellErrorHandler = std::function<TCellDecision(const std::string& text, int row, int column)>;

// Sorts the grid first when the table asks for it, then converts every non-empty row.
TOwnerStore StoreOwnerTable(const TOwnerTable& def, TReaddrData& data, const TCellErrorHandler& onError);

// ---- the owners' checks on the converted rows -------------------------------------------------

// Two rows of a table (1-based stored row numbers) and the value they clash on.
struct TRowClash {
  int first = 0, second = 0;
  int value = 0;
};

// Board port TS rows with the same board address (point without the inversion bit, group,
// parameter byte): the first pair in row order.
std::optional<TRowClash> FindBoardDuplicate(std::span<const uint8_t> tsRows);
std::string BoardDuplicateText(const std::string& caption, std::span<const uint8_t> tsRows, const TRowClash& clash);

// Modbus rows whose address ranges overlap (first pair i < j in row order); value = the first
// address of row j inside row i's range.
enum class TModbusTable { Ts, Ti };
std::optional<TRowClash> FindModbusOverlap(TModbusTable table, std::span<const uint8_t> rows);
std::string ModbusOverlapText(const std::string& caption, TModbusTable table, const TRowClash& clash);

// IEC 104 PC point: a duplicate information object address, or one that overflows the base.
// Rows are visited in order; for each row first the overflow, then the duplicate of an earlier row.
struct TPc4Fault {
  bool overflow = false;
  TRowClash clash;  // overflow: first = the row, value = the address
};
std::optional<TPc4Fault> FindPc4Fault(TOwnerTableId table, std::span<const uint8_t> rows, unsigned base);
std::string Pc4FaultText(const std::string& caption, TOwnerTableId table, const TPc4Fault& fault);

// ---- the running IEC 104 reference of the Modbus tables ---------------------------------------

// Shows in the reference column of every non-empty row the address its first value takes:
// TS from 8192 by bit count, TI from 16384 by word count.
void UpdateModbusReference(TModbusTable table, TReaddrData& data);

// ---- the image limit ---------------------------------------------------------------------------

// The size the whole configuration image would need if the owner's tables held the given numbers
// of bytes instead of what they hold now (tables[i] gets newBytes[i]).
size_t ImageSizeWith(TObj& owner, std::span<const TRowTable* const> tables, std::span<const size_t> newBytes);
// The refusal text when that size exceeds the image, or nothing.
std::optional<std::string> ImageLimitText(const std::string& title, size_t needed);

}  // namespace vlm
