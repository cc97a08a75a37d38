// Recorder memory as the link delivers it: the input is the controller's memory from 6000:0000
// on (the chain root points at 6000:0000) and also the linear capture buffer. The scan, the polls
// of every reader with every switch of the window, and capture chunks must stay within bounds
// whatever the descriptors, length tables and records hold.
#include <cstdint>
#include <cstdio>
#include <filesystem>

#include "../tests/blackbox/BoxFake.h"
#include "blackbox/BoxDriverEth.h"
#include "blackbox/BoxScan.h"
#include "common/Prompt.h"
#include "support/ScriptedPrompt.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vlm;
  static test::TBoxMemory memory;
  std::fill(memory.real.begin(), memory.real.end(), 0);
  const size_t n = std::min<size_t>(size, 0x10000);
  std::copy_n(data, n, memory.real.begin() + 0x60000);
  memory.linear.assign(data, data + n);
  memory.Put(0, 0x218, {0, 0, 0x00, 0x60});
  memory.requests.clear();
  memory.refuseAreas = size > 0 && (data[0] & 1);

  ScriptedPrompt prompt;
  prompt.defaultAnswer = TAnswer::Cancel;  // no files: recordings are refused at the question
  PromptGuard guard(prompt);
  TControllerLink link;
  test::UseBoxMemory(link, memory);
  TBoxContext context(link);
  test::TBoxEvents events;
  context.observer = &events;
  context.clock = [] { return 45000.5; };
  TBoxList list(context);
  list.Scan();
  for (const auto& reader : list.Readers()) {
    context.view.currentBox = reader.get();
    for (int round = 0; round < 4; ++round) {
      context.view.showHex = round & 1;
      context.view.showText = round & 2;
      context.view.kpFilter = context.view.fnFilter = round == 3;
      context.view.analyzerRunning = round == 2;
      reader->Poll();
      // Move the write index on, as a controller filling its ring would.
      if (reader->Type() == kBoxTypeRecords) {
        uint8_t* header = memory.At(reader->Address().segment, reader->Address().offset);
        header[13] = uint8_t((header[13] + 5) % 16);
      }
    }
  }
  return 0;
}
