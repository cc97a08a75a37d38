#include "cli/CfgSupport.h"

#include <cstdio>

#include "common/DataFolder.h"
#include "common/Format.h"
#include "model/Kinds.h"
#include "ports/KindRegistration.h"

namespace vlm::cli {

namespace {
std::string Lines(std::string text) {
  for (char& c : text)
    if (c == '\r') c = '\n';
  return text;
}
}  // namespace

void TCliPrompt::ShowError(const std::string& text) {
  std::fprintf(stderr, "%s\n", Lines(text).c_str());
}

TAnswer TCliPrompt::AskYesNo(const std::string& text, bool) {
  std::fprintf(stderr, "%s Да\n", Lines(text).c_str());
  return TAnswer::Yes;
}

int ReadConfigFile(const std::string& path, TTree& tree, TConfig& cfg) {
  std::string bytes;
  if (!ReadWholeFile(path, bytes)) {
    std::fprintf(stderr, "velmorctl: cannot read %s\n", path.c_str());
    return 2;
  }
  TStation* station = NewEmptyStation(tree);
  try {
    if (bytes.size() > kImageCapacity) {
      ShowError(Format("Слишком большой файл: %u\r%s", {bytes.size(), path}));
      return 2;
    }
    cfg.Load({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()});
    station->ReadConfig(cfg);
  } catch (const EAbort&) {
    return 2;
  }
  return 0;
}

void InstallCfgKinds() {
  // The card kinds are registered by the model itself; port and point kinds by their library.
  Kinds();
  RegisterPortKinds();
}

}  // namespace vlm::cli
