// Diagnostics against the simulator's controller (its request handler and diagnostic tree on a
// responder thread at 127.0.0.2, over loopback UDP):
//   ScanWholeTree  the root and every folder below it; counters objects, requests, ms.
//   WorkTick       one 400 ms work tick of the window with 200 visible rows of the
//                  "Параметры.Аналоговые" folder and its tree nodes visible; counter
//                  requests_per_tick (names are read again every few ticks, so it is an average).
#include <benchmark/benchmark.h>

#include <chrono>
#include <mutex>

#include "../tests/link/UdpResponder.h"
#include "diag/DiagSession.h"
#include "link/Velmor_PC.h"
#include "sim/SimController.h"
#include "sim/SimDiagTree.h"
#include "sim/SimDisk.h"

namespace {

using Clock = std::chrono::steady_clock;

struct TBench {
  vlm::sim::SimMemory memory;
  vlm::sim::SimDisk disk{"/nonexistent-velmor-bench-disk"};
  vlm::sim::SimController controller{disk, memory};
  vlm::sim::SimDiagTree tree{1};
  std::mutex mutex;
  vlm::test::TUdpResponder responder{"127.0.0.2", [this](std::span<const uint8_t> req) {
                                       std::lock_guard lock(mutex);
                                       size_t size = 0;
                                       if (vlm::sim::CheckRequestFrame(req, size) != vlm::sim::FrameCheck::Valid) return std::vector<uint8_t>{};
                                       return controller.Handle(req.first(size), vlm::sim::kUdpLink).answer;
                                     }};
  vlm::TControllerLink link;
  vlm::TDiagMemory diagMemory{link};
  vlm::TDiagContext context{diagMemory};

  TBench() {
    controller.SetBootHook([this](vlm::sim::SimMemory& m) { tree.Publish(m); });
    controller.Boot();
    link.Settings.DestIP = {127, 0, 0, 2};
    link.Settings.SelfIP = {127, 0, 0, 1};
    link.Settings.UdpPort = responder.Port();
    link.Settings.WaitTime = 1000;
    link.OpenLink();
  }
};

void ScanWholeTree(benchmark::State& state) {
  TBench bench;
  size_t objects = 0;
  uint64_t requests = 0;
  double ms = 0;
  for (auto _ : state) {
    vlm::TDiagSession session(bench.context);
    const uint64_t before = bench.diagMemory.Requests();
    const auto start = Clock::now();
    session.Scan();
    objects = 1 + vlm::ScanSubtree(bench.context, *session.Root, 64);
    ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    requests = bench.diagMemory.Requests() - before;
  }
  state.counters["objects"] = double(objects);
  state.counters["requests"] = double(requests);
  state.counters["ms"] = ms;
}
BENCHMARK(ScanWholeTree)->Unit(benchmark::kMillisecond)->Iterations(5);

void WorkTick(benchmark::State& state) {
  TBench bench;
  vlm::TDiagSession session(bench.context);
  session.Scan();
  vlm::TDiagObj* folder = vlm::FindByPath(bench.context, *session.Root, "Параметры.Аналоговые");
  session.Open(*folder);
  std::vector<vlm::TDiagObj*> nodes{session.Root.get()};
  vlm::ForEachChild(*session.Root, [&](vlm::TDiagObj& o) { nodes.push_back(&o); });
  vlm::ForEachChild(*folder->Parent(), [&](vlm::TDiagObj& o) { if (o.IsFolder()) nodes.push_back(&o); });
  uint64_t requests = 0, ticks = 0;
  for (auto _ : state) {
    const uint64_t before = bench.diagMemory.Requests();
    session.BeginTick();
    session.RefreshRows(0, 200);
    session.RefreshWatch();
    session.RefreshHeaders(nodes, {});
    requests += bench.diagMemory.Requests() - before;
    ++ticks;
  }
  state.counters["requests_per_tick"] = double(requests) / double(ticks);
  state.counters["visible_rows"] = 200;
}
BENCHMARK(WorkTick)->Unit(benchmark::kMillisecond)->Iterations(50);

}  // namespace

BENCHMARK_MAIN();
