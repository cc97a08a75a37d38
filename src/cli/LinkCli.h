#pragma once
// Shared pieces of velmorctl's link commands (LinkCommands.cpp and its companions).
#include <cstdint>
#include <string>
#include <vector>

#include "link/FileTransfer.h"
#include "link/Velmor_PC.h"

namespace vlm::cli {

enum { kExitOk = 0, kExitFailed = 1, kExitBadInput = 2 };

using TArgs = std::vector<std::string>;

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
int RunBoxLinkCommand(TControllerLink& link, const TArgs& args);

// "SEG:OFF" in hexadecimal (an "h" suffix allowed); false when it is not one.
bool ParseAddress(const std::string& text, uint16_t& segment, uint16_t& offset);

}  // namespace vlm::cli
