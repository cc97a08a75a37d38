#pragma once
// What the command groups need to register subcommands (CLI11 stays out of Commands.h, which
// the tests include).
#include <CLI/CLI.hpp>
#include <functional>
#include <string>
#include <vector>

#include "cli/CliArgs.h"
#include "cli/Commands.h"

namespace vlm::cli {

// The work of a subcommand: runs once the whole line is parsed and every option validated; its
// result is velmorctl's exit status.
void SetAction(CLI::App& command, std::function<int()> action);

// Parses `args` (without the program name) with an app the groups have registered with, runs
// the chosen command and gives its exit status (RunVelmorctl with velmorctl's own app).
int RunCommandLine(CLI::App& app, const std::vector<std::string>& args);

// Option check for ParseNumber.
CLI::Validator NumberUpTo(unsigned max);

}  // namespace vlm::cli
