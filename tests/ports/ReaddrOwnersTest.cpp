// The owners' readdressing tables: layouts against the stored rows, row bytes, sorting, capacity
// and the checks each owner makes on store.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <tuple>

#include "PortsFixture.h"
#include "common/Numbers.h"
#include "ports/ReaddrOwners.h"

using namespace vlm;
using namespace vlm::test;

namespace {

using Id = TOwnerTableId;
using Texts = std::vector<std::string>;

// Puts the rows of texts into a fresh grid of the table.
TReaddrData Grid(Id id, const std::vector<Texts>& rows) {
  const TOwnerTable& def = OwnerTable(id);
  TReaddrData data(def.title, def.columns);
  for (size_t r = 0; r < rows.size(); ++r) {
    if (r + 1 >= data.RowCount()) data.AddRow();
    for (size_t c = 0; c < rows[r].size(); ++c) data.SetCell(r, c, rows[r][c]);
  }
  return data;
}

TOwnerStore StoreRows(Id id, const std::vector<Texts>& rows) {
  TReaddrData data = Grid(id, rows);
  return StoreOwnerTable(OwnerTable(id), data, nullptr);
}

Bytes StoredRow(Id id, const Texts& cells) {
  const TOwnerStore s = StoreRows(id, {cells});
  EXPECT_TRUE(s.ok) << OwnerTable(id).title;
  return s.bytes;
}

Texts Shown(Id id, const Bytes& row) {
  const TOwnerTable& def = OwnerTable(id);
  TReaddrData data(def.title, def.columns);
  data.Load({GridRowFromStored(def, row)});
  Texts cells;
  for (size_t c = 0; c < data.ColumnCount(); ++c) cells.push_back(data.Cell(0, c));
  return cells;
}

struct TOwnerOf {
  Id id;
  bool point;
  uint8_t typeId;
  size_t table;
};
constexpr TOwnerOf kOwners[] = {
    {Id::PasTs, false, 3, 0},       {Id::PasTi, false, 3, 1},   {Id::PasTu, false, 3, 2},
    {Id::PasArrays, false, 3, 3},   {Id::LampTs, false, 5, 0},  {Id::LampTi, false, 5, 1},
    {Id::LampJunction, false, 5, 2}, {Id::Mkt3Ts, false, 9, 0}, {Id::Mkt3Ti, false, 9, 1},
    {Id::Rpt80Ts, false, 13, 0},    {Id::Rpt80Ti, false, 13, 1}, {Id::ModbusTs, true, 114, 0},
    {Id::ModbusTi, true, 114, 1},   {Id::Pc4Ti, true, 106, 0},  {Id::Pc4Ts, true, 106, 1},
};

const TRowTableDef& StoredDef(const TOwnerOf& o) {
  if (o.point) return FindPointKind(o.typeId)->tables[o.table];
  return FindPortKind(o.typeId)->tables[o.table];
}

}  // namespace

TEST(ReaddrOwners, LayoutsMatchTheStoredRows) {
  for (const TOwnerOf& o : kOwners) {
    const TOwnerTable& def = OwnerTable(o.id);
    const TRowTableDef& stored = StoredDef(o);
    SCOPED_TRACE(def.title + " of " + std::to_string(o.typeId));
    EXPECT_EQ(def.title, stored.title);
    EXPECT_EQ(def.rowSize, stored.rowSize);
    EXPECT_EQ(def.capacity, stored.capacity);
    ASSERT_EQ(def.columns.size(), def.places.size());
    // Every byte of the row but the junction filler is written by some column.
    std::vector<int> used(def.rowSize, 0);
    for (size_t c = 0; c < def.columns.size(); ++c) {
      if (def.columns[c].shownOnly) continue;
      for (size_t b = 0; b < KindWidth(def.columns[c].kind); ++b) used.at(def.places[c].offset + b) = 1;
    }
    const size_t filler = o.id == Id::LampJunction ? 1 : 0;
    EXPECT_EQ(std::count(used.begin(), used.end(), 0), static_cast<long>(filler));
    int headed = 0;
    for (const TTableHeading& h : def.headings) headed += h.columnCount;
    EXPECT_EQ(headed, static_cast<int>(def.columns.size()));
  }
  EXPECT_EQ(OwnerTable(Id::LampJunction).rowTitle, "N сборки");
  EXPECT_EQ(OwnerTable(Id::ModbusTs).columns[3].validChars, "");
  EXPECT_EQ(OwnerTable(Id::Pc4Ti).columns[5].validChars, FractionExpChars());
  EXPECT_EQ(OwnerTable(Id::PasTi).columns[5].validChars, "12345678");
}

