// velmorctl cfg: configuration files without the desktop program.
//   cfg new OUT.cfg [--place TEXT] [--stamp "dd.mm.yyyy hh:nn:ss"]
//   cfg dump FILE.cfg [--records]
//   cfg rewrite IN.cfg OUT.cfg [--stamp ...]
//   cfg check FILE.cfg          (CfgCheck.cpp)
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "cli/CfgCheck.h"
#include "cli/CfgSupport.h"
#include "cli/CommandLine.h"
#include "common/DataFolder.h"
#include "common/PathText.h"
#include "common/DateTime.h"
#include "common/Prompt.h"
#include "model/Config.h"
#include "model/ConfigText.h"
#include "model/Kinds.h"

namespace vlm::cli {

namespace {

// The values of one cfg command line.
struct TCfgArgs {
  std::string in, out;
  std::optional<std::string> place;
  std::optional<TDateTime> stamp;
  bool records = false;
};

// Builds the image of the tree and saves it; 0 or the exit status of the failure.
int Save(TStation& station, TConfig& cfg, const std::string& path) {
  try {
    station.WriteConfig(cfg);
  } catch (const EAbort&) {
    return kExitFailed;
  }
  const auto image = cfg.Image();
  if (!WriteFileAtomically(PathFromUtf8(path), {reinterpret_cast<const char*>(image.data()), image.size()})) {
    std::fprintf(stderr, "velmorctl: cannot write %s\n", path.c_str());
    return kExitFailed;
  }
  return kExitOk;
}

int New(const TCfgArgs& args) {
  TTree tree;
  TStation* station = NewConfiguration(tree);
  if (args.place) {
    station->Place = *args.place;
    station->UpdateNode();
  }
  TConfig cfg;
  cfg.Stamp = args.stamp;
  return Save(*station, cfg, args.out);
}

int Dump(const TCfgArgs& args) {
  TTree tree;
  TConfig cfg;
  if (int status = ReadConfigFile(args.in, tree, cfg)) return status;
  PrintReadNotes(args.in, cfg);
  std::fputs(TreeText(tree).c_str(), stdout);
  if (args.records) std::fputs(RecordsText(cfg).c_str(), stdout);
  return kExitOk;
}

int Rewrite(const TCfgArgs& args) {
  TTree tree;
  TConfig cfg;
  if (int status = ReadConfigFile(args.in, tree, cfg)) return status;
  // Writing now would store the configuration without the rows reading could not take.
  if (!cfg.ReadNotes.empty()) {
    PrintReadNotes(args.in, cfg);
    std::fprintf(stderr, "velmorctl: %s not written: the configuration read from %s is incomplete\n",
                 args.out.c_str(), args.in.c_str());
    return kExitFailed;
  }
  cfg.Stamp = args.stamp;
  auto* station = static_cast<TStation*>(tree.Root()->Object());
  return Save(*station, cfg, args.out);
}

// Every cfg command reads or builds trees: the kinds must be known and the questions of reading
// answered on the console.
void SetCfgAction(CLI::App& command, int (*run)(const TCfgArgs&), std::shared_ptr<const TCfgArgs> args) {
  SetAction(command, [run, args] {
    InstallCfgKinds();
    TCliPrompt prompt;
    PromptGuard guard(prompt);
    return run(*args);
  });
}

void AddStamp(CLI::App& command, TCfgArgs& args) {
  const CLI::Validator stampCheck(
      [](std::string& text) -> std::string {
        TDateTime stamp{};
        return ParseStamp(text, stamp) ? std::string() : "not \"dd.mm.yyyy hh:nn:ss\": " + text;
      },
      "\"dd.mm.yyyy hh:nn:ss\"");
  command
      .add_option_function<std::string>(
          "--stamp",
          [&args](const std::string& text) {
            TDateTime stamp{};
            ParseStamp(text, stamp);
            args.stamp = stamp;
          },
          "time stamp stored in the image instead of now")
      ->check(stampCheck);
}

}  // namespace

void AddCfgCommands(CLI::App& app) {
  auto args = std::make_shared<TCfgArgs>();
  CLI::App* cfg = app.add_subcommand("cfg", "configuration files (.cfg images) without the desktop program");

  CLI::App* create = cfg->add_subcommand("new", "write the image of a new configuration");
  create->add_option("OUT.cfg", args->out, "file to write")->required();
  create->add_option("--place", args->place, "name of the place (the station's title)");
  AddStamp(*create, *args);
  SetCfgAction(*create, New, args);

  CLI::App* dump = cfg->add_subcommand("dump", "print the tree of a configuration");
  dump->add_option("FILE.cfg", args->in, "file to read")->required();
  dump->add_flag("--records", args->records, "list every record of the image too");
  SetCfgAction(*dump, Dump, args);

  CLI::App* rewrite = cfg->add_subcommand("rewrite", "read a configuration and write its image again");
  rewrite->add_option("IN.cfg", args->in, "file to read")->required();
  rewrite->add_option("OUT.cfg", args->out, "file to write")->required();
  AddStamp(*rewrite, *args);
  SetCfgAction(*rewrite, Rewrite, args);

  CLI::App* check = cfg->add_subcommand(
      "check", "build the image once more without saving it and print every report of writing");
  check->add_option("FILE.cfg", args->in, "file to check")->required();
  SetCfgAction(*check, [](const TCfgArgs& a) { return RunCfgCheck({a.in}); }, args);

  AddCfgDiffCommands(*cfg);
}

}  // namespace vlm::cli
