#include "support/ScriptedPrompt.h"

namespace vlm {

TAnswer ScriptedPrompt::AskYesNo(const std::string& text, bool) {
  questions.push_back(text);
  if (answers.empty()) return defaultAnswer;
  const TAnswer a = answers.front();
  answers.pop_front();
  return a;
}

}  // namespace vlm
