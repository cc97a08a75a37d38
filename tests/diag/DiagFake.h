#pragma once
// A controller memory for the diagnostics tests: 1 MiB addressed by segment:offset, answering the
// memory requests, with reads that can be made to fail; and a builder that lays out objects the
// way a firmware would publish them.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "common/Numbers.h"
#include "common/TextCodec.h"
#include "diag/DiagObj.h"
#include "link/LinkTransport.h"
#include "link/Velmor_PC.h"

namespace vlm::test {

struct TFakeMemory {
  std::vector<uint8_t> bytes = std::vector<uint8_t>(0x100000);
  int failReads = 0;                // the next this many reads get no answer
  std::vector<size_t> readCounts;   // count of every read request
  bool areas = false;               // answers ReadMemoryAreas (A3h); older firmware does not
  std::vector<size_t> areaCounts;   // areas of every A3h request (answered or not)
  std::vector<std::vector<uint8_t>> writes;

  static size_t Linear(uint16_t seg, uint16_t off) { return (size_t(seg) * 16 + off) & 0xFFFFF; }
  uint8_t* At(TFarPtr p) { return &bytes[Linear(uint16_t(p >> 16), uint16_t(p))]; }
};

class TFakeMemoryTransport : public ILinkTransport {
 public:
  explicit TFakeMemoryTransport(TFakeMemory& m) : m_(m) {}
  bool Open() override { return true; }
  void Close() override {}
  bool Send(std::span<const uint8_t> frame) override {
    last_.assign(frame.begin(), frame.end());
    return true;
  }
  int Quiet(std::chrono::milliseconds, const std::function<void()>&, std::chrono::steady_clock::time_point&) override {
    return 0;
  }
  TReceived Receive(std::span<uint8_t> into, size_t, std::chrono::milliseconds, const TAnswerFilter& filter,
                    const std::function<void()>&) override {
    const std::vector<uint8_t> a = Answer();
    if (a.empty()) return {TReceiveEnd::TimedOut, 0};
    std::copy(a.begin(), a.end(), into.begin());
    const TAnswerVerdict verdict = filter ? filter(std::span<const uint8_t>(into.data(), a.size())) : TAnswerVerdict::Take;
    if (verdict == TAnswerVerdict::Reject) return {TReceiveEnd::Rejected, a.size()};
    if (verdict == TAnswerVerdict::Ignore) return {TReceiveEnd::TimedOut, 0};
    return {TReceiveEnd::Answer, a.size()};
  }

 private:
  std::vector<uint8_t> Answer() {
    std::vector<uint8_t> a;
    const uint16_t off = GetU16(&last_[2]), seg = GetU16(&last_[4]);
    const uint8_t count = last_[6];
    if (last_[1] == 0x80) {
      m_.readCounts.push_back(count);
      if (m_.failReads > 0) {
        --m_.failReads;
        return {};
      }
      a = {uint8_t(count + 6), 0x80, last_[2], last_[3], last_[4], last_[5], count};
      for (size_t i = 0; i < count; ++i) a.push_back(m_.bytes[(TFakeMemory::Linear(seg, off) + i) & 0xFFFFF]);
    } else if (last_[1] == 0xA3) {
      m_.areaCounts.push_back(last_[2]);
      if (!m_.areas) return {};
      if (m_.failReads > 0) {
        --m_.failReads;
        return {};
      }
      a = {0, 0xA3};
      for (size_t i = 0; i < last_[2]; ++i) {
        const uint8_t* d = &last_[3 + 5 * i];
        for (size_t k = 0; k < d[4]; ++k) a.push_back(m_.bytes[(TFakeMemory::Linear(GetU16(d + 2), GetU16(d)) + k) & 0xFFFFF]);
      }
      a[0] = uint8_t(std::min<size_t>(a.size() - 1, 255));
    } else if (last_[1] == 0x81) {
      m_.writes.emplace_back(last_.begin() + 7, last_.begin() + 7 + count);
      for (size_t i = 0; i < count; ++i) m_.bytes[(TFakeMemory::Linear(seg, off) + i) & 0xFFFFF] = last_[7 + i];
      a = {6, 0x81, last_[2], last_[3], last_[4], last_[5], count};
    } else {
      return {};
    }
    uint8_t sum = 0;
    for (size_t i = 1; i < a.size(); ++i) sum = uint8_t(sum + a[i]);
    a.push_back(sum);
    return a;
  }

  TFakeMemory& m_;
  std::vector<uint8_t> last_;
};

// Lays out objects, strings and lists in segments 1000h (objects), 2000h (strings), 3000h (data).
class TTreeBuilder {
 public:
  explicit TTreeBuilder(TFakeMemory& m) : m_(m) {}

  TFarPtr String(const std::string& utf8) {
    const std::string dos = Utf8ToDos(utf8);
    const TFarPtr at = Take(strings_, 1 + dos.size());
    *m_.At(at) = uint8_t(dos.size());
    std::copy(dos.begin(), dos.end(), m_.At(at) + 1);
    return at;
  }
  TFarPtr Data(std::vector<uint8_t> bytes) {
    const TFarPtr at = Take(data_, bytes.size());
    std::copy(bytes.begin(), bytes.end(), m_.At(at));
    return at;
  }
  TFarPtr Object(uint8_t kind, const std::string& name, TFarPtr data, uint8_t flags = 0, uint32_t hint = 0,
                 uint8_t image = 0) {
    const TFarPtr at = Take(objects_, 16);
    uint8_t* h = m_.At(at);
    h[0] = 0x77;
    h[1] = kind;
    PutU32(h + 2, name.empty() ? 0 : String(name));
    PutU32(h + 6, data);
    h[10] = image;
    h[11] = flags;
    PutU32(h + 12, hint);
    return at;
  }
  // An object list header with its pointer array; returns the header's address.
  TFarPtr List(const std::vector<TFarPtr>& children, int count = -1) {
    std::vector<uint8_t> array(4 * children.size());
    for (size_t i = 0; i < children.size(); ++i) PutU32(&array[4 * i], children[i]);
    const TFarPtr pointers = Data(array);
    std::vector<uint8_t> header(8);
    PutU32(&header[2], pointers);
    PutU16(&header[6], uint16_t(count < 0 ? int(children.size()) : count));
    return Data(header);
  }
  TFarPtr Folder(const std::string& name, const std::vector<TFarPtr>& children, uint8_t flags = 0x80) {
    return Object(1, name, List(children), flags);
  }
  void SetRoot(TFarPtr root) { PutU32(m_.At(0x208), root); }

 private:
  TFarPtr Take(TFarPtr& next, size_t size) {
    const TFarPtr at = next;
    next += TFarPtr(size);
    return at;
  }
  TFakeMemory& m_;
  TFarPtr objects_ = 0x10000000, strings_ = 0x20000000, data_ = 0x30000000;
};

// A link to the fake memory, the diagnostic context over it and the indicator points it made.
struct TDiagFixture : ::testing::Test {
  TFakeMemory memory;
  TTreeBuilder build{memory};
  TControllerLink link;
  TDiagMemory diagMemory{link};
  TDiagContext context{diagMemory};
  std::vector<uint32_t> points;
  TDateTime clock = 46000.5;

  void SetUp() override {
    link.SetTransportFactory([this](const TLinkSettings&) { return std::make_unique<TFakeMemoryTransport>(memory); });
    ASSERT_TRUE(link.OpenLink());
    diagMemory.SetIndicator([this](uint32_t c) { points.push_back(c); });
    context.Clock = [this] { return clock; };
  }
};

}  // namespace vlm::test
