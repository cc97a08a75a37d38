// velmorctl: headless commands over the same core as the desktop program.
//   velmorctl cfg ...          configuration files (CfgCommands.cpp)
//   velmorctl box ...          black-box recordings and frame decoding (BoxCommands.cpp)
//   velmorctl [link options] COMMAND ...   controller service over the link (LinkCommands.cpp)
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "common/DataFolder.h"

namespace {

void PrintUsage() {
  std::fputs(
      "usage: velmorctl cfg new|dump|rewrite|check ...\n"
      "       velmorctl box decode|decode-frame ...\n"
      "       velmorctl [--ip A] [--self A] [--port N] [--serial DEV] [--attempts N] [--wait MS]\n"
      "                 [--show-errors] ls|get|put|rm|reset|read-config|write-config|peek|poke ...\n",
      stderr);
}

}  // namespace

int main(int argc, char** argv) {
  vlm::SetProgramPath(argv[0]);
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty() || args[0] == "--help" || args[0] == "-h") {
    PrintUsage();
    return args.empty() ? 2 : 0;
  }
  try {
    const std::string group = args[0];
    if (group == "cfg") return vlm::cli::RunCfgCommand({args.begin() + 1, args.end()});
    if (group == "box") return vlm::cli::RunBoxCommand({args.begin() + 1, args.end()});
    return vlm::cli::RunLinkCommand(args);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "velmorctl: %s\n", e.what());
    return 1;
  }
}
