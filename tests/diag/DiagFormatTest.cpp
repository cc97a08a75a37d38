// Name/format strings, field formatting and the value text of every kind.
#include <gtest/gtest.h>

#include <cmath>

#include "common/Format.h"
#include "diag/DiagFormat.h"
#include "diag/DiagKinds.h"

namespace vlm {
namespace {

using Bytes = std::vector<uint8_t>;

std::string Show(std::string_view format, const Bytes& data) {
  const TNameFormat f = ParseNameFormat(format);
  return FormatFields(f.Fields, f.EnumTexts, data);
}

std::string KindText(uint8_t kind, const Bytes& data) {
  const TDiagKind* k = FindDiagKind(kind);
  return k ? k->Text(data) : UnknownKindText(kind);
}

TEST(NameFormat, PartsFieldsAndEnumerations) {
  const TNameFormat plain = ParseNameFormat("Просто имя");
  EXPECT_EQ(plain.Name, "Просто имя");
  EXPECT_TRUE(plain.Fields.empty());
  EXPECT_TRUE(plain.Complete);

  const TNameFormat half = ParseNameFormat("Имя;2");
  EXPECT_EQ(half.Name, "Имя отсутстует второй разделитель \";\"");
  EXPECT_TRUE(half.Fields.empty());
  EXPECT_FALSE(half.Complete);

  const TNameFormat date = ParseNameFormat("Дата;112;%.2d.%.2d.%d г.");
  EXPECT_EQ(date.Name, "Дата");
  ASSERT_EQ(date.Fields.size(), 3u);
  EXPECT_EQ(date.Fields[0].FormatText, "%.2d");
  EXPECT_EQ(date.Fields[1].FormatText, ".%.2d");
  EXPECT_EQ(date.Fields[2].FormatText, ".%d г.");  // the rest goes to the last field
  EXPECT_EQ(date.DataLength, 4);

  const TNameFormat mode = ParseNameFormat("Режим;1;%d;стоп;пуск");
  EXPECT_EQ(mode.EnumTexts, (std::vector<std::string>{"стоп", "пуск"}));

  // Lengths of many fields add up as the controller's byte does, but the fields never read past
  // the bytes that were read.
  const TNameFormat wide = ParseNameFormat("Много;" + std::string(29, '9') + ";" + std::string(29 * 2, 'x'));
  EXPECT_EQ(wide.DataLength, uint8_t(29 * 9));
  EXPECT_EQ(wide.DataBytes, 29u * 9);
}

TEST(FormatFields, DocumentedEdgeCases) {
  // Напряжение: 16-bit data shown unsigned over the whole range.
  EXPECT_EQ(Show("Напряжение;2;%d В", {0, 0}), "0 В");
  EXPECT_EQ(Show("Напряжение;2;%d В", {0x39, 0x30}), "12345 В");
  EXPECT_EQ(Show("Напряжение;2;%d В", {0xFF, 0xFF}), "65535 В");
  // Режим with its enumeration, and an index past it.
  EXPECT_EQ(Show("Режим;1;%d;стоп;пуск", {1}), "1 (пуск)");
  EXPECT_EQ(Show("Режим;1;%d;стоп;пуск", {5}), "5 (???)");
  // e with two bytes: neither a single nor a Real48.
  EXPECT_EQ(Show("Ток;2;%e", {1, 2}), " [!Ошибка!ФорматныйСимвол:e ДлинаДанных:2]");
}

TEST(FormatFields, EveryLetter) {
  EXPECT_EQ(Show("x;1;%b", {0x81}), "10000001");
  EXPECT_EQ(Show("x;2;%.4x", {0xCD, 0xAB}), "ABCD");
  EXPECT_EQ(Show("x;4;%u", {0xFF, 0xFF, 0xFF, 0xFF}), "4294967295");
  EXPECT_EQ(Show("x;4;%.1f A", {0x00, 0x00, 0xC8, 0x42}), "100.0 A");            // IEEE single 100
  EXPECT_EQ(Show("x;6;%.2f", {0x81, 0, 0, 0, 0, 0xC0}), "-1.50");                // Real48 -1.5
  EXPECT_EQ(Show("x;1;[%s]", {'A'}), "[A]");
  EXPECT_EQ(Show("x;5;[%s]", {3, 'a', 'b', 'c', 'z'}), "[abc]");
  EXPECT_EQ(Show("x;5;[%s]", {200, 'a', 'b', 'c', 'z'}), "[abcz]");              // length byte past the field
  EXPECT_EQ(Show("x;1;%p", {1}), " [!Ошибка!ФорматныйСимвол:p ДлинаДанных:1]");
  EXPECT_EQ(Show("x;1;no letter", {1}), " [!Ошибка!ФорматныйСимвол: ДлинаДанных:1]");
  // A format the routine cannot take is the controller's fault: an error text, no exception.
  EXPECT_EQ(Show("x;1;%d%d", {1}), " [!Ошибка!ФорматныйСимвол:d ДлинаДанных:1]");
  EXPECT_EQ(Show("x;11;%d:\t%d", {1, 2}), "1:      2");
}

TEST(FormatFields, FieldsPastTheDataAreErrors) {
  const TNameFormat wide = ParseNameFormat("Много;" + std::string(29, '9') + ";" + std::string(29, 'x') + "%d");
  const Bytes data(wide.DataLength);  // what a read of DataLength bytes gives
  EXPECT_NE(FormatFields(wide.Fields, wide.EnumTexts, data).find("[!Ошибка!"), std::string::npos);
}

TEST(ExpandTabs, ColumnsOfEightAndTheLimit) {
  EXPECT_EQ(ExpandTabs("ab\tc"), "ab      c");
  EXPECT_EQ(ExpandTabs("Ток\t1"), "Ток     1");
  EXPECT_EQ(ExpandTabs(std::string(300, 'x')).size(), 255u);
  const std::string cyr = ExpandTabs(std::string(300, 'a') + "\t");
  EXPECT_EQ(cyr.size(), 255u);
}

TEST(Kinds, EveryKindsText) {
  EXPECT_EQ(KindText(2, {200}), "200");
  EXPECT_EQ(KindText(3, {0}), "False");
  EXPECT_EQ(KindText(3, {7}), "True");
  EXPECT_EQ(KindText(4, {0xFE, 0xFF}), "65534");
  EXPECT_EQ(KindText(5, {0xFE, 0xFF}), "-2");
  EXPECT_EQ(KindText(6, {0xFE, 0xFF, 0xFF, 0xFF}), "-2");
  EXPECT_EQ(KindText(7, {0xFE, 0xFF, 0xFF, 0xFF}), "4294967294");
  // Real48: exponent 135 (2^6), fraction .5625 -> 100; exponent 0 -> 0; 1.5 and -1.5.
  EXPECT_EQ(KindText(8, {0x87, 0, 0, 0, 0, 0x48}), "100");
  EXPECT_EQ(KindText(8, {0x00, 1, 2, 3, 4, 5}), "0");
  EXPECT_EQ(KindText(8, {0x81, 0, 0, 0, 0, 0x40}), "1.5");
  EXPECT_EQ(KindText(8, {0x81, 0, 0, 0, 0, 0xC0}), "-1.5");
  // 0.2 = 2^-3 x 1.6 rounded to 39 fraction bits: the 15 digits show where Real48 ends.
  EXPECT_EQ(KindText(8, {0x7E, 0xCD, 0xCC, 0xCC, 0xCC, 0x4C}), FloatToStr(std::ldexp(1.0 + 0x4CCCCCCCCD / 549755813888.0, -3)));
  EXPECT_EQ(KindText(8, {0x7E, 0xCD, 0xCC, 0xCC, 0xCC, 0x4C}), "0.200000000000045");
  EXPECT_EQ(KindText(9, {0x8F, 0xE3, 0xE1, 0xAA}), "Пуск");  // DOS 866 bytes
  EXPECT_EQ(KindText(18, {0x01, 0x02, 0xA8, 0xC0}), "192.168.2.1");
  EXPECT_EQ(KindText(29, {0xC0, 0xA8, 0x02, 0x01}), "192.168.2.1");
  EXPECT_EQ(KindText(19, {0x05}), "00000101");
  EXPECT_EQ(KindText(21, {1}), "Есть");
  EXPECT_EQ(KindText(21, {0}), "Нет");
  EXPECT_EQ(KindText(22, {1}), "Вкл.");
  EXPECT_EQ(KindText(22, {0}), "Откл.");
  EXPECT_EQ(KindText(26, {0x00, 0x00, 0xC0, 0x3F}), "1.5");
  EXPECT_EQ(KindText(26, {0x00, 0x00, 0x20, 0xC1}), "-10");
  EXPECT_EQ(KindText(27, {0x0F}), "0F");
  EXPECT_EQ(KindText(28, {0x34, 0x12}), "1234");
  EXPECT_EQ(KindText(39, {0x78, 0x56, 0x34, 0x12}), "12345678");
  EXPECT_EQ(KindText(99, {}), "??? Kind=99");
  EXPECT_EQ(FindDiagKind(0)->Read, TKindRead::None);
  EXPECT_EQ(FindDiagKind(36)->Read, TKindRead::CharsAt);
}

TEST(Kinds, HexBlockMarksEveryTenthByte) {
  Bytes block(64);
  for (size_t i = 0; i < 64; ++i) block[i] = uint8_t(i);
  const std::string text = KindText(23, block);
  EXPECT_EQ(text.substr(0, 36), "00 01 02 03 04 05 06 07 08 09|0A 0B ");
  EXPECT_EQ(text.substr(text.size() - 12), "3C 3D 3E 3F ");
  EXPECT_EQ(std::count(text.begin(), text.end(), '|'), 6);
}

TEST(Kinds, QuotedCharsBlankControlCodes) {
  Bytes chars(32, ' ');
  chars[0] = 'O';
  chars[1] = 'K';
  chars[2] = 0x07;
  EXPECT_EQ(QuotedChars(chars), "\"OK" + std::string(30, ' ') + "\"");
}

}  // namespace
}  // namespace vlm
