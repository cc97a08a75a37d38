// velmorctl box list | record | pcap | replay | topcap: the recorder readers driven from the
// console. Polls run every 20 ms as the window's work timer does; Ctrl+C ends a recording
// cleanly (the file is closed; a capture stopped before its end keeps its temporary name).
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "blackbox/BoxDriverEth.h"
#include "blackbox/BoxPcapExport.h"
#include "blackbox/BoxReplay.h"
#include "blackbox/BoxScan.h"
#include "blackbox/BoxTavik.h"
#include "blackbox/BoxTavikExport.h"
#include "blackbox/BoxWork.h"
#include "cli/BoxCli.h"
#include "cli/LinkCli.h"
#include "common/PathText.h"
#include "common/Prompt.h"
#include "platform/FileAccess.h"

namespace vlm::cli {
namespace {

volatile std::sig_atomic_t gInterrupted = 0;
void OnInterrupt(int) { gInterrupted = 1; }

// Ctrl+C ends the loop instead of the program while one runs.
class TInterruptGuard {
 public:
  TInterruptGuard() {
    gInterrupted = 0;
    previous_ = std::signal(SIGINT, OnInterrupt);
  }
  ~TInterruptGuard() { std::signal(SIGINT, previous_); }

 private:
  void (*previous_)(int);
};

// Counts the failed steps and the refused headers, and prints the reader's display lines where asked.
struct TConsoleObserver : IBoxObserver {
  std::FILE* lines = nullptr;
  size_t failed = 0;
  size_t refused = 0;  // headers without the signature or with a write index past the ring
  void IndicatorPoint(uint32_t colour) override {
    if (colour == kPointYellow) ++failed;
    if (colour == kPointFuchsia || colour == kPointPurple) ++refused;
  }
  void LinesAdded(TBoxDriver&, std::string_view text, uint8_t) override {
    if (!lines) return;
    ForEachPiece(text, [this](std::string_view piece) { std::fprintf(lines, "%.*s\n", int(piece.size()), piece.data()); });
  }
};

const char* TypeText(uint8_t type) { return type == kBoxTypeRecords ? "records" : "pcap"; }

// A scan whose chain breaks after some readers keeps them usable, as the window does; false when
// it found none at all (the scan has said why).
bool ScanReaders(TBoxList& list) { return list.Scan() || !list.Readers().empty() || !list.Unsupported().empty(); }

// The window's overwrite question has no one to answer it here: an existing file is refused, or
// with --append the records are added to it (the question's "Нет").
class TAppendAnswer : public IPrompt {
 public:
  TAppendAnswer() : outer_(Prompt()) {}
  void ShowError(const std::string& text) override { outer_.ShowError(text); }
  TAnswer AskYesNo(const std::string&, bool) override { return TAnswer::No; }

