// Configuration texts from outside (velmorctl cfg from-text): any text gives an image or a line
// with what is wrong, never a crash; an image it gives reads or is refused by the image reader,
// and the text of a readable one gives back the same bytes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "cfgdiff/ImageTree.h"
#include "cfgdiff/TextForm.h"
#include "common/Prompt.h"
#include "ports/KindRegistration.h"

namespace {
class TQuiet : public vlm::IPrompt {
 public:
  void ShowError(const std::string&) override {}
  vlm::TAnswer AskYesNo(const std::string&, bool) override { return vlm::TAnswer::Yes; }
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  vlm::RegisterPortKinds();
  TQuiet quiet;
  vlm::PromptGuard guard(quiet);
  std::vector<uint8_t> image;
  try {
    image = vlm::ConfigFromText(std::string_view(reinterpret_cast<const char*>(data), size));
  } catch (const vlm::ETextFormError&) {
    return 0;
  }
  try {
    const vlm::TLoadedImage loaded(image);
    if (vlm::ConfigFromText(vlm::ConfigToText(loaded)) != image) __builtin_trap();
  } catch (const vlm::EAbort&) {
  }
  return 0;
}
