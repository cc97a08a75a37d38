#include "common/Prompt.h"

#include <cstdio>
#include <string>

namespace vlm {
namespace {

std::string ConsoleText(const std::string& text) {
  std::string s = text;
  for (char& c : s)
    if (c == '\r') c = '\n';
  return s;
}

// Headless default: errors go to stderr, questions are answered "Да" and echoed.
class ConsolePrompt : public IPrompt {
 public:
  void ShowError(const std::string& text) override {
    std::fprintf(stderr, "%s\n", ConsoleText(text).c_str());
  }
  TAnswer AskYesNo(const std::string& text, bool) override {
    std::fprintf(stderr, "%s -> Да\n", ConsoleText(text).c_str());
    return TAnswer::Yes;
  }
};

ConsolePrompt gConsole;
IPrompt* gPrompt = &gConsole;

}  // namespace

IPrompt& Prompt() { return *gPrompt; }
void SetPrompt(IPrompt* prompt) { gPrompt = prompt ? prompt : &gConsole; }
void ShowError(const std::string& text) { gPrompt->ShowError(text); }
TAnswer AskYesNo(const std::string& text, bool withCancel) { return gPrompt->AskYesNo(text, withCancel); }
void Abort() { throw EAbort(); }

}  // namespace vlm
