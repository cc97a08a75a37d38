#include "sim/SimRecorders.h"

#include <algorithm>
#include <cstring>

#include "common/Numbers.h"
#include "common/TextCodec.h"

namespace vlm::sim {
namespace {

constexpr size_t kDescriptorSize = 68;
constexpr size_t kBufferSize = 136;
constexpr size_t kMaxData = 128;

uint16_t DescriptorSegment(size_t index) { return uint16_t(kRecorderSegment + 0x10 * index); }
uint16_t BufferSegment(size_t index) { return uint16_t(kRecordBufferSegment + 0x100 * index); }

std::vector<uint8_t> Descriptor(uint16_t nextSegment, uint8_t type, const std::string& utf8Name) {
  std::vector<uint8_t> d(kDescriptorSize);
  PutU32(&d[0], uint32_t(nextSegment) << 16);
  std::memcpy(&d[4], "BlackBox", 8);
  d[12] = type;
  const std::string name = Utf8ToCp1251(utf8Name).substr(0, 32);
  d[34] = uint8_t(name.size());
  std::memcpy(&d[35], name.data(), name.size());
  return d;
}

}  // namespace

const std::vector<RecorderPort>& RecorderPorts() {
  static const std::vector<RecorderPort> ports = {
      {"COM2 МЭК-101", {kCodeIec101}},      {"COM3 Modbus", {kCodeModbus}},
      {"ЛИСНА-1", {kCodeLisna}},            {"COM4 СИРИУС", {kCodeSirius, kCodeSiriusFast}},
      {"COM5 МКТ-3", {kCodeMkt3}},          {"COM6 ТК РЭС", {kCodeTkRes}},
      {"ETH1 МЭК-104", {kCodeIec104, kCodeApciPrivate}}, {"COM7 Щит", {kCodeLampBoard}},
  };
  return ports;
}

TrafficGenerator RingTraffic(size_t index, uint64_t seed, bool faults) {
  return TrafficGenerator(RecorderPorts()[index].codes, seed * 1000003u + index, faults);
}

uint32_t RingTick(size_t index, uint64_t k, double rate) {
  // Ports a few milliseconds apart, so their records do not all carry the same ticks.
  return uint32_t(3 * index + uint64_t(double(k) * 1000.0 / rate));
}

SimRecorders::SimRecorders(const RecorderOptions& options) : options_(options) {}

void SimRecorders::Publish(SimMemory& memory) {
  const auto& ports = RecorderPorts();
  rings_.clear();
  for (size_t i = 0; i < ports.size(); ++i) {
    rings_.push_back({RingTraffic(i, options_.seed, options_.faults)});
    auto d = Descriptor(DescriptorSegment(i + 1), 0, ports[i].name);
    PutU32(&d[30], uint32_t(BufferSegment(i)) << 16);
    memory.Write(DescriptorSegment(i), 0, d);
  }
  auto eth = Descriptor(0, 1, kEthernetRecorderName);
  PutU32(&eth[13], kPcapBufferBase);
  PutU32(&eth[17], kPcapBufferSize);
  memory.Write(DescriptorSegment(ports.size()), 0, eth);
  if (pcapBuffer_.empty()) pcapBuffer_ = memory.MapLinear(kPcapBufferBase, kPcapBufferSize);
  std::fill(pcapBuffer_.begin(), pcapBuffer_.end(), 0);
  pcapWrite_ = 0;
  pcapWrapped_ = false;
  lapStarts_.clear();
  oldStarts_.clear();
  oldNext_ = 0;
  packetsNext_ = 0;
  session_ = std::make_unique<PcapSession>(options_.seed);
  const uint8_t root[4] = {0, 0, uint8_t(kRecorderSegment), uint8_t(kRecorderSegment >> 8)};
  memory.Write(0, kRecorderChainOffset, root);
  boot_ = std::chrono::steady_clock::now();
  bootUnixMs_ = std::chrono::duration_cast<std::chrono::milliseconds>(
                    std::chrono::system_clock::now().time_since_epoch())
                    .count();
}

void SimRecorders::CatchUp(SimMemory& memory) {
  const auto elapsed = std::chrono::steady_clock::now() - boot_;
  CatchUpTo(memory, uint32_t(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count()));
}

void SimRecorders::CatchUpTo(SimMemory& memory, uint32_t nowMs) {
  if (options_.rate > 0) {
    for (size_t i = 0; i < rings_.size(); ++i) {
      Ring& ring = rings_[i];
      for (uint32_t tick; (tick = RingTick(i, ring.next, options_.rate)) <= nowMs; ++ring.next)
        WriteRecord(memory, i, ring, ring.traffic.Next(), tick);
    }
  }
  if (options_.pcapPeriodMs > 0)
    for (; packetsNext_ * options_.pcapPeriodMs <= nowMs; ++packetsNext_)
      WritePacket(memory, uint32_t(packetsNext_ * options_.pcapPeriodMs));
}

void SimRecorders::WriteRecord(SimMemory& memory, size_t index, Ring& ring, const SimFrame& frame, uint32_t tick) {
  const size_t length = std::min(frame.bytes.size(), kMaxData);
  uint8_t buffer[kBufferSize] = {};
  PutU32(buffer, tick);
  buffer[4] = frame.protocol;
  buffer[5] = frame.direction;
  buffer[6] = frame.error;
  buffer[7] = frame.param;
  std::copy_n(frame.bytes.begin(), length, buffer + 8);
  memory.Write(BufferSegment(index), uint16_t(ring.writeIndex * kBufferSize), std::span(buffer, 8 + length));
  // The length first, the write index last: a reader never sees the index before the record.
  const uint8_t lengthByte = uint8_t(length);
  memory.Write(DescriptorSegment(index), uint16_t(14 + ring.writeIndex), std::span(&lengthByte, 1));
  ring.writeIndex = uint8_t((ring.writeIndex + 1) % 16);
  memory.Write(DescriptorSegment(index), 13, std::span(&ring.writeIndex, 1));
  ++ring.written;
}

void SimRecorders::WriteFiller(uint32_t at, uint32_t end, const uint8_t* stamp) {
  uint8_t* head = pcapBuffer_.data() + at;
  std::fill(head, pcapBuffer_.data() + end, 0);
  std::memcpy(head, stamp, 8);
  PutU32(head + 8, end - at - 16);
  PutU32(head + 12, end - at - 16);
}

void SimRecorders::WritePacket(SimMemory& memory, uint32_t tick) {
  const int64_t unixMs = bootUnixMs_ + tick;
  const std::vector<uint8_t> record = session_->NextRecord(uint32_t(unixMs / 1000), uint32_t(unixMs % 1000) * 1000);
  const uint32_t size = uint32_t(pcapBuffer_.size());
  if (pcapWrite_ + record.size() > size) {
    // The recorder starts over at the buffer start; the unused end becomes a filler record.
    if (pcapWrite_ < size) {
      WriteFiller(pcapWrite_, size, lastStamp_);
      lapStarts_.push_back(pcapWrite_);
    }
    oldStarts_ = std::move(lapStarts_);
    lapStarts_.clear();
    oldNext_ = 0;
    pcapWrite_ = 0;
    pcapWrapped_ = true;
  }
  const uint32_t end = pcapWrite_ + uint32_t(record.size());
  std::copy(record.begin(), record.end(), pcapBuffer_.begin() + pcapWrite_);
  std::memcpy(lastStamp_, record.data(), 8);
  lapStarts_.push_back(pcapWrite_);
  if (pcapWrapped_) {
    while (oldNext_ < oldStarts_.size() && oldStarts_[oldNext_] < end) ++oldNext_;
    const uint32_t next = oldNext_ < oldStarts_.size() ? oldStarts_[oldNext_] : size;
    if (next > end) {
      // Records are multiples of 16 bytes, so the gap holds at least a record head. The old
      // record at 0 lies before `end`, so there is a spent entry to take the filler's start.
      WriteFiller(end, next, next < size ? pcapBuffer_.data() + next : lastStamp_);
      oldStarts_[--oldNext_] = end;
    }
  }
  pcapWrite_ = end;
  ++packetsWritten_;
  uint8_t fields[5];
  PutU32(fields, pcapWrite_);
  fields[4] = pcapWrapped_;
  memory.Write(DescriptorSegment(rings_.size()), 21, fields);
}

std::vector<SimRecorders::Count> SimRecorders::Counts() const {
  std::vector<Count> counts;
  for (size_t i = 0; i < rings_.size(); ++i) counts.push_back({RecorderPorts()[i].name, rings_[i].written});
  counts.push_back({kEthernetRecorderName, packetsWritten_});
  return counts;
}

}  // namespace vlm::sim
