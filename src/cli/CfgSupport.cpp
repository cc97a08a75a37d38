#include "cli/CfgSupport.h"

#include <cstdio>
#include <filesystem>

#include "common/DataFolder.h"
#include "common/Format.h"
#include "common/PathText.h"
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

namespace {
// Messages of reading name the file: a script checking many files must say which one is damaged.
class TFilePrompt : public IPrompt {
 public:
  TFilePrompt(IPrompt& outer, std::string path) : outer_(outer), path_(std::move(path)) {}
  void ShowError(const std::string& text) override { outer_.ShowError(path_ + ": " + text); }
  TAnswer AskYesNo(const std::string& text, bool withCancel) override {
    return outer_.AskYesNo(path_ + ": " + text, withCancel);
  }
 private:
  IPrompt& outer_;
  std::string path_;
};
}  // namespace

int ReadConfigFile(const std::string& path, TTree& tree, TConfig& cfg) {
  std::string bytes;
  std::error_code ec;
  if (std::filesystem::is_directory(PathFromUtf8(path), ec)) {
    std::fprintf(stderr, "velmorctl: cannot read %s: it is a folder\n", path.c_str());
    return 2;
  }
  TFilePrompt prompt(Prompt(), path);
  PromptGuard guard(prompt);
  // Refused by its size before a byte is read: no image is larger.
  if (const auto size = FileSizeOver(PathFromUtf8(path), kImageCapacity)) {
    ShowError(Format("Слишком большой файл: %u", {*size}));
    return 2;
  }
  if (!ReadWholeFile(PathFromUtf8(path), bytes)) {
    std::fprintf(stderr, "velmorctl: cannot read %s\n", path.c_str());
    return 2;
  }
  TStation* station = NewEmptyStation(tree);
  try {
    if (bytes.size() > kImageCapacity) {
      ShowError(Format("Слишком большой файл: %u", {bytes.size()}));
      return 2;
    }
    cfg.Load({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()});
    station->ReadConfig(cfg);
  } catch (const EAbort&) {
    return 2;
  }
  return 0;
}

void PrintReadNotes(const std::string& path, const TConfig& cfg) {
  for (const std::string& note : cfg.ReadNotes) std::fprintf(stderr, "%s: %s\n", path.c_str(), Lines(note).c_str());
}

void InstallCfgKinds() {
  // The card kinds are registered by the model itself; port and point kinds by their library.
  Kinds();
  RegisterPortKinds();
}

}  // namespace vlm::cli
