#pragma once
// The two modal boxes every part of the program uses, behind an interface: Qt dialogs in the
// program, a console version in velmorctl, a scripted fake in the tests (tests/support). Texts
// are UTF-8 with "\r" as the line break, as the program shows them.
#include <exception>
#include <string>

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

// Installs a prompt for the lifetime of the guard and then puts back the one it replaced, so
// guards nest (a command inside a test, a fixture inside a fixture).
class PromptGuard {
 public:
  explicit PromptGuard(IPrompt& prompt) : previous_(&Prompt()) { SetPrompt(&prompt); }
  ~PromptGuard() { SetPrompt(previous_); }
  PromptGuard(const PromptGuard&) = delete;
  PromptGuard& operator=(const PromptGuard&) = delete;

 private:
  IPrompt* previous_;
};

}  // namespace vlm
