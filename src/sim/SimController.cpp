#include "sim/SimController.h"

#include <algorithm>
#include <cstdio>

#include "common/Numbers.h"
#include "sim/SimProtocol.h"

namespace vlm::sim {
namespace {

// Answer frame under construction: length byte, command, fields; Finish adds the checksum.
class Answer {
 public:
  void Start(uint8_t command) { bytes_ = {0, command}; }
  void U8(uint8_t v) { bytes_.push_back(v); }
  void U16(uint16_t v) { U8(uint8_t(v)); U8(uint8_t(v >> 8)); }
  void U32(uint32_t v) { U16(uint16_t(v)); U16(uint16_t(v >> 16)); }
  void Bytes(std::span<const uint8_t> data) { bytes_.insert(bytes_.end(), data.begin(), data.end()); }
  void Zeros(size_t n) { bytes_.insert(bytes_.end(), n, 0); }
  // A name field: length byte and 12 positions, zero behind the name.
  void Name(std::string_view name) {
    const size_t n = std::min(name.size(), kMaxNameLength);
    U8(uint8_t(n));
    bytes_.insert(bytes_.end(), name.begin(), name.begin() + std::ptrdiff_t(n));
    Zeros(kMaxNameLength - n);
  }
  void Patch(size_t index, uint8_t v) { bytes_[index] = v; }

  // fitTo 0 keeps the natural length; otherwise the frame is padded (before the checksum) or
  // cut to exactly fitTo bytes.
  std::vector<uint8_t> Finish(size_t fitTo) {
    if (fitTo > 0 && bytes_.size() + 1 < fitTo) Zeros(fitTo - 1 - bytes_.size());
    bytes_[0] = uint8_t(std::min<size_t>(bytes_.size() - 1, kMaxFrameN));
    bytes_.push_back(FrameChecksum(std::span(bytes_).subspan(1)));
    if (fitTo > 0 && bytes_.size() > fitTo) bytes_.resize(fitTo);
    return std::move(bytes_);
  }

 private:
  std::vector<uint8_t> bytes_;
};

void AppendEntry(Answer& a, const DosEntry& e) {
  a.U8(e.attribute);
  a.U32(e.dateTime);
  a.U32(e.size);
}

std::string Printable(std::string_view text) {
  std::string out;
  for (unsigned char c : text) {
    if (c >= 0x20 && c < 0x7F) {
      out += char(c);
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    }
  }
  return out;
}

std::string Printf(const char* format, auto... args) {
  char line[256];
  std::snprintf(line, sizeof line, format, args...);
  return line;
}

size_t SumOfAreaCounts(std::span<const uint8_t> f) {
  size_t sum = 0;
  for (size_t i = 0; i < f[2]; ++i) sum += f[3 + 5 * i + 4];
  return sum;
}

}  // namespace

struct SimController::Request {
  std::span<const uint8_t> f;
  const LinkProfile& link;
  Answer answer;
  bool answered = true;
  std::string detail;

