#pragma once
// An IEC 104 session over TCP as the controller's Ethernet recorder stores it: pcap packet
// records (16-byte head, then the Ethernet frame) with real Ethernet, IPv4 and TCP headers and
// correct checksums, so that capture tools dissect them.
#include <cstdint>
#include <random>
#include <vector>

namespace vlm::sim {

class PcapSession {
 public:
  explicit PcapSession(uint64_t seed) : random_(seed) {}

  // The next packet record (a multiple of 16 bytes long), stamped with the given time; the session opens with the TCP
  // handshake and STARTDT, then carries measured values, acknowledgements and test frames.
  std::vector<uint8_t> NextRecord(uint32_t seconds, uint32_t micros);

 private:
  struct Side {
    uint8_t mac[6];
    uint8_t ip[4];
    uint16_t port;
    uint32_t seq;
    uint16_t sent = 0;  // I-frames sent (N(S))
  };
  std::vector<uint8_t> Packet(Side& from, Side& to, uint8_t flags, const std::vector<uint8_t>& payload);
  std::vector<uint8_t> NextPacket();

  std::mt19937_64 random_;
  Side station_{{0x00, 0x1A, 0x2B, 0x00, 0x00, 0x01}, {192, 168, 0, 1}, 50104, 0x1000, 0};
  Side controller_{{0x00, 0x1A, 0x2B, 0x00, 0x00, 0x0A}, {192, 168, 0, 10}, 2404, 0x8000, 0};
  unsigned step_ = 0;
  uint16_t ipId_ = 1;
};

// Internet checksum (ones' complement sum of 16-bit big-endian words) folded into 16 bits.
uint16_t InternetChecksum(const uint8_t* bytes, size_t count, uint32_t start = 0);

}  // namespace vlm::sim
