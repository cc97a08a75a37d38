// The oscilloscope's receiving thread and the display mirror's drawing:
//   ReceiveStream   3 s of the simulator's stream (24000 frames/s, in-process on 127.0.0.2) taken
//                   by TOscStream on 127.0.0.1; counter cpu_percent is the receiving thread's
//                   processor time (from /proc/self/task/*/schedstat) as a share of one core.
//   ScreenRedraw    all 4000 cells of the 80 x 50 screen drawn from the glyph cache.
//   GlyphCache      building the cache of 256 attributes.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <thread>

#include "diag/DisplayFont.h"
#include "diag/OscThread.h"
#include "sim/SimOsc.h"

namespace {

std::set<std::string> Tasks() {
  std::set<std::string> tasks;
  for (const auto& e : std::filesystem::directory_iterator("/proc/self/task")) tasks.insert(e.path().filename().string());
  return tasks;
}

// Processor time of one thread in seconds, from the scheduler's nanosecond count (the clock
// ticks of /proc/.../stat are too coarse for a thread that runs a few milliseconds a second).
double ThreadCpu(const std::string& tid) {
  std::ifstream in("/proc/self/task/" + tid + "/schedstat");
  unsigned long long ns = 0;
  in >> ns;
  return double(ns) / 1e9;
}

void ReceiveStream(benchmark::State& state) {
  vlm::sim::SimOsc sim(vlm::sim::FaultSettings{});
  if (!sim.Open("127.0.0.2", 0).empty()) return state.SkipWithError("cannot bind 127.0.0.2");
  sim.Start();
  const uint16_t port = uint16_t(std::stoi(sim.Address().substr(sim.Address().find(':') + 1)));
  for (auto _ : state) {
    vlm::TOscStream stream;
    const auto before = Tasks();
    if (!stream.Start({127, 0, 0, 1}, {127, 0, 0, 2}, port, 1).empty()) return state.SkipWithError("cannot bind");
    std::string receiver;
    for (const auto& t : Tasks())
      if (!before.count(t)) receiver = t;
    const double cpu0 = ThreadCpu(receiver);
    const auto t0 = std::chrono::steady_clock::now();
    for (int s = 0; s < 3; ++s) {
      std::this_thread::sleep_for(std::chrono::seconds(1));
      stream.SendStreamCommand();
    }
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    const double cpu = ThreadCpu(receiver) - cpu0;
    state.counters["cpu_percent"] = 100.0 * cpu / wall;
    state.counters["frames_per_s"] = double(stream.Counters().packets * vlm::kOscBlockFrames) / wall;
    state.counters["lost"] = double(stream.Counters().lost);
    stream.Stop();
  }
  sim.Stop();
}
BENCHMARK(ReceiveStream)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

vlm::TFont8x8 Font() {
  if (auto f = vlm::LoadPsf1File(vlm::kConsoleCyrillicFont)) return *f;
  vlm::TFont8x8 font;
  for (size_t i = 0; i < font.size(); ++i) font[i] = uint8_t(i * 37);
  return font;
}

void ScreenRedraw(benchmark::State& state) {
  const vlm::TGlyphCache glyphs(Font());
  vlm::TScreenPicture picture(glyphs);
  vlm::TScreenBuffer screen;
  for (int r = 0; r < vlm::kScreenRows; ++r) {
    auto row = screen.Row(r);
    for (size_t i = 0; i < row.size(); ++i) row[i] = uint8_t(r * 7 + i);
  }
  for (auto _ : state) {
    picture.DrawAll(screen);
    benchmark::DoNotOptimize(picture.Image().pixels.data());
  }
}
BENCHMARK(ScreenRedraw)->Unit(benchmark::kMicrosecond);

void GlyphCache(benchmark::State& state) {
  const vlm::TFont8x8 font = Font();
  for (auto _ : state) {
    vlm::TGlyphCache glyphs(font);
    benchmark::DoNotOptimize(&glyphs);
  }
}
BENCHMARK(GlyphCache)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
