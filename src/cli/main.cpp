// velmorctl: headless commands over the same core as the desktop program. The command groups
// register themselves in CommandLine.cpp; `velmorctl --help` lists them.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "common/DataFolder.h"

int main(int argc, char** argv) {
  vlm::SetProgramPath(argv[0]);
  try {
    return vlm::cli::RunVelmorctl(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "velmorctl: %s\n", e.what());
    return 1;
  }
}
