#pragma once
// Pieces of the cfg commands that tests use directly.
#include <string>

#include "common/Prompt.h"
#include "model/Config.h"
#include "model/TreeNode.h"

namespace vlm::cli {

// Errors go to stderr as lines (the boxes break lines with "\r"); questions are answered "Да",
// as accepting a conflict recorded in a file is what loading it means.
class TCliPrompt : public IPrompt {
 public:
  void ShowError(const std::string& text) override;
  TAnswer AskYesNo(const std::string& text, bool withCancel) override;
};

// Reads a .cfg file into a new tree; 0, or 2 after printing why it cannot be read.
int ReadConfigFile(const std::string& path, TTree& tree, TConfig& cfg);

// Prints what reading could not take (TConfig::ReadNotes) to stderr, one line each, naming the file.
void PrintReadNotes(const std::string& path, const TConfig& cfg);

// Registers the port and point kinds the reader knows (the card kinds come with the model).
void InstallCfgKinds();

}  // namespace vlm::cli
