// SIRIUS (codes 2, 4) and lamp board (code 36) decoders.
#include <gtest/gtest.h>

#include "DecoderTestUtil.h"
#include "blackbox/SiriusTables.h"

namespace vlm::test {
namespace {

constexpr uint8_t kSirius2 = 0x02, kSirius4 = 0x04, kLamp = 36;

TEST(Sirius, TelesignalFrameWithChecks) {
  EXPECT_TRUE(Shows(Decode(kSirius2, 0, {0x05, 0x90, 0x03, 0x5A, 0x20, 0xAA}),
                    "-> КП=05 Ф=90h=ТС    Г=003 Д1_Д8=5Ah=01011010b К+С+", 31));
  EXPECT_TRUE(Shows(Decode(kSirius2, 0, {0x05, 0x90, 0x03, 0x5A, 0x20, 0x00}), "-> К+ Ошибка: КС=AAh b=00h", 4));
  EXPECT_TRUE(Shows(Decode(kSirius2, 0, {0x05, 0x90, 0x03, 0x5A, 0x21, 0xAA}), "-> Ошибка: БК<>20h b=21h", 4));
}

TEST(Sirius, KpMarksAndErrors) {
  EXPECT_EQ(Decode(kSirius2, 0, SiriusFrame({0x25, 0x90, 0x03, 0x5A})).text,
            "-> КП#05 Ф=90h=ТС    Г=003 Д1_Д8=5Ah=01011010b К+С+");
  const TDecoded zero = Decode(kSirius2, 0, SiriusFrame({0x20, 0x90, 0x03, 0x5A}));
  EXPECT_EQ(zero.text, "-> КП#00 К+С+ Ошибка: Номер КП = 0");
  EXPECT_EQ(zero.colour, 4);
  const TDecoded one = Decode(kSirius2, 0, {0x05});
  EXPECT_EQ(one.text, "-> Ошибка: L<2");
  EXPECT_EQ(one.colour, 4);
}

TEST(Sirius, ShortFrameIsNotChecked) {
  EXPECT_TRUE(Shows(Decode(kSirius2, 0, {0x05, 0x46, 0x00, 0x00}), "-> КП=05 Ф=46h=Квит ", 32));
}

TEST(Sirius, DirectionTablesDiffer) {
  EXPECT_TRUE(Shows(Decode(kSirius2, 1, SiriusFrame({0x05, 0x33, 0x01})), "<- КП=05 Ф=33h=УстАл К+С+", 111));
  EXPECT_TRUE(Shows(Decode(kSirius2, 1, SiriusFrame({0x05, 0x90, 0x03})), "<- КП=05 Ф=90h=ЗТС   Г=003 К+С+", 30));
  EXPECT_TRUE(Shows(Decode(kSirius2, 0, SiriusFrame({0x05, 0x70, 0x03})), "-> КП=05 Ф=70h=КвТУВ К+С+", 79));
  EXPECT_EQ(Decode(kSirius2, 1, SiriusFrame({0x05, 0x70, 0x03, 0xA5})).text,
            "<- КП=05 Ф=70h=ТУВкл Г=003 Д8_Д1=10100101b К+С+");
}

TEST(Sirius, GeneralTypeFramePartsOnOwnLines) {
  EXPECT_TRUE(Shows(Decode(0x42, 0, {0x00, 0x05, 0x49, 0x90, 0x03, 0x5A, 0x46, 0x01, 0xFF, 0xFF}),
                    "-> КП=05 Ф=49h=ОбщТ "
                    "\r\n         Ф=90h=ТС    Г=003 Д1_Д8=5Ah=01011010b"
                    "\r\n         Ф=46h=Квит ",
                    32));
}

TEST(Sirius, ThreeByteFloatsAndErrors) {
  EXPECT_TRUE(
      Shows(Decode(kSirius2, 0, SiriusFrame({0x05, 0x0A, 0x01, 0x00, 0x00, 0x81, 0x00, 0x00, 0xA0, 0x82, 0x00})),
            "-> КП=05 Ф=0Ah=ТИ_3б Г=001 Д1=00810000h=1 Д2=0082A000h=-2.5 К+С+", 49));
  EXPECT_TRUE(Shows(Decode(kSirius2, 0, SiriusFrame({0x05, 0x48, 0x02, 0x31})),
                    "-> КП=05 Ф=48h=Ошибк Код2=Несуществующий номер сигнала. АФ ошибки=31h К+С+", 111));
}

TEST(Sirius, Code4TelesignalEventTime) {
  const TDateTime time = EncodeDateTime({2024, 1, 2, 3, 4, 5, 600});
  EXPECT_EQ(Decode(kSirius4, 0, SiriusFrame({0x05, 0x90, 0x03, 0x5A, 0x0A, 0x00}), 0, nullptr, time).text,
            "-> КП=05 Ф=90h=ТС    Г=003 Д1_Д8=5Ah=01011010b Т=000Ah=10 (2024.01.02 03:04:04.600) К+С+");
}

TEST(Sirius, TelemeteringMaskAndSetClock) {
  EXPECT_EQ(Decode(kSirius2, 0, SiriusFrame({0x05, 0x20, 0x02, 0x41, 0x34, 0x12, 0x78, 0x56})).text,
            "-> КП=05 Ф=20h=ТИ    Г=002 П=01000001b Д2=1234h Д8=5678h К+С+");
  EXPECT_EQ(Decode(kSirius2, 1, SiriusFrame({0x05, 0x31, 0x10, 0x00, 0x00, 0x00, 0x03, 0x00})).text,
            "<- КП=05 Ф=31h=УстВр Сек=16 Дни=3 К+С+");
}

TEST(Sirius, FieldsMissingFromTheFrameEndWithMarker) {
  EXPECT_TRUE(Shows(Decode(0x42, 0, {0x00, 0x05, 0x48, 0x02}), "-> КП=05 Ф=48h=Ошибк ...обрыв", 4));
}

TEST(SiriusTables, BaseAndDirectionRows) {
  EXPECT_EQ(SiriusBaseFn(0x31).description, "Установка астрономического Bремени");
  EXPECT_EQ(SiriusBaseFn(0x00).name, "?????");
  EXPECT_EQ(SiriusBaseFn(0x00).colour, 4);
  EXPECT_EQ(SiriusBaseFn(0x56).kind, kSiriusKindDataBase);
  EXPECT_EQ(SiriusDirFn(0, 0x56).name, "КвОБД");
  EXPECT_EQ(SiriusDirFn(1, 0x56).name, "ОБД  ");
  EXPECT_EQ(SiriusDirFn(1, 0x50).colour, 47);
  EXPECT_EQ(SiriusDirFn(0, 0x50).colour, 46);
  EXPECT_EQ(SiriusModuleName(0xB4), "ВТИ-16(2Г)ВильнюсБиполярный");
  EXPECT_EQ(SiriusModuleName(0x00), "???");
}

TEST(LampBoard, ChecksReportButDecodingGoesOn) {
  EXPECT_TRUE(
      Shows(Decode(kLamp, 0, {0x03, 0x05, 0x48, 0x02, 0x4F}), "-> КП=05 Ф=48h=Ошибк Код=2=Неизв.н-р сигнала", 111));
  EXPECT_EQ(Decode(kLamp, 0, {0x04, 0x05, 0x48, 0x02, 0x4F}).text,
            "-> Ошиб.длины КП=05 Ф=48h=Ошибк Код=2=Неизв.н-р сигнала");
  EXPECT_EQ(Decode(kLamp, 1, {0x03, 0x05, 0x48, 0x02, 0x00}).text,
            "<- Ошиб.Контр.Суммы: sum=4Fh КС=00h КП=05 Ф=48h=Ошибк Код=2=Неизв.н-р сигнала");
}

TEST(LampBoard, SignalsModulesAndBlinking) {
  EXPECT_TRUE(Shows(Decode(kLamp, 0, {0x07, 0x25, 0xF1, 0x07, 0x80, 0x01, 0xAA, 0x55, 0x9D}),
                    "-> КП=05повт Ф=F1h=ТСКН  Г=7 П1_16=1000000000000001 ТC(Д8_Д1) Г7=AA Г22=55", 31));
  EXPECT_EQ(Decode(kLamp, 0, {0x05, 0x05, 0x47, 0xB7, 0xF1, 0xFF, 0xF3}).text,
            "-> КП=05 Ф=47h=Конфг Бс=B7h=БВС-7 Б1=F1h=ВДС-16(2Г) Б2=FFh=нет");
  EXPECT_TRUE(
      Shows(Decode(kLamp, 1, {0x02, 0x05, 0x34, 0x39}), "<- КП=05 Ф=34h=ОконП L=2-оконч.проверки ламп по ОРТАКСу", 4));
  EXPECT_EQ(Decode(kLamp, 1, {0x05, 0x05, 0x41, 0x03, 0x00, 0x00, 0x49}).text,
            "<- КП=05 Ф=41h=ОтМиг Г=3 L=5-отмена мигания по задан.группам П1_16=0000000000000000=Нет достов.групп");
}

TEST(LampBoard, LengthOctetBeyondTheFrame) {
  EXPECT_TRUE(Shows(Decode(kLamp, 0, {0x14, 0x05, 0xF0, 0x03, 0x11}),
                    "-> Ошиб.длины КП=05 Ф=F0h=ТСК   Г=3 ТC(Д8_Д1) Г3=11 ...обрыв", 79));
}

}  // namespace
}  // namespace vlm::test
