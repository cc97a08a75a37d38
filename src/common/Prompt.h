#pragma once
// The two modal boxes every part of the program uses, behind an interface: Qt dialogs in the
// program, a scripted fake in tests and a console version in velmorctl. Texts are UTF-8 with
// "\r" as the line break, as the program shows them.
#include <deque>
#include <exception>
#include <string>
#include <vector>

namespace vlm {

enum class TAnswer { Yes = 1, No = 2, Cancel = 3 };

class IPrompt {
 public:
  virtual ~IPrompt() = default;
  virtual void ShowError(const std::string& text) = 0;
  virtual TAnswer AskYesNo(const std::string& text, bool withCancel) = 0;
};

// The program-wide instance; defaults to a console prompt (stderr, answers "Да").
IPrompt& Prompt();
void SetPrompt(IPrompt* prompt);  // nullptr restores the default

void ShowError(const std::string& text);
TAnswer AskYesNo(const std::string& text, bool withCancel = false);

// The silent abort: unwinds to the action handler (event loop), which swallows it.
struct EAbort : std::exception {
  const char* what() const noexcept override { return "aborted"; }
};
[[noreturn]] void Abort();

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

// Installs a prompt for the lifetime of the guard (tests).
class PromptGuard {
 public:
  explicit PromptGuard(IPrompt& prompt) { SetPrompt(&prompt); }
  ~PromptGuard() { SetPrompt(nullptr); }
  PromptGuard(const PromptGuard&) = delete;
  PromptGuard& operator=(const PromptGuard&) = delete;
};

}  // namespace vlm
