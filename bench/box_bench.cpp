// The reader's record path: ProcessRecord with hex lines and decoded text on, as the window polls;
// and the replay of a 100 MB recorded file through the "Test" reader.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "blackbox/BoxDriver.h"
#include "blackbox/BoxLine.h"
#include "blackbox/BoxReplay.h"
#include "link/Velmor_PC.h"

namespace {

struct TSample {
  uint8_t protocol, direction;
  std::vector<uint8_t> bytes;
};

std::vector<TSample> Samples() {
  return {
      {8, 1, {0x10, 0x5B, 0x01, 0x5C, 0x16}},
      {8, 0, {0x68, 10, 10, 0x68, 8, 1, 1, 0x83, 0x14, 1, 100, 1, 0, 1, 0, 0x16}},
      {14, 0, {0x68, 14, 2, 0, 2, 0, 1, 1, 3, 0, 1, 0, 5, 0, 0, 1}},
      {14, 1, {0x68, 4, 0x43, 0, 0, 0}},
      {35, 1, {0x01, 0x03, 0x00, 0x10, 0x00, 0x02, 0xC5, 0xCE}},
      {35, 0, {0x01, 0x03, 0x04, 0x00, 0x0A, 0x00, 0x0B, 0x9B, 0xF6}},
      {36, 0, {0x00, 0x25, 0x07, 1, 2, 3}},
  };
}

struct TBench {
  vlm::TControllerLink link;
  vlm::TBoxContext context{link};
  vlm::TBoxDriver box{context, vlm::TBoxDescriptor::Named("Bench"), 0, 0};
  TBench() {
    context.view.currentBox = &box;
    context.view.showText = true;
  }
};

void BM_ProcessRecordDecoding(benchmark::State& state) {
  TBench bench;
  const auto samples = Samples();
  size_t i = 0;
  uint32_t ticks = 0;
  for (auto _ : state) {
    const TSample& s = samples[i++ % samples.size()];
    vlm::TBoxRecord& r = bench.box.CurrentRecord();
    r.ticks = ticks += 20;
    r.protocol = s.protocol;
    r.direction = s.direction;
    r.param = 0x55;
    std::copy(s.bytes.begin(), s.bytes.end(), r.data.begin());
    bench.box.ProcessRecord(s.bytes.size(), 45000.5);
  }
  state.SetItemsProcessed(int64_t(state.iterations()));
}
BENCHMARK(BM_ProcessRecordDecoding);

// A recording of about 100 MB, written once per run.
std::filesystem::path RecordingFile() {
  static const std::filesystem::path path = [] {
    const auto p = std::filesystem::temp_directory_path() / "velmor_box_bench.txt";
    std::FILE* f = std::fopen(p.string().c_str(), "wb");
    const auto samples = Samples();
    vlm::TBoxRecord r;
    std::string text;
    uint32_t ticks = 0;
    for (size_t i = 0, written = 0; written < 100u << 20; ++i) {
      const TSample& s = samples[i % samples.size()];
      r.ticks = ticks + 20;
      r.protocol = s.protocol;
      r.direction = s.direction;
      std::copy(s.bytes.begin(), s.bytes.end(), r.data.begin());
      text.clear();
      vlm::AppendRecordLine(text, r, s.bytes.size(), 45000.5 + i / vlm::kMsPerDay, ticks, 1);
      ticks = r.ticks;
      text += "\r\n";
      std::fwrite(text.data(), 1, text.size(), f);
      written += text.size();
    }
    std::fclose(f);
    return p;
  }();
  return path;
}

void BM_Replay100MB(benchmark::State& state) {
  const auto path = RecordingFile();
  int64_t bytes = 0, records = 0;
  for (auto _ : state) {
    TBench bench;
    std::FILE* f = std::fopen(path.string().c_str(), "rb");
    vlm::TBoxReplay replay(bench.box, f);
    while (replay.Step()) {
    }
    bytes += int64_t(replay.Progress());
    records += int64_t(replay.Records());
    std::fclose(f);
  }
  state.SetBytesProcessed(bytes);
  state.SetItemsProcessed(records);
}
BENCHMARK(BM_Replay100MB)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace


// The stream analyzer's feed per frame over a mix of SIRIUS traffic (telesignal polls and
// answers, telemetering, general-type and control telesignal frames) from 30 points.
#include "blackbox/BoxTavik.h"
#include "blackbox/Checksums.h"

namespace {

void BM_TavikFeed(benchmark::State& state) {
  struct TFrame {
    vlm::TBoxRecord record;
    size_t length;
    std::string line;
  };
  std::vector<TFrame> frames;
  auto add = [&frames](uint8_t direction, std::vector<uint8_t> body, int ms) {
    body.push_back(0x20);
    body.push_back(0);
    body.back() = vlm::SiriusCheckOctet(body);
    TFrame f;
    f.record.protocol = 2;
    f.record.direction = direction;
    std::copy(body.begin(), body.end(), f.record.data.begin());
    f.length = body.size();
    char text[64];
    std::snprintf(text, sizeof text, "2026.12.09 12:%02d:%02d.%03d|t 1|d 1|p002|e0|L 6|№4|-->|", ms / 60000 % 60,
                  ms / 1000 % 60, ms % 1000);
    f.line = text;
    frames.push_back(std::move(f));
  };
  int ms = 0;
  for (int kp = 1; kp <= 30; ++kp)
    for (int g = 0; g < 8; ++g) {
      add(1, {uint8_t(kp), 0x90, uint8_t(g)}, ms += 7);
      add(0, {uint8_t(kp), 0x90, uint8_t(g), uint8_t(kp * 7 + g * 13 + ms)}, ms += 7);
      add(0, {uint8_t(kp), 0x20, uint8_t(g), 0xF0, 1, 2, 3, 4, 5, 6, 7, uint8_t(ms)}, ms += 7);
      if (g == 0) add(0, {uint8_t(kp), 0x49, 0x90, 9, uint8_t(ms), 0x20, 2, 0xC0, 1, 2, 3, uint8_t(ms)}, ms += 7);
    }
  vlm::TTavikAnalyzer analyzer;
  analyzer.clock = [] { return 46365.5; };
  size_t i = 0;
  for (auto _ : state) {
    const TFrame& f = frames[i];
    analyzer.Feed(f.record, f.length, f.line);
    if (++i == frames.size()) i = 0;
  }
  state.SetItemsProcessed(int64_t(state.iterations()));
}
BENCHMARK(BM_TavikFeed);

}  // namespace

BENCHMARK_MAIN();
