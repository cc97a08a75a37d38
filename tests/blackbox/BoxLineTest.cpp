// The text line of a record, its replay parser and the window's listing of records.
#include <gtest/gtest.h>

#include "DecoderTestUtil.h"
#include "blackbox/BoxLine.h"
#include "blackbox/BoxListing.h"
#include "common/TextCodec.h"

namespace vlm::test {
namespace {

TBoxRecord Record(uint32_t ticks, uint8_t protocol, uint8_t direction, const TBytes& bytes, uint8_t error = 0) {
  TBoxRecord r;
  r.ticks = ticks;
  r.protocol = protocol;
  r.direction = direction;
  r.error = error;
  for (size_t i = 0; i < bytes.size(); ++i) r.data[i] = bytes[i];
  return r;
}

const TDateTime kTime = EncodeDateTime({2024, 1, 2, 3, 4, 5, 678});

TEST(RecordLine, Layout) {
  const TBoxRecord r = Record(123456, 2, 0, {0x05, 0x90, 0x03, 0x5A, 0x20, 0xAA}, 3);
  EXPECT_EQ(FormatRecordLine(r, 6, kTime, 123000, 1),
            "2024.01.02 03:04:05.678|t123456|d 456|p002|e3|L  6|№1|-->|05 90 03 5A 20 AA ");
  const TBoxRecord out = Record(5, 0xC2, 1, {0x0F});
  EXPECT_EQ(FormatRecordLine(out, 1, kTime, 105, 12), "2024.01.02 03:04:05.678|t     5|d-100|p194|e0|L  1|№12|<ПУ|0F ");
  const TBoxRecord bad = Record(5, 35, 7, {});
  EXPECT_EQ(FormatRecordLine(bad, 0, kTime, 5, 1), "2024.01.02 03:04:05.678|t     5|d   0|p035|e0|L  0|№1|");
}

TEST(RecordLine, FullRecordEndsWithBlank) {
  TBytes bytes(128, 0xAB);
  const std::string line = FormatRecordLine(Record(1, 35, 0, bytes), 128, kTime, 0, 1);
  EXPECT_TRUE(line.ends_with("|L128|№1|-->|" + std::string() + [] {
    std::string s;
    for (int i = 0; i < 128; ++i) s += "AB ";
    return s;
  }()));
}

TEST(ReplayParser, RoundTripInBothEncodings) {
  const TBoxRecord r = Record(4000000000u, 35, 1, {0x01, 0x03, 0x00, 0x10, 0x00, 0x02, 0xC5, 0xCE});
  const std::string line = FormatRecordLine(r, 8, kTime, 0, 3);
  for (const std::string& text : {line, Utf8ToCp1251(line), line + "\r\n"}) {
    TParsedLine p;
    ASSERT_TRUE(ParseRecordLine(text, p)) << text;
    EXPECT_EQ(p.record.ticks, 4000000000u);
    EXPECT_EQ(p.record.protocol, 35);
    EXPECT_EQ(p.record.direction, 1);
    EXPECT_EQ(p.length, 8u);
    EXPECT_EQ(p.declaredLength, 8);
    EXPECT_EQ(p.record.data[7], 0xCE);
    EXPECT_EQ(FormatDateTime("yyyy.mm.dd hh:nn:ss.zzz", p.time), "2024.01.02 03:04:05.678");
  }
}

TEST(ReplayParser, HexPairsWithSkipping) {
  TParsedLine p;
  ASSERT_TRUE(ParseRecordLine("2024.01.02 03:04:05.678|t     1|d   0|p014|e0|L  3|№1|-->|0A FF 10 ", p));
  EXPECT_EQ(p.length, 3u);
  EXPECT_EQ(p.record.data[0], 0x0A);
  EXPECT_EQ(p.record.data[1], 0xFF);
  EXPECT_EQ(p.record.data[2], 0x10);
  ASSERT_TRUE(ParseRecordLine("2024.01.02 03:04:05.678|t1|d0|p14|e5|L  2|№1|-->|0A-xx-FF", p));
  EXPECT_EQ(p.length, 2u);
  EXPECT_EQ(p.record.error, 5);
  EXPECT_EQ(p.record.data[1], 0xFF);
  // Ticks are taken as a 64-bit number cut to 32 bits.
  ASSERT_TRUE(ParseRecordLine("2024.01.02 03:04:05.678|t4294967297|d0|p14|e0|L  0|№1|-->|", p));
  EXPECT_EQ(p.record.ticks, 1u);
  EXPECT_EQ(p.length, 0u);
}

TEST(ReplayParser, SkipsLinesThatAreNotRecords) {
  TParsedLine p;
  const char* rejected[] = {
      "",
      " Чёрный Ящик №1 Test",
      "---------------------------------------------------------------------------------------------------",
      "2024.01.02 03:04:05.678|t     1|d   0|p014|e0|L  3|№1|0A FF 10 ",        // no direction
      "2024.01.02 03:04:05.678|d   0|p014|e0|L  3|№1|-->|0A FF 10 ",           // no ticks
      "2024.01.02 03:04:05.678|t     1|d   0|p014|e0|№1|-->|0A FF 10 ",        // no length
      "2024.01.02 03:04:05.678|t    x1|d   0|p014|e0|L  3|№1|-->|0A FF 10 ",   // ticks not a number
      "2024.13.02 03:04:05.678|t     1|d   0|p014|e0|L  3|№1|-->|0A FF 10 ",   // month 13
      "2023.02.29 03:04:05.678|t     1|d   0|p014|e0|L  3|№1|-->|0A FF 10 ",   // not a leap year
      "2024.01.02 03:04:05.678|t     1|d   0|p014|e0|L  3|№1|-->|0A F",        // half a pair
      "2024.01.02 03:04:05.678|t     1|d   0|p014|e0|L  3|№1|-->| 0A",         // data starts off a pair
  };
  for (const char* line : rejected) EXPECT_FALSE(ParseRecordLine(line, p)) << line;
  // More than 128 pairs, even packed without blanks, is refused rather than overflowing.
  EXPECT_FALSE(ParseRecordLine("2024.01.02 03:04:05.678|t1|d0|p14|e0|L128|№1|-->|" + std::string(129 * 2 + 60, 'A'), p));
  EXPECT_FALSE(ParseRecordLine("2024.01.02 03:04:05.678|t1|d0|p14|e0|L128|№1|-->|" + std::string(129 * 3, 'A'), p));
}

TEST(Listing, SeparatorHexAndDecodedLines) {
  TBoxListing listing(true, true);
  std::string out;
  TBoxRecord a = Record(10, 8, 1, {0x10, 0x5B, 0x01, 0x5C, 0x16}, 4);
  a.param = 0x55;
  TBoxRecord b = a;
  b.ticks = 30;
  listing.Process(a, 5, kTime, out);
  listing.Process(b, 5, kTime, out);
  EXPECT_EQ(out,
            "2024.01.02 03:04:05.678|t    10|d  10|p008|e0|L  5|№1|<ПУ|10 5B 01 5C 16 \n"
            "<- C=5Bh:PRM=1,FCB=0,FCV=1,Fn=11=ЗапрДаннКл2 A=01h=1\n"
            " \n"
            "2024.01.02 03:04:05.678|t    30|d  20|p008|e0|L  5|№1|<ПУ|10 5B 01 5C 16 \n"
            "<- C=5Bh:PRM=1,FCB=0,FCV=1,Fn=11=ЗапрДаннКл2 A=01h=1\n");
}

TEST(Listing, ModbusIsNotSeparatedAndTextOnlyKeepsUndecodedLines) {
  TBoxListing listing(false, true);
  std::string out;
  TBoxRecord request = Record(1, 35, 1, {0x01, 0x03, 0x00, 0x10, 0x00, 0x02, 0xC5, 0xCE});
  listing.Process(request, 8, kTime, out);
  listing.Process(request, 8, kTime, out);
  TBoxRecord other = Record(2, 20, 0, {0xAB});
  listing.Process(other, 1, kTime, out);
  TBoxRecord invalid = Record(3, 14, 5, {0x68});
  listing.Process(invalid, 1, kTime, out);
  TBoxRecord i104 = Record(4, 14, 0, {0x68, 14, 0, 0, 0, 0, 102, 1, 5, 0, 1, 0, 0, 0, 0});
  listing.Process(i104, 15, kTime, out);
  EXPECT_EQ(out,
            "<- КП=1 Фн=03(ReadHoldR) Адр=16(0010h) Счт=2(0002h) CRC=0000h=OK\n"
            "<- КП=1 Фн=03(ReadHoldR) Адр=16(0010h) Счт=2(0002h) CRC=0000h=OK\n"
            "2024.01.02 03:04:05.678|t     2|d   1|p020|e0|L  1|№1|-->|AB \n"
            "-> Start=68h APDULen=14 IFrame NSend=0 NRecv=0\n"
            "   Тип=102=КомандаЧтения VSQ=01h:SQ=0=Одиноч,Сч=1 COT=0005h:Tst=0,P/N=0,Прич=5=ЗапросДанные АдрASDU=0001h=1\n"
            "   A=000000h=0,\n");
}

}  // namespace
}  // namespace vlm::test

