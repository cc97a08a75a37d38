#include <cstdio>

#include "cli/Commands.h"

namespace vlm::cli {

int RunBoxCommand(const std::vector<std::string>&) {
  std::fputs("velmorctl: these commands are not built yet\n", stderr);
  return 1;
}

}  // namespace vlm::cli
