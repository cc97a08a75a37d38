#include <gtest/gtest.h>

#include "common/Format.h"

using namespace vlm;

TEST(Format, IntegerConversions) {
  EXPECT_EQ(Format("p%3.3d|e%d|L%3d|", {7, 0, 12}), "p007|e0|L 12|");
  EXPECT_EQ(Format("t%6u|d%4d|", {123, -5}), "t   123|d  -5|");
  EXPECT_EQ(Format("%2.2xh %4.4X %x", {0xAB, 0x1F, 255}), "ABh 001F FF");
  EXPECT_EQ(Format("%x %u", {-1, -1}), "FFFFFFFF 4294967295");
  EXPECT_EQ(Format("%.3d", {-7}), "-007");
  EXPECT_EQ(Format("%-5d|%5s|%-5s|", {42, "ab", "cd"}), "42   |   ab|cd   |");
}

TEST(Format, StarsAndArgumentIndex) {
  EXPECT_EQ(Format("%*d", {4, 7}), "   7");
  EXPECT_EQ(Format("%.*d", {3, 7}), "007");
  EXPECT_EQ(Format("%1:s %0:s %s", {"a", "b"}), "b a b");
  EXPECT_EQ(Format("100%%", {}), "100%");
}

TEST(Format, BitConversion) {
  EXPECT_EQ(Format("%bb", {0x81}), "10000001b");
  EXPECT_EQ(Format("%.16b", {0x8001}), "1000000000000001");
  EXPECT_EQ(Format("%.32B", {1}), std::string(31, '0') + "1");
  EXPECT_EQ(Format("%.0b|%.33b", {3, 3}), "00000011|00000011");  // outside 1..32: 8 digits
  EXPECT_EQ(Format(" Д%d=%bb", {9, 0x5A}), " Д9=01011010b");
}

TEST(Format, StringsCountCharactersNotBytes) {
  EXPECT_EQ(Format("%.3s|%6s|", {"Порт5", "ТИ"}), "Пор|    ТИ|");
}

TEST(Format, FloatingPoint) {
  EXPECT_EQ(Format("%g", {2.5}), "2.5");
  EXPECT_EQ(Format("%g", {3.0}), "3");
  EXPECT_EQ(Format("%.2g", {123456789.123456789}), "1.2E008");
  EXPECT_EQ(Format("%.15g", {123456789.123456789}), "123456789.123457");
  EXPECT_EQ(Format("%g", {0.000001}), "1E-006");
  EXPECT_EQ(Format("%g", {0.00001}), "1E-005");
  EXPECT_EQ(Format("%g", {0.0001}), "0.0001");
  EXPECT_EQ(Format("%g", {1e15}), "1E015");
  EXPECT_EQ(Format("%g", {123456789012345.0}), "123456789012345");
  EXPECT_EQ(Format("%.8g", {-0.1}), "-0.1");
  EXPECT_EQ(Format("%.2f|%f", {3.14159, 2.0}), "3.14|2.00");
  EXPECT_EQ(Format("%e", {1.5}), "1.50000000000000E+000");
  EXPECT_EQ(Format("%n", {1234567.891}), "1 234 567.89");
  EXPECT_EQ(FloatToStr(1e-5), "1E-5");
  EXPECT_EQ(FloatToStr(1.2e8), "120000000");
  EXPECT_EQ(FloatToStr(1e20), "1E20");
}

TEST(Format, DecimalSeparatorIsTheUsersOne) {
  SetDecimalSeparator(',');
  EXPECT_EQ(Format("%g|%.1f", {2.5, 0.25}), "2,5|0,2");
  EXPECT_EQ(FloatToStr(-3.75), "-3,75");
  SetDecimalSeparator('.');
}

TEST(Format, MismatchesAreReportedNotUndefined) {
  EXPECT_THROW(Format("%d", {"text"}), EFormatError);
  EXPECT_THROW(Format("%d %d", {1}), EFormatError);
  EXPECT_THROW(Format("%q", {1}), EFormatError);
  EXPECT_THROW(Format("%5", {1}), EFormatError);
}
