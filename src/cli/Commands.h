#pragma once
// Command groups of velmorctl. Each returns the process exit status: 0 success, 1 failure,
// 2 bad input (unreadable file, reading error of an image, wrong arguments).
#include <string>
#include <vector>

namespace vlm::cli {

int RunCfgCommand(const std::vector<std::string>& args);
int RunBoxCommand(const std::vector<std::string>& args);
int RunLinkCommand(const std::vector<std::string>& args);

}  // namespace vlm::cli
