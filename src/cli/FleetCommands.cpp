// velmorctl commands that hold controllers' configurations against files:
//   velmorctl [link options] diff-controller FILE.cfg
//       exit 0 equal, 1 different (or no configuration on the controller), 2 bad file, 3 link failure
//   velmorctl [link options] backup-all [--iplist FILE] [--out DIR] [--jobs N]
//       exit status = the number of controllers whose copy failed (2 also when the list is unusable)
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "cfgdiff/ConfigDiff.h"
#include "cfgdiff/ImageTree.h"
#include "cli/CfgSupport.h"
#include "cli/CommandLine.h"
#include "cli/LinkCli.h"
#include "common/DataFolder.h"
#include "common/IniFile.h"
#include "common/PathText.h"
#include "common/Prompt.h"
#include "link/FileTransfer.h"
#include "shell/FleetBackup.h"
#include "shell/IpList.h"

namespace vlm::cli {

namespace {

constexpr int kExitLinkFailed = 3;
constexpr const char* kControllerFile = "c:\\vlm.cfg";

struct TFleetArgs {
  std::string file, iplist, out;
  int jobs = 1;
};

std::unique_ptr<TLoadedImage> LoadBytes(const std::string& bytes) {
  try {
    return std::make_unique<TLoadedImage>(
        std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
  } catch (const EAbort&) {
    return nullptr;
  }
}

int DiffController(TControllerLink& link, const TFleetArgs& args) {
  std::string fileBytes;
  if (!ReadWholeFile(PathFromUtf8(args.file), fileBytes))
    return BadInput("diff-controller", "cannot read " + args.file);
  const auto file = fileBytes.size() <= kImageCapacity ? LoadBytes(fileBytes) : nullptr;
  if (!file) return BadInput("diff-controller", args.file + " is not a readable configuration");
  std::vector<uint8_t> bytes;
  TReadOptions quiet;
  quiet.showReadError = false;  // said below with its cause
  if (!ReadControllerFile(link, kControllerFile, bytes, quiet)) {
    if (link.LastFailure == TLinkFailure::DosError) {
      std::printf("На контроллере нет конфигурации (%s): %s\n", kControllerFile,
                  FailureWhy(link.LastFailure, link.LastDosError, link.Settings).c_str());
      return kExitFailed;
    }
    LinkFailed(link, "diff-controller", kControllerFile);
    return kExitLinkFailed;
  }
  const std::string controllerBytes(bytes.begin(), bytes.end());
  if (controllerBytes == fileBytes) {
    std::fputs("Конфигурация в контроллере совпадает с файлом байт в байт\n", stdout);
    return kExitOk;
  }
  const auto controller = bytes.size() <= kImageCapacity ? LoadBytes(controllerBytes) : nullptr;
  if (!controller) {
    std::printf("Конфигурация в контроллере не читается (%zu байт)\n", bytes.size());
    return kExitFailed;
  }
  // From what the controller holds to what the file would make of it.
  const TConfigDiff diff = DiffLoaded(*controller, *file);
  std::fputs(DiffText(diff).c_str(), stdout);
  return diff.Equal() ? kExitOk : kExitFailed;
}

std::string PadRight(const std::string& text, size_t width) {
  size_t chars = 0;
  for (unsigned char c : text) chars += (c & 0xC0) != 0x80;
  return text + std::string(width > chars ? width - chars : 0, ' ');
}

std::string ResultText(const TBackupResult& r, const TBackupTarget& target) {
  switch (r.outcome) {
    case TBackupOutcome::Saved:
      return (r.previous.empty() ? "saved (first copy) " : "saved (changed) ") + FileNameUtf8(r.file);
    case TBackupOutcome::Identical: return "identical to " + FileNameUtf8(r.file);
    case TBackupOutcome::Stopped: return "stopped";
    case TBackupOutcome::Failed: break;
  }
  return "FAILED: " + (r.error.empty() ? FailureWhy(r.failure, r.dosError, target.settings) : r.error);
}

int BackupAllCommand(const CLI::App& command, const TFleetArgs& args) {
  const std::filesystem::path listPath = args.iplist.empty() ? IpListIniPath() : PathFromUtf8(args.iplist);
  std::error_code ec;
  if (!std::filesystem::is_regular_file(listPath, ec))
    return BadInput("backup-all", "no address list " + PathToUtf8(listPath));
  TIpList list;
  list.Load(listPath);
  const TIniFile listFile(PathToUtf8(listPath));
  const auto targets = BackupTargets(list, listFile, SettingsOfLine(command));
  if (targets.empty()) return BadInput("backup-all", "no controllers in " + PathToUtf8(listPath));
  TBackupOptions options;
  try {
    options.folder = args.out.empty() ? DataSubfolder("Cfg") : PathFromUtf8(args.out);
  } catch (const std::exception& e) {
    return BadInput("backup-all", std::string("no folder for the copies: ") + e.what());
  }
  std::filesystem::create_directories(options.folder, ec);
  if (!std::filesystem::is_directory(options.folder, ec))
    return BadInput("backup-all", "cannot create " + PathToUtf8(options.folder));
  options.jobs = args.jobs;
  options.note = [](const std::string& note) { std::fprintf(stderr, "velmorctl: backup-all: %s\n", note.c_str()); };
  options.progress = [](const TBackupResult& r, size_t done, size_t total) {
    std::fprintf(stderr, "velmorctl: backup-all: %zu/%zu %s %s\n", done, total, r.address.c_str(),
                 r.outcome == TBackupOutcome::Failed ? "failed" : "done");
  };
  const auto results = BackupAll(targets, options);

  std::printf("%s %s %8s %7s  %s\n", PadRight("IP", 15).c_str(), PadRight("Место", 24).c_str(), "Размер", "Время,с",
              "Результат");
  for (size_t i = 0; i < results.size(); ++i) {
    const TBackupResult& r = results[i];
    const std::string size = r.outcome == TBackupOutcome::Failed ? "-" : std::to_string(r.size);
    std::printf("%s %s %8s %7.2f  %s\n", PadRight(r.address, 15).c_str(), PadRight(r.place, 24).c_str(),
                size.c_str(), r.seconds, ResultText(r, targets[i]).c_str());
  }
  const size_t failed = FailedCount(results);
  std::printf("%zu of %zu saved or identical, %zu failed; copies in %s\n", results.size() - failed, results.size(),
              failed, PathToUtf8(options.folder).c_str());
  return static_cast<int>(std::min<size_t>(failed, 100));
}

}  // namespace

void AddFleetCommands(CLI::App& app) {
  auto args = std::make_shared<TFleetArgs>();
  CLI::App* diff = app.add_subcommand(
      "diff-controller",
      "compare a configuration file with the controller's c:\\vlm.cfg (exit 0 equal, 1 different, 2 bad file, "
      "3 link failure)");
  diff->add_option("FILE.cfg", args->file, "configuration file")->required();
  SetLinkAction(*diff, [args](TControllerLink& link) {
    InstallCfgKinds();
    TCliPrompt prompt;
    PromptGuard guard(prompt);
    return DiffController(link, *args);
  });

  CLI::App* backup = app.add_subcommand(
      "backup-all",
      "save the configuration of every controller in IPList.ini (exit status: the number that failed)");
  backup->add_option("--iplist", args->iplist, "address list (IPList.ini of the data folder by default)");
  backup->add_option("--out", args->out, "folder of the copies (Cfg of the data folder by default)");
  backup->add_option("--jobs", args->jobs, "controllers read at the same time")->check(CLI::Range(1, 16));
  SetAction(*backup, [backup, args] { return BackupAllCommand(*backup, *args); });
}

}  // namespace vlm::cli
