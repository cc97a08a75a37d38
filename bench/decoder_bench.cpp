// Frame decoders over a mixed recording of every decoded protocol, and the per-line work of
// printing a recorded file (parse, line, decode).
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "blackbox/BoxDecoder.h"
#include "blackbox/BoxLine.h"
#include "blackbox/BoxListing.h"
#include "blackbox/Checksums.h"

namespace {

struct TSampleFrame {
  uint8_t protocol, direction, param;
  std::vector<uint8_t> bytes;
};

std::vector<uint8_t> WithCrc(std::vector<uint8_t> bytes) {
  const uint16_t crc = vlm::Crc16Modbus(bytes);
  bytes.push_back(uint8_t(crc));
  bytes.push_back(uint8_t(crc >> 8));
  return bytes;
}

std::vector<uint8_t> Sirius(std::vector<uint8_t> body) {
  body.push_back(0x20);
  body.push_back(0);
  body.back() = vlm::SiriusCheckOctet(body);
  return body;
}

// A recording as a busy controller port mix would give it: every code, both directions.
std::vector<TSampleFrame> MixedFrames() {
  std::vector<uint8_t> bits104 = {0x68, 0, 0, 0, 0, 0, 1, 16, 0x14, 0, 1, 0};
  for (uint8_t i = 0; i < 16; ++i) bits104.insert(bits104.end(), {i, 0, 0, uint8_t(i & 1)});
  bits104[1] = uint8_t(bits104.size() - 2);
  std::vector<uint8_t> regs = {0x01, 0x03, 40};
  for (uint8_t i = 0; i < 40; ++i) regs.push_back(i);
  return {
      {0x02, 0, 0, Sirius({0x05, 0x90, 0x03, 0x5A})},
      {0x02, 1, 0, Sirius({0x05, 0x90, 0x03})},
      {0x04, 0, 0, Sirius({0x05, 0xF0, 0x01, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 0, 0})},
      {0x02, 0, 0, Sirius({0x05, 0x0A, 0x01, 0, 0, 0x81, 0, 0, 0xA0, 0x82, 0, 0, 0, 0x81, 0, 0, 0, 0x81, 0})},
      {8, 1, 0x55, {0x10, 0x5B, 0x01, 0x5C, 0x16}},
      {8, 0, 0x55, {0x68, 10, 10, 0x68, 8, 1, 1, 0x83, 0x14, 1, 100, 1, 0, 1, 0, 0x16}},
      {12, 0, 0, WithCrc({0xA5, 0x02, 1, 0, 2, 0, 3, 0, 4, 0, 5, 0, 6, 0, 7, 0, 8, 0})},
      {12, 1, 0, {0x44, 0x00, 0x00, 0x01, 0x00, 0x07}},
      {13, 0, 0, {0x38, 0x01, 0x01, 0x38, 0x0C, 0x25}},
      {14, 0, 0, bits104},
      {14, 1, 0, {0x68, 0x04, 0x43, 0x00, 0x00, 0x00}},
      {32, 0, 0, {0x10, 1, 2, 3, 4, 5, 6, 7, 8}},
      {35, 1, 0, WithCrc({0x01, 0x03, 0x00, 0x10, 0x00, 0x14})},
      {35, 0, 0, WithCrc(regs)},
      {36, 0, 0, {0x07, 0x25, 0xF1, 0x07, 0x80, 0x01, 0xAA, 0x55, 0x9D}},
      {37, 0, 0, {0x68, 0x04, 0x02, 0x00, 0x04, 0x00}},
  };
}

std::vector<vlm::TBoxRecord> Records(const std::vector<TSampleFrame>& frames) {
  std::vector<vlm::TBoxRecord> records;
  for (const TSampleFrame& f : frames) {
    vlm::TBoxRecord r;
    r.protocol = f.protocol;
    r.direction = f.direction;
    r.param = f.param;
    for (size_t i = 0; i < f.bytes.size(); ++i) r.data[i] = f.bytes[i];
    records.push_back(r);
  }
  return records;
}

void BM_DecodeMixed(benchmark::State& state) {
  const std::vector<TSampleFrame> frames = MixedFrames();
  const std::vector<vlm::TBoxRecord> records = Records(frames);
  vlm::TDecoderState decoderState;
  size_t i = 0;
  for (auto _ : state) {
    const vlm::TDecoded d = vlm::DecodeRecord(records[i], frames[i].bytes.size(), 45000.0, decoderState);
    benchmark::DoNotOptimize(d.text.data());
    if (++i == records.size()) i = 0;
  }
  state.SetItemsProcessed(int64_t(state.iterations()));
}
BENCHMARK(BM_DecodeMixed);

// What `velmorctl box decode` does for each line of a recording.
void BM_ReplayLineMixed(benchmark::State& state) {
  const std::vector<TSampleFrame> frames = MixedFrames();
  std::vector<vlm::TBoxRecord> records = Records(frames);
  std::vector<std::string> lines;
  for (size_t i = 0; i < records.size(); ++i)
    lines.push_back(vlm::FormatRecordLine(records[i], frames[i].bytes.size(), 45000.5, 0, 1));
  vlm::TBoxListing listing(true, true);
  vlm::TParsedLine parsed;
  std::string out;
  size_t i = 0, bytes = 0;
  for (auto _ : state) {
    vlm::ParseRecordLine(lines[i], parsed);
    parsed.record.param = 0x55;
    out.clear();
    listing.Process(parsed.record, parsed.length, parsed.time, out);
    benchmark::DoNotOptimize(out.data());
    bytes += lines[i].size() + 2;
    if (++i == lines.size()) i = 0;
  }
  state.SetItemsProcessed(int64_t(state.iterations()));
  state.SetBytesProcessed(int64_t(bytes));
}
BENCHMARK(BM_ReplayLineMixed);

}  // namespace

BENCHMARK_MAIN();
