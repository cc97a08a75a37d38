#include "blackbox/Pcap.h"

#include "common/Numbers.h"

namespace vlm {

std::array<uint8_t, kPcapGlobalHeaderSize> PcapGlobalHeader(uint32_t linkType, uint32_t snapLength) {
  std::array<uint8_t, kPcapGlobalHeaderSize> h{};
  PutU32(&h[0], kPcapMagic);
  PutU16(&h[4], 2);
  PutU16(&h[6], 4);
  PutU32(&h[16], snapLength);
  PutU32(&h[20], linkType);
  return h;
}

void AppendPcapRecord(std::string& out, uint32_t seconds, uint32_t micros, std::span<const uint8_t> packet) {
  uint8_t head[kPcapRecordHeadSize];
  PutU32(&head[0], seconds);
  PutU32(&head[4], micros);
  PutU32(&head[8], uint32_t(packet.size()));
  PutU32(&head[12], uint32_t(packet.size()));
  out.append(reinterpret_cast<const char*>(head), sizeof head);
  out.append(reinterpret_cast<const char*>(packet.data()), packet.size());
}

}  // namespace vlm
