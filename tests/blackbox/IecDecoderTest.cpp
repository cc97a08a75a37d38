// IEC 60870-5-101, -104 and private-head APCI decoders: exact texts and colours.
#include <gtest/gtest.h>

#include "DecoderTestUtil.h"

namespace vlm::test {
namespace {

constexpr uint8_t k101 = 8, k104 = 14, kPrivate = 37;
constexpr uint8_t kAllOne = 0x55;  // every 101 field one octet

// A 101 variable-length frame around an ASDU, with check sum and end character.
TBytes Variable101(uint8_t control, uint8_t address, const TBytes& asdu) {
  const uint8_t length = uint8_t(asdu.size() + 2);
  TBytes frame = {0x68, length, length, 0x68, control, address};
  for (const uint8_t b : asdu) frame.push_back(b);
  uint8_t sum = 0;
  for (size_t i = 4; i < frame.size(); ++i) sum = uint8_t(sum + frame[i]);
  frame.push_back(sum);
  frame.push_back(0x16);
  return frame;
}

TEST(Iec101, FixedFrameFromControlPoint) {
  EXPECT_TRUE(Shows(Decode(k101, 1, {0x10, 0x5B, 0x01, 0x5C, 0x16}, kAllOne),
                    "<- C=5Bh:PRM=1,FCB=0,FCV=1,Fn=11=ЗапрДаннКл2 A=01h=1", 111));
}

TEST(Iec101, FixedFrameFromStationWithTwoOctetAddress) {
  EXPECT_TRUE(Shows(Decode(k101, 0, {0x10, 0x0B, 0x34, 0x12, 0x49, 0x16}, 0x56),
                    "-> C=0Bh:PRM=0,ACD=0,DFC=0,Fn=11=СостКанала  A=1234h=4660", 47));
}

TEST(Iec101, FieldLengthErrorsInOrder) {
  EXPECT_EQ(Decode(k101, 1, {0x10}, 0x00).text,
            "   Длина Адресного поля канального уровня=0-ошибка, должна быть 1 или 2");
  EXPECT_EQ(Decode(k101, 1, {0x10}, 0x03).text,
            "   Длина Адресного поля канального уровня=3-ошибка, должна быть 1 или 2");
  EXPECT_EQ(Decode(k101, 1, {0x10}, 0x31).text, "   Длина поля Причина передачи=0-ошибка, должна быть 1 или 2");
  EXPECT_EQ(Decode(k101, 1, {0x10}, 0x35).text, "   Длина поля Общий адрес ASDU=3-ошибка, должна быть 1 или 2");
  EXPECT_TRUE(Shows(Decode(k101, 1, {0x10}, 0x15),
                    "   Длина поля Адрес объекта информации=0-ошибка, должна быть 1 или 2 или 3", 79));
}

TEST(Iec101, SingleCharacters) {
  EXPECT_TRUE(Shows(Decode(k101, 0, {0xE5}, kAllOne), "   E5h-Подтверждение", 47));
  EXPECT_TRUE(Shows(Decode(k101, 0, {0xE5, 0xE5}, kAllOne), "   E5h-Подтверждение Длина=2-ошибка, должна быть 1", 47));
  EXPECT_TRUE(Shows(Decode(k101, 1, {0xA2}, kAllOne), "   A2h-Неподтверждение", 79));
  EXPECT_TRUE(Shows(Decode(k101, 1, {0x11, 0x22}, kAllOne),
                    "   Start=11h-ошибка, должен быть E5h или A2h или 10h или 68h", 79));
}

TEST(Iec101, SequenceReadsTheAddressOnce) {
  const TBytes asdu = {1, 0x83, 0x14, 0x01, 100, 0x01, 0x00, 0x01};
  EXPECT_TRUE(Shows(
      Decode(k101, 0, Variable101(0x08, 0x01, asdu), kAllOne),
      "-> C=08h:PRM=0,ACD=0,DFC=0,Fn=08=ПользовДанн A=01h=1\r\n"
      "   Тип=1=ОдноэлИнфоБезВр VSQ=83h:SQ=1=Послед,Сч=3 COT=14h:Tst=0,P/N=0,Прич=20=ОтвОпрСтанц АдрASDU=01h=1\r\n"
      "   A=64h=100,SIQ=1 A=65h=101,SIQ=0 A=66h=102,SIQ=1",
      31));
}

TEST(Iec101, NewLineAfterEightObjectsOnly) {
  TBytes asdu = {1, 10, 0x03, 0x01};
  for (uint8_t i = 1; i <= 10; ++i) asdu.insert(asdu.end(), {i, uint8_t(i & 1)});
  const TDecoded d = Decode(k101, 0, Variable101(0x08, 0x01, asdu), kAllOne);
  const std::string objects = d.text.substr(d.text.rfind("АдрASDU"));
  EXPECT_EQ(objects,
            "АдрASDU=01h=1\r\n"
            "   A=01h=1,SIQ=1 A=02h=2,SIQ=0 A=03h=3,SIQ=1 A=04h=4,SIQ=0 A=05h=5,SIQ=1 A=06h=6,SIQ=0"
            " A=07h=7,SIQ=1 A=08h=8,SIQ=0\r\n"
            "   A=09h=9,SIQ=1 A=0Ah=10,SIQ=0");
}

TEST(Iec101, TwoOctetCauseAndCommonAddressWithCommands) {
  // Link address 1 octet; cause, common address and object address 2 octets each.
  const uint8_t param = 1 | 2 << 2 | 2 << 4 | 2 << 6;
  const TBytes asdu = {45, 0x01, 0x46, 0x40, 0x02, 0x01, 0x34, 0x12, 0x81};
  EXPECT_TRUE(Shows(Decode(k101, 1, Variable101(0x73, 0x05, asdu), param),
                    "<- C=73h:PRM=1,FCB=1,FCV=1,Fn=03=ПользовДанн A=05h=5\r\n"
                    "   Тип=45=ОднопозКоманда VSQ=01h:SQ=0=Одиноч,Сч=1 COT=4046h:Tst=0,P/N=1,Прич=6=Активация    "
                    "АдрASDU=0102h=258\r\n"
                    "   A=1234h=4660,SCO=81h:S/E=1=ПредвВыбор,SCS=1=Включить",
                    79));
}

TEST(Iec104, UFrameAndBadStarts) {
  EXPECT_TRUE(
      Shows(Decode(k104, 0, {0x68, 0x04, 0x43, 0x00, 0x00, 0x00}), "-> Start=68h APDULen=4  UFrame TESTFR_act", 113));
  EXPECT_TRUE(Shows(Decode(k104, 1, {0x68, 0xFF}), "<- Start=68h APDULen=255-ошибка", 79));
  EXPECT_TRUE(Shows(Decode(k104, 1, {0x69}), "<- Start=69h-ошибка", 79));
  EXPECT_TRUE(
      Shows(Decode(k104, 1, {0x68, 0x04, 0x01, 0x00, 0x0A, 0x00}), "<- Start=68h APDULen=4  SFrame NRecv=5", 113));
}

TEST(Iec104, IFrameWithFloatAndQuality) {
  const TBytes frame = {0x68, 18,   0x04, 0x00, 0x06, 0x00, 13,   0x01, 0x03, 0x00,
                        0x01, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0xC0, 0x3F, 0x81};
  EXPECT_TRUE(Shows(Decode(k104, 0, frame),
                    "-> Start=68h APDULen=18 IFrame NSend=2 NRecv=3\r\n"
                    "   Тип=13=ИзмерПлавЗапят VSQ=01h:SQ=0=Одиноч,Сч=1 COT=0003h:Tst=0,P/N=0,Прич=3=Спорадически "
                    "АдрASDU=0001h=1\r\n"
                    "   A=000001h=1,Val=1.5,QDS=81h:IvOv",
                    48));
}

TEST(Iec104, TimeTagsInterrogationAndUnknownTypes) {
  // Type 30 with a 7-octet time (invalid flag set), type 100 and an unknown type.
  TBytes frame = {0x68, 0,    0,    0,    0,    0,    30,   0x01, 0x05, 0,    0x01, 0,
                  0x10, 0x00, 0x00, 0x01, 0x39, 0x30, 0x85, 0x0C, 0x09, 0x03, 0x17};
  frame[1] = uint8_t(frame.size() - 2);
  const std::string timed = Decode(k104, 0, frame).text;
  EXPECT_EQ(timed.substr(timed.rfind("\r\n")), "\r\n   A=000010h=16,SIQ=1,T=2023.03.09_12:05:12.345_IV=1");
  TBytes gi = {0x68, 14, 0, 0, 0, 0, 100, 0x01, 0x06, 0, 0x01, 0, 0, 0, 0, 20};
  TDecoded d = Decode(k104, 1, gi);
  EXPECT_EQ(d.text.substr(d.text.rfind("\r\n")), "\r\n   A=000000h=0,QOI=20=ОпросСтанции");
  EXPECT_EQ(d.colour, 46);
  gi[15] = 27;
  d = Decode(k104, 1, gi);
  EXPECT_EQ(d.text.substr(d.text.rfind("QOI")), "QOI=27=ОпросГруппы7");
  TBytes other = {0x68, 14, 0, 0, 0, 0, 9, 0x01, 0x03, 0, 0x01, 0, 7, 0, 0, 0};
  d = Decode(k104, 0, other);
  EXPECT_EQ(d.text.substr(d.text.rfind("\r\n")), "\r\n   A=000007h=7,ОбъектТипа9...");
  EXPECT_EQ(d.colour, 31);
}

TEST(Iec104, CauseNamesOfNumberedRanges) {
  auto cause = [](uint8_t c) {
    const TDecoded d = Decode(k104, 0, {0x68, 14, 0, 0, 0, 0, 102, 0x01, c, 0, 1, 0, 0, 0, 0});
    const size_t at = d.text.find("Прич=");
    return d.text.substr(at, d.text.find(' ', at) - at);
  };
  EXPECT_EQ(cause(21), "Прич=21=ОтвОпросГр1");
  EXPECT_EQ(cause(29), "Прич=29=ОтвОпросГр9");
  EXPECT_EQ(cause(30), "Прич=30=ОтвОпросГ10");
  EXPECT_EQ(cause(36), "Прич=36=ОтвОпросГ16");
  EXPECT_EQ(cause(41), "Прич=41=ОтвЗпрГрСч4");
  EXPECT_EQ(cause(0x80 | 47), "Прич=47=?АдрОбъекта");
  EXPECT_EQ(cause(63), "Прич=63=ЧастнДиапаз");
}

TEST(ApciPrivate, SequenceNumbersOnlyAndPrivateHead) {
  EXPECT_TRUE(
      Shows(Decode(kPrivate, 0, {0x68, 0x04, 0x02, 0x00, 0x04, 0x00}), "-> Start=68h APDULen=4 NSend=1 NRecv=2", 113));
  EXPECT_TRUE(Shows(Decode(kPrivate, 0, {0x68, 10, 0x03, 0x00, 0x00, 0x00, 2, 0x10, 0x00, 0x20, 0x00, 0}),
                    "-> Start=68h APDULen=10 NSend=1 NRecv=0", 113));
  EXPECT_TRUE(Shows(Decode(kPrivate, 1, {0x68, 25,   0,    0, 0,    0, 2, 0x10, 0x00, 0x20, 0x00, 9,
                                         104,  0x01, 0x06, 0, 0x01, 0, 1, 0,    0,    0xAA, 0x55}),
                    "<- Start=68h APDULen=25 NSend=0 NRecv=0 Refs=2 Num=16 Mom=32 Len=9\r\n"
                    "   Тип=104=КомандаТестир VSQ=01h:SQ=0=Одиноч,Сч=1 COT=0006h:Tst=0,P/N=0,Прич=6=Активация    "
                    "АдрASDU=0001h=1\r\n"
                    "   A=000001h=1,FBP=55AAh",
                    81));
}

TEST(IecTruncation, ObjectsBeyondTheFrameEndWithMarker) {
  // Count 3 announced, one object carried.
  const TDecoded d = Decode(k104, 0, {0x68, 14, 0, 0, 0, 0, 1, 0x03, 0x03, 0, 1, 0, 5, 0, 0, 1});
  EXPECT_EQ(d.text.substr(d.text.rfind("\r\n")), "\r\n   A=000005h=5,SIQ=1 ...обрыв");
  EXPECT_EQ(d.colour, 79);
}

}  // namespace
}  // namespace vlm::test
