// The stream analyzer over any sequence of records: the input is cut into records (protocol,
// direction, length, bytes) fed with a text line of their own, then the texts, logs and CSV of
// every node are built.
#include <cstdint>
#include <functional>
#include <string>

#include "blackbox/BoxTavik.h"
#include "blackbox/BoxTavikExport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vlm;
  TTavikAnalyzer analyzer;
  analyzer.clock = [] { return 46365.5; };
  size_t at = 0;
  int ms = 0;
  while (at + 3 <= size) {
    TBoxRecord record;
    record.protocol = data[at];
    record.direction = data[at + 1] & 3;
    const size_t length = std::min<size_t>(data[at + 2] & 0x7F, size - at - 3);
    std::copy(data + at + 3, data + at + 3 + length, record.data.begin());
    at += 3 + length;
    ms += data[at - 1] * 10;
    const std::string line = FormatDateTime("yyyy.mm.dd hh:nn:ss.zzz", 46365.5 + ms / kMsPerDay) + "|";
    analyzer.Feed(record, length, line);
  }
  TavikTreeText(analyzer);
  TavikTreeCsv(analyzer);
  analyzer.Fade([](const TTavikNode&) { return true; });
  std::function<void(const TTavikNode&)> walk = [&](const TTavikNode& node) {
    TTavikLog log;
    node.object->ShowLog(log);
    node.object->Popup();
    for (const auto& child : node.children) walk(*child);
  };
  walk(analyzer.Root());
  return 0;
}
