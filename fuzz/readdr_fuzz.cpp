// Readdressing tables imported from text files the engineer brings: any bytes import, sort, store,
// load back and export without a crash or a read past a row.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "ports/ReaddrData.h"

using namespace vlm;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<TReaddrColumn> columns(5);
  columns[1].kind = TDataKind::Word;
  columns[1].maximum = 65535;
  columns[2].kind = TDataKind::Real48;
  columns[3].kind = TDataKind::BitsMsbFirst;
  columns[4].kind = TDataKind::Single;
  columns[0].sortRole = TSortKind::Local;
  TReaddrData table("T", columns);
  const std::string text(reinterpret_cast<const char*>(data), size);
  (void)ImportRefusal("T", 64, text);
  table.ImportText(text);
  table.Sort(TSortKind::Local);
  const TStoreResult stored = table.Store(0, [](const std::string&, int, int) { return TCellDecision::Ignore; });
  if (!stored.ok) std::abort();
  TReaddrData again("T", columns);
  again.Load(stored.rows);
  const TStoreResult twice = again.Store(0, [](const std::string&, int, int) { return TCellDecision::Ignore; });
  if (!twice.ok || twice.rows.size() != stored.rows.size()) std::abort();
  (void)table.ExportText();
  return 0;
}
