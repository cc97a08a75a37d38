#pragma once
// velmorctl's command line. Every command group registers its subcommands with one function in
// its own file (AddCfgCommands in CfgCommands.cpp, ...); CommandLine.cpp lists the groups and
// parses. Exit status: 0 success, 1 failure, 2 bad input (wrong arguments, an unreadable file,
// a reading error of an image).
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace vlm::cli {

enum { kExitOk = 0, kExitFailed = 1, kExitBadInput = 2 };

// Parses the arguments (without the program name), runs the chosen command and gives its exit
// status. Usage errors print the reason and a pointer to --help on stderr.
int RunVelmorctl(const std::vector<std::string>& args);

// The same for one group: RunCfgCommand({"dump", "a.cfg"}) is "velmorctl cfg dump a.cfg".
int RunCfgCommand(const std::vector<std::string>& args);
int RunBoxCommand(const std::vector<std::string>& args);

void AddCfgCommands(CLI::App& app);
// cfg diff, to-text and from-text, under the cfg group.
void AddCfgDiffCommands(CLI::App& cfg);
// diff-controller and backup-all: the configuration of controllers against files.
void AddFleetCommands(CLI::App& app);
void AddBoxCommands(CLI::App& app);
// The link options (--ip, --port, ...) belong to the top level, in front of the command word.
void AddLinkCommands(CLI::App& app);
// autoexec get/put and cmp: the controller services of the desktop program's windows.
void AddServiceCommands(CLI::App& app);
// velmorctl diag tree|get|watch|ti|ts|tablo: controller commands after the link options.
void AddDiagCommands(CLI::App& app);
// velmorctl osc record and velmorctl screen.
void AddOscCommands(CLI::App& app);

}  // namespace vlm::cli
