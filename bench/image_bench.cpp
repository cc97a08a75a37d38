// Building and reading back a near-maximal configuration image (close to the 64001-byte limit):
// the cost of "save", "open" and of the structure check alone.
#include <benchmark/benchmark.h>

#include <vector>

#include "BenchTrees.h"

namespace {

struct TFixture {
  TFixture() : guard(prompt) {
    station = vlm::bench::BuildLargeTree(tree).station;
    cfg.Stamp = 0.0;
    station->WriteConfig(cfg);
    image.assign(cfg.Image().begin(), cfg.Image().end());
  }
  vlm::bench::TQuietPrompt prompt;
  vlm::PromptGuard guard;
  vlm::TTree tree;
  vlm::TStation* station = nullptr;
  vlm::TConfig cfg;
  std::vector<uint8_t> image;
};

TFixture& Fixture() {
  static TFixture fixture;
  return fixture;
}

void BM_BuildImage(benchmark::State& state) {
  TFixture& f = Fixture();
  vlm::TConfig cfg;
  cfg.Stamp = 0.0;
  for (auto _ : state) {
    f.station->WriteConfig(cfg);
    benchmark::DoNotOptimize(cfg.ConfigSize);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.image.size()));
  state.counters["image_bytes"] = static_cast<double>(f.image.size());
}
BENCHMARK(BM_BuildImage);

void BM_LoadAndCheck(benchmark::State& state) {
  TFixture& f = Fixture();
  vlm::TConfig cfg;
  for (auto _ : state) {
    cfg.Load(f.image);
    benchmark::DoNotOptimize(cfg.ConfigSize);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.image.size()));
}
BENCHMARK(BM_LoadAndCheck);

void BM_ReadImage(benchmark::State& state) {
  TFixture& f = Fixture();
  vlm::TConfig cfg;
  for (auto _ : state) {
    vlm::TTree tree;
    vlm::TStation* station = vlm::NewEmptyStation(tree);
    cfg.Load(f.image);
    station->ReadConfig(cfg);
    benchmark::DoNotOptimize(tree.Root());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.image.size()));
}
BENCHMARK(BM_ReadImage);

}  // namespace

BENCHMARK_MAIN();
