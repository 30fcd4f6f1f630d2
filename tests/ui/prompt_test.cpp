#include <gtest/gtest.h>

#include "ui/scriptedprompt.h"

using namespace korvel;

TEST(ScriptedPrompt, RecordsMessagesAndAnswersFromItsScript) {
  ScriptedPrompt script;
  script.messageAnswers.push_back(PromptNo);
  EXPECT_EQ(prompt().message("first", "c", PromptIcon::Question, PromptYes | PromptNo),
            PromptNo);
  // Unscripted: the default button, else the first offered one.
  EXPECT_EQ(prompt().message("q", "c", PromptIcon::Question, PromptYes | PromptNo | promptDefault(PromptNo)),
            PromptNo);
  EXPECT_EQ(prompt().message("second", "c", PromptIcon::Error, PromptOk), PromptOk);
  ASSERT_EQ(script.messageCount(), 3);
  EXPECT_EQ(script.lastMessage(), "second");
  EXPECT_EQ(script.records[2].icon, PromptIcon::Error);
}

TEST(ScriptedPrompt, RestoresThePreviousPromptWhenDestroyed) {
  Prompt* outer = &prompt();
  {
    ScriptedPrompt inner;
    EXPECT_EQ(&prompt(), &inner);
  }
  EXPECT_EQ(&prompt(), outer);
}

TEST(ScriptedPrompt, UnscriptedLoginIsRefused) {
  ScriptedPrompt script;
  LoginAnswer answer = prompt().login({"PG", "scott"});
  EXPECT_FALSE(answer.accepted);
  ASSERT_EQ(script.records.size(), 1);
  EXPECT_EQ(script.records[0].text, "PG");
}