 private:
  IPrompt& outer_;
};

// The reader of the given number after a scan; prints why when there is none.
TBoxDriver* FindReader(TBoxList& list, int number, uint8_t type, const char* command) {
  TBoxDriver* reader = list.Find(number);
  if (!reader) {
    BadInput(command, "no recorder №" + std::to_string(number) + " (see velmorctl box list)");
    return nullptr;
  }
  if (reader->Type() != type) {
    BadInput(command, "recorder №" + std::to_string(number) + " holds " + TypeText(reader->Type()) + "; use box " +
                          (reader->Type() == kBoxTypePcap ? "pcap" : "record"));
    return nullptr;
  }
  return reader;
}

// Polls until `done` holds, Ctrl+C is pressed or the time is up (seconds 0: no limit).
template <typename Done>
void WorkLoop(TBoxList& list, IWorkClock* clock, double seconds, Done done) {
  TInterruptGuard guard;
  TSteadyWorkClock steady;
  RunBoxWork(list, clock ? *clock : steady, seconds, [&] { return gInterrupted || done(); });
}

}  // namespace

int BoxList(TControllerLink& link) {
  TBoxContext context(link);
  TBoxList list(context);
  // The recorders in front of a broken descriptor are listed; the status says the chain broke.
  const bool whole = list.Scan();
  if (!whole && list.Readers().empty() && list.Unsupported().empty()) return kExitFailed;
  for (const auto& reader : list.Readers()) {
    const TBoxDescriptor& d = reader->Descriptor();
    // The name last: names are Cyrillic, and columns counted in bytes would not line up.
    if (reader->Type() == kBoxTypeRecords)
      std::printf("№%-3d records  write index %-2u                              %s\n", reader->Number(), d.WriteIndex(),
                  reader->Name().c_str());
    else
      std::printf("№%-3d pcap     size %u, written %u, wrapped %-5s  %s\n", reader->Number(), d.EthSize(),
                  d.EthWriteIndex(), d.EthWrapped() ? "True" : "False", reader->Name().c_str());
  }
  for (const auto& other : list.Unsupported())
    std::printf("-    type %-3u  not supported, not read                    %s\n", other.type, other.name.c_str());
  if (!whole) std::fprintf(stderr, "box list: the chain of descriptors breaks after the recorders listed\n");
  return whole ? kExitOk : kExitFailed;
}

int BoxRecord(TControllerLink& link, const TBoxRecordArgs& args) {
  TBoxContext context(link);
  TConsoleObserver observer;
  context.observer = &observer;
  context.view.showText = args.text;
  TBoxList list(context);
  if (!ScanReaders(list)) return kExitFailed;
  TBoxDriver* reader = FindReader(list, args.recorder, kBoxTypeRecords, "box record");
  if (!reader) return kExitBadInput;
  if (!args.output.empty()) {
    const std::filesystem::path output = PathFromUtf8(args.output);
    context.boxFolder = output.has_parent_path() ? output.parent_path() : std::filesystem::current_path();
    reader->FileName = FileNameUtf8(output);
  }
  std::error_code ec;
  const bool exists = std::filesystem::exists(reader->RecordingPath(), ec);
  if (exists && !args.append)
    return BadInput("box record", PathToUtf8(reader->RecordingPath()) +
                                      " exists: name another file with -o, or add to it with --append");
  {
    TAppendAnswer append;
    PromptGuard guard(append);
    reader->StartRecording();
  }
  if (!reader->Recording()) return kExitFailed;
  WorkLoop(list, args.clock, args.seconds, [] { return false; });
  reader->StopRecording();
  std::fprintf(stderr, "box record: %llu records, %d characters to %s; %zu reads failed\n",
               static_cast<unsigned long long>(reader->RecordsProcessed()), reader->BytesWritten(),
               PathToUtf8(reader->RecordingPath()).c_str(), observer.failed);
  // The file is kept, but where it is not the whole traffic the status says so.
  const auto count = [](uint64_t n) { return static_cast<unsigned long long>(n); };
  if (reader->RecordsLost())
    std::fprintf(stderr, "box record: %llu records lost with failed batch reads\n", count(reader->RecordsLost()));
  if (reader->Overruns())
    std::fprintf(stderr,
                 "box record: records were lost %llu times: the recorder wrote over records before they were read "
                 "(each gap is marked in the file)\n",
                 count(reader->Overruns()));
  if (reader->RecordsCut())
    std::fprintf(stderr, "box record: %llu records claimed more than the 128 bytes of their buffer and were cut\n",
                 count(reader->RecordsCut()));
  if (observer.refused)
    std::fprintf(stderr,
                 "box record: %zu recorder headers refused (no signature, or a write index past the 16 buffers)\n",
                 observer.refused);
  const bool whole = !reader->RecordsLost() && !reader->Overruns() && !reader->RecordsCut() && !observer.refused;
  return whole ? kExitOk : kExitFailed;
}

int BoxPcap(TControllerLink& link, int recorder, const std::string& output, IWorkClock* clock) {
  TBoxContext context(link);
  TConsoleObserver observer;
  observer.lines = stderr;
  context.observer = &observer;
  TBoxList list(context);
  if (!ScanReaders(list)) return kExitFailed;
  TBoxDriver* reader = FindReader(list, recorder, kBoxTypePcap, "box pcap");
  if (!reader) return kExitBadInput;
  auto& eth = static_cast<TBoxDriverEth&>(*reader);
  context.view.currentBox = &eth;
  eth.FileName = output;
  std::error_code ec;
  if (std::filesystem::exists(eth.CapturePath(), ec))
    return BadInput("box pcap", PathToUtf8(eth.CapturePath()) + " exists: name another file with -o");
  eth.StartRecording();
  if (!eth.Recording()) return kExitFailed;
  WorkLoop(list, clock, 0, [&eth] { return !eth.Recording(); });
  if (eth.Recording()) {
    // Stopped before the write position: the part is kept under its temporary name, so that
    // nothing looks like a finished capture.
    const std::filesystem::path part = eth.AbandonRecording();
    std::fprintf(stderr, "box pcap: interrupted; %d bytes kept in %s\n", eth.BytesWritten(), PathToUtf8(part).c_str());
    return kExitFailed;
  }
  std::fprintf(stderr, "box pcap: %d bytes to %s\n", eth.BytesWritten(), PathToUtf8(eth.CapturePath()).c_str());
  return kExitOk;
}

int BoxReplay(const TBoxReplayArgs& args) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(platform::OpenFile(PathFromUtf8(args.file), "rb"), std::fclose);
  if (!file) return BadInput("box replay", "cannot open " + args.file);
  TControllerLink link;  // never opened: a replay reads no controller
  TBoxContext context(link);
  TConsoleObserver observer;
  observer.lines = stdout;
  context.observer = &observer;
  context.view.showIn = !args.onlyOut;
  context.view.showOut = !args.onlyIn;
  context.view.showHex = args.hex;
  context.view.showText = args.text;
  context.view.kpFilter = args.kpFilter;
  context.view.kpNumber = args.kpNumber;
  context.view.fnFilter = args.fnFilter;
  context.view.fnNumber = args.fnNumber;
  TBoxList list(context);
  TBoxDriver& box = list.ReplayBox();
  context.view.currentBox = &box;
  TBoxReplay replay(box, file.get(), uint8_t(args.param));
  while (replay.Step()) {
  }
  if (replay.ReadError()) return BadInput("box replay", "read error in " + args.file);
  std::fprintf(stderr, "box replay: %zu records, %zu lines skipped (fields that are not numbers)\n", replay.Records(),
               replay.Skipped());
  return std::fflush(stdout) == 0 ? kExitOk : kExitFailed;
}

