#pragma once
// Frame building of the fake controllers (tests/link's TFakeController, tests/services'
// TFakeDisk): written from the wire layout by hand, not with the link's own code, so that a
// misreading on one side shows up against the other.
#include <algorithm>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vlm::test::fake {

inline uint16_t U16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
inline uint32_t U32(const uint8_t* p) { return U16(p) | uint32_t(U16(p + 2)) << 16; }
inline void Put16(std::vector<uint8_t>& v, uint16_t x) { v.push_back(uint8_t(x)); v.push_back(uint8_t(x >> 8)); }
inline void Put32(std::vector<uint8_t>& v, uint32_t x) { Put16(v, uint16_t(x)); Put16(v, uint16_t(x >> 16)); }

// The length byte and characters at `at` of a request.
inline std::string Text(std::span<const uint8_t> req, size_t at) {
  return std::string(reinterpret_cast<const char*>(&req[at + 1]), req[at]);
}

// Length byte, command, body, checksum of command and body.
inline std::vector<uint8_t> Frame(uint8_t cmd, const std::vector<uint8_t>& body) {
  // A frame longer than a length byte can say carries 255 there and is taken by its size.
  std::vector<uint8_t> f{uint8_t(std::min<size_t>(body.size() + 1, 255)), cmd};
  f.insert(f.end(), body.begin(), body.end());
  uint8_t sum = 0;
  for (size_t i = 1; i < f.size(); ++i) sum = uint8_t(sum + f[i]);
  f.push_back(sum);
  return f;
}

// An answer that carries nothing but its DOS error code.
inline std::vector<uint8_t> Code(uint8_t cmd, uint16_t code) { return Frame(cmd, {uint8_t(code), uint8_t(code >> 8)}); }

// One entry of a find or listing answer: attributes, DOS time, size, name.
inline void PutEntry(std::vector<uint8_t>& b, uint8_t attr, uint32_t time, uint32_t size, const std::string& name) {
  b.push_back(attr);
  Put32(b, time);
  Put32(b, size);
  b.push_back(uint8_t(name.size()));
  b.insert(b.end(), name.begin(), name.end());
}

}  // namespace vlm::test::fake
