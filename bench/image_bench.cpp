// Building and reading back a near-maximal configuration image (close to the 64001-byte limit):
// the cost of "save", "open" and of the structure check alone.
#include <benchmark/benchmark.h>

#include <vector>

#include "common/Prompt.h"
#include "model/Cards.h"
#include "model/Config.h"
#include "model/Kinds.h"

namespace {

class TQuietPrompt : public vlm::IPrompt {
 public:
  void ShowError(const std::string&) override {}
  vlm::TAnswer AskYesNo(const std::string&, bool) override { return vlm::TAnswer::Yes; }
};

// Controllers full of 5558 cards (8 serial ports each) until the next card would not fit.
vlm::TStation* BuildLargeTree(vlm::TTree& tree) {
  vlm::TStation* station = vlm::NewConfiguration(tree);
  station->Place = "Подстанция №1";
  vlm::TConfig cfg;
  cfg.Stamp = 0.0;
  vlm::TTreeNode* controller = station->Node->Child(0);
  for (int cards = 0;; ++cards) {
    if (cards % 16 == 15) controller = vlm::AddController(*station->Node)->Node;
    auto* card = static_cast<vlm::TCardRS*>(vlm::Kinds().Create(vlm::TKindFamily::Card, 3, *controller));
    card->SetAddress(static_cast<uint8_t>((cards % 4) * 4));
    try {
      station->WriteConfig(cfg);
    } catch (const vlm::EAbort&) {
      controller->DeleteChild(controller->Count() - 1);
      return station;
    }
  }
}

struct TFixture {
  TFixture() : guard(prompt) {
    station = BuildLargeTree(tree);
    cfg.Stamp = 0.0;
    station->WriteConfig(cfg);
    image.assign(cfg.Image().begin(), cfg.Image().end());
  }
  TQuietPrompt prompt;
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
