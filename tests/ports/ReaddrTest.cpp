#include <gtest/gtest.h>

#include "common/DateTime.h"
#include "common/Format.h"
#include "common/TextCodec.h"
#include "ports/ReaddrData.h"

using namespace vlm;

namespace {

TReaddrColumn Col(TDataKind kind, uint16_t lo = 1, uint16_t hi = 255, TSortKind role = TSortKind::None) {
  TReaddrColumn c;
  c.kind = kind;
  c.minimum = lo;
  c.maximum = hi;
  c.sortRole = role;
  return c;
}

std::vector<uint8_t> Store(TDataKind kind, const std::string& text) {
  std::vector<uint8_t> out(KindWidth(kind));
  EXPECT_EQ(BytesFromCell(Col(kind), text, out).error, TCellError::None) << text;
  return out;
}

}  // namespace

TEST(ReaddrCell, BitListsInBothOrders) {
  EXPECT_EQ(Store(TDataKind::BitsMsbFirst, "1 8"), (std::vector<uint8_t>{0x81}));
  EXPECT_EQ(Store(TDataKind::BitsLsbFirst, "1 8"), (std::vector<uint8_t>{0x81}));
  EXPECT_EQ(Store(TDataKind::BitsMsbFirst, "1 2"), (std::vector<uint8_t>{0xC0}));
  EXPECT_EQ(Store(TDataKind::BitsLsbFirst, "1 2"), (std::vector<uint8_t>{0x03}));
  const uint8_t c0 = 0xC0, x03 = 0x03;
  EXPECT_EQ(CellFromBytes(TDataKind::BitsMsbFirst, {&c0, 1}), "1 2");
  EXPECT_EQ(CellFromBytes(TDataKind::BitsLsbFirst, {&x03, 1}), "1 2");
  std::vector<uint8_t> out(1);
  const TCellResult bad = BytesFromCell(Col(TDataKind::BitsMsbFirst), "1 9", out);
  EXPECT_EQ(bad.error, TCellError::Range);
  EXPECT_EQ(bad.rangeMax, 8);
}

