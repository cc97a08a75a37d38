// TI, TS and tablo tables read a slice a tick, their map geometry, and the debug view's lines.
#include <gtest/gtest.h>

#include <cstring>

#include "DiagFake.h"
#include "diag/DiagDebug.h"
#include "diag/DiagTablo.h"
#include "diag/DiagValueTable.h"

namespace vlm {
namespace {

using Bytes = std::vector<uint8_t>;

struct Tables : test::TDiagFixture {
  TFarPtr records = 0;
  // A table object over records of `size` bytes; `tablo` uses the tablo's 6-byte header.
  TDiagObj Table(uint8_t kind, const std::vector<Bytes>& recs, bool tablo = false) {
    Bytes all;
    for (const auto& r : recs) all.insert(all.end(), r.begin(), r.end());
    records = build.Data(all);
    Bytes header(tablo ? 6 : 7);
    if (tablo) {
      PutU16(&header[0], uint16_t(recs.size()));
      PutU32(&header[2], records);
    } else {
      PutU32(&header[1], records);
      PutU16(&header[5], uint16_t(recs.size()));
    }
    return TDiagObj(context, build.Object(kind, "T", build.Data(header)));
  }
  static Bytes Ti(uint16_t ioa, uint16_t counter, float value) {
    Bytes r(32);
    r[0] = 1, r[1] = 2, r[2] = 3, r[3] = 4;
    PutU16(&r[13], ioa);
    PutU16(&r[19], counter);
    std::memcpy(&r[21], &value, 4);
    return r;
  }
  static Bytes Ts(uint16_t ioa, uint8_t state, uint16_t counter) {
    Bytes r(18);
    PutU16(&r[4], ioa);
    r[6] = state;
    PutU16(&r[11], counter);
    return r;
  }
  static Bytes Lamp(uint8_t kp, uint8_t group, uint8_t parameter, uint8_t state) {
    return {5, 6, 7, 8, 0x0F, 1, kp, group, parameter, 0, state};
  }
  template <typename T>
  static void Pass(T& table) {
    for (int i = 0; i < 1000 && !table.ScanTick(); ++i) {
    }
  }
};

TEST_F(Tables, TiMapOfAddresses10And20) {
  TDiagObj obj = Table(43, {Ti(10, 0, 1.5f), Ti(20, 0, 2.5f)});
  TValueTable ti(context, kTiTable);
  ASSERT_TRUE(ti.Start(obj));
  EXPECT_TRUE(ti.ScanTick());
  EXPECT_EQ(ti.Base(), 10);
  EXPECT_EQ(ti.Rows(), 2);
  EXPECT_EQ(ti.Row(*ti.FindByIoa(10)), 1);
  EXPECT_EQ(ti.Row(*ti.FindByIoa(20)), 2);
  EXPECT_EQ(ti.Column(*ti.FindByIoa(20)), 1);
  EXPECT_EQ(ti.At(0, 1), ti.FindByIoa(20));
  EXPECT_EQ(ti.FindByIoa(10)->History.front(), "2025.12.09 12:00:00.000 | 1.5");
}

TEST_F(Tables, TiUpdatesMarkNewDataAndChangedValues) {
  std::vector<Bytes> recs;
  for (uint16_t i = 0; i < 15; ++i) recs.push_back(Ti(100 + i, 0, float(i)));
  TDiagObj obj = Table(43, recs);
  TValueTable ti(context, kTiTable);
  ASSERT_TRUE(ti.Start(obj));
  memory.readCounts.clear();
  Pass(ti);
  EXPECT_EQ(memory.readCounts, (std::vector<size_t>{224, 224, 32}));  // 7, 7 and the last record
  PutU16(memory.At(records + 32 + 19), 1);            // address 101: data came, same value
  float v = 42.25f;
  std::memcpy(memory.At(records + 2 * 32 + 21), &v, 4);  // address 102: new value, no new data
  std::vector<uint16_t> redrawn;
  ti.CellChanged = [&](TTableValue& x) { redrawn.push_back(ti.Ioa(x)); };
  Pass(ti);
  const TTableValue& a = *ti.FindByIoa(101);
  const TTableValue& b = *ti.FindByIoa(102);
  EXPECT_TRUE(a.NewData && a.Marked && !a.Changed);
  EXPECT_TRUE(!b.NewData && !b.Marked && b.Changed);
  EXPECT_EQ(b.History.back(), "2025.12.09 12:00:00.000 | 42.25");
  EXPECT_EQ(redrawn.size(), 15u);
  EXPECT_EQ(TiCellColour(a, true, true), 0xFFFF00u);
  EXPECT_EQ(TiCellColour(a, false, true), 0xE0E000u);
  EXPECT_EQ(TiCellColour(b, true, true), 0x00FFFFu);
  EXPECT_EQ(TiCellColour(b, true, false), 0x808080u);  // "Изменений" off: grey, it is not marked
  ti.ClearMarks();
  EXPECT_FALSE(a.Marked);
  EXPECT_EQ(TiRecordLines(b)[10], "Значение:\t42.25");
  EXPECT_EQ(ValueJournalTitle(b, 102, true), " ТИ  А=1-2-3-4  АОИ=102");
}

TEST_F(Tables, RecordsWithUnknownAddressesDoNotStallThePass) {
  TDiagObj obj = Table(43, {Ti(1, 0, 0), Ti(2, 0, 0), Ti(3, 0, 0)});
  TValueTable ti(context, kTiTable);
  ASSERT_TRUE(ti.Start(obj));
  Pass(ti);
  PutU16(memory.At(records + 2 * 32 + 13), 999);
  EXPECT_TRUE(ti.ScanTick());
  EXPECT_EQ(ti.Passes(), 2u);
}

TEST_F(Tables, TsSingleAddress7AndStates) {
  TDiagObj obj = Table(44, {Ts(7, 0, 0)});
  TValueTable ts(context, kTsTable);
  ASSERT_TRUE(ts.Start(obj));
  EXPECT_TRUE(ts.ScanTick());
  EXPECT_EQ(ts.Base(), 0);
  EXPECT_EQ(ts.Rows(), 1);
  memory.At(records)[6] = 1;
  PutU16(memory.At(records + 11), 3);
  EXPECT_TRUE(ts.ScanTick());
  const TTableValue& s = *ts.FindByIoa(7);
  EXPECT_TRUE(s.Changed && s.NewData && s.Marked);
  EXPECT_EQ(s.History.size(), 2u);
  EXPECT_EQ(s.History.back(), "2025.12.09 12:00:00.000 | 1");
  EXPECT_EQ(TsRecordLines(s)[7], "Входящих:\t3");
  EXPECT_EQ(TsCellColour(s, false, false), 0xFF0000u);
  EXPECT_EQ(TsCellColour(s, true, false), 0xFF7000u);
  EXPECT_EQ(TsCellColour(s, true, true), 0x00FFFFu);
}

TEST_F(Tables, TablesThatLeaveTheirSegmentAreCut) {
  Bytes header(7);
  PutU32(&header[1], 0x3000FFE0);
  PutU16(&header[5], 1000);
  TDiagObj obj(context, build.Object(43, "T", build.Data(header)));
  TValueTable ti(context, kTiTable);
  ASSERT_TRUE(ti.Start(obj));
  EXPECT_EQ(ti.Total(), 1u);
  PutU32(memory.At(obj.Header.DataPtr + 1), 0xF0000000);
  EXPECT_FALSE(ti.Start(obj));
}

TEST_F(Tables, TabloRowsColumnsAndSquares) {
  TDiagObj obj = Table(42, {Lamp(1, 1, 1, 0), Lamp(12, 3, 8, 1), Lamp(12, 1, 2, 0), Lamp(251, 1, 1, 0)}, true);
  TTablo tablo(context);
  ASSERT_TRUE(tablo.Start(obj));
  EXPECT_TRUE(tablo.ScanTick());
  EXPECT_FALSE(tablo.FirstPass());
  ASSERT_EQ(tablo.Rows(), 2);
  EXPECT_EQ(TTablo::ColumnOf(12), 2);
  EXPECT_EQ(TTablo::RowOf(12), 2);
  EXPECT_EQ(tablo.RowTop(2), 12 * 1 + 35);
  EXPECT_EQ(tablo.RowGroups(2), 3);
  EXPECT_EQ(tablo.KpSet().count(251), 0u);  // no place for it on the board
  std::vector<TTabloSquare> squares;
  tablo.Square = [&](const TTabloSquare& s) { squares.push_back(s); };
  EXPECT_TRUE(tablo.ScanTick());
  ASSERT_EQ(squares.size(), 3u);
  EXPECT_EQ(squares[1].X, 101 * 2 + 12 * 8 - 83);
  EXPECT_EQ(squares[1].Y, 47 + 12 * 3 + 23);
  EXPECT_EQ(squares[1].Colour, 0x00FFFFu);  // changed from "never drawn" to 1
  squares.clear();
  EXPECT_TRUE(tablo.ScanTick());
  EXPECT_EQ(squares[1].Colour, 0xEFEFEFu);
  EXPECT_EQ(squares[0].Colour, 0x000000u);
  const TTabloRecord* hit = tablo.HitTest(squares[1].X + 2, squares[1].Y + 2);
  ASSERT_TRUE(hit);
  EXPECT_EQ(hit->BoardParameter(), 8);
  EXPECT_EQ(TabloRecordLines(*hit)[4], "Маска:\t\t0Fh");
  EXPECT_EQ(TabloRecordLines(*hit)[5], "Инверсия:\t-1");
  EXPECT_FALSE(tablo.HitTest(5, 5));
}

TEST_F(Tables, DebugReplayWritesMarkedLines) {
  TDiagDebug debug(diagMemory);
  debug.Target = build.Data(Bytes(16));
  debug.Lines = {"12:00 <--| 05 06", "12:01 -->|01 02 0A", "text"};
  debug.ReplayIndex = 2;
  ASSERT_TRUE(debug.ReplayTick());
  EXPECT_EQ(memory.writes.back(), (Bytes{1, 2, 10}));
  EXPECT_EQ(debug.Position, "Строка № 2/3");
  EXPECT_EQ(debug.ReplayIndex, 2u);
  debug.Lines = {"a", "b"};
  debug.Position.clear();
  const size_t writes = memory.writes.size();
  EXPECT_FALSE(debug.ReplayTick());
  EXPECT_EQ(memory.writes.size(), writes);
  EXPECT_TRUE(debug.Position.empty());
  debug.Edit = "0Z";
  EXPECT_EQ(debug.WriteEdit(), TDiagDebug::TWrite::NotHex);
  debug.Edit = std::string(600, 'A');  // 300 bytes: two requests
  EXPECT_EQ(debug.WriteEdit(), TDiagDebug::TWrite::Written);
  EXPECT_EQ(memory.writes.size(), writes + 2);
}

}  // namespace
}  // namespace vlm
