// Replayed text files: any line through the line parser and the replay reader with every
// switch of the window; a record line written from a parsed line must parse to the same record.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "blackbox/BoxDriver.h"
#include "blackbox/BoxLine.h"
#include "blackbox/BoxReplay.h"
#include "link/Velmor_PC.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vlm;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  TParsedLine parsed;
  if (ClassifyRecordLine(text, parsed) == TLineKind::Record) {
    TParsedLine again;
    const std::string line = FormatRecordLine(parsed.record, parsed.length, parsed.time, 0, 1);
    if (ClassifyRecordLine(line, again) != TLineKind::Record || again.length != parsed.length ||
        again.record.ticks != parsed.record.ticks || again.record.protocol != parsed.record.protocol ||
        again.record.direction != parsed.record.direction ||
        !std::equal(parsed.record.data.begin(), parsed.record.data.begin() + long(parsed.length),
                    again.record.data.begin()))
      std::abort();
  }

  std::FILE* file = std::tmpfile();
  if (!file) return 0;
  std::fwrite(data, 1, size, file);
  std::rewind(file);
  TControllerLink link;
  TBoxContext context(link);
  context.view.kpFilter = size & 1;
  context.view.showHex = size & 2;
  TBoxDriver box(context, TBoxDescriptor::Named("Test"), 0, 0);
  context.view.currentBox = &box;
  TBoxReplay replay(box, file);
  while (replay.Step()) {
  }
  std::fclose(file);
  return 0;
}
