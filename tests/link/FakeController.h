#pragma once
// A minimal controller for the link tests and the benchmark: a flat file store and 64 KiB of
// memory, answering in the frame shape the requests read. It is deliberately independent of
// velmor-sim, so a misreading of the wire layout on one side shows up against the other.
#include <algorithm>
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "FakeFrames.h"

namespace vlm::test {

class TFakeController {
 public:
  std::map<std::string, std::vector<uint8_t>> files;  // DOS names as sent
  std::vector<uint8_t> memory = std::vector<uint8_t>(65536);
  std::vector<std::string> listing = {"autoexec.bat", "vlm.cfg", "config.sys", "long.dat", "x"};
  size_t listEntriesPerBlock = 2;
  bool longBlocks = true;
  uint16_t longMax = 1420;  // a controller whose long blocks are shorter answers at most this
  bool areas = true;  // answers ReadMemoryAreas (A3h)

  // The answer to one request frame; empty when the controller stays silent.
  std::vector<uint8_t> Answer(std::span<const uint8_t> req) {
    if (req.size() < 2) return {};
    switch (req[1]) {
      case 0x80: return ReadMemory(req);
      case 0x81:
        WriteMemory(req);
        return fake::Frame(0x81, {req[2], req[3], req[4], req[5], req[6]});
      case 0x94: return Find(req);
      case 0x95: return ReadBlock(req);
      case 0xA4: return longBlocks ? ReadBlockLong(req) : std::vector<uint8_t>{};
      case 0x96: return fake::Code(0x96, WriteBlock(req));
      case 0x98: return fake::Code(0x98, files.erase(fake::Text(req, 4)) ? 0 : 2);
      case 0x97: return fake::Code(0x97, 3);
      case 0xA5: return List(req);
      case 0xA3: return areas ? ReadAreas(req) : std::vector<uint8_t>{};
      default: return {};
    }
  }

 private:
  std::vector<uint8_t> ReadMemory(std::span<const uint8_t> req) {
    std::vector<uint8_t> body(req.begin() + 2, req.begin() + 7);
    for (size_t i = 0; i < req[6]; ++i) body.push_back(memory[(fake::U16(&req[2]) + i) & 0xFFFF]);
    return fake::Frame(0x80, body);
  }
  std::vector<uint8_t> ReadAreas(std::span<const uint8_t> req) {
    std::vector<uint8_t> body;
    for (size_t i = 0; i < req[2]; ++i)
      for (size_t k = 0; k < req[7 + 5 * i]; ++k) body.push_back(memory[(fake::U16(&req[3 + 5 * i]) + k) & 0xFFFF]);
    return fake::Frame(0xA3, body);
  }
  void WriteMemory(std::span<const uint8_t> req) {
    for (size_t i = 0; i < req[6]; ++i) memory[(fake::U16(&req[2]) + i) & 0xFFFF] = req[7 + i];
  }
  static void PutEntry(std::vector<uint8_t>& b, const std::string& name, uint32_t size) {
    fake::PutEntry(b, name == "sub" ? 0x10 : 0x20, 0x5A8B6000u, size, name);
  }
  std::vector<uint8_t> Find(std::span<const uint8_t> req) {
    const std::string name = fake::Text(req, 48);
    std::vector<uint8_t> body(46, 0);  // bytes 2..47
    const auto it = files.find(name);
    if (it == files.end()) {
      body[1] = 2;  // error code at answer bytes 3..4
      return fake::Frame(0x94, body);
    }
    std::vector<uint8_t> entry;
    PutEntry(entry, name, uint32_t(it->second.size()));
    std::copy(entry.begin(), entry.end(), body.begin() + 24);
    return fake::Frame(0x94, body);
  }
  std::vector<uint8_t> Block(std::span<const uint8_t> req, size_t nameAt, uint32_t offset, size_t want, uint16_t* code) {
    const auto it = files.find(fake::Text(req, nameAt));
    *code = it == files.end() ? 2 : 0;
    if (*code) return {};
    const auto& f = it->second;
    const size_t from = std::min<size_t>(offset, f.size());
    return {f.begin() + long(from), f.begin() + long(std::min(f.size(), from + want))};
  }
  std::vector<uint8_t> ReadBlock(std::span<const uint8_t> req) {
    uint16_t code;
    const auto data = Block(req, 11, fake::U32(&req[2]), req[10], &code);
    std::vector<uint8_t> body{uint8_t(code), uint8_t(code >> 8), uint8_t(data.size())};
    body.insert(body.end(), data.begin(), data.end());
    return fake::Frame(0x95, body);
  }
  std::vector<uint8_t> ReadBlockLong(std::span<const uint8_t> req) {
    uint16_t code;
    const auto data = Block(req, 15, fake::U32(&req[5]), std::min(fake::U16(&req[13]), longMax), &code);
    std::vector<uint8_t> body{0, 0, 0};
    fake::Put16(body, code);
    fake::Put16(body, uint16_t(data.size()));
    body.insert(body.end(), data.begin(), data.end());
    return fake::Frame(0xA4, body);
  }
  uint16_t WriteBlock(std::span<const uint8_t> req) {
    auto& f = files[fake::Text(req, 2)];
    const uint32_t offset = fake::U32(&req[15]), total = fake::U32(&req[19]);
    f.resize(total);
    for (size_t i = 0; i < req[23] && offset + i < total; ++i) f[offset + i] = req[24 + i];
    return 0;
  }
  std::vector<uint8_t> List(std::span<const uint8_t> req) {
    if (req[5]) next_ = 0;
    std::vector<uint8_t> body{0, 0, 1, 0, 0, 0};  // bytes 2..7: status at 4, code 5..6, count 7
    size_t n = 0;
    for (; n < listEntriesPerBlock && next_ < listing.size(); ++n, ++next_) PutEntry(body, listing[next_], uint32_t(next_ * 100));
    body[5] = uint8_t(n);
    if (next_ >= listing.size()) body[3] = 18;
    return fake::Frame(0xA5, body);
  }
  size_t next_ = 0;
};

}  // namespace vlm::test