namespace vlm::test {
namespace {

TEST(BoxRecord, AssignTakesHeadAndDataOfABuffer) {
  TBytes buffer = {0x78, 0x56, 0x34, 0x12, 0xC2, 0x01, 0x03, 0x55, 0xAA, 0xBB};
  TBoxRecord r;
  EXPECT_EQ(r.Assign(buffer), 2u);
  EXPECT_EQ(r.ticks, 0x12345678u);
  EXPECT_EQ(r.Code(), 2);
  EXPECT_EQ(r.direction, 1);
  EXPECT_EQ(r.error, 3);
  EXPECT_EQ(r.param, 0x55);
  EXPECT_EQ(r.data[1], 0xBB);
  EXPECT_EQ(r.data[2], 0x00);
  buffer.resize(200, 0xEE);  // longer than a record buffer: the rest is not taken
  EXPECT_EQ(r.Assign(buffer), 128u);
  EXPECT_EQ(r.data[127], 0xEE);
  EXPECT_EQ(r.Assign(TBytes{1, 2, 3}), 0u);
  EXPECT_EQ(r.ticks, 0x030201u);
}

TEST(RecordTime, FixedPositions) {
  TDateTime t = 0;
  ASSERT_TRUE(ParseRecordTime("2024-02-29T23:59:59,999", t));
  EXPECT_EQ(FormatDateTime("yyyy.mm.dd hh:nn:ss.zzz", t), "2024.02.29 23:59:59.999");
  EXPECT_FALSE(ParseRecordTime("2024.02.29 24:00:00.000", t));
  EXPECT_FALSE(ParseRecordTime("2024.02.29 23:60:00.000", t));
  EXPECT_FALSE(ParseRecordTime("2024.02.30 00:00:00.000", t));
  EXPECT_FALSE(ParseRecordTime("2024.02.29 00:00:00.00", t));
}

}  // namespace
}  // namespace vlm::test
