// Every decoder on every prefix of real frames: the text may end early with the marker, but
// nothing past L may change it (bytes beyond L are filled two ways and must not matter).
#include <gtest/gtest.h>

#include "DecoderTestUtil.h"

namespace vlm::test {
namespace {

struct TSample {
  uint8_t protocol;
  uint8_t direction;
  TBytes bytes;
  uint8_t param;
};

std::vector<TSample> Samples() {
  const TBytes iFrame = {0x68, 25, 0, 0, 0, 0, 36, 0x01, 0x03, 0, 0x01, 0, 1, 0, 0, 0, 0, 0xC0, 0x3F, 0x00,
                         0x39, 0x30, 0x05, 0x0C, 0x09, 0x03, 0x17};
  return {
      {0x02, 0, SiriusFrame({0x05, 0x90, 0x03, 0x5A}), 0},
      {0x04, 0, SiriusFrame({0x05, 0x90, 0x03, 0x5A, 0x0A, 0x00}), 0},
      {0x04, 0, SiriusFrame({0x05, 0xF0, 0x01, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 0, 0}), 0},
      {0x02, 0, SiriusFrame({0x05, 0x0A, 0x01, 0, 0, 0x81, 0, 0, 0xA0, 0x82, 0}), 0},
      {0x02, 0, SiriusFrame({0x05, 0x7D, 0x90, 0x02, 0x11, 0x22}), 0},
      {0x02, 0, SiriusFrame({0x05, 0x47, 0xC0, 0xF1, 0xF4}), 0},
      {0x42, 0, {0x00, 0x05, 0x49, 0x90, 0x03, 0x5A, 0x10, 0x01, 0x34, 0x12, 0xFF, 0xFF}, 0},
      {0x02, 1, SiriusFrame({0x05, 0x44, 0x90, 0x02, 0x80, 0x01, 0x11, 0x22}), 0},
      {0x02, 1, SiriusFrame({0x05, 0x31, 1, 2, 3, 4, 5, 6}), 0},
      {0xC2, 1, {0x00, 0x05, 0xFE, 0x03, 0x00, 0x00}, 0},
      {8, 1, {0x10, 0x5B, 0x01, 0x5C, 0x16}, 0x55},
      {8, 0, {0x68, 9, 9, 0x68, 0x08, 0x01, 46, 0x01, 0x07, 0x01, 0x10, 0x82, 0x99, 0x16}, 0x55},
      {12, 0, WithCrc({0xA5, 0x02, 1, 0, 2, 0, 3, 0, 4, 0, 5, 0, 6, 0, 7, 0, 8, 0}), 0},
      {12, 0, WithCrc({0xA5, 0xC0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}), 0},
      {12, 1, {0x33, 0x05, 0x8B, 0x11, 0x22, 0x05, 0x8B}, 0},
      {12, 1, {0x44, 0x00, 0x00, 0x01, 0x00, 0x07}, 0},
      {13, 0, {0x38, 0x01, 0x01, 0x38, 0x0C, 0x25}, 0},
      {14, 0, iFrame, 0},
      {14, 1, {0x68, 0x04, 0x43, 0x00, 0x00, 0x00}, 0},
      {32, 0, {0x10, 1, 2, 3, 4, 5, 6, 7, 8}, 0},
      {32, 0, {0x6B, 0xA5}, 0},
      {35, 1, {0x01, 0x03, 0x00, 0x10, 0x00, 0x02, 0xC5, 0xCE}, 0},
      {35, 0, WithCrc({0x01, 0x03, 0x04, 0x00, 0x0A, 0x00, 0x0B}), 0},
      {35, 0, WithCrc({0x01, 0x01, 0x02, 0xCD, 0x01}), 0},
      {36, 0, {0x07, 0x25, 0xF1, 0x07, 0x80, 0x01, 0xAA, 0x55, 0x9D}, 0},
      {36, 0, {0x0B, 0x05, 0x33, 0x01, 0x02, 1, 2, 3, 4, 5, 6, 7, 8, 0x00}, 0},
      {37, 0, {0x68, 25, 0, 0, 0, 0, 2, 0x10, 0x00, 0x20, 0x00, 9, 104, 0x01, 0x06, 0, 0x01, 0, 1, 0, 0, 0xAA, 0x55}, 0},
  };
}

TEST(Truncation, PrefixesNeverReadPastL) {
  for (const TSample& sample : Samples()) {
    for (size_t l = 0; l <= sample.bytes.size(); ++l) {
      const TBytes prefix(sample.bytes.begin(), sample.bytes.begin() + long(l));
      const TDecoded zeros = Decode(sample.protocol, sample.direction, prefix, sample.param, nullptr, 0, 0x00);
      const TDecoded ones = Decode(sample.protocol, sample.direction, prefix, sample.param, nullptr, 0, 0xFF);
      ASSERT_EQ(zeros.text, ones.text) << "protocol " << int(sample.protocol) << " L=" << l;
      ASSERT_EQ(zeros.colour, ones.colour) << "protocol " << int(sample.protocol) << " L=" << l;
    }
  }
}

TEST(Truncation, FullSamplesDecodeWithoutMarker) {
  for (const TSample& sample : Samples()) {
    const TDecoded d = Decode(sample.protocol, sample.direction, sample.bytes, sample.param);
    EXPECT_EQ(d.text.find(kTruncatedMark), std::string::npos) << int(sample.protocol) << ": " << d.text;
    EXPECT_FALSE(d.text.empty()) << int(sample.protocol);
  }
}

TEST(Truncation, CutFramesShowTheMarker) {
  EXPECT_EQ(Decode(8, 0, {0x68, 9, 9, 0x68, 0x08}, 0x55).text,
            "-> C=08h:PRM=0,ACD=0,DFC=0,Fn=08=ПользовДанн ...обрыв");
  EXPECT_EQ(Decode(14, 0, {0x68, 4, 0x00}).text, "-> Start=68h APDULen=4 ...обрыв");
  EXPECT_EQ(Decode(32, 0, {0x10, 1, 2}).text, "->ТИ Гр1 1:001 (01h) 2:002 (02h) ...обрыв");
  EXPECT_EQ(Decode(12, 1, {0x44, 0x00}).colour, 79);
  EXPECT_EQ(Decode(35, 0, {}).text, "-> ...обрыв");
}

TEST(Dispatch, CodesWithoutDecoderAndInvalidDirections) {
  EXPECT_FALSE(HasDecoder(20));
  EXPECT_TRUE(HasDecoder(0x42 & 0x3F));
  EXPECT_EQ(Decode(20, 0, {1, 2, 3}).text, "");
  EXPECT_EQ(Decode(14, 2, {0x68, 0x04, 0x43, 0, 0, 0}).text, "");
  // Bits 6-7 of the protocol byte do not change the decoder.
  EXPECT_EQ(Decode(0x80 | 14, 0, {0x68, 0x04, 0x43, 0, 0, 0}).text, "-> Start=68h APDULen=4  UFrame TESTFR_act");
}

}  // namespace
}  // namespace vlm::test
