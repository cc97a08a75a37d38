// velmorctl cfg diff / to-text / from-text: what differs between two configurations, and the
// text form of a configuration for version control and review.
//   cfg diff A.cfg B.cfg [--format text|json]   exit 0 equal, 1 different, 2 bad input
//   cfg to-text FILE.cfg [-o FILE.txt]
//   cfg from-text FILE.txt -o FILE.cfg
#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "cfgdiff/ConfigDiff.h"
#include "cfgdiff/ImageTree.h"
#include "cfgdiff/TextForm.h"
#include "cli/CfgSupport.h"
#include "cli/CommandLine.h"
#include "common/DataFolder.h"
#include "common/PathText.h"
#include "common/Prompt.h"
#include "model/Config.h"

namespace vlm::cli {

namespace {

struct TDiffArgs {
  std::string first, second, out;
  std::string format = "text";
};

// The bytes of a file that may hold an image; status 2 after saying why not. A file larger than
// any image is refused by its size, before a byte of it is read.
std::optional<std::string> ReadImageFile(const std::string& command, const std::string& path) {
  std::string bytes;
  if (const auto size = FileSizeOver(PathFromUtf8(path), kImageCapacity)) {
    ShowError("Слишком большой файл: " + std::to_string(*size) + "\r" + path);
    return std::nullopt;
  }
  if (!ReadWholeFile(PathFromUtf8(path), bytes)) {
    std::fprintf(stderr, "velmorctl: %s: cannot read %s\n", command.c_str(), path.c_str());
    return std::nullopt;
  }
  return bytes;
}

std::span<const uint8_t> Span(const std::string& bytes) {
  return {reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()};
}

// Loads an image for the diff; the reader's message names the file on the next line.
std::unique_ptr<TLoadedImage> Load(const std::string& command, const std::string& path, const std::string& bytes) {
  try {
    if (bytes.size() > kImageCapacity) {
      ShowError("Слишком большой файл: " + std::to_string(bytes.size()) + "\r" + path);
      return nullptr;
    }
    return std::make_unique<TLoadedImage>(Span(bytes));
  } catch (const EAbort&) {
    std::fprintf(stderr, "velmorctl: %s: %s is not a readable configuration\n", command.c_str(), path.c_str());
    return nullptr;
  }
}

// A table whose row count and rows disagree is not a configuration to compare: the reader would
// take the fewer rows, and the difference would hide it.
bool SaysWhatItHolds(const std::string& command, const std::string& path, const TLoadedImage& image) {
  const auto faults = RowCountFaults(image);
  for (const TRowCountFault& f : faults)
    std::fprintf(stderr, "velmorctl: %s: %s: %s\n", command.c_str(), path.c_str(), f.text.c_str());
  return faults.empty();
}

int Diff(const TDiffArgs& args) {
  const auto a = ReadImageFile("cfg diff", args.first);
  const auto b = ReadImageFile("cfg diff", args.second);
  if (!a || !b) return kExitBadInput;
  TConfigDiff diff;
  if (*a == *b) {
    const auto la = Load("cfg diff", args.first, *a);
    if (!la || !SaysWhatItHolds("cfg diff", args.first, *la)) return kExitBadInput;
    diff.identicalBytes = true;
  } else {
    const auto la = Load("cfg diff", args.first, *a);
    if (!la || !SaysWhatItHolds("cfg diff", args.first, *la)) return kExitBadInput;
    const auto lb = Load("cfg diff", args.second, *b);
    if (!lb || !SaysWhatItHolds("cfg diff", args.second, *lb)) return kExitBadInput;
    diff = DiffLoaded(*la, *lb);
  }
  const std::string text = args.format == "json" ? DiffJson(diff) : DiffText(diff);
  std::fputs(text.c_str(), stdout);
  return diff.Equal() ? kExitOk : kExitFailed;
}

int ToText(const TDiffArgs& args) {
  const auto bytes = ReadImageFile("cfg to-text", args.first);
  if (!bytes) return kExitBadInput;
  const auto image = Load("cfg to-text", args.first, *bytes);
  if (!image) return kExitBadInput;
  const std::string text = ConfigToText(*image);
  if (args.out.empty()) {
    std::fputs(text.c_str(), stdout);
    return kExitOk;
  }
  if (!WriteFileAtomically(PathFromUtf8(args.out), text)) {
    std::fprintf(stderr, "velmorctl: cfg to-text: cannot write %s\n", args.out.c_str());
    return kExitFailed;
  }
  return kExitOk;
}

int FromText(const TDiffArgs& args) {
  std::string text;
  if (!ReadWholeFile(PathFromUtf8(args.first), text)) {
    std::fprintf(stderr, "velmorctl: cfg from-text: cannot read %s\n", args.first.c_str());
    return kExitBadInput;
  }
  std::vector<uint8_t> image;
  std::map<size_t, int> lines;
  try {
    image = ConfigFromText(text, &lines);
  } catch (const ETextFormError& e) {
    std::fprintf(stderr, "%s:%d: %s\n", args.first.c_str(), e.line, e.what());
    return kExitBadInput;
  }
  // What the text says must also be a configuration the program can read, and its tables must
  // hold as many rows as their counts say.
  const std::string bytes(image.begin(), image.end());
  const auto loaded = Load("cfg from-text", args.first, bytes);
  if (!loaded) return kExitBadInput;
  const auto faults = RowCountFaults(*loaded);
  for (const TRowCountFault& f : faults) {
    const size_t offset = static_cast<size_t>(f.record->payload.data() - loaded->Bytes().data()) - 4;
    std::fprintf(stderr, "%s:%d: %s\n", args.first.c_str(), lines.count(offset) ? lines[offset] : 0, f.text.c_str());
  }
  if (!faults.empty()) return kExitBadInput;
  if (!WriteFileAtomically(PathFromUtf8(args.out), bytes)) {
    std::fprintf(stderr, "velmorctl: cfg from-text: cannot write %s\n", args.out.c_str());
    return kExitFailed;
  }
  return kExitOk;
}

void SetDiffAction(CLI::App& command, int (*run)(const TDiffArgs&), std::shared_ptr<const TDiffArgs> args) {
  SetAction(command, [run, args] {
    InstallCfgKinds();
    TCliPrompt prompt;
    PromptGuard guard(prompt);
    return run(*args);
  });
}

}  // namespace

void AddCfgDiffCommands(CLI::App& cfg) {
  auto args = std::make_shared<TDiffArgs>();
  CLI::App* diff = cfg.add_subcommand(
      "diff", "what differs between two configurations (exit 0 equal, 1 different, 2 bad input)");
  diff->add_option("A.cfg", args->first, "the earlier configuration")->required();
  diff->add_option("B.cfg", args->second, "the later configuration")->required();
  diff->add_option("--format", args->format, "text (one line per change) or json")
      ->check(CLI::IsMember({"text", "json"}));
  SetDiffAction(*diff, Diff, args);

  CLI::App* toText = cfg.add_subcommand("to-text", "write a configuration as text that diffs well");
  toText->add_option("FILE.cfg", args->first, "file to read")->required();
  toText->add_option("-o", args->out, "text file to write (standard output by default)");
  SetDiffAction(*toText, ToText, args);

  CLI::App* fromText = cfg.add_subcommand("from-text", "build the configuration image a text describes");
  fromText->add_option("FILE.txt", args->first, "text to read")->required();
  fromText->add_option("-o", args->out, "image to write")->required();
  SetDiffAction(*fromText, FromText, args);
}

}  // namespace vlm::cli
