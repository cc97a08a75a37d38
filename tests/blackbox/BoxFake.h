#pragma once
// A controller holding recorders, for the reader tests: real-mode memory, a linear region for
// capture buffers, and answers to ReadMemory and ReadMemoryAreas with the right checksum. Kept
// apart from velmor-sim on purpose: a misread layout then shows against one side or the other.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "blackbox/BoxContext.h"
#include "blackbox/BoxDescriptor.h"
#include "blackbox/BoxRecord.h"
#include "blackbox/BoxWork.h"
#include "link/LinkTransport.h"
#include "link/Velmor_PC.h"

namespace vlm::test {

struct TBoxMemory {
  std::vector<uint8_t> real = std::vector<uint8_t>(0x100000);
  uint32_t linearBase = 0x00200000;
  std::vector<uint8_t> linear = std::vector<uint8_t>(4096);
  bool refuseAreas = false;  // no answer to A3h, as a controller without it
  int failReads = 0;         // the next n memory requests stay unanswered
  int failAreas = 0;         // the next n A3h requests stay unanswered
  size_t failAt = SIZE_MAX;  // the request of this number (index in `requests`) stays unanswered
  std::vector<std::vector<uint8_t>> requests;

  uint8_t* At(uint16_t segment, uint16_t offset) {
    if ((segment & 0xF000) == 0xF000) {
      const uint32_t linearAddress = uint32_t(segment & 0x0FFF) << 16 | offset;
      if (linearAddress < linearBase || linearAddress - linearBase >= linear.size()) return nullptr;
      return &linear[linearAddress - linearBase];
    }
    return &real[(uint32_t(segment) * 16 + offset) & 0xFFFFF];
  }
  void Put(uint16_t segment, uint16_t offset, const std::vector<uint8_t>& bytes) {
    for (size_t i = 0; i < bytes.size(); ++i) *At(segment, uint16_t(offset + i)) = bytes[i];
  }
  uint8_t Get(uint16_t segment, uint16_t offset) {
    const uint8_t* p = At(segment, offset);
    return p ? *p : 0;
  }
  size_t Count(uint8_t command) const {
    return size_t(std::count_if(requests.begin(), requests.end(), [&](const auto& r) { return r[1] == command; }));
  }

  std::vector<uint8_t> Answer(const std::vector<uint8_t>& req) {
    requests.push_back(req);
    if (requests.size() - 1 == failAt) return {};
    if (failReads > 0) {
      --failReads;
      return {};
    }
    if (req[1] == 0xA3 && failAreas > 0) {
      --failAreas;
      return {};
    }
    std::vector<uint8_t> body;
    if (req[1] == 0x80) {
      body.assign(req.begin() + 2, req.begin() + 7);
      const uint16_t offset = uint16_t(req[2] | req[3] << 8), segment = uint16_t(req[4] | req[5] << 8);
      for (size_t i = 0; i < req[6]; ++i) body.push_back(Get(segment, uint16_t(offset + i)));
    } else if (req[1] == 0xA3 && !refuseAreas) {
      for (size_t i = 0; i < req[2]; ++i) {
        const uint8_t* d = &req[3 + 5 * i];
        const uint16_t offset = uint16_t(d[0] | d[1] << 8), segment = uint16_t(d[2] | d[3] << 8);
        for (size_t k = 0; k < d[4]; ++k) body.push_back(Get(segment, uint16_t(offset + k)));
      }
    } else {
      return {};
    }
    std::vector<uint8_t> frame{uint8_t(body.size() + 1), req[1]};
    frame.insert(frame.end(), body.begin(), body.end());
    uint8_t sum = 0;
    for (size_t i = 1; i < frame.size(); ++i) sum = uint8_t(sum + frame[i]);
    frame.push_back(sum);
    return frame;
  }
};

class TBoxTransport : public ILinkTransport {
 public:
  explicit TBoxTransport(TBoxMemory& memory) : memory_(memory) {}
  bool Open() override { return true; }
  void Close() override {}
  bool Send(std::span<const uint8_t> frame) override {
    answer_ = memory_.Answer({frame.begin(), frame.end()});
    return true;
  }
  TReceived Receive(std::span<uint8_t> into, size_t, std::chrono::milliseconds, const TAnswerFilter& filter,
                    const std::function<void()>&) override {
    const size_t n = std::min(answer_.size(), into.size());
    std::copy_n(answer_.begin(), n, into.begin());
    answer_.clear();
    if (n == 0) return {TReceiveEnd::TimedOut, 0};
    switch (filter ? filter(into.first(n)) : TAnswerVerdict::Take) {
      case TAnswerVerdict::Take: return {TReceiveEnd::Answer, n};
      case TAnswerVerdict::Reject: return {TReceiveEnd::Rejected, n};
      default: return {TReceiveEnd::TimedOut, 0};
    }
  }
  int Quiet(std::chrono::milliseconds, const std::function<void()>&, std::chrono::steady_clock::time_point&) override {
    return 0;
  }

