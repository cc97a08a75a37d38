// Records as exported PDUs: the tags of each protocol, byte for byte.
#include <gtest/gtest.h>

#include "blackbox/BoxPcapExport.h"

namespace vlm::test {
namespace {

TParsedLine Parsed(uint8_t protocol, uint8_t direction, std::vector<uint8_t> data) {
  TParsedLine p;
  p.record.protocol = protocol;
  p.record.direction = direction;
  std::copy(data.begin(), data.end(), p.record.data.begin());
  p.length = data.size();
  return p;
}

std::string Tag(uint16_t tag, const std::string& padded) {
  return std::string{char(tag >> 8), char(tag), char(padded.size() >> 8), char(padded.size())} + padded;
}

TEST(PduExport, TagsNameTheDissectorOrTheTableAndKeepDirection) {
  const std::string out = Tag(35, std::string("\0\0\0\1", 4));
  const std::string in = Tag(35, std::string("\0\0\0\0", 4));
  const std::string end = Tag(0, "");
  EXPECT_EQ(ExportPduPacket(Parsed(35, 1, {0x01, 0x03}), 2),
            Tag(12, std::string("mbrtu\0\0\0", 8)) + out + Tag(36, std::string("№2 p035 e0 <ПУ\0\0", 20)) + end +
                "\x01\x03");
  EXPECT_EQ(ExportPduPacket(Parsed(14, 0, {0x68}), 1),
            Tag(14, "tcp.port") + Tag(32, std::string("\0\0\x09\x64", 4)) + in +
                Tag(36, "№1 p014 e0 -->") + end + "\x68");
  EXPECT_EQ(ExportPduPacket(Parsed(8, 0, {0xE5}), 1).substr(0, 20),
            Tag(14, "tcp.port") + Tag(32, std::string("\0\0\x09\x65", 4)));
  EXPECT_EQ(ExportPduPacket(Parsed(20, 0, {}), 1).substr(0, 32),
            Tag(12, "data") + Tag(33, std::string("Velmor p020\0", 12)) + in);
}

TEST(PduExport, Iec101OptionsFollowTheParameterByte) {
  EXPECT_EQ(Iec101TsharkOptions(0x95),
            "-d tcp.port==2405,iec60870_101 -o \"iec60870_101.linkaddr_len:1 octet\""
            " -o \"iec60870_101.cot_len:1 octet\" -o \"iec60870_101.asdu_addr_len:1 octet\""
            " -o \"iec60870_101.asdu_ioa_len:2 octets\"");
}

}  // namespace
}  // namespace vlm::test
