#include "sim/SimPcapTraffic.h"

#include <algorithm>
#include <cstring>

namespace vlm::sim {
namespace {

enum : uint8_t { kFin = 0x01, kSyn = 0x02, kPsh = 0x08, kAck = 0x10 };

void Be16(uint8_t* p, unsigned v) {
  p[0] = uint8_t(v >> 8);
  p[1] = uint8_t(v);
}
void Be32(uint8_t* p, uint32_t v) {
  Be16(p, v >> 16);
  Be16(p + 2, v & 0xFFFF);
}
void Le32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
}

}  // namespace

uint16_t InternetChecksum(const uint8_t* bytes, size_t count, uint32_t start) {
  uint32_t sum = start;
  for (size_t i = 0; i + 1 < count; i += 2) sum += uint32_t(bytes[i] << 8 | bytes[i + 1]);
  if (count & 1) sum += uint32_t(bytes[count - 1] << 8);
  while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
  return uint16_t(~sum);
}

std::vector<uint8_t> PcapSession::Packet(Side& from, Side& to, uint8_t flags, const std::vector<uint8_t>& payload) {
  constexpr size_t kEth = 14, kIp = 20, kTcp = 20;
  std::vector<uint8_t> p(kEth + kIp + kTcp + payload.size());
  std::memcpy(&p[0], to.mac, 6);
  std::memcpy(&p[6], from.mac, 6);
  Be16(&p[12], 0x0800);
  uint8_t* ip = &p[kEth];
  ip[0] = 0x45;
  Be16(&ip[2], unsigned(kIp + kTcp + payload.size()));
  Be16(&ip[4], ipId_++);
  Be16(&ip[6], 0x4000);  // don't fragment
  ip[8] = 64;
  ip[9] = 6;
  std::memcpy(&ip[12], from.ip, 4);
  std::memcpy(&ip[16], to.ip, 4);
  Be16(&ip[10], InternetChecksum(ip, kIp));
  uint8_t* tcp = ip + kIp;
  Be16(&tcp[0], from.port);
  Be16(&tcp[2], to.port);
  Be32(&tcp[4], from.seq);
  Be32(&tcp[8], (flags & kAck) ? to.seq : 0);
  tcp[12] = 5 << 4;
  tcp[13] = flags;
  Be16(&tcp[14], 8192);
  std::copy(payload.begin(), payload.end(), &tcp[kTcp]);  // memcpy may not take the null data of an empty payload
  // Pseudo header: addresses, protocol and TCP length.
  const size_t tcpLength = kTcp + payload.size();
  uint32_t pseudo = 6 + uint32_t(tcpLength);
  for (int i = 0; i < 4; i += 2) pseudo += uint32_t(from.ip[i] << 8 | from.ip[i + 1]) + uint32_t(to.ip[i] << 8 | to.ip[i + 1]);
  Be16(&tcp[16], InternetChecksum(tcp, tcpLength, pseudo));
  from.seq += uint32_t(payload.size()) + ((flags & (kSyn | kFin)) ? 1 : 0);
  return p;
}

std::vector<uint8_t> PcapSession::NextPacket() {
  const unsigned step = step_++;
  switch (step) {
    case 0: return Packet(station_, controller_, kSyn, {});
    case 1: return Packet(controller_, station_, kSyn | kAck, {});
    case 2: return Packet(station_, controller_, kAck, {});
    case 3: return Packet(station_, controller_, kPsh | kAck, {0x68, 4, 0x07, 0, 0, 0});  // STARTDT act
    case 4: return Packet(controller_, station_, kPsh | kAck, {0x68, 4, 0x0B, 0, 0, 0});  // STARTDT con
    default: break;
  }
  // A steady cycle: four measured values, the station's acknowledgement, now and then a test frame.
  const unsigned phase = (step - 5) % 12;
  if (phase < 8 && phase % 2 == 0) {
    std::vector<uint8_t> f{0x68, 0, uint8_t(controller_.sent << 1), uint8_t(controller_.sent >> 7), 0, 0,
                           13, 1, 3, 0, 1, 0};
    const unsigned ioa = 1000 + unsigned(random_() % 16);
    f.insert(f.end(), {uint8_t(ioa), uint8_t(ioa >> 8), 0});
    const float value = float(random_() % 100000) / 100.0f;
    uint8_t raw[4];
    std::memcpy(raw, &value, 4);
    f.insert(f.end(), raw, raw + 4);
    f.push_back(0);
    f[1] = uint8_t(f.size() - 2);
    controller_.sent = uint16_t((controller_.sent + 1) & 0x7FFF);
    return Packet(controller_, station_, kPsh | kAck, f);
  }
  if (phase < 8) return Packet(station_, controller_, kAck, {});
  if (phase == 8)
    return Packet(station_, controller_, kPsh | kAck,
                  {0x68, 4, 0x01, 0, uint8_t(controller_.sent << 1), uint8_t(controller_.sent >> 7)});
  if (phase == 9) return Packet(controller_, station_, kAck, {});
  if (phase == 10) return Packet(station_, controller_, kPsh | kAck, {0x68, 4, 0x43, 0, 0, 0});  // TESTFR act
  return Packet(controller_, station_, kPsh | kAck, {0x68, 4, 0x83, 0, 0, 0});                  // TESTFR con
}

std::vector<uint8_t> PcapSession::NextRecord(uint32_t seconds, uint32_t micros) {
  std::vector<uint8_t> packet = NextPacket();
  // Ethernet padding makes every record a multiple of 16 bytes: wherever the recorder starts
  // over, the gap it leaves can hold a whole (filler) record.
  packet.resize((packet.size() + 16 + 15) / 16 * 16 - 16);
  std::vector<uint8_t> record;
  record.reserve(16 + packet.size());
  Le32(record, seconds);
  Le32(record, micros);
  Le32(record, uint32_t(packet.size()));
  Le32(record, uint32_t(packet.size()));
  record.insert(record.end(), packet.begin(), packet.end());
  return record;
}

}  // namespace vlm::sim
