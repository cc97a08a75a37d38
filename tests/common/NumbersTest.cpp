#include <gtest/gtest.h>

#include "common/Numbers.h"

using namespace vlm;

namespace {
using R = std::array<uint8_t, 6>;
double FromReal(const R& r) { return Real48ToDouble(std::span<const uint8_t, 6>(r)); }
}  // namespace

TEST(Real48, GoldenBytes) {
  const struct { double value; R bytes; } cases[] = {
      {0.0, {0, 0, 0, 0, 0, 0}},
      {1.0, {0x81, 0, 0, 0, 0, 0}},
      {2.5, {0x82, 0, 0, 0, 0, 0x20}},
      {-3.75, {0x82, 0, 0, 0, 0, 0xF0}},
      {1e-5, {0x70, 0x1B, 0x47, 0xAC, 0xC5, 0x27}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DoubleToReal48(c.value), c.bytes) << c.value;
    EXPECT_NEAR(FromReal(c.bytes), c.value, 1e-16) << c.value;
  }
}

TEST(Real48, ZeroExponentIsZeroWhateverTheMantissa) {
  EXPECT_EQ(FromReal({0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}), 0.0);
  EXPECT_EQ(DoubleToReal48(1e-60), (R{}));  // below the smallest Real48
  EXPECT_EQ(DoubleToReal48(1e300)[0], 255);
}

TEST(Single, LittleEndianIeee) {
  const std::array<uint8_t, 4> one = {0x00, 0x00, 0x80, 0x3F};
  EXPECT_EQ(SingleToBytes(1.0f), one);
  EXPECT_EQ(SingleFromBytes(std::span<const uint8_t, 4>(one)), 1.0f);
  uint8_t buf[4];
  PutU32(buf, 0x12345678);
  EXPECT_EQ(buf[0], 0x78);
  EXPECT_EQ(GetU16(buf), 0x5678);
  EXPECT_EQ(GetU32(buf), 0x12345678u);
}
