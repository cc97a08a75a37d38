#include "cli/CommandLine.h"

#include <cstdio>

#include "common/IniFile.h"
#include "model/Config.h"

namespace vlm::cli {
namespace {

// Carries a finished command's exit status out of the parser, which runs the actions.
struct TCommandDone {
  int status;
};

using TAddGroup = void (*)(CLI::App&);

// The command groups of velmorctl; a new group adds its registration function here.
constexpr TAddGroup kGroups[] = {AddCfgCommands, AddBoxCommands, AddLinkCommands, AddServiceCommands,
                                 AddDiagCommands, AddOscCommands, AddFleetCommands};

// "velmorctl cfg new": the command words recognised so far, for the pointer to their help.
std::string CommandPath(const CLI::App& app) {
  std::string path = app.get_name();
  for (const CLI::App* at = &app; !at->get_subcommands().empty();) {
    at = at->get_subcommands().front();
    path += " " + at->get_name();
  }
  return path;
}

}  // namespace

void SetAction(CLI::App& command, std::function<int()> action) {
  command.callback([action = std::move(action)] { throw TCommandDone{action()}; });
}

int RunCommandLine(CLI::App& app, const std::vector<std::string>& args) {
  if (args.empty()) {
    std::fputs(app.help().c_str(), stderr);
    return kExitBadInput;
  }
  std::vector<std::string> reversed(args.rbegin(), args.rend());  // the order CLI11 takes
  try {
    app.parse(reversed);
  } catch (const TCommandDone& done) {
    return done.status;
  } catch (const CLI::ParseError& e) {
    if (e.get_exit_code() == 0) return app.exit(e);  // --help and --version, on stdout
    std::fprintf(stderr, "velmorctl: %s\nrun \"%s --help\" for the usage\n", e.what(), CommandPath(app).c_str());
    return kExitBadInput;
  }
  // Options or a group without a command: the help of what was given (help() follows the chosen
  // subcommands).
  std::fprintf(stderr, "velmorctl: a command is required\n%s", app.help().c_str());
  return kExitBadInput;
}

int RunVelmorctl(const std::vector<std::string>& args) {
  // A saved setting replaced by its default is said once on stderr (the program logs it).
  const TIniReportGuard report([](const std::string& line) { std::fprintf(stderr, "velmorctl: %s\n", line.c_str()); });
  CLI::App app("Velmor configuration files, black-box recordings and controller service.", "velmorctl");
  // CLI11 on Windows would take "/x" for an option, and file names like /tmp/a.cfg or a path
  // from a script must stay positional on both systems. Subcommands inherit the setting.
  app.allow_windows_style_options(false);
  app.set_version_flag("--version", std::string("velmorctl ") + kProgramVersion);
  for (const TAddGroup add : kGroups) add(app);
  return RunCommandLine(app, args);
}

int RunCfgCommand(const std::vector<std::string>& args) {
  std::vector<std::string> line{"cfg"};
  line.insert(line.end(), args.begin(), args.end());
  return RunVelmorctl(line);
}

int RunBoxCommand(const std::vector<std::string>& args) {
  std::vector<std::string> line{"box"};
  line.insert(line.end(), args.begin(), args.end());
  return RunVelmorctl(line);
}

CLI::Validator NumberUpTo(unsigned max) {
  return CLI::Validator(
      [max](std::string& text) -> std::string {
        unsigned value = 0;
        if (ParseNumber(text, max, value)) return {};
        return "not a number from 0 to " + std::to_string(max) + " (decimal, 0x1F, 1Fh or $1F): " + text;
      },
      "NUMBER<=" + std::to_string(max));
}

}  // namespace vlm::cli
