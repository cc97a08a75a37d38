// Fleet backup over many controllers into a folder that already holds many copies: the time must
// grow with controllers plus copies, not with their product (the folder is listed once per run).
//   fleet_bench --benchmark_filter=BackupAll
#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "../tests/link/FakeController.h"
#include "common/DataFolder.h"
#include "common/IniFile.h"
#include "link/LinkTransport.h"
#include "shell/FleetBackup.h"
#include "shell/IpList.h"

namespace {

namespace fs = std::filesystem;
using namespace vlm;

// Every controller answers at once from the same fake disk.
class TInstantTransport : public ILinkTransport {
 public:
  explicit TInstantTransport(test::TFakeController& controller) : controller_(controller) {}
  bool Open() override { return true; }
  void Close() override {}
  bool Send(std::span<const uint8_t> frame) override {
    answer_ = controller_.Answer(frame);
    return true;
  }
  TReceived Receive(std::span<uint8_t> into, size_t, std::chrono::milliseconds, const TAnswerFilter&,
                    const std::function<void()>&) override {
    if (answer_.empty()) return {};
    const size_t n = std::min(answer_.size(), into.size());
    std::copy_n(answer_.begin(), n, into.begin());
    answer_.clear();
    return {TReceiveEnd::Answer, n};
  }
  int Quiet(std::chrono::milliseconds, const std::function<void()>&, std::chrono::steady_clock::time_point&) override {
    return 0;
  }

 private:
  test::TFakeController& controller_;
  std::vector<uint8_t> answer_;
};

// range(0) controllers; range(1) earlier copies of other controllers already in the folder.
void BM_BackupAll(benchmark::State& state) {
  const fs::path folder = fs::temp_directory_path() / "velmor_fleet_bench";
  fs::remove_all(folder);
  fs::create_directories(folder);
  for (int64_t i = 0; i < state.range(1); ++i)
    WriteFileAtomically(folder / ("Старая " + std::to_string(i) + "_10.9.0.1_20250101-000000.cfg"), "x");
  test::TFakeController controller;
  controller.files["c:\\vlm.cfg"] = std::vector<uint8_t>(300, 7);
  TIpList list;
  for (int64_t i = 0; i < state.range(0); ++i)
    list.rows.push_back({"10." + std::to_string(i / 65536) + "." + std::to_string(i / 256 % 256) + "." +
                             std::to_string(i % 256),
                         "ТП " + std::to_string(i)});
  const auto targets = BackupTargets(list, TIniFile((folder / "none.ini").string()), TLinkSettings{});
  TBackupOptions options;
  options.folder = folder;
  options.transport = [&](const TLinkSettings&) { return std::make_unique<TInstantTransport>(controller); };
  double when = 46000;
  for (auto _ : state) {
    options.when = when += 1.0;  // a new day each run: every copy is written again
    const auto results = BackupAll(targets, options);
    benchmark::DoNotOptimize(results.data());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
  fs::remove_all(folder);
}
BENCHMARK(BM_BackupAll)->Args({100, 10000})->Args({1000, 10000})->Args({1000, 1000})->Unit(benchmark::kMillisecond)
    ->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
