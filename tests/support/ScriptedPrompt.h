#pragma once
// The prompt of the tests: records every box, answers questions from a queue.
#include <deque>
#include <string>
#include <vector>

#include "common/Prompt.h"

namespace vlm {

// Records every text; answers questions from a queue (default answer when it is empty).
class ScriptedPrompt : public IPrompt {
 public:
  void ShowError(const std::string& text) override { errors.push_back(text); }
  TAnswer AskYesNo(const std::string& text, bool withCancel) override;

  std::vector<std::string> errors;
  std::vector<std::string> questions;
  std::deque<TAnswer> answers;
  TAnswer defaultAnswer = TAnswer::Yes;
};

}  // namespace vlm
