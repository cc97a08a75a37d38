// Frame checks against references worked bit by bit, and the 3-byte float.
#include <gtest/gtest.h>

#include <random>

#include "DecoderTestUtil.h"
#include "blackbox/Checksums.h"

namespace vlm::test {
namespace {

TEST(Crc16Modbus, KnownValuesAndReference) {
  const TBytes check = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
  EXPECT_EQ(Crc16Modbus(check), 0x4B37);  // the published check value of CRC-16/MODBUS
  EXPECT_EQ(Crc16Modbus(TBytes{0x01, 0x03, 0x00, 0x10, 0x00, 0x02}), 0xCEC5);
  EXPECT_EQ(Crc16Modbus(TBytes{0x01, 0x03, 0x00, 0x10, 0x00, 0x02, 0xC5, 0xCE}), 0);
  EXPECT_EQ(Crc16Modbus(TBytes{}), 0xFFFF);
  std::mt19937 random(7);
  for (int n = 0; n < 300; ++n) {
    TBytes frame(random() % 129);
    for (uint8_t& b : frame) b = uint8_t(random());
    ASSERT_EQ(Crc16Modbus(frame), ReferenceCrc16(frame)) << "length " << frame.size();
  }
}

TEST(SiriusCheck, KnownFrameAndReference) {
  EXPECT_EQ(SiriusCheckOctet(TBytes{0x05, 0x90, 0x03, 0x5A, 0x20, 0xAA}), 0xAA);
  EXPECT_EQ(ReferenceSiriusCheck({0x05, 0x90, 0x03, 0x5A, 0x20, 0xAA}), 0xAA);
  std::mt19937 random(11);
  for (int n = 0; n < 300; ++n) {
    TBytes frame(3 + random() % 126);
    for (uint8_t& b : frame) b = uint8_t(random());
    ASSERT_EQ(SiriusCheckOctet(frame), ReferenceSiriusCheck(frame)) << "length " << frame.size();
  }
}

TEST(SiriusFloat3, BitLayout) {
  EXPECT_EQ(SiriusFloat3(0x00810000), 1.0f);
  EXPECT_EQ(SiriusFloat3(0x0082A000), -2.5f);
  EXPECT_EQ(SiriusFloat3(0xFF810000), 1.0f);  // the fourth octet is not part of the value
  EXPECT_EQ(SiriusFloat3(0x00000000), 0.0f);  // no wrap of the exponent below zero
  EXPECT_EQ(SiriusFloat3(0x00017FFF), 0.0f);
  EXPECT_EQ(SiriusFloat3(0x00024000), 0x1p-127f);  // exponent field 2: the smallest, subnormal
}

}  // namespace
}  // namespace vlm::test
