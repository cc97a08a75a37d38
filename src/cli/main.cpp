// velmorctl: headless commands over the same core as the desktop program. The command groups
// register themselves in CommandLine.cpp; `velmorctl --help` lists them.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "common/DataFolder.h"
#include "platform/System.h"

int main(int argc, char** argv) {
  vlm::SetProgramPath(argv[0]);
  try {
    return vlm::cli::RunVelmorctl(vlm::platform::Utf8Arguments(argc, argv));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "velmorctl: %s\n", e.what());
    return 1;
  }
}
