// Speed of the file exchange window's operations (TFileExchange, the code behind the window)
// against velmor-sim over loopback UDP, the simulator started by the benchmark itself:
//   CopyFile1MiB     copy of one 1 MiB file to a PC folder (long blocks); bytes_per_second
//                    gives the MB/s.
//   List200Entries   the listing of a directory of 200 entries (block listing); ms per listing.
//   Compare1MiB      the compare of a 1 MiB controller file with its PC copy (230-byte blocks).
//   Upload64KiB      the upload window's load of 64 KiB with its read-back check (the 200 ms
//                    pause before the check left out).
//   AutoexecRoundTrip  reading autoexec.bat into the editor and writing it back.
// The simulator is looked for beside this program's build folder, or given as VELMOR_SIM.
#include <benchmark/benchmark.h>

#include <cstdlib>

static std::string SimPath();
#define VELMOR_SIM SimPath()
#include "../tests/e2e/SimProcess.h"
#include "common/Prompt.h"
#include "services/Autoexec.h"
#include "services/FileExchange.h"
#include "services/Upload.h"

namespace fs = std::filesystem;

static std::string SimPath() {
  if (const char* path = std::getenv("VELMOR_SIM"); path && *path) return path;
  return (fs::canonical("/proc/self/exe").parent_path().parent_path() / "bin/velmor-sim").string();
}

namespace {

struct TSimBench {
  vlm::e2e::TTempDir root;
  fs::path disk = root.Path() / "disk", home = root.Path() / "home", pc = root.Path() / "pc";
  std::unique_ptr<vlm::e2e::TSim> sim;
  vlm::TControllerLink link;
  vlm::IServiceObserver quiet;
  vlm::TFileExchange files{link, quiet};

  explicit TSimBench(const std::function<void(const fs::path&)>& fill) {
    for (const auto& d : {disk, home, pc}) fs::create_directories(d);
    fill(disk);
    sim = std::make_unique<vlm::e2e::TSim>(disk, home);
    link.Settings.SelfIP = {127, 0, 0, 1};
    link.Settings.DestIP = {127, 0, 0, 2};
    link.Settings.UdpPort = sim->Port();
    link.Settings.WaitTime = 1000;
    files.PcDir = pc;
  }
};

void CopyFile1MiB(benchmark::State& state) {
  // Blocks of different bytes, as real files have: identical answers in a row are what the link
  // suspects of being stale copies.
  TSimBench bench([](const fs::path& disk) {
    std::string bytes(1 << 20, '\0');
    std::mt19937 random(1);
    for (auto& c : bytes) c = char(random());
    vlm::e2e::WriteBytes(disk / "big.bin", bytes);
  });
  if (!bench.sim->Running()) return state.SkipWithError("velmor-sim did not start");
  bench.files.ReadControllerDir();
  std::vector<vlm::TFileInfo> selected;
  for (const auto& item : bench.files.Items())
    if (item.Name == "big.bin") selected.push_back(item);
  for (auto _ : state)
    if (!bench.files.CopyToPC(selected)) return state.SkipWithError("copy failed");
  state.SetBytesProcessed(int64_t(state.iterations()) * (1 << 20));
}
BENCHMARK(CopyFile1MiB)->Unit(benchmark::kMillisecond)->UseRealTime();

void List200Entries(benchmark::State& state) {
  TSimBench bench([](const fs::path& disk) {
    for (int i = 0; i < 198; ++i) vlm::e2e::WriteBytes(disk / ("file" + std::to_string(i) + ".dat"), std::to_string(i));
  });
  if (!bench.sim->Running()) return state.SkipWithError("velmor-sim did not start");
  for (auto _ : state) {
    bench.files.ReadControllerDir();
    if (bench.files.Items().size() != 200) return state.SkipWithError("listing incomplete");
  }
}
BENCHMARK(List200Entries)->Unit(benchmark::kMillisecond)->UseRealTime();

std::string RandomBytes(size_t n) {
  std::string bytes(n, '\0');
  std::mt19937 random(2);
  for (auto& c : bytes) c = char(random());
  return bytes;
}

void Compare1MiB(benchmark::State& state) {
  const std::string bytes = RandomBytes(1 << 20);
  TSimBench bench([&](const fs::path& disk) { vlm::e2e::WriteBytes(disk / "big.bin", bytes); });
  if (!bench.sim->Running()) return state.SkipWithError("velmor-sim did not start");
  vlm::e2e::WriteBytes(bench.pc / "big.bin", bytes);
  bench.files.ReadControllerDir();
  std::vector<vlm::TFileInfo> selected;
  for (const auto& item : bench.files.Items())
    if (item.Name == "big.bin") selected.push_back(item);
  for (auto _ : state)
    if (!bench.files.Compare(selected)) return state.SkipWithError("compare failed");
  state.SetBytesProcessed(int64_t(state.iterations()) * (1 << 20));
}
BENCHMARK(Compare1MiB)->Unit(benchmark::kMillisecond)->UseRealTime();

void Upload64KiB(benchmark::State& state) {
  TSimBench bench([](const fs::path&) {});
  if (!bench.sim->Running()) return state.SkipWithError("velmor-sim did not start");
  vlm::e2e::WriteBytes(bench.pc / "prog.exe", RandomBytes(65536));
  vlm::TUpload upload(bench.link, bench.quiet);
  upload.SettleMs = 0;
  for (auto _ : state)
    if (!upload.Load(bench.pc / "prog.exe")) return state.SkipWithError("upload failed");
  state.SetBytesProcessed(int64_t(state.iterations()) * 65536);
}
BENCHMARK(Upload64KiB)->Unit(benchmark::kMillisecond)->UseRealTime();

void AutoexecRoundTrip(benchmark::State& state) {
  TSimBench bench([](const fs::path&) {});
  if (!bench.sim->Running()) return state.SkipWithError("velmor-sim did not start");
  setenv("VELMOR_HOME", bench.home.c_str(), 1);
  vlm::TAutoexec autoexec(bench.link, bench.quiet);
  for (auto _ : state) {
    vlm::TAutoexecFile file;
    if (!autoexec.Read(file) || !autoexec.Write(file.Bytes)) return state.SkipWithError("autoexec failed");
  }
}
BENCHMARK(AutoexecRoundTrip)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
