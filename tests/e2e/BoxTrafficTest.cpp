// The simulator's recorded traffic judged by the program's own decoders: every frame without a
// planted fault decodes without an error remark; a spoilt check character is found.
#include <gtest/gtest.h>

#include "blackbox/BoxDecoder.h"
#include "sim/SimRecorders.h"

namespace vlm::e2e {
namespace {

// Remarks of the decoders on a broken frame (a Modbus exception's "?UnKnown?" function name is
// what the decoder prints for any function above 24, not a fault).
bool HasErrorRemark(const std::string& text) {
  for (const char* remark : {"ошибка", "Ошибка", "Oшибка", "Ошиб.", "обрыв", "?????"})
    if (text.find(remark) != std::string::npos) return true;
  return false;
}

TEST(SimTraffic, EveryProtocolDecodesCleanlyAndSpoiltChecksAreFound) {
  std::map<uint8_t, size_t> clean, spoilt, found;
  for (size_t ring = 0; ring < sim::RecorderPorts().size(); ++ring) {
    sim::TrafficGenerator traffic = sim::RingTraffic(ring, 7);
    TDecoderState state;
    for (int i = 0; i < 3000; ++i) {
      const sim::SimFrame frame = traffic.Next();
      ASSERT_LE(frame.bytes.size(), kBoxMaxData);
      TBoxRecord record;
      record.protocol = frame.protocol;
      record.direction = frame.direction;
      record.error = frame.error;
      record.param = frame.param;
      std::copy(frame.bytes.begin(), frame.bytes.end(), record.data.begin());
      const TDecoded decoded = DecodeRecord(record, frame.bytes.size(), 45000.0, state);
      const uint8_t code = record.Code();
      if (frame.fault == sim::SimFrame::kNone || frame.fault == sim::SimFrame::kLineError) {
        ++clean[code];
        EXPECT_FALSE(HasErrorRemark(decoded.text)) << int(code) << " dir " << int(frame.direction) << ": "
                                                   << decoded.text;
        EXPECT_FALSE(decoded.text.empty() && code != 13) << int(code);
      } else if (frame.fault == sim::SimFrame::kBadCheck) {
        ++spoilt[code];
        found[code] += HasErrorRemark(decoded.text);
      }
    }
  }
  for (const uint8_t code : {2, 4, 8, 12, 13, 14, 32, 35, 36, 37}) EXPECT_GT(clean[code], 100u) << int(code);
  // Checks the decoders examine: Modbus and MKT3 CRC (MKT3 from the controlled station only),
  // the lamp-board sum, SIRIUS check octet.
  for (const uint8_t code : {35, 36, 2}) {
    EXPECT_GT(spoilt[code], 5u) << int(code);
    EXPECT_EQ(found[code], spoilt[code]) << int(code);
  }
}

}  // namespace
}  // namespace vlm::e2e
