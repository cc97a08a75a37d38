// Hex pairs of the black-box text lines and the debug view.
#include <gtest/gtest.h>

#include "common/HexText.h"

namespace vlm {
namespace {

using Bytes = std::vector<uint8_t>;

TEST(HexPairs, BytesSeparatorsAndErrors) {
  EXPECT_EQ(*ParseHexPairs("01 02 0A"), (Bytes{1, 2, 10}));
  EXPECT_EQ(*ParseHexPairs("0102,0A;FF"), (Bytes{1, 2, 10, 255}));
  EXPECT_EQ(*ParseHexPairs("ff 01"), (Bytes{255, 1}));
  EXPECT_EQ(*ParseHexPairs("01;ff"), (Bytes{1}));  // lower-case letters after a byte are skipped as text
  EXPECT_EQ(*ParseHexPairs("01 zz 02"), (Bytes{1, 2}));  // everything up to the next digit is skipped
  EXPECT_TRUE(ParseHexPairs("")->empty());
  EXPECT_FALSE(ParseHexPairs("0G 01"));
  EXPECT_FALSE(ParseHexPairs(" 01"));
  EXPECT_FALSE(ParseHexPairs("01 2"));
  EXPECT_FALSE(ParseHexPairs("01 02 03", 2));
  EXPECT_EQ(ParseHexPairs("01 02", 2)->size(), 2u);
}

}  // namespace
}  // namespace vlm
