#pragma once
// A controller disk for the service tests: folders of entries with their attributes, sizes and
// times, answering the file requests in their frame layouts, with switches for the controller
// behaviours the services must survive. Independent of velmor-sim on purpose.
#include <algorithm>
#include <cstdint>
#include <map>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "link/FakeFrames.h"

namespace vlm::test {

struct TFakeEntry {
  TFakeEntry(std::string n = {}, uint8_t a = 0x20, uint32_t t = 0x5A8B6000, std::string d = {})
      : name(std::move(n)), attr(a), time(t), data(std::move(d)) {}
  std::string name;  // DOS bytes as the controller reports them
  uint8_t attr;
  uint32_t time;
  std::string data;
};

class TFakeDisk {
 public:
  std::map<std::string, std::vector<TFakeEntry>> dirs{{"C:\\", {}}};  // upper-case paths ending in "\"
  std::string cwd = "C:\\";
  bool blockListing = true;        // A5 answered
  size_t entriesPerBlock = 3;
  bool longReads = true;           // A4 answered
  std::set<uint32_t> emptyAt;      // read offsets answered with no bytes
  bool corruptWrites = false;      // the second byte of every written block arrives changed
  bool refuseWrites = false;       // writes answered with "access denied"
  std::vector<std::vector<uint8_t>> requests;
  int resets = 0;

  TFakeEntry& Add(const std::string& dir, TFakeEntry e) {
    if (e.attr & 0x10) dirs.try_emplace(dir + Upper(e.name) + "\\");
    auto& list = dirs[dir];
    list.push_back(std::move(e));
    return list.back();
  }
  TFakeEntry* Find(const std::string& dir, const std::string& name) {
    auto it = dirs.find(dir);
    if (it == dirs.end()) return nullptr;
    for (auto& e : it->second)
      if (Upper(e.name) == Upper(name)) return &e;
    return nullptr;
  }
  size_t Count(uint8_t command) const {
    return size_t(std::count_if(requests.begin(), requests.end(), [&](const auto& r) { return r[1] == command; }));
  }

  std::vector<uint8_t> Answer(std::span<const uint8_t> req) {
    requests.emplace_back(req.begin(), req.end());
    switch (req[1]) {
      case 0x88: ++resets; return {};
      case 0x94: return FindAnswer(req);
      case 0x95: return ReadAnswer(0x95, fake::Text(req, 11), fake::U32(&req[2]), req[10]);
      case 0xA4: return longReads ? ReadAnswer(0xA4, fake::Text(req, 15), fake::U32(&req[5]), fake::U16(&req[13])) : std::vector<uint8_t>{};
      case 0x96: return fake::Code(0x96, Write(req));
      case 0x97: return fake::Code(0x97, ChangeDir(fake::Text(req, 4)));
      case 0x98: return fake::Code(0x98, Delete(fake::Text(req, 4)));
      case 0xA5: return blockListing ? ListAnswer(req) : std::vector<uint8_t>{};
      default: return {};
    }
  }

  static std::string Upper(std::string s) {
    for (char& c : s) if (c >= 'a' && c <= 'z') c = char(c - 32);
    return s;
  }

 private:
  static void PutEntry(std::vector<uint8_t>& b, const TFakeEntry& e) {
    fake::PutEntry(b, e.attr, e.time, e.attr & 0x10 ? 0 : uint32_t(e.data.size()), e.name);
  }

  // The folder a mask or name lies in and the name part.
  std::pair<std::string, std::string> Split(const std::string& path) const {
    const size_t cut = path.find_last_of('\\');
    if (cut == std::string::npos) return {cwd, path};
    std::string dir = Upper(path.substr(0, cut + 1));
    if (dir.size() < 3 || dir[1] != ':') dir = cwd + dir;
    return {dir, path.substr(cut + 1)};
  }
  std::vector<TFakeEntry> Matches(const std::string& dir) const {
    std::vector<TFakeEntry> out;
    if (dir != "C:\\") out = {{".", 0x10}, {"..", 0x10}};
    auto it = dirs.find(dir);
    if (it != dirs.end()) out.insert(out.end(), it->second.begin(), it->second.end());
    return out;
  }

  std::vector<uint8_t> FindAnswer(std::span<const uint8_t> req) {
    const auto [dir, name] = Split(fake::Text(req, 48));
    std::vector<uint8_t> body(24, 0);
    uint16_t code = 0;
    TFakeEntry found;
    if (name.find('*') != std::string::npos) {
      if (req[2]) { search_ = Matches(dir); next_ = 0; }
      if (next_ < search_.size()) found = search_[next_++];
      else code = 18;
    } else if (const TFakeEntry* e = Find(dir, name)) {
      found = *e;
    } else {
      code = 2;
    }
    body[1] = uint8_t(code);
    if (!code) PutEntry(body, found);
    else body.resize(46, 0);
    return fake::Frame(0x94, body);
  }
  std::vector<uint8_t> ReadAnswer(uint8_t cmd, const std::string& path, uint32_t offset, size_t want) {
    const auto [dir, name] = Split(path);
    const TFakeEntry* e = Find(dir, name);
    const uint16_t code = !e ? 2 : (e->attr & 0x10) ? 5 : 0;
    std::string data;
    if (!code && !emptyAt.count(offset) && offset < e->data.size()) data = e->data.substr(offset, want);
    std::vector<uint8_t> body;
    if (cmd == 0xA4) body = {0, 0, 0};
    fake::Put16(body, code);
    if (cmd == 0xA4) fake::Put16(body, uint16_t(data.size()));
    else body.push_back(uint8_t(data.size()));
    body.insert(body.end(), data.begin(), data.end());
    return fake::Frame(cmd, body);
  }
  uint16_t Write(std::span<const uint8_t> req) {
    if (refuseWrites) return 5;
    const auto [dir, name] = Split(fake::Text(req, 2));
    TFakeEntry* e = Find(dir, name);
    if (!e) e = &Add(dir, {name});
    const uint32_t offset = fake::U32(&req[15]);
    std::string block(reinterpret_cast<const char*>(&req[24]), req[23]);
    if (corruptWrites && block.size() > 1) block[1] = char(block[1] ^ 0x55);
    if (offset == 0) e->data.clear();
    e->data.resize(std::max<size_t>(e->data.size(), offset));
    e->data.replace(offset, block.size(), block);
    e->data.resize(fake::U32(&req[19]));
    return 0;
  }
  uint16_t ChangeDir(std::string path) {
    path = Upper(path);
    if (path.back() != '\\') path += '\\';
    if (!dirs.count(path)) return 3;
    cwd = path;
    return 0;
  }
  uint16_t Delete(const std::string& path) {
    const auto [dir, name] = Split(path);
    auto& list = dirs[dir];
    const auto it = std::find_if(list.begin(), list.end(), [&](const auto& e) { return Upper(e.name) == Upper(name); });
    if (it == list.end()) return 2;
    list.erase(it);
    return 0;
  }
  std::vector<uint8_t> ListAnswer(std::span<const uint8_t> req) {
    if (req[5]) { list_ = Matches(Split(fake::Text(req, 6)).first); listNext_ = 0; }
    std::vector<uint8_t> body{0, 0, 1, 0, 0, 0};
    size_t n = 0;
    for (; n < entriesPerBlock && listNext_ < list_.size(); ++n) PutEntry(body, list_[listNext_++]);
    body[5] = uint8_t(n);
    if (listNext_ >= list_.size()) body[3] = 18;
    return fake::Frame(0xA5, body);
  }

  std::vector<TFakeEntry> search_, list_;
  size_t next_ = 0, listNext_ = 0;
};

}  // namespace vlm::test