TEST(ReaddrOwners, GoldenRowBytes) {
  EXPECT_EQ(StoredRow(Id::PasTs, {"1", "0", "3", "1 3", "4"}), (Bytes{1, 0, 3, 0xA0, 4}));
  EXPECT_EQ(StoredRow(Id::PasTu, {"1", "2", "3", "4", "1 3"}), (Bytes{1, 2, 3, 4, 0x05}));
  const Bytes lampTs = StoredRow(Id::LampTs, {"1", "2", "3", "1 8", "1", "5", "7", "1 2", "9"});
  EXPECT_EQ(lampTs, (Bytes{1, 2, 3, 0x81, 0x85, 7, 0x03, 9}));
  EXPECT_EQ(Shown(Id::LampTs, lampTs), (Texts{"1", "2", "3", "1 8", "1", "5", "7", "1 2", "9"}));
  const Bytes lampTi = StoredRow(Id::LampTi, {"1", "2", "3", "4", "5", "2.5", "-3.75", "6", "2", "1", "1", "7", "8"});
  ASSERT_EQ(lampTi.size(), 21u);
  EXPECT_EQ(lampTi[18], 0xC2);
  EXPECT_EQ(Bytes(lampTi.begin() + 5, lampTi.begin() + 17),
            (Bytes{0x82, 0, 0, 0, 0, 0x20, 0x82, 0, 0, 0, 0, 0xF0}));
  EXPECT_EQ(Shown(Id::LampTi, lampTi)[8], "2");
  EXPECT_EQ(Shown(Id::LampTi, lampTi)[5], "2.5");
  // External groups are stored counting from 0 and shown counting from 1.
  EXPECT_EQ(StoredRow(Id::Mkt3Ts, {"1", "1", "1", "1", "1"})[4], 0);
  EXPECT_EQ(Shown(Id::Mkt3Ts, {1, 1, 1, 0x80, 7})[4], "8");
  const Bytes mkt3Ti = StoredRow(Id::Mkt3Ti, {"1", "2", "3", "4", "5", "0", "3", "8", "6", "4"});
  EXPECT_EQ(mkt3Ti[13], 7);
  EXPECT_EQ(Shown(Id::Mkt3Ti, mkt3Ti)[6], "3.");
  EXPECT_EQ(StoredRow(Id::Rpt80Ts, {"1", "1", "1", "8", "1", "241"}), (Bytes{1, 1, 1, 0x01, 1, 240}));
  EXPECT_EQ(StoredRow(Id::Pc4Ts, {"0", "0", "0", "8", "65535"}), (Bytes{0, 0, 0, 8, 0xFF, 0xFF}));
  EXPECT_EQ(StoredRow(Id::LampJunction, {"63", "255", "8"}), (Bytes{63, 255, 0x80, 0}));
}

TEST(ReaddrOwners, RangesOfPackedAndShiftedColumnsAreChecked) {
  std::vector<std::string> asked;
  auto cancel = [&](const std::string& text, int, int) {
    asked.push_back(text);
    return TCellDecision::Cancel;
  };
  TReaddrData ts = Grid(Id::LampTs, {{"1", "1", "1", "1", "1", "64", "1", "1", "1"}});
  EXPECT_FALSE(StoreOwnerTable(OwnerTable(Id::LampTs), ts, cancel).ok);
  TReaddrData mkt3 = Grid(Id::Mkt3Ts, {{"1", "1", "1", "1", "65"}});
  const TOwnerStore s = StoreOwnerTable(OwnerTable(Id::Mkt3Ts), mkt3, cancel);
  EXPECT_FALSE(s.ok);
  EXPECT_EQ(s.errorColumn, 5);
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_NE(asked[0].find("Допустимый диапазон значений: 0..63."), std::string::npos);
  EXPECT_NE(asked[1].find("Допустимый диапазон значений: 1..64."), std::string::npos);
}

