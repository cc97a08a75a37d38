#pragma once
// The TI and TS tables of the controller's IEC 104 service, read a slice per tick: the first pass
// makes one value object per record, later passes update the objects by their information
// object address (IOA). The map geometry of the views is worked out here, so the frames only draw.
#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "diag/DiagObj.h"

namespace vlm {

struct TValueTableKind {
  size_t RecordSize;
  size_t PerSlice;        // records read in one tick
  size_t IoaOffset;
  size_t CounterOffset;   // incoming counter (16-bit)
  size_t ValueOffset;     // output value (TI, 4 bytes) or state (TS, 1 byte)
  size_t ValueSize;
};
inline constexpr TValueTableKind kTiTable{32, 7, 13, 19, 21, 4};
inline constexpr TValueTableKind kTsTable{18, 12, 4, 11, 6, 1};

// One TI or TS record as last read and what the last pass saw change in it.
struct TTableValue {
  static constexpr size_t kHistoryLines = 1000;
  std::vector<uint8_t> Record;
  bool NewData = false;    // the incoming counter moved
  bool Changed = false;    // the output value (TI) or the state (TS) moved
  bool Marked = false;     // data came in since the last "Очистить"
  std::deque<std::string> History;

  uint8_t Port() const { return Record[0]; }
  uint8_t Kp() const { return Record[1]; }
  uint8_t Group() const { return Record[2]; }
  uint8_t Parameter() const { return Record[3]; }
  std::string SourceAddress() const;  // "%d-%d-%d-%d"
};

// TI: "%.7g" of the output value cut to 10 characters.
std::string TiValueText(float value);

class TValueTable {
 public:
  TValueTable(TDiagContext& context, const TValueTableKind& kind) : context_(context), kind_(kind) {}

  // Reads the 7-byte table header at the object's data pointer; false leaves the table empty.
  bool Start(const TDiagObj& obj);
  // One tick: reads a slice and handles its records; true when this tick ended a pass.
  bool ScanTick();
  // Clears every mark.
  void ClearMarks();

  bool Started() const { return total_ > 0 || started_; }
  size_t Total() const { return total_; }
  size_t Position() const { return position_; }
  bool FirstPass() const { return firstPass_; }
  uint32_t Passes() const { return passes_; }
  const std::vector<std::unique_ptr<TTableValue>>& Values() const { return values_; }
  TTableValue* FindByIoa(uint16_t ioa) const;
  uint16_t Ioa(const TTableValue& v) const;

  // Map: base = lowest IOA rounded down to tens; rows of ten addresses.
  int Base() const { return base_; }
  int Rows() const { return rows_; }
  // 1-based column (IOA mod 10 + 1) and row of a value on the map.
  int Column(const TTableValue& v) const { return Ioa(v) % 10 + 1; }
  int Row(const TTableValue& v) const { return (Ioa(v) - base_) / 10 + 1; }
  // The value at a map cell (column 0..9 of the ten, row 0..), nullptr when there is none.
  TTableValue* At(int column, int row) const;

  // Told of every value whose cell must be drawn again, and of every new history line.
  std::function<void(TTableValue&)> CellChanged;
  std::function<void(TTableValue&, const std::string& line)> HistoryAdded;
  // Why the table could not be started or was cut, empty when it was not.
  const std::string& Problem() const { return problem_; }

 private:
  void Handle(const uint8_t* record);
  void Update(TTableValue& v, const uint8_t* record);
  void AddHistory(TTableValue& v);
  void EndPass();
  std::string HistoryText(const TTableValue& v) const;

  TDiagContext& context_;
  TValueTableKind kind_;
  TFarPtr records_ = 0;
  size_t total_ = 0, position_ = 0;
  bool firstPass_ = true, started_ = false;
  uint32_t passes_ = 0;
  std::vector<std::unique_ptr<TTableValue>> values_;
  std::map<uint16_t, TTableValue*> byIoa_;
  int base_ = 0, rows_ = 0;
  std::string problem_;
  // TS rows count a last partial ten; TI rows run to the highest address's ten.
  bool tsRows_ = false;
};

}  // namespace vlm

namespace vlm {
// Popup lines of a TI or TS value in the order of the record ("Порт:\t\t1", ...).
std::vector<std::string> TiRecordLines(const TTableValue& v);
std::vector<std::string> TsRecordLines(const TTableValue& v);
// The journal heading of a value: " ТИ  А=1-2-3-4  АОИ=100" (TS: " ТС  ...").
std::string ValueJournalTitle(const TTableValue& v, uint16_t ioa, bool ti);
}  // namespace vlm

namespace vlm {
// Fill colours of a map cell (Windows values): grey, the marked colour, then the new-data and
// the changed colours when their menu items are ticked (the later rule wins).
uint32_t TiCellColour(const TTableValue& v, bool showIncoming, bool showChanges);
uint32_t TsCellColour(const TTableValue& v, bool showIncoming, bool showChanges);
}  // namespace vlm
