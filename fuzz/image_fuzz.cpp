// Fuzz target of the configuration image reader: any bytes must be read or refused with a
// message, never crash or read outside the input. An image that was read is written back; the
// written image must read again and write to the very same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "common/Numbers.h"
#include "common/Prompt.h"
#include "model/Config.h"
#include "model/Kinds.h"

namespace {

// Answers every question "Да" (conflicts in a file are accepted) and forgets the messages.
class TQuietPrompt : public vlm::IPrompt {
 public:
  void ShowError(const std::string&) override {}
  vlm::TAnswer AskYesNo(const std::string&, bool) override { return vlm::TAnswer::Yes; }
};

// Reads bytes into a fresh tree and writes it back; false when either step was refused.
bool ReadAndWrite(const uint8_t* data, size_t size, std::vector<uint8_t>& written) {
  vlm::TTree tree;
  vlm::TStation* station = vlm::NewEmptyStation(tree);
  vlm::TConfig cfg;
  try {
    cfg.Load({data, size});
    station->ReadConfig(cfg);
    cfg.Stamp = 0.0;
    station->WriteConfig(cfg);
  } catch (const vlm::EAbort&) {
    return false;
  }
  written.assign(cfg.Image().begin(), cfg.Image().end());
  return true;
}

void Check(const uint8_t* data, size_t size) {
  std::vector<uint8_t> first, second;
  if (!ReadAndWrite(data, size, first)) return;
  if (!ReadAndWrite(first.data(), first.size(), second) || second != first) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static TQuietPrompt prompt;
  vlm::SetPrompt(&prompt);
  Check(data, size);
  // Most mutations break the checksum; the same bytes with a true size field and checksum
  // carry the mutation on into the records.
  if (size >= vlm::kHeaderSize + 2 && size <= vlm::kImageCapacity) {
    std::vector<uint8_t> fixed(data, data + size);
    vlm::PutU32(&fixed[vlm::kSizeOffset], static_cast<uint32_t>(size));
    vlm::StoreCheckSum(fixed.data(), size);
    Check(fixed.data(), size);
  }
  vlm::SetPrompt(nullptr);
  return 0;
}