TEST(ReaddrOwners, TransmitTablesSortOnStoreAndStopAtTheirCapacity) {
  TReaddrData ts = Grid(Id::Mkt3Ts, {{"2", "1", "1", "1", "1"}, {"1", "5", "3", "1", "2"}});
  const TOwnerStore sorted = StoreOwnerTable(OwnerTable(Id::Mkt3Ts), ts, nullptr);
  ASSERT_TRUE(sorted.ok);
  EXPECT_EQ(sorted.bytes[0], 1);
  EXPECT_EQ(ts.Cell(0, 0), "1");  // the grid itself shows the sorted rows
  for (auto [id, capacity, message] :
       {std::tuple{Id::Mkt3Ts, 64, "Превышена максимальная емкость выходной таблицы - 64 записи."},
        std::tuple{Id::Rpt80Ti, 241, "Превышена максимальная емкость выходной таблицы - 241 запись."},
        std::tuple{Id::Pc4Ts, 256, "Превышена максимальная емкость таблицы - 256 записей."}}) {
    std::vector<Texts> rows;
    for (int i = 0; i < capacity; ++i)
      rows.push_back(id == Id::Mkt3Ts   ? Texts{"1", "1", "1", "1", "1"}
                     : id == Id::Rpt80Ti ? Texts{"1", "1", "1", "1", "1", "1", "4"}
                                         : Texts{"1", "1", "1", "1", std::to_string(i)});
    const TOwnerStore full = StoreRows(id, rows);
    ASSERT_TRUE(full.ok) << capacity;
    EXPECT_EQ(full.Count(OwnerTable(id)), static_cast<size_t>(capacity));
    rows.push_back(rows.back());
    const TOwnerStore over = StoreRows(id, rows);
    EXPECT_FALSE(over.ok);
    EXPECT_TRUE(over.bytes.empty());
    EXPECT_EQ(over.message, OwnerTable(id).title + "\r" + message);
  }
  EXPECT_EQ(RecordCount(8001), "8001 запись");
  EXPECT_EQ(RecordCount(1024), "1024 записи");
  EXPECT_EQ(RecordCount(2011), "2011 записей");
}

TEST(ReaddrOwners, BoardDuplicateAddresses) {
  // Row 2 and row 4 light the same lamp (the inversion bit does not count); row 3 another one.
  const TOwnerStore s = StoreRows(Id::LampTs, {{"1", "1", "1", "1", "0", "5", "7", "1", "1"},
                                               {"1", "1", "2", "1", "0", "6", "7", "2", "1"},
                                               {"1", "1", "3", "1", "0", "6", "8", "2", "1"},
                                               {"1", "1", "4", "1", "1", "6", "7", "2", "1"}});
  ASSERT_TRUE(s.ok);
  const auto clash = FindBoardDuplicate(s.bytes);
  ASSERT_TRUE(clash.has_value());
  EXPECT_EQ(clash->first, 2);
  EXPECT_EQ(clash->second, 4);
  EXPECT_EQ(BoardDuplicateText("№1 Порт Щита ", s.bytes, *clash),
            "№1 Порт Щита \rОшибка в таблице переадресации ТС:\r\rСтроки 2 и 4 \r"
            "содержат одинаковый адрес сигнала на щите:\rПункт 6, Группа 7, Параметр 2\r\r"
            "Рекомендуется вернуться к редактированию\rи устранить ошибку.");
  EXPECT_FALSE(FindBoardDuplicate(Bytes(s.bytes.begin(), s.bytes.begin() + 24)).has_value());
}