 private:
  TBoxMemory& memory_;
  std::vector<uint8_t> answer_;
};

inline void UseBoxMemory(TControllerLink& link, TBoxMemory& memory) {
  link.Settings.Attempts = 1;
  link.Settings.WaitTime = 1;
  link.SetTransportFactory([&memory](const TLinkSettings&) { return std::make_unique<TBoxTransport>(memory); });
}

// Builds descriptors and records in the fake's memory.
struct TBoxLayout {
  static std::vector<uint8_t> Descriptor(uint32_t next, uint8_t type, const std::string& cp1251Name) {
    std::vector<uint8_t> d(68);
    for (int i = 0; i < 4; ++i) d[size_t(i)] = uint8_t(next >> (8 * i));
    std::memcpy(&d[4], "BlackBox", 8);
    d[12] = type;
    d[34] = uint8_t(cp1251Name.size());
    std::memcpy(&d[35], cp1251Name.data(), std::min<size_t>(cp1251Name.size(), 33));
    return d;
  }
  static std::vector<uint8_t> Record(uint32_t ticks, uint8_t protocol, uint8_t direction, uint8_t error,
                                     const std::vector<uint8_t>& data) {
    std::vector<uint8_t> r{uint8_t(ticks), uint8_t(ticks >> 8), uint8_t(ticks >> 16), uint8_t(ticks >> 24),
                           protocol, direction, error, 0x55};
    r.insert(r.end(), data.begin(), data.end());
    return r;
  }
};

// Records what the readers report.
struct TBoxEvents : IBoxObserver {
  std::vector<uint32_t> points;
  std::string shown;  // every added text, one '\n' after each call
  int recordingChanges = 0;
  size_t fed = 0;
  void IndicatorPoint(uint32_t colour) override { points.push_back(colour); }
  void LinesAdded(TBoxDriver&, std::string_view text, uint8_t) override { (shown += text) += '\n'; }
  void RecordingChanged(TBoxDriver&) override { ++recordingChanges; }
  void AnalyzerFeed(TBoxDriver&, const TBoxRecord&, size_t, const std::string&) override { ++fed; }
};

// The work loop's clock in tests: sleeping moves it, and so does every exchange.
struct TFakeClock : IWorkClock {
  TPollPacer::Clock::time_point now{};
  TPollPacer::Clock::time_point Now() override { return now; }
  void SleepUntil(TPollPacer::Clock::time_point at) override { now = std::max(now, at); }
  uint64_t Ms() const { return uint64_t(std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count()); }
};

// A type-0 recorder (descriptor at 1000:0000, buffers at 2000:0000, found through the chain)
// that writes record k into its ring when the fake clock reaches due[k]: ticks due[k], protocol
// 35, received, 20 data bytes beginning with k. Requests cost the clock a round trip, and the
// link's silences cost it their whole length.
struct TClockedRecorder {
  static constexpr uint16_t kDescriptor = 0x1000, kBuffers = 0x2000;
  TBoxMemory& memory;
  TFakeClock& clock;
  std::chrono::milliseconds roundTrip{4};
  std::vector<uint32_t> due;  // ascending
  size_t written = 0;
  size_t quiets = 0;  // times the link fell quiet

  TClockedRecorder(TBoxMemory& memory, TFakeClock& clock) : memory(memory), clock(clock) {
    memory.Put(0, 0x218, {0, 0, uint8_t(kDescriptor), uint8_t(kDescriptor >> 8)});
    auto d = TBoxLayout::Descriptor(0, 0, "COM1");
    d[32] = uint8_t(kBuffers);
    d[33] = uint8_t(kBuffers >> 8);
    memory.Put(kDescriptor, 0, d);
  }
  void CatchUp() {
    for (; written < due.size() && due[written] <= clock.Ms(); ++written) {
      const size_t buffer = written % kBoxBuffers;
      std::vector<uint8_t> data(20, 0x5A);
      for (size_t i = 0; i < 4; ++i) data[i] = uint8_t(written >> (8 * i));
      memory.Put(kBuffers, uint16_t(buffer * kBoxBufferSize), TBoxLayout::Record(due[written], 35, 0, 0, data));
      memory.Put(kDescriptor, uint16_t(14 + buffer), {uint8_t(data.size())});
      memory.Put(kDescriptor, 13, {uint8_t((written + 1) % kBoxBuffers)});
    }
  }
  static uint32_t Number(const TBoxRecord& record) {
    return uint32_t(record.data[0] | record.data[1] << 8 | record.data[2] << 16 | record.data[3] << 24);
  }
};

class TClockedTransport : public TBoxTransport {
 public:
  explicit TClockedTransport(TClockedRecorder& recorder) : TBoxTransport(recorder.memory), recorder_(recorder) {}
  bool Send(std::span<const uint8_t> frame) override {
    recorder_.clock.now += recorder_.roundTrip / 2;
    recorder_.CatchUp();
    recorder_.clock.now += recorder_.roundTrip / 2;
    return TBoxTransport::Send(frame);
  }
  int Quiet(std::chrono::milliseconds silence, const std::function<void()>&, std::chrono::steady_clock::time_point&) override {
    recorder_.clock.now += silence;
    ++recorder_.quiets;
    return 0;
  }

 private:
  TClockedRecorder& recorder_;
};

inline void UseClockedRecorder(TControllerLink& link, TClockedRecorder& recorder) {
  link.Settings.Attempts = 1;
  link.SetTransportFactory([&recorder](const TLinkSettings&) { return std::make_unique<TClockedTransport>(recorder); });
}

}  // namespace vlm::test
