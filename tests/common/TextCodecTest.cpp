#include <gtest/gtest.h>

#include "common/ShortString.h"
#include "common/TextCodec.h"

using namespace vlm;

namespace {
std::string Bytes(std::initializer_list<int> list) {
  std::string s;
  for (int b : list) s += static_cast<char>(b);
  return s;
}
}  // namespace

TEST(TextCodec, Cp1251RoundTripOfEveryByte) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  const std::string utf8 = Cp1251ToUtf8(all);
  EXPECT_TRUE(IsValidUtf8(utf8));
  EXPECT_EQ(Utf8ToCp1251(utf8), all);
}

TEST(TextCodec, Cp1251Letters) {
  EXPECT_EQ(Utf8ToCp1251("АЯая№Ёё"), Bytes({0xC0, 0xDF, 0xE0, 0xFF, 0xB9, 0xA8, 0xB8}));
  EXPECT_EQ(Cp1251ToUtf8(Bytes({0xCF, 0xEE, 0xF0, 0xF2, 0xB9})), "Порт№");
  EXPECT_EQ(Utf8ToCp1251("€ 中"), Bytes({0x88, ' ', '?'}));
}

TEST(TextCodec, WinToDosFollowsTheControllerTable) {
  // Cyrillic letters move, the Ukrainian and Belarusian letters go to F0..F7, the rest stays.
  EXPECT_EQ(WinToDos(Bytes({0xC0, 0xEF, 0xF0, 0xFF})), Bytes({0x80, 0xAF, 0xE0, 0xEF}));
  EXPECT_EQ(WinToDos(Bytes({0xA8, 0xB8, 0xAA, 0xBA, 0xAF, 0xBF, 0xA1, 0xA2})),
            Bytes({0xF0, 0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF7}));
  EXPECT_EQ(WinToDos(Bytes({0x41, 0x9F, 0xA0, 0xB9, 0xB0})), Bytes({0x41, 0x9F, 0xA0, 0xB9, 0xB0}));
  EXPECT_EQ(DosToWin(Bytes({0x80, 0xAF, 0xE0, 0xEF, 0xF0, 0xF7})), Bytes({0xC0, 0xEF, 0xF0, 0xFF, 0xA8, 0xA2}));
  EXPECT_EQ(DosToWin(Bytes({0xB0, 0xDF, 0xF8, 0xFF, 0x7F})), Bytes({0xB0, 0xDF, 0xF8, 0xFF, 0x7F}));
}

TEST(TextCodec, WinDosRoundTripForEveryMovedByte) {
  for (int b = 0; b < 256; ++b) {
    const std::string win(1, static_cast<char>(b));
    const std::string dos = WinToDos(win);
    // bytes that stay unchanged on the way in may collide with moved ones on the way out
    if (dos == win) continue;
    EXPECT_EQ(DosToWin(dos), win) << "byte " << b;
  }
  EXPECT_EQ(DosToUtf8(Utf8ToDos("Київ №5 Ёлка")), "Київ №5 Ёлка");
}

TEST(TextCodec, AnyToUtf8KeepsUtf8AndConvertsCp1251) {
  EXPECT_EQ(AnyToUtf8("Станция"), "Станция");
  EXPECT_EQ(AnyToUtf8(Utf8ToCp1251("Станция")), "Станция");
  EXPECT_FALSE(IsValidUtf8(Bytes({0xC0, 0x80})));  // overlong form
  EXPECT_FALSE(IsValidUtf8(Bytes({0xE0, 0xA0})));  // cut sequence
}

TEST(ShortString, LengthByteAndBounds) {
  EXPECT_EQ(MakeShortString("abc"), Bytes({3, 'a', 'b', 'c'}));
  EXPECT_EQ(MakeShortString(std::string(300, 'x')).size(), 256u);
  const std::vector<uint8_t> data = {2, 'o', 'k', 5, 'a'};
  size_t pos = 0;
  EXPECT_EQ(ReadShortString(data, pos), "ok");
  EXPECT_EQ(pos, 3u);
  EXPECT_FALSE(ReadShortString(data, pos).has_value());  // claims 5, carries 1
  EXPECT_EQ(pos, 3u);
  pos = data.size();
  EXPECT_FALSE(ReadShortString(data, pos).has_value());
}