TEST(ReaddrOwners, ModbusOverlapsAndReferenceAddresses) {
  const TOwnerStore overlap = StoreRows(Id::ModbusTs, {{"2", "0", "16"}, {"2", "10", "8"}});
  ASSERT_TRUE(overlap.ok);
  const auto clash = FindModbusOverlap(TModbusTable::Ts, overlap.bytes);
  ASSERT_TRUE(clash.has_value());
  EXPECT_EQ((std::tuple{clash->first, clash->second, clash->value}), (std::tuple{1, 2, 10}));
  EXPECT_EQ(ModbusOverlapText("№1 RTU", TModbusTable::Ts, *clash),
            "№1 RTU\r\rОшибка в таблице ТС:\r\rСтроки 1 и 2 \rсодержат перекрывающиеся адреса Modbus: 10\r\r"
            "Рекомендуется вернуться к редактированию\rи устранить ошибку.");
  EXPECT_FALSE(FindModbusOverlap(TModbusTable::Ts, StoreRows(Id::ModbusTs, {{"2", "0", "16"}, {"2", "16", "8"}}).bytes));
  // Different functions still overlap; a later row that starts below covers the first address.
  const auto ti = FindModbusOverlap(TModbusTable::Ti, StoreRows(Id::ModbusTi, {{"0", "3", "100", "4", "0", "1"},
                                                                                {"0", "4", "90", "11", "0", "1"}}).bytes);
  ASSERT_TRUE(ti.has_value());
  EXPECT_EQ(ti->value, 100);

  TReaddrData data = Grid(Id::ModbusTi, {{"0", "3", "0", "2", "0", "1"}, {}, {"0", "3", "2", "4", "0", "1"},
                                         {"0", "3", "6", "1", "0", "1"}});
  UpdateModbusReference(TModbusTable::Ti, data);
  EXPECT_EQ(data.Cell(0, 6) + " " + data.Cell(1, 6) + " " + data.Cell(2, 6) + " " + data.Cell(3, 6), "16384  16386 16390");
  EXPECT_TRUE(data.RowIsEmpty(1));  // the reference column does not make a row non-empty
  const TOwnerStore stored = StoreOwnerTable(OwnerTable(Id::ModbusTi), data, nullptr);
  EXPECT_EQ(stored.Count(OwnerTable(Id::ModbusTi)), 3u);
  EXPECT_EQ(stored.gridRows, (std::vector<size_t>{0, 2, 3}));
}

TEST(ReaddrOwners, Pc4DuplicateAndOverflowingObjectAddresses) {
  const TOwnerStore ti = StoreRows(Id::Pc4Ti, {{"1", "1", "1", "1", "1", "0", "1", "100"},
                                              {"1", "1", "1", "2", "1", "0", "1", "100"}});
  const auto dup = FindPc4Fault(Id::Pc4Ti, ti.bytes, 16384);
  ASSERT_TRUE(dup.has_value());
  EXPECT_FALSE(dup->overflow);
  EXPECT_EQ(Pc4FaultText("№1 ЭВМ ", Id::Pc4Ti, *dup),
            "Конфигуратор ВЕЛМОР\r№1 ЭВМ \rТаблица переадресации ТИ\r\rОбнаружено наложение адресов:\r\r"
            "Строки 1 и 2 \rсодержат одинаковый адрес Объекта информации: 100\r\r"
            "Рекомендуется вернуться к редактированию\rи устранить наложение.");
  const Bytes only = StoreRows(Id::Pc4Ts, {{"1", "1", "1", "1", "60000"}}).bytes;
  const auto over = FindPc4Fault(Id::Pc4Ts, only, 8192);
  ASSERT_TRUE(over.has_value());
  EXPECT_TRUE(over->overflow);
  EXPECT_EQ(over->clash.first, 1);
  EXPECT_NE(Pc4FaultText("x", Id::Pc4Ts, *over).find("В строке 1\rслишком большой Адрес объекта информации: 60000\r"),
            std::string::npos);
  EXPECT_FALSE(FindPc4Fault(Id::Pc4Ts, only, 5535).has_value());
}

TEST(ReaddrOwners, SixteenBitKeysSortByValue) {
  TReaddrData data = Grid(Id::ModbusTs, {{"1", "256", "1"}, {"1", "32", "1"}, {"1", "", "1"}});
  data.Sort(TSortKind::Local);
  EXPECT_EQ(data.Cell(0, 1) + " " + data.Cell(1, 1) + " " + data.Cell(2, 1), "32 256 ");
  EXPECT_EQ(data.SortKey(0, TSortKind::Local), "0020");
}