namespace {

struct TAnalyzerObserver : IBoxObserver {
  TTavikAnalyzer analyzer;
  void AnalyzerFeed(TBoxDriver&, const TBoxRecord& record, size_t length, const std::string& line) override {
    analyzer.Feed(record, length, line);
  }
};

}  // namespace

int BoxAnalyze(const std::string& path, int param) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(platform::OpenFile(PathFromUtf8(path), "rb"), std::fclose);
  if (!file) return BadInput("box analyze", "cannot open " + path);
  TControllerLink link;  // never opened: the analysis reads no controller
  TBoxContext context(link);
  TAnalyzerObserver observer;
  context.observer = &observer;
  context.view.showHex = context.view.showText = false;
  context.view.analyzerRunning = true;
  TBoxList list(context);
  TBoxDriver& box = list.ReplayBox();
  context.view.currentBox = &box;
  TBoxReplay replay(box, file.get(), uint8_t(param));
  while (replay.Step()) {
  }
  if (replay.ReadError()) return BadInput("box analyze", "read error in " + path);
  const std::string tree = TavikTreeText(observer.analyzer);
  std::fwrite(tree.data(), 1, tree.size(), stdout);
  std::fprintf(stderr, "box analyze: %zu records, %zu lines skipped (fields that are not numbers)\n", replay.Records(),
               replay.Skipped());
  return std::fflush(stdout) == 0 ? kExitOk : kExitFailed;
}

int BoxToPcap(const std::string& input, const std::string& output, int param) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(platform::OpenFile(PathFromUtf8(input), "rb"), std::fclose);
  if (!in) return BadInput("box topcap", "cannot open " + input);
  // Written under a temporary name: an interrupted conversion leaves no file that looks whole.
  const std::string part = output + ".part";
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> out(platform::OpenFile(PathFromUtf8(part), "wb"), std::fclose);
  if (!out) return BadInput("box topcap", "cannot create " + part);
  const TPcapExportResult result = ExportRecordingToPcap(in.get(), out.get());
  const bool closed = std::fclose(out.release()) == 0;
  std::error_code ec;
  if (result.readError || result.writeError || !closed) {
    std::filesystem::remove(part, ec);
    return BadInput("box topcap", result.readError ? "read error in " + input : "cannot write " + output);
  }
  std::filesystem::rename(part, output, ec);
  if (ec) return BadInput("box topcap", "cannot write " + output + ": " + ec.message());
  std::fprintf(stderr, "box topcap: %zu records, %zu lines skipped\n", result.records, result.skipped);
  if (result.iec101)
    std::fprintf(stderr, "IEC 101 packets (%zu) decode with: tshark %s\n", result.iec101,
                 Iec101TsharkOptions(uint8_t(param)).c_str());
  return kExitOk;
}

}  // namespace vlm::cli
