// The program-wide prompt: guards put back the prompt they replaced, however deeply nested.
#include <gtest/gtest.h>

#include "common/Prompt.h"
#include "support/ScriptedPrompt.h"

namespace vlm {
namespace {

TEST(PromptGuard, RestoresThePreviousPromptNotTheConsole) {
  IPrompt* const console = &Prompt();
  ScriptedPrompt outer, inner;
  outer.defaultAnswer = TAnswer::No;
  {
    PromptGuard outerGuard(outer);
    {
      PromptGuard innerGuard(inner);
      ShowError("inner");
      EXPECT_EQ(AskYesNo("inner?"), TAnswer::Yes);
    }
    // The fixture's prompt is back: its answers and records continue.
    EXPECT_EQ(&Prompt(), &outer);
    ShowError("outer");
    EXPECT_EQ(AskYesNo("outer?"), TAnswer::No);
  }
  EXPECT_EQ(&Prompt(), console);
  EXPECT_EQ(inner.errors, std::vector<std::string>{"inner"});
  EXPECT_EQ(outer.errors, std::vector<std::string>{"outer"});
  EXPECT_EQ(outer.questions, std::vector<std::string>{"outer?"});
}

}  // namespace
}  // namespace vlm