TEST(ReaddrOwners, JunctionsKeepTheirOrderWhenSorted) {
  TReaddrData data = Grid(Id::LampJunction, {{"3", "1", "1"}, {"1", "1", "1"}});
  data.Sort(TSortKind::Local);
  data.Sort(TSortKind::External);
  EXPECT_EQ(data.Cell(0, 0), "3");
}

class ReaddrOwnersImage : public PortsFixture {};

TEST_F(ReaddrOwnersImage, StoredRowsAreWrittenInLocalOrder) {
  AddCard(1);
  TDataPort* pas = AddPortOf(3);
  ASSERT_TRUE(pas->Tables[0].SetRows(StoreRows(Id::PasTs, {{"2", "1", "1", "1", "1"}, {"1", "5", "3", "1", "2"}}).bytes));
  ASSERT_TRUE(pas->Tables[2].SetRows(StoreRows(Id::PasTu, {{"2", "1", "1", "1", "1"}, {"1", "5", "3", "1", "2"}}).bytes));
  TDataPort* lamp = AddPortOf(5);
  ASSERT_TRUE(lamp->Tables[0].SetRows(StoreRows(Id::LampTs, {{"1", "1", "1", "2", "0", "1", "1", "1", "1"},
                                                              {"1", "1", "1", "1", "0", "1", "1", "2", "1"}}).bytes));
  TDataPort* pc4Port = AddPortOf(19);
  TDataPoint* pc4 = AddPointOf(*pc4Port, 106);
  ASSERT_TRUE(pc4->Tables[0].SetRows(StoreRows(Id::Pc4Ti, {{"2", "1", "1", "1", "1", "0", "1", "1"},
                                                            {"1", "5", "3", "2", "1", "0", "1", "2"}}).bytes));
  const Bytes image = WriteImage();
  auto rows = [&](uint8_t portId, uint8_t itemId) {
    const Bytes port = PortRecord(image, portId);
    const Bytes item = FindRecord(port, 4, port.size(), 0xE0, itemId);
    return Bytes(item.begin() + 4, item.end());
  };
  EXPECT_EQ(rows(3, 138), (Bytes{1, 5, 3, 0x80, 2, 2, 1, 1, 0x80, 1}));
  EXPECT_EQ(rows(3, 140), (Bytes{2, 1, 1, 1, 0x01, 1, 5, 3, 1, 0x02}));  // TU keeps its order
  EXPECT_EQ(rows(5, 134)[3], 0x80);  // parameter 1 first
  const Bytes pc4Port4 = PortRecord(image, 19);
  const Bytes point = FindRecord(pc4Port4, 4, pc4Port4.size(), 0xF0, 106);
  const Bytes ti = FindRecord(point, 4, point.size(), 0xE0, 139);
  EXPECT_EQ(Bytes(ti.begin() + 4, ti.begin() + 8), (Bytes{1, 5, 3, 2}));
}

TEST_F(ReaddrOwnersImage, ImageLimitCountsTheNewRows) {
  AddCard(1);
  TDataPort* lamp = AddPortOf(5);
  const TRowTable* ts = &lamp->Tables[0];
  const size_t full = 8001 * 8;
  const size_t needed = ImageSizeWith(*lamp, {&ts, 1}, std::array<size_t, 1>{full});
  EXPECT_GT(needed, full);
  const auto text = ImageLimitText("Таблица переадресации ТС", needed);
  ASSERT_TRUE(text.has_value());
  EXPECT_EQ(text->rfind("Таблица переадресации ТС\rКонфигурация с этой таблицей заняла бы ", 0), 0u);
  EXPECT_FALSE(ImageLimitText("T", ImageSizeWith(*lamp, {&ts, 1}, std::array<size_t, 1>{7000 * 8})).has_value());
  EXPECT_TRUE(prompt.errors.empty());  // the trial write reports nothing
}
