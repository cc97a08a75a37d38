// Modbus RTU (35), MKT3 (12), Lisna (32) and TK RES (13) decoders.
#include <gtest/gtest.h>

#include <string>

#include "DecoderTestUtil.h"

namespace vlm::test {
namespace {

constexpr uint8_t kModbus = 35, kMkt3 = 12, kLisna = 32, kTkRes = 13;

TEST(Modbus, RequestThenResponseNumbersFromTheRequestAddress) {
  TDecoderState state;
  EXPECT_TRUE(Shows(Decode(kModbus, 1, {0x01, 0x03, 0x00, 0x10, 0x00, 0x02, 0xC5, 0xCE}, 0, &state),
                    "<- КП=1 Фн=03(ReadHoldR) Адр=16(0010h) Счт=2(0002h) CRC=0000h=OK", 113));
  EXPECT_TRUE(Shows(Decode(kModbus, 0, WithCrc({0x01, 0x03, 0x04, 0x00, 0x0A, 0x00, 0x0B}), 0, &state),
                    "-> КП=1 Фн=03(ReadHoldR) Регистров=2 RegisterValue= 17:000Ah 18:000Bh CRC=0000h=OK", 113));
  // Another stream keeps its own request address.
  TDecoderState other;
  EXPECT_EQ(Decode(kModbus, 0, WithCrc({0x01, 0x04, 0x02, 0x12, 0x34}), 0, &other).text,
            "-> КП=1 Фн=04(ReadInptR) Регистров=1 InputRegisters= 1:1234h CRC=0000h=OK");
}

TEST(Modbus, QuantityLimitsAndLengthRemarks) {
  EXPECT_EQ(Decode(kModbus, 1, WithCrc({0x01, 0x03, 0x00, 0x00, 0x00, 0x7E})).text,
            "<- КП=1 Фн=03(ReadHoldR) Адр=0(0000h) Счт=126(007Eh)Ошибка(>125) CRC=0000h=OK");
  EXPECT_EQ(Decode(kModbus, 1, WithCrc({0x11, 0x10, 0x00, 0x01, 0x00, 0x00})).text,
            "<- КП=17 Фн=16(WriteRegs) Адр=1(0001h) Счт=0(0000h)Ошибка(<1) CRC=0000h=OK");
  EXPECT_EQ(Decode(kModbus, 1, WithCrc({0x01, 0x06, 0x00, 0x02, 0x12, 0x34})).text,
            "<- КП=1 Фн=06(WriteReg ) Адр=2(0002h) CRC=0000h=OK");
  EXPECT_EQ(
      Decode(kModbus, 0, WithCrc({0x01, 0x03, 0x03, 0x00, 0x01, 0x02})).text,
      "-> КП=1 Фн=03(ReadHoldR) Oшибка:нечётная длина данных (3) Регистров=1 RegisterValue= 1:0001h CRC=0000h=OK");
  EXPECT_EQ(Decode(kModbus, 0, WithCrc({0x01, 0x03, 0x00})).text,
            "-> КП=1 Фн=03(ReadHoldR) Oшибка:нет данных (0) Регистров=0 RegisterValue= CRC=0000h=OK");
}

TEST(Modbus, ExceptionsAndNames) {
  EXPECT_EQ(Decode(kModbus, 0, WithCrc({0x01, 0x83, 0x02})).text,
            "-> КП=1 Фн=131(Бит ошибки=1)(?UnKnown?) Код исключения=2(DataAddr) CRC=0000h=OK");
  EXPECT_EQ(Decode(kModbus, 0, WithCrc({0x01, 0x83, 0x00})).text,
            "-> КП=1 Фн=131(Бит ошибки=1)(?UnKnown?) Код исключения=0(?UnKnown?) CRC=0000h=OK");
  EXPECT_NE(Decode(kModbus, 1, WithCrc({0x01, 0x41, 0x00, 0x00})).text.find("Фн=65(UserDefin)"), std::string::npos);
  EXPECT_NE(Decode(kModbus, 1, WithCrc({0x01, 0x19, 0x00, 0x00})).text.find("Фн=25(?UnKnown?)"), std::string::npos);
}

TEST(Modbus, CoilsNumberEightItemsPerOctet) {
  TDecoderState state;
  Decode(kModbus, 1, WithCrc({0x01, 0x01, 0x00, 0x13, 0x00, 0x0A}), 0, &state);
  EXPECT_EQ(Decode(kModbus, 0, WithCrc({0x01, 0x01, 0x02, 0xCD, 0x01}), 0, &state).text,
            "-> КП=1 Фн=01(ReadCoils) Байтов=2 CoilStatus= 27-20:11001101 35-28:00000001 CRC=0000h=OK");
}

TEST(Modbus, BadCrcAndShortFrames) {
  TDecoded d = Decode(kModbus, 1, {0x01, 0x03, 0x00, 0x10, 0x00, 0x02, 0xC5, 0xCF});
  char crc[8];
  std::snprintf(crc, sizeof crc, "%04X", ReferenceCrc16({0x01, 0x03, 0x00, 0x10, 0x00, 0x02, 0xC5, 0xCF}));
  EXPECT_EQ(d.text, std::string("<- КП=1 Фн=03(ReadHoldR) Адр=16(0010h) Счт=2(0002h) CRC=") + crc +
                        "h=Ошибка контрольной суммы");
  EXPECT_EQ(d.colour, 79);
  EXPECT_TRUE(Shows(Decode(kModbus, 0, WithCrc({0x01, 0x03, 0xC8, 0x00, 0x01})),
                    "-> КП=1 Фн=03(ReadHoldR) Регистров=100 RegisterValue= 1:0001h ...обрыв", 79));
}

TEST(Mkt3, FromKpChecksStartBitsThenCrc) {
  EXPECT_TRUE(Shows(Decode(kMkt3, 0, WithCrc({0x25, 0x02, 0x00, 0x00})), "-> Start=20h-ошибка стартовых битов", 79));
  TBytes bad = WithCrc({0xA5, 0x02});
  bad.back() ^= 1;
  char crc[8];
  std::snprintf(crc, sizeof crc, "%04X", ReferenceCrc16(bad));
  EXPECT_TRUE(Shows(Decode(kMkt3, 0, bad), std::string("-> CRC=") + crc + "h-ошибка контрольной суммы", 79));
}

TEST(Mkt3, Blocks) {
  EXPECT_TRUE(Shows(Decode(kMkt3, 0, WithCrc({0xA5, 0x02, 1, 0, 2, 0, 3, 0, 4, 0, 5, 0, 6, 0, 7, 0, 0xFF, 0xFF})),
                    "-> КП=5 Тип=02h:ТИ,Серия02 \r\n   16:1(0001h) 17:2(0002h) 18:3(0003h) 19:4(0004h) 20:5(0005h) "
                    "21:6(0006h) 22:7(0007h) 23:65535(FFFFh)  CRC=OK",
                    48));
  EXPECT_TRUE(Shows(Decode(kMkt3, 0, WithCrc({0xA1, 0x55, 0x78, 0x56, 0x34, 0x12, 0, 0, 0, 0, 0, 0, 0, 0})),
                    "-> КП=1 Тип=55h:Счётчики,Серия21 \r\n   63:305419896(12345678h)  CRC=OK", 49));
  // Telemetering series have no such limit: series 3Fh numbers 504..511.
  TBytes last = {0xA1, 0x3F};
  last.resize(18, 0);
  TDecoded d = Decode(kMkt3, 0, WithCrc(last));
  EXPECT_NE(d.text.find(" 504:0(0000h)"), std::string::npos) << d.text;
  EXPECT_TRUE(d.text.ends_with(" 511:0(0000h)  CRC=OK")) << d.text;
  d = Decode(kMkt3, 0, WithCrc({0xA1, 0x90, 0x80, 0x01, 0x00, 0x00}));
  EXPECT_EQ(d.text.substr(0, d.text.find(" 002:")), "-> КП=1 Тип=90h:ТС4\r\n   000:1 001:0");
  EXPECT_NE(d.text.find(" 007:0 (80h)  008:0"), std::string::npos);
  EXPECT_NE(d.text.find(" 015:1 (01h) \r\n   016:0"), std::string::npos);
  EXPECT_TRUE(d.text.ends_with(" 031:0 (00h)  CRC=OK")) << d.text;
  EXPECT_EQ(d.colour, 31);
  EXPECT_TRUE(Shows(Decode(kMkt3, 0, WithCrc({0xA1, 0x70})), "-> КП=1 Тип=70h-ошибка типа блока", 79));
}

TEST(Mkt3, CommandBlocks) {
  EXPECT_TRUE(Shows(Decode(kMkt3, 1, {0x33, 0x05, 0x8B, 0x11, 0x22, 0x05, 0x8B}),
                    "<- Тип=33h:ТУ КП=5 Код=8Bh:Отключить,Объект=1,Группа=3 11h 22h КП=5 Код=8Bh", 79));
  EXPECT_TRUE(
      Shows(Decode(kMkt3, 1, {0x44, 0x00, 0x00, 0x01, 0x00, 0x07}), "<- Тип=44h:Запрос Код=256(00000100h) КП=7", 96));
  EXPECT_TRUE(Shows(Decode(kMkt3, 1, {0x88}), "<- Тип=88h:Холостой блок", 113));
}

TEST(Lisna, FrameKinds) {
  EXPECT_TRUE(Shows(
      Decode(kLisna, 0, {0x10, 1, 2, 3, 4, 5, 6, 7, 200}),
      "->ТИ Гр1 1:001 (01h) 2:002 (02h) 3:003 (03h) 4:004 (04h) 5:005 (05h) 6:006 (06h) 7:007 (07h) 8:200 (C8h)", 48));
  EXPECT_TRUE(Shows(Decode(kLisna, 0, {0x6B, 0xA5}), "->ТС Гр28 10100101 (A5h) (Д1..Д8)", 31));
  EXPECT_TRUE(Shows(Decode(kLisna, 0, {0x18}), "->Маркер", 47));
  EXPECT_TRUE(Shows(Decode(kLisna, 0, {0x03}), "-> Start=03h-ошибка стартовых битов", 79));
  EXPECT_TRUE(Shows(Decode(kLisna, 1, {0x10, 1, 2}), "<-", 0));
}

const std::string kWordIndent(62, ' ');

TEST(TkRes, StatusWord) {
  EXPECT_TRUE(Shows(Decode(kTkRes, 0, {0x38, 0x01, 0x01}),
                    kWordIndent + "0101: Адрес_КП=   0 (D15_D11); Слово_сост_КП=1_00000001 (D8_D0) D0=1-Нов.инф.по ТС; "
                                  "D8=1-Журнал ПУМА;",
                    0));
}

TEST(TkRes, CommandsAnswersAndMissingWords) {
  EXPECT_EQ(Decode(kTkRes, 1, {0x00, 0x38, 0x08, 0x01, 0x38, 0xFC, 0x20}).text,
            kWordIndent + "0801: Адрес_КП=   1 (D15_D11); Команда=001h Запрос слова состояния КП     ;\r\n" +
                kWordIndent + "FC20: Адрес_КП=Всем (D15_D11); Команда=420h Запрос новой информации по ТС ;");
  EXPECT_EQ(Decode(kTkRes, 0, {0x38, 0x0C, 0x25}).text,
            kWordIndent +
                "0C25: Адрес_КП=   1 (D15_D11); Команда=420h Отв.на запрос новой инф. по ТС; Число_слов=5 (D4_D0);");
  EXPECT_EQ(Decode(kTkRes, 0, {0x01, 0x02, 0x03}).text, "");
  EXPECT_EQ(Decode(kTkRes, 0, {0x38, 0x01}).text, "");
  // A second mark without its two octets is left out.
  EXPECT_EQ(Decode(kTkRes, 0, {0x38, 0x01, 0x01, 0x38, 0x01}).text.find("\r\n"), std::string::npos);
}

}  // namespace
}  // namespace vlm::test
