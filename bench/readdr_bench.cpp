// Opening a board port frame with a full TS table and storing it back.
#include <benchmark/benchmark.h>

#include <QApplication>

#include "OffscreenBench.h"
#include "common/Prompt.h"
#include "model/Kinds.h"
#include "model/VLM_Obj.h"
#include "ports/KindRegistration.h"
#include "ports/PortKind.h"
#include "ports/VLM_PortRows.h"
#include "ports/ui/FramePortLamp.h"
#include "support/ScriptedPrompt.h"

using namespace vlm;

namespace {

// A configuration with one board port whose TS table holds `rows` rows, every board address
// used once.
struct TBoard {
  explicit TBoard(size_t rows) {
    RegisterPortKinds();
    station = NewConfiguration(tree);
    auto* controller = static_cast<TController*>(station->Node->Child(0)->Object());
    port = dynamic_cast<TPortL*>(AddPort(*controller->Processor()->Node, *FindPortKind(5))->Object());
    port->Tables[TPortL::kTsTable].SetRows(Rows(rows));
  }
  static std::vector<uint8_t> Rows(size_t n) {
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i < n; ++i) {
      const uint8_t row[8] = {static_cast<uint8_t>(1 + i % 60), static_cast<uint8_t>(1 + i / 60 % 255), 1, 0xC0,
                              static_cast<uint8_t>(0x80 | (i % 64)), static_cast<uint8_t>(1 + i / 64), 0x81, 1};
      bytes.insert(bytes.end(), row, row + 8);
    }
    return bytes;
  }
  TTree tree;
  TStation* station;
  TPortL* port;
  ScriptedPrompt prompt;
  PromptGuard guard{prompt};
};

void BM_OpenBoardFrame(benchmark::State& state) {
  TBoard board(static_cast<size_t>(state.range(0)));
  for (auto _ : state) {
    TFramePortLamp frame(nullptr);
    frame.resize(980, 560);
    frame.Edit(board.port);
    frame.show();
    QCoreApplication::processEvents();
  }
}
BENCHMARK(BM_OpenBoardFrame)->Arg(8001)->Unit(benchmark::kMillisecond);

// Stores the grid into an emptied table each time, so every store converts, checks the board
// addresses and measures the image. 8001 rows (64008 bytes) never fit the image: that store runs
// to the image check and is refused there; 7900 rows fit and are stored.
void BM_StoreBoardFrame(benchmark::State& state) {
  const size_t rows = static_cast<size_t>(state.range(0));
  TBoard board(rows);
  TFramePortLamp frame(nullptr);
  frame.Edit(board.port);
  int refused = 0;
  for (auto _ : state) {
    state.PauseTiming();
    board.port->Tables[TPortL::kTsTable].Clear();
    board.prompt.errors.clear();
    state.ResumeTiming();
    refused += frame.Apply();
  }
  state.counters["refused"] = refused == 0 ? 0 : 1;
  if (rows <= 7900 && board.port->Tables[TPortL::kTsTable].Count() != rows) state.SkipWithError("rows not stored");
}
BENCHMARK(BM_StoreBoardFrame)->Arg(8001)->Arg(7900)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return vlm::bench::RunOffscreen(argc, argv); }
