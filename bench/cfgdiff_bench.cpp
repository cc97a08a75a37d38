// Knowing what is about to be written:
//   DiffOneChange      two near-maximal images (close to 64001 bytes) that differ in one item
//   DiffIdentical      the same image twice (the byte comparison and the reader's checks only)
//   TextRoundTrip      the near-maximal image to text and back
//   BackupThree        velmorctl backup-all's core against three simulated controllers at
//                      127.0.0.2..4 over loopback UDP, each holding a near-maximal image; wall ms
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>

#include "../tests/link/UdpResponder.h"
#include "BenchTrees.h"
#include "cfgdiff/ConfigDiff.h"
#include "cfgdiff/ImageTree.h"
#include "cfgdiff/TextForm.h"
#include "model/Cards.h"
#include "model/Config.h"
#include "ports/KindRegistration.h"
#include "shell/FleetBackup.h"
#include "sim/SimController.h"
#include "sim/SimDisk.h"
#include "sim/SimMemory.h"

namespace {

struct TImages {
  TImages() : guard(prompt) {
    vlm::RegisterPortKinds();
    const vlm::bench::TLargeTree large = vlm::bench::BuildLargeTree(tree);
    vlm::TStation* station = large.station;
    vlm::TConfig cfg;
    cfg.Stamp = 0.0;
    station->WriteConfig(cfg);
    before.assign(cfg.Image().begin(), cfg.Image().end());
    // One serial port of the last card gets another speed.
    vlm::TTreeNode* last = large.lastController->Child(large.lastController->Count() - 1);
    static_cast<vlm::TComPort*>(last->Child(3)->Object())->Speed = 57600;
    station->WriteConfig(cfg);
    after.assign(cfg.Image().begin(), cfg.Image().end());
  }
  vlm::bench::TQuietPrompt prompt;
  vlm::PromptGuard guard;
  vlm::TTree tree;
  std::vector<uint8_t> before, after;
};

TImages& Images() {
  static TImages images;
  return images;
}

void DiffOneChange(benchmark::State& state) {
  TImages& images = Images();
  size_t changes = 0;
  for (auto _ : state) changes = vlm::DiffImages(images.before, images.after).entries.size();
  state.counters["image_bytes"] = double(images.before.size());
  state.counters["changes"] = double(changes);
}
BENCHMARK(DiffOneChange)->Unit(benchmark::kMillisecond);

void DiffIdentical(benchmark::State& state) {
  TImages& images = Images();
  for (auto _ : state) benchmark::DoNotOptimize(vlm::DiffImages(images.before, images.before).identicalBytes);
}
BENCHMARK(DiffIdentical)->Unit(benchmark::kMicrosecond);

void TextRoundTrip(benchmark::State& state) {
  TImages& images = Images();
  size_t textBytes = 0;
  for (auto _ : state) {
    const vlm::TLoadedImage loaded(images.before);
    const std::string text = vlm::ConfigToText(loaded);
    textBytes = text.size();
    benchmark::DoNotOptimize(vlm::ConfigFromText(text));
  }
  state.counters["text_bytes"] = double(textBytes);
}
BENCHMARK(TextRoundTrip)->Unit(benchmark::kMillisecond);

// One simulated controller: disk folder with vlm.cfg, request handler on a responder thread.
struct TSimulated {
  TSimulated(const std::filesystem::path& folder, const std::string& ip, const std::vector<uint8_t>& image)
      : disk((std::filesystem::create_directories(folder), folder)),
        controller(disk, memory),
        responder(ip, [this](std::span<const uint8_t> req) {
          std::lock_guard lock(mutex);
          size_t size = 0;
          if (vlm::sim::CheckRequestFrame(req, size) != vlm::sim::FrameCheck::Valid) return std::vector<uint8_t>{};
          return controller.Handle(req.first(size), vlm::sim::kUdpLink).answer;
        }) {
    std::ofstream(folder / "vlm.cfg", std::ios::binary)
        .write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
    controller.Boot();
  }
  vlm::sim::SimMemory memory;
  vlm::sim::SimDisk disk;
  vlm::sim::SimController controller;
  std::mutex mutex;
  vlm::test::TUdpResponder responder;
};

void BackupThree(benchmark::State& state) {
  TImages& images = Images();
  const auto root = std::filesystem::temp_directory_path() / "velmor_backup_bench";
  std::filesystem::remove_all(root);
  std::vector<std::unique_ptr<TSimulated>> sims;
  std::vector<vlm::TBackupTarget> targets;
  for (int i = 0; i < 3; ++i) {
    const std::string ip = "127.0.0." + std::to_string(2 + i);
    sims.push_back(std::make_unique<TSimulated>(root / ("disk" + std::to_string(i)), ip, images.before));
    vlm::TBackupTarget t;
    t.place = "ТП " + std::to_string(i);
    t.address = ip;
    t.settings.SelfIP = {127, 0, 0, 1};
    t.settings.DestIP = {127, 0, 0, static_cast<uint8_t>(2 + i)};
    t.settings.UdpPort = sims.back()->responder.Port();
    t.settings.WaitTime = 1000;
    targets.push_back(t);
  }
  vlm::TBackupOptions options;
  options.folder = root / "copies";
  options.jobs = static_cast<int>(state.range(0));
  size_t failed = 0;
  for (auto _ : state) {
    std::filesystem::remove_all(options.folder);
    std::filesystem::create_directories(options.folder);
    failed = vlm::FailedCount(vlm::BackupAll(targets, options));
  }
  state.counters["failed"] = double(failed);
  state.counters["image_bytes"] = double(images.before.size());
  sims.clear();
  std::filesystem::remove_all(root);
}
BENCHMARK(BackupThree)->Arg(1)->Arg(3)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
