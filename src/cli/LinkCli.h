#pragma once
// Shared pieces of velmorctl's link commands (LinkCommands.cpp and its companions).
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "link/FileTransfer.h"
#include "link/Velmor_PC.h"

namespace vlm::cli {

using TArgs = std::vector<std::string>;

// Makes `command` (of any group) a controller command: once the line is parsed, the link is
// opened with the saved settings overridden by the link options in front of the command, and
// `run` gets it; a link that cannot be opened is reported as "velmorctl: <name>: cannot open the
// link (...)" with status 1. The command's own options are the caller's.
void SetLinkAction(CLI::App& command, std::function<int(TControllerLink&)> run);

// The saved settings with the link options in front of the command applied.
TLinkSettings SettingsOfLine(const CLI::App& command);
// Why a link operation failed, in the words of the link commands.
std::string FailureWhy(TLinkFailure failure, uint16_t dosError, const TLinkSettings& settings);
// Prints "velmorctl: <command>: <what>: <why the link failed>" and gives kExitFailed.
int LinkFailed(const TControllerLink& link, const std::string& command, const std::string& what);
// Prints "velmorctl: <command>: <text>" and gives kExitBadInput.
int BadInput(const std::string& command, const std::string& text);
// Progress of a long transfer on stderr, one rewritten line, ended when the transfer ends.
TTransferProgress StderrProgress(const std::string& label);
void EndProgress();

int RunLs(TControllerLink& link, const TArgs& args);
int RunGet(TControllerLink& link, const TArgs& args);
int RunPut(TControllerLink& link, const TArgs& args);
int RunRm(TControllerLink& link, const TArgs& args);
int RunReadConfig(TControllerLink& link, const TArgs& args);
int RunWriteConfig(TControllerLink& link, const TArgs& args);
int RunReset(TControllerLink& link, const TArgs& args);
int RunPeek(TControllerLink& link, const TArgs& args);
int RunPoke(TControllerLink& link, const TArgs& args);

// "SEG:OFF" in hexadecimal (an "h" suffix allowed); false when it is not one.
bool ParseAddress(const std::string& text, uint16_t& segment, uint16_t& offset);

}  // namespace vlm::cli
