// What the owners of readdressing tables check on store: board addresses used twice, Modbus
// ranges that overlap, IEC 104 object addresses used twice or past 65535, and whether the image
// still fits with the new rows.
#include <algorithm>
#include <unordered_map>

#include "common/Format.h"
#include "common/Numbers.h"
#include "common/Prompt.h"
#include "model/Config.h"
#include "model/VLM_Obj.h"
#include "ports/ReaddrOwners.h"
#include "ports/RowTable.h"

namespace vlm {
namespace {

constexpr const char* kAppTitle = "Конфигуратор ВЕЛМОР";
constexpr const char* kGoBack = "\rРекомендуется вернуться к редактированию\r";

size_t Rows(std::span<const uint8_t> bytes, size_t rowSize) { return bytes.size() / rowSize; }

}  // namespace

// ---- board port --------------------------------------------------------------------------------

namespace {
constexpr size_t kBoardTsRow = 8;
uint32_t BoardAddress(std::span<const uint8_t> rows, size_t i) {
  const uint8_t* r = rows.data() + i * kBoardTsRow;
  return static_cast<uint32_t>((r[4] & 0x7F) << 16 | r[5] << 8 | r[6]);
}
}  // namespace

std::optional<TRowClash> FindBoardDuplicate(std::span<const uint8_t> tsRows) {
  // The pair a row-by-row comparison would meet first: the lowest first row that has a twin, and
  // its nearest twin; found in two passes instead of comparing every pair of 8001 rows.
  struct Seen {
    size_t first, second = SIZE_MAX;
  };
  const size_t n = Rows(tsRows, kBoardTsRow);
  std::unordered_map<uint32_t, Seen> seen;
  seen.reserve(n);
  for (size_t i = 0; i < n; ++i) {
    auto [it, fresh] = seen.try_emplace(BoardAddress(tsRows, i), Seen{i});
    if (!fresh && it->second.second == SIZE_MAX) it->second.second = i;
  }
  for (size_t i = 0; i < n; ++i) {
    const Seen& s = seen.at(BoardAddress(tsRows, i));
    if (s.first == i && s.second != SIZE_MAX)
      return TRowClash{static_cast<int>(i + 1), static_cast<int>(s.second + 1), 0};
  }
  return std::nullopt;
}

std::string BoardDuplicateText(const std::string& caption, std::span<const uint8_t> tsRows, const TRowClash& clash) {
  const uint8_t* r = tsRows.data() + static_cast<size_t>(clash.first - 1) * kBoardTsRow;
  return caption + "\r" + "Ошибка в таблице переадресации ТС:\r" + "\r" +
         Format("Строки %d и %d \r", {clash.first, clash.second}) + "содержат одинаковый адрес сигнала на щите:\r" +
         Format("Пункт %d, Группа %d, Параметр %d\r", {r[4] & 0x7F, r[5], r[6]}) + kGoBack + "и устранить ошибку.";
}

// ---- Modbus device -----------------------------------------------------------------------------

namespace {
struct TModbusRange {
  long first, count;
};
TModbusRange ModbusRange(TModbusTable table, std::span<const uint8_t> rows, size_t i) {
  if (table == TModbusTable::Ts) {
    const uint8_t* r = rows.data() + i * 5;
    return {GetU16(r + 1), GetU16(r + 3)};
  }
  const uint8_t* r = rows.data() + i * 13;
  return {GetU16(r + 2), r[4]};
}
}  // namespace

std::optional<TRowClash> FindModbusOverlap(TModbusTable table, std::span<const uint8_t> rows) {
  const size_t n = Rows(rows, table == TModbusTable::Ts ? 5 : 13);
  std::vector<TModbusRange> ranges(n);
  for (size_t i = 0; i < n; ++i) ranges[i] = ModbusRange(table, rows, i);
  for (size_t i = 0; i < n; ++i) {
    const TModbusRange a = ranges[i];
    if (a.count <= 0) continue;
    for (size_t j = i + 1; j < n; ++j) {
      const TModbusRange b = ranges[j];
      if (b.count > 0 && b.first <= a.first + a.count - 1 && b.first + b.count - 1 >= a.first)
        return TRowClash{static_cast<int>(i + 1), static_cast<int>(j + 1), static_cast<int>(std::max(a.first, b.first))};
    }
  }
  return std::nullopt;
}

std::string ModbusOverlapText(const std::string& caption, TModbusTable table, const TRowClash& clash) {
  return caption + "\r" + "\r" + Format("Ошибка в таблице %s:\r", {table == TModbusTable::Ts ? "ТС" : "ТИ"}) + "\r" +
         Format("Строки %d и %d \r", {clash.first, clash.second}) +
         Format("содержат перекрывающиеся адреса Modbus: %d\r", {clash.value}) + kGoBack + "и устранить ошибку.";
}

// ---- IEC 104 PC point --------------------------------------------------------------------------

std::optional<TPc4Fault> FindPc4Fault(TOwnerTableId table, std::span<const uint8_t> rows, unsigned base) {
  const TOwnerTable& def = OwnerTable(table);
  const size_t offset = table == TOwnerTableId::Pc4Ti ? 13 : 4;
  std::unordered_map<unsigned, int> firstRow;
  // Every row is checked for both faults, the last and an only row included.
  for (size_t i = 0; i < Rows(rows, def.rowSize); ++i) {
    const unsigned address = GetU16(rows.data() + i * def.rowSize + offset);
    const int row = static_cast<int>(i + 1);
    if (base + address > 65535) return TPc4Fault{true, {row, 0, static_cast<int>(address)}};
    auto [it, fresh] = firstRow.try_emplace(address, row);
    if (!fresh) return TPc4Fault{false, {it->second, row, static_cast<int>(address)}};
  }
  return std::nullopt;
}

std::string Pc4FaultText(const std::string& caption, TOwnerTableId table, const TPc4Fault& fault) {
  std::string s = std::string(kAppTitle) + "\r" + caption + "\r" + OwnerTable(table).title + "\r\r";
  if (fault.overflow)
    return s + "Обнаружено превышение адреса:\r" + "\r" + Format("В строке %d\r", {fault.clash.first}) +
           Format("слишком большой Адрес объекта информации: %d\r", {fault.clash.value}) +
           "(сумма Базового адреса и Адреса объекта превышает 65535)\r" + kGoBack + "и устранить превышение.";
  return s + "Обнаружено наложение адресов:\r" + "\r" + Format("Строки %d и %d \r", {fault.clash.first, fault.clash.second}) +
         Format("содержат одинаковый адрес Объекта информации: %d\r", {fault.clash.value}) + kGoBack +
         "и устранить наложение.";
}

// ---- the image limit ---------------------------------------------------------------------------

namespace {

// Swallows the reports of a trial write; the user sees them when the image is really written.
class TSilentPrompt : public IPrompt {
 public:
  void ShowError(const std::string&) override {}
  TAnswer AskYesNo(const std::string&, bool) override { return TAnswer::Yes; }
};

constexpr uint8_t kStationContainer = 148;

// The bytes the whole image needs now, written the way the station writes it.
size_t NeededImageSize(TObj& anyObject) {
  TTreeNode* root = anyObject.Node;
  while (root && root->Parent()) root = root->Parent();
  auto* station = root ? dynamic_cast<TStation*>(root->Object()) : nullptr;
  if (!station) return 0;
  TSilentPrompt silent;
  PromptGuard guard(silent);
  size_t needed = 0;
  try {
    TConfig cfg;
    cfg.Clear();
    cfg.Position = kHeaderSize;
    const size_t start = cfg.OpenContainer(kStationContainer);
    cfg.WriteString(149, station->Place);
    cfg.WriteU8(147, static_cast<uint8_t>(station->ChildCount()));
    for (size_t i = 0; i < station->ChildCount(); ++i)
      if (TObj* controller = station->ChildObject(i)) controller->WriteConfig(cfg);
    cfg.CloseContainer(start);
    needed = cfg.NeededSize();
  } catch (const EAbort&) {
    needed = 0;  // the real write will say what is wrong
  }
  return needed;
}

}  // namespace

size_t ImageSizeWith(TObj& owner, std::span<const TRowTable* const> tables, std::span<const size_t> newBytes) {
  size_t needed = NeededImageSize(owner);
  if (needed == 0) return 0;
  for (size_t i = 0; i < tables.size() && i < newBytes.size(); ++i) needed = needed - tables[i]->Bytes().size() + newBytes[i];
  return needed;
}

std::optional<std::string> ImageLimitText(const std::string& title, size_t needed) {
  if (needed <= kImageCapacity) return std::nullopt;
  return title + "\r" +
         Format("Конфигурация с этой таблицей заняла бы %u байт\rНаибольший размер конфигурации %u байт",
                {needed, kImageCapacity});
}

}  // namespace vlm