  uint8_t U8(size_t i) const { return f[i]; }
  uint16_t U16(size_t i) const { return GetU16(&f[i]); }
  uint32_t U32(size_t i) const { return GetU32(&f[i]); }
  // A length-prefixed text at i, bounded by max and by the frame (the checksum excluded).
  std::string Text(size_t i, size_t max) const {
    const size_t end = f.size() - 1;
    const size_t n = std::min<size_t>({f[i], max, end - std::min(end, i + 1)});
    return n ? std::string(reinterpret_cast<const char*>(&f[i + 1]), n) : std::string();
  }
};

// Layout of each request: its length byte N is nFixed, plus nScale times the byte at nIndex when
// the request carries a variable part; expected is the answer length the client waits for.
struct SimController::Kind {
  Command code;
  const char* name;
  uint8_t nFixed;
  uint8_t nIndex;  // 0: no variable part
  uint8_t nScale;
  size_t (*expected)(std::span<const uint8_t> frame);
  void (SimController::*handle)(Request&);
};

const SimController::Kind* SimController::FindKind(uint8_t code) {
  // Defined here, where the handlers are reachable.
  static constexpr size_t kSearchAnswer = 49;
  static const Kind kKinds[] = {
      {Command::ReadMemory, "ReadMemory", 6, 0, 0, [](auto f) -> size_t { return f[6] + 8u; },
       &SimController::ReadMemory},
      {Command::WriteMemory, "WriteMemory", 6, 6, 1, [](auto) -> size_t { return 8; },
       &SimController::WriteMemory},
      {Command::Reset, "Reset", 1, 0, 0, [](auto) -> size_t { return 0; }, &SimController::Reset},
      {Command::Find, "Find", 48, 48, 1, [](auto) -> size_t { return kSearchAnswer; },
       &SimController::Find},
      {Command::ReadFileBlock, "ReadFileBlock", 23, 0, 0,
       [](auto f) -> size_t { return f[10] + 6u; }, &SimController::ReadFileBlock},
      {Command::WriteFileBlock, "WriteFileBlock", 23, 23, 1, [](auto) -> size_t { return 5; },
       &SimController::WriteFileBlock},
      {Command::ChangeDir, "ChangeDir", 4, 4, 1, [](auto) -> size_t { return 5; },
       &SimController::ChangeDir},
      {Command::DeleteFile, "DeleteFile", 16, 0, 0, [](auto) -> size_t { return 5; },
       &SimController::DeleteFile},
      {Command::ReadMemoryAreas, "ReadMemoryAreas", 2, 2, 5,
       [](auto f) -> size_t { return SumOfAreaCounts(f) + 3; }, &SimController::ReadMemoryAreas},
      {Command::ReadFileBlockLong, "ReadFileBlockLong", 27, 0, 0, [](auto) -> size_t { return 29; },
       &SimController::ReadFileBlockLong},
      {Command::ListDirBlock, "ListDirBlock", 8, 6, 1, [](auto) -> size_t { return kSearchAnswer; },
       &SimController::ListDirBlock},
  };
  for (const Kind& kind : kKinds)
    if (static_cast<uint8_t>(kind.code) == code) return &kind;
  return nullptr;
}

FrameCheck CheckRequestFrame(std::span<const uint8_t> bytes, size_t& frameSize) {
  using Kind = SimController::Kind;
  if (bytes.size() < 2) return FrameCheck::Incomplete;
  const size_t n = bytes[0];
  const Kind* kind = SimController::FindKind(bytes[1]);
  if (n == 0 || !kind) return FrameCheck::Invalid;
  size_t required = kind->nFixed;
  if (kind->nIndex) {
    if (kind->nIndex >= bytes.size()) return n < kind->nFixed ? FrameCheck::Invalid : FrameCheck::Incomplete;
    required += size_t(kind->nScale) * bytes[kind->nIndex];
  }
  if (n != required) return FrameCheck::Invalid;
  if (bytes.size() < n + 2) return FrameCheck::Incomplete;
  if (FrameChecksum(bytes.subspan(1, n)) != bytes[n + 1]) return FrameCheck::Invalid;
  frameSize = n + 2;
  return FrameCheck::Valid;
}

SimController::SimController(SimDisk& disk, SimMemory& memory) : disk_(disk), memory_(memory) {}

void SimController::SetBootHook(std::function<void(SimMemory&)> hook) { bootHook_ = std::move(hook); }

void SimController::Boot() {
  memory_.Clear();
  disk_.ResetCurrentDir();
  find_ = {};
  list_ = {};
  if (bootHook_) bootHook_(memory_);
}

SimController::Outcome SimController::Handle(std::span<const uint8_t> frame, const LinkProfile& link) {
  size_t size = 0;
  if (CheckRequestFrame(frame, size) != FrameCheck::Valid) return {false, {}, "malformed request"};
  if (requestHook_) requestHook_();
  const Kind& kind = *FindKind(frame[1]);
  Request r{frame.first(size), link, {}, true, {}};
  r.answer.Start(frame[1]);
  (this->*kind.handle)(r);
  Outcome out;
  out.summary = std::string(kind.name) + " " + r.detail;
  out.answered = r.answered;
  if (r.answered) {
    const size_t expected = kind.expected(r.f);
    out.answer = r.answer.Finish(link.fitToExpected && expected <= kMaxFrameN ? expected : 0);
    if (longLengthModulo_ && out.answer.size() - 2 > kMaxFrameN) out.answer[0] = uint8_t(out.answer.size() - 2);
  }
  return out;
}

void SimController::ReadMemory(Request& r) {
  const uint16_t offset = r.U16(2), segment = r.U16(4);
  const uint8_t count = r.U8(6);
  std::vector<uint8_t> data(count);
  memory_.Read(segment, offset, data);
  r.answer.Bytes(r.f.subspan(2, 5));
  r.answer.Bytes(data);
  r.detail = Printf("%04X:%04X %u", segment, offset, count);
}

void SimController::WriteMemory(Request& r) {
  const uint16_t offset = r.U16(2), segment = r.U16(4);
  const uint8_t count = r.U8(6);
  memory_.Write(segment, offset, r.f.subspan(7, count));
  r.answer.Bytes(r.f.subspan(2, 5));
  r.detail = Printf("%04X:%04X %u", segment, offset, count);
}

void SimController::Reset(Request& r) {
  r.answered = false;
  ++resets_;
  Boot();
  r.detail = Printf("#%u", resets_);
}

uint16_t SimController::StartSearch(Search& search, std::string_view mask) {
  search = {};
  const uint16_t error = disk_.Search(mask, search.matches);
  search.active = error == kDosOk;
  return error;
}

void SimController::Find(Request& r) {
  const bool first = r.U8(2) != 0;
  const std::string mask = r.Text(48, 79);
  uint16_t error = first ? StartSearch(find_, mask) : kDosOk;
  if (!error && !(find_.active && find_.next < find_.matches.size())) error = kDosNoMoreFiles;
  DosEntry entry;
  if (!error) entry = find_.matches[find_.next++];
  if (error) find_.active = false;
  r.answer.U8(0);
  r.answer.U16(error);
  r.answer.Zeros(21);  // where DOS keeps its search state; ours stays here
  AppendEntry(r.answer, entry);
  r.answer.Name(entry.name);
  r.detail = Printf("%s %s -> %u %s", first ? "first" : "next", Printable(mask).c_str(), error,
                    Printable(entry.name).c_str());
}

uint16_t SimController::ReadBlockFor(Request& r, size_t nameAt, uint32_t offset, size_t block,
                                     std::vector<uint8_t>& data) {
  const std::string name = r.Text(nameAt, kMaxNameLength);
  const uint16_t error = disk_.ReadBlock(name, offset, block, data);
  r.detail = Printf("%s @%u %zu -> %u, %zu bytes", Printable(name).c_str(), offset, block, error, data.size());
  return error;
}

void SimController::ReadFileBlock(Request& r) {
  std::vector<uint8_t> data;
  r.answer.U16(ReadBlockFor(r, 11, r.U32(2), r.U8(10), data));
  r.answer.U8(uint8_t(data.size()));
  r.answer.Bytes(data);
}

void SimController::ReadFileBlockLong(Request& r) {
  std::vector<uint8_t> data;
  const uint16_t error = ReadBlockFor(r, 15, r.U32(5), std::min<size_t>(r.U16(13), r.link.longBlockMax), data);
  r.answer.Zeros(2);
  r.answer.U8(1);
  r.answer.U16(error);
  r.answer.U16(uint16_t(data.size()));
  r.answer.Bytes(data);
}

void SimController::WriteFileBlock(Request& r) {
  const std::string name = r.Text(2, kMaxNameLength);
  const uint32_t offset = r.U32(15);
  const uint8_t length = r.U8(23);
  const uint16_t error = disk_.WriteBlock(name, offset, r.f.subspan(24, length));
  r.answer.U16(error);
  r.detail = Printf("%s @%u %u -> %u", Printable(name).c_str(), offset, length, error);
}

void SimController::ChangeDir(Request& r) {
  const std::string path = r.Text(4, 80);
  const uint16_t error = disk_.ChangeDir(path);
  r.answer.U16(error);
  r.detail = Printf("%s -> %u %s", Printable(path).c_str(), error,
                    Printable(disk_.CurrentDir()).c_str());
}

void SimController::DeleteFile(Request& r) {
  const std::string name = r.Text(4, kMaxNameLength);
  const uint16_t error = disk_.Delete(name);
  r.answer.U16(error);
  r.detail = Printf("%s -> %u", Printable(name).c_str(), error);
}

void SimController::ListDirBlock(Request& r) {
  const bool first = r.U8(5) != 0;
  const std::string mask = r.Text(6, 79);
  uint16_t error = first ? StartSearch(list_, mask) : kDosOk;
  if (!error && !list_.active) error = kDosNoMoreFiles;
  r.answer.Zeros(2);
  r.answer.U8(1);
  r.answer.Zeros(3);  // error code and entry count, known at the end
  uint8_t count = 0;
  for (size_t bytes = 0; !error && list_.next < list_.matches.size() && count < 255; ++count) {
    const DosEntry& e = list_.matches[list_.next];
    const size_t nameLength = std::min(e.name.size(), kMaxNameLength);
    if (bytes + 10 + nameLength > r.link.listBlockBytes) break;
    AppendEntry(r.answer, e);
    r.answer.U8(uint8_t(nameLength));
    r.answer.Bytes(std::span(reinterpret_cast<const uint8_t*>(e.name.data()), nameLength));
    bytes += 10 + nameLength;
    ++list_.next;
  }
  if (!error && list_.next >= list_.matches.size()) error = kDosNoMoreFiles;
  if (error) list_.active = false;
  r.answer.Patch(5, uint8_t(error));
  r.answer.Patch(6, uint8_t(error >> 8));
  r.answer.Patch(7, count);
  r.detail = Printf("%s %s -> %u, %u entries", first ? "first" : "next", Printable(mask).c_str(), error, count);
}

void SimController::ReadMemoryAreas(Request& r) {
  const uint8_t n = r.U8(2);
  const size_t total = SumOfAreaCounts(r.f);
  r.detail = Printf("%u areas, %zu bytes", n, total);
  if (areasRefused_) {
    r.answered = false;
    r.detail += " (refused: no batch reads)";
    return;
  }
  if (total + 3 > kMaxDatagram) {
    // More than one datagram can carry: a cut answer would be taken as whole, so none is sent.
    r.answered = false;
    r.detail += " (too large, not answered)";
    return;
  }
  for (size_t i = 0; i < n; ++i) {
    const uint8_t* d = &r.f[3 + 5 * i];
    std::vector<uint8_t> data(d[4]);
    memory_.Read(GetU16(d + 2), GetU16(d), data);
    r.answer.Bytes(data);
  }
}

}  // namespace vlm::sim
