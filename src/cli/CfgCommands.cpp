// velmorctl cfg: configuration files without the desktop program.
//   cfg new OUT.cfg [--place TEXT] [--stamp "dd.mm.yyyy hh:nn:ss"]
//   cfg dump FILE.cfg [--records]
//   cfg rewrite IN.cfg OUT.cfg [--stamp ...]
//   cfg check FILE.cfg          (CfgCheck.cpp)
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cli/CfgCheck.h"
#include "cli/CfgSupport.h"
#include "cli/Commands.h"
#include "common/DataFolder.h"
#include "common/DateTime.h"
#include "common/Prompt.h"
#include "model/Config.h"
#include "model/ConfigText.h"
#include "model/Kinds.h"

namespace vlm::cli {

namespace {

constexpr int kOk = 0, kFailure = 1, kBadInput = 2;

int Usage() {
  std::fputs(
      "usage: velmorctl cfg new OUT.cfg [--place TEXT] [--stamp \"dd.mm.yyyy hh:nn:ss\"]\n"
      "       velmorctl cfg dump FILE.cfg [--records]\n"
      "       velmorctl cfg rewrite IN.cfg OUT.cfg [--stamp \"dd.mm.yyyy hh:nn:ss\"]\n"
      "       velmorctl cfg check FILE.cfg\n",
      stderr);
  return kBadInput;
}

// Builds the image of the tree and saves it; 0 or the exit status of the failure.
int Save(TStation& station, TConfig& cfg, const std::string& path) {
  try {
    station.WriteConfig(cfg);
  } catch (const EAbort&) {
    return kFailure;
  }
  const auto image = cfg.Image();
  if (!WriteFileAtomically(path, {reinterpret_cast<const char*>(image.data()), image.size()})) {
    std::fprintf(stderr, "velmorctl: cannot write %s\n", path.c_str());
    return kFailure;
  }
  return kOk;
}

int New(const TCfgArgs& args) {
  if (args.files.size() != 1) return Usage();
  TTree tree;
  TStation* station = NewConfiguration(tree);
  if (args.place) {
    station->Place = *args.place;
    station->UpdateNode();
  }
  TConfig cfg;
  cfg.Stamp = args.stamp;
  return Save(*station, cfg, args.files[0]);
}

int Dump(const TCfgArgs& args) {
  if (args.files.size() != 1) return Usage();
  TTree tree;
  TConfig cfg;
  if (int status = ReadConfigFile(args.files[0], tree, cfg)) return status;
  std::fputs(TreeText(tree).c_str(), stdout);
  if (args.records) std::fputs(RecordsText(cfg).c_str(), stdout);
  return kOk;
}

int Rewrite(const TCfgArgs& args) {
  if (args.files.size() != 2) return Usage();
  TTree tree;
  TConfig cfg;
  if (int status = ReadConfigFile(args.files[0], tree, cfg)) return status;
  cfg.Stamp = args.stamp;
  auto* station = static_cast<TStation*>(tree.Root()->Object());
  return Save(*station, cfg, args.files[1]);
}

}  // namespace

int RunCfgCommand(const std::vector<std::string>& args) {
  if (args.empty()) return Usage();
  InstallCfgKinds();
  TCliPrompt prompt;
  PromptGuard guard(prompt);
  TCfgArgs parsed;
  if (!ParseCfgArgs({args.begin() + 1, args.end()}, parsed)) return Usage();
  const std::string& command = args[0];
  if (command == "new") return New(parsed);
  if (command == "dump") return Dump(parsed);
  if (command == "rewrite") return Rewrite(parsed);
  if (command == "check") return RunCfgCheck(parsed.files);
  return Usage();
}

}  // namespace vlm::cli
