#pragma once
// What the command groups need to register subcommands (CLI11 stays out of Commands.h, which
// the tests include).
#include <CLI/CLI.hpp>
#include <functional>
#include <string>

#include "cli/CliArgs.h"
#include "cli/Commands.h"

namespace vlm::cli {

// The work of a subcommand: runs once the whole line is parsed and every option validated; its
// result is velmorctl's exit status.
void SetAction(CLI::App& command, std::function<int()> action);

// Option check for ParseNumber.
CLI::Validator NumberUpTo(unsigned max);

}  // namespace vlm::cli