TEST(ReaddrCell, RealsAndSinglesRoundTripTheirTexts) {
  EXPECT_EQ(Store(TDataKind::Real48, "0"), (std::vector<uint8_t>{0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(Store(TDataKind::Real48, "1"), (std::vector<uint8_t>{0x81, 0, 0, 0, 0, 0}));
  EXPECT_EQ(Store(TDataKind::Real48, "2.5"), (std::vector<uint8_t>{0x82, 0, 0, 0, 0, 0x20}));
  EXPECT_EQ(Store(TDataKind::Real48, "-3.75"), (std::vector<uint8_t>{0x82, 0, 0, 0, 0, 0xF0}));
  EXPECT_EQ(Store(TDataKind::Real48, "1E-5"), (std::vector<uint8_t>{0x70, 0x1B, 0x47, 0xAC, 0xC5, 0x27}));
  const auto r25 = Store(TDataKind::Real48, "2.5");
  EXPECT_EQ(CellFromBytes(TDataKind::Real48, r25), "2.5");
  EXPECT_EQ(CellFromBytes(TDataKind::Single, Store(TDataKind::Single, "3")), "3.");
  SetDecimalSeparator(',');
  EXPECT_EQ(CellFromBytes(TDataKind::Single, Store(TDataKind::Single, "2,5")), "2,5");
  std::vector<uint8_t> out(4);
  EXPECT_EQ(BytesFromCell(Col(TDataKind::Single), "2.5", out).error, TCellError::Conversion);
  SetDecimalSeparator('.');
}

TEST(ReaddrCell, SingleOutOfRangeIsRefusedAndZeroed) {
  std::vector<uint8_t> out{1, 2, 3, 4};
  for (const char* text : {"1E40", "-1E39", "3.5E38"}) {
    const TCellResult r = BytesFromCell(Col(TDataKind::Single), text, out);
    EXPECT_EQ(r.error, TCellError::Conversion) << text;
    EXPECT_EQ(out, (std::vector<uint8_t>{0, 0, 0, 0})) << text;
    EXPECT_NE(CellErrorText("ТИ", 1, 3, text, r).find("невозможно преобразовать в число"), std::string::npos);
  }
  EXPECT_EQ(CellFromBytes(TDataKind::Single, Store(TDataKind::Single, "3E38")).substr(0, 3), "300");
}

TEST(ReaddrCell, IntegersRangesAndErrorText) {
  std::vector<uint8_t> out(2);
  EXPECT_EQ(BytesFromCell(Col(TDataKind::Word, 0, 65535), "513", out).error, TCellError::None);
  EXPECT_EQ(out, (std::vector<uint8_t>{0x01, 0x02}));
  const TCellResult range = BytesFromCell(Col(TDataKind::Byte, 1, 64), "65", out);
  EXPECT_EQ(range.error, TCellError::Range);
  EXPECT_EQ(out[0], 0);
  EXPECT_EQ(BytesFromCell(Col(TDataKind::Byte), "", out).error, TCellError::Conversion);
  EXPECT_EQ(BytesFromCell(Col(TDataKind::Flag), "2", out).rangeMax, 1);
  EXPECT_EQ(CellErrorText("Таблица ТС", 3, 2, "65", range),
            "Таблица ТС\r\rЯчейка таблицы (строка 3, колонка 2)\rсодержит недопустимое значение: \"65\"\r"
            "Допустимый диапазон значений: 1..64.\r"
            "\rДальнейшие действия:\rОтмена - вернуться к редактированию (рекомендуется);\r"
            "Пропустить - обнулить данную ячейку и продолжить (на свой страх и риск).");
}

TEST(ReaddrData, StoreSkipsEmptyRowsAndAsksOnBadCells) {
  TReaddrData t("T", {Col(TDataKind::Byte), Col(TDataKind::Byte)});
  t.Load({{1, 2}, {3, 4}});
  ASSERT_EQ(t.RowCount(), 3u);  // two rows and the trailing empty one
  t.AddRow();
  t.SetCell(3, 0, "7");  // second cell empty: conversion error
  int asked = 0;
  auto ignore = [&](const std::string&, int row, int column) {
    ++asked;
    EXPECT_EQ(row, 4);
    EXPECT_EQ(column, 2);
    return TCellDecision::Ignore;
  };
  TStoreResult r = t.Store(0, ignore);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(r.rows, (std::vector<TByteRow>{{1, 2}, {3, 4}, {7, 0}}));
  r = t.Store(0, [](const std::string&, int, int) { return TCellDecision::Cancel; });
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.errorRow, 4);
  EXPECT_TRUE(t.Store(2, nullptr).capacityExceeded);
}

TEST(ReaddrData, SortByLocalAndExternalAddress) {
  // passive TS rows (group, parameter | external): (2,1 | 1) and (1,5 | 3)
  TReaddrData t("TS", {Col(TDataKind::Byte, 1, 255, TSortKind::Local), Col(TDataKind::Byte, 1, 255, TSortKind::Local),
                       Col(TDataKind::Byte, 1, 255, TSortKind::External)});
  t.Load({{2, 1, 1}, {1, 5, 3}});
  t.Sort(TSortKind::Local);
  EXPECT_EQ(t.Cell(0, 0), "1");
  EXPECT_EQ(t.Cell(1, 0), "2");
  EXPECT_TRUE(t.RowIsEmpty(2));  // the empty row sorts last
  t.SetCell(0, 2, "");
  t.Sort(TSortKind::External);
  // external 1 first; the row without external address ties with the empty row (both "ff") and
  // the grid's quicksort leaves it last
  EXPECT_EQ(t.Cell(0, 0), "2");
  EXPECT_TRUE(t.RowIsEmpty(1));
  EXPECT_EQ(t.Cell(2, 0), "1");
  EXPECT_EQ(t.SortKey(2, TSortKind::Local), "0105");
  t.SetCell(2, 0, "300");
  EXPECT_EQ(t.SortKey(2, TSortKind::Local), "12c05");
}

TEST(ReaddrData, EnterFillsSeriesRowByRow) {
  TReaddrData t("T", {Col(TDataKind::Byte), Col(TDataKind::Byte), Col(TDataKind::Byte)});
  t.AddRow();
  t.SetCell(0, 0, "+2");
  t.FillSelection(0, 0, 1, 2, "+2");
  EXPECT_EQ(t.Cell(0, 0) + t.Cell(0, 1) + t.Cell(0, 2), "246");
  EXPECT_EQ(t.Cell(1, 0) + "," + t.Cell(1, 1) + "," + t.Cell(1, 2), "8,10,12");
  t.FillSelection(0, 1, 1, 1, "5");
  EXPECT_EQ(t.Cell(1, 1), "5");
}

TEST(ReaddrData, ExportImportRoundTrip) {
  TReaddrData t("T", {Col(TDataKind::Byte), Col(TDataKind::Word, 0, 65535)});
  t.Load({{1, 0x10, 0}, {2, 0x20, 0}, {3, 0x30, 0}});
  const std::string text = t.ExportText();
  EXPECT_EQ(text, "1\t16\t\r\n2\t32\t\r\n3\t48\t\r\n\t\t\r\n");
  TReaddrData back("T", t.Columns());
  back.ImportText(text + "заголовок\r\n" );
  EXPECT_EQ(back.RowCount(), 6u);  // lines + 1 data rows
  const TStoreResult r = back.Store(0, nullptr);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.rows.size(), 3u);
  EXPECT_EQ(r.rows[2], (TByteRow{3, 0x30, 0}));
  EXPECT_EQ(ProposedTableFileName(EncodeDateTime({2026, 12, 9})), "Таблица адресации_2026_12_09.txt");
}

TEST(ReaddrData, RowEditing) {
  TReaddrData t("T", {Col(TDataKind::Byte)});
  t.Load({{1}, {2}});
  t.InsertCopyRow(1);
  EXPECT_EQ(t.Cell(1, 0), "2");
  EXPECT_EQ(t.RowCount(), 4u);
  t.DeleteRow(0);
  t.MoveRow(0, 1);
  EXPECT_EQ(t.Cell(1, 0), "2");
  TReaddrData one("T", {Col(TDataKind::Byte)});
  one.SetCell(0, 0, "9");
  one.DeleteRow(0);
  EXPECT_EQ(one.RowCount(), 1u);
  EXPECT_TRUE(one.RowIsEmpty(0));
}

#include "ports/ReaddrKeypad.h"

TEST(ReaddrKeypad, DigitLimitsAndModes) {
  TReaddrKeypad k;
  for (char c : std::string("65534")) EXPECT_TRUE(k.AppendDigit(c));
  EXPECT_FALSE(k.AppendDigit('0'));  // six digits
  EXPECT_EQ(k.Value(), 65534);
  k.Backspace();
  k.Backspace();
  EXPECT_EQ(k.Value(), 655);
  EXPECT_FALSE(TReaddrKeypad(6553).AppendDigit('6'));  // 65536 is above 65534
  k.SetHex(true);
  EXPECT_EQ(k.HexText(), "28f");
  EXPECT_TRUE(k.AppendDigit('A'));
  EXPECT_FALSE(k.AppendDigit('1'));  // five hex digits
  EXPECT_EQ(k.Value(), 0x28FA);
  EXPECT_FALSE(TReaddrKeypad().AppendDigit('a'));  // letters only in hex mode
  TReaddrKeypad w(65535);
  w.Add(1);
  EXPECT_EQ(w.Value(), 0);
  w.Add(-1);
  EXPECT_EQ(w.DecText(), "65535");
}

TEST(ReaddrData, ImportIsBoundedBySizeAndDataLines) {
  std::string text = "N\tA\tB\r\n";
  for (int i = 0; i < 4; ++i) text += "1\t2\t3\r\n";
  EXPECT_EQ(ImportRefusal("ТС", 4, text), "");
  text += "5\t6\t7\r\n";
  EXPECT_EQ(ImportRefusal("ТС", 4, text), "Файл содержит 5 строк данных, а таблица \"ТС\" вмещает не более 4 записей.");
  EXPECT_EQ(ImportSizeRefusal("ТС", 4, ImportByteLimit(4)), "");
  EXPECT_EQ(ImportSizeRefusal("ТС", 4, ImportByteLimit(4) + 1), "Файл слишком велик для таблицы \"ТС\" (не более 4 записей).");
  // Millions of short lines are refused by their size alone.
  EXPECT_FALSE(ImportRefusal("ТС", 256, std::string(4'000'000, '\n')).empty());
}
