#pragma once
// The classic pcap file layout (little-endian, microsecond stamps): the 24-byte global header
// and the 16-byte head of each packet record.
#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace vlm {

constexpr uint32_t kPcapMagic = 0xA1B2C3D4;
constexpr uint32_t kLinkTypeEthernet = 1;
constexpr uint32_t kLinkTypeUpperPdu = 252;  // Wireshark's "exported PDU"
constexpr size_t kPcapGlobalHeaderSize = 24;
constexpr size_t kPcapRecordHeadSize = 16;

std::array<uint8_t, kPcapGlobalHeaderSize> PcapGlobalHeader(uint32_t linkType, uint32_t snapLength = 0xFFFF);
// Appends one packet record: seconds and microseconds since 1970, the whole packet captured.
void AppendPcapRecord(std::string& out, uint32_t seconds, uint32_t micros, std::span<const uint8_t> packet);

}  // namespace vlm
