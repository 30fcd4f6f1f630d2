// What escapes an event handler is shown and the program goes on.

#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <stdexcept>

#include "db/engineerror.h"
#include "ui/application.h"
#include "ui/scriptedprompt.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

namespace {

// Qt's widget libraries are built without exception cleanup: an exception
// unwinding through them skips the destructors of the event being
// delivered and of the pointers held while delivering it, well under a
// kilobyte per escaped exception. The leak checker of sanitizer builds is
// told to ignore what is allocated while such a button lives.
struct QtUnwindLeaksIgnored {
#if defined(__SANITIZE_ADDRESS__)
  QtUnwindLeaksIgnored() { __lsan_disable(); }
  ~QtUnwindLeaksIgnored() { __lsan_enable(); }
#endif
};

TEST(Application, ExceptionsFromHandlersAreShownAndTheWindowStaysUsable) {
  ASSERT_NE(dynamic_cast<korvel::ui::Application*>(QCoreApplication::instance()), nullptr);
  korvel::ScriptedPrompt prompt;
  QtUnwindLeaksIgnored ignored;
  QPushButton button(QStringLiteral("throw"));
  button.show();
  int clicks = 0;
  QObject::connect(&button, &QPushButton::clicked, [&] {
    ++clicks;
    if (clicks == 1) throw std::runtime_error("形式が違います");
    if (clicks == 2) throw korvel::db::EngineError(QStringList{"context", "the last entry"});
    throw 42;
  });

  QTest::mouseClick(&button, Qt::LeftButton);
  ASSERT_EQ(prompt.messageCount(), 1);
  EXPECT_EQ(prompt.lastMessage(), QStringLiteral("形式が違います"));
  EXPECT_EQ(prompt.records.last().icon, korvel::PromptIcon::Error);

  QTest::mouseClick(&button, Qt::LeftButton);
  EXPECT_EQ(prompt.lastMessage(), QStringLiteral("the last entry"));
  QTest::mouseClick(&button, Qt::LeftButton);
  EXPECT_EQ(prompt.messageCount(), 3);
  EXPECT_EQ(clicks, 3);
}

TEST(Application, ExceptionsFromQueuedWorkAreCaughtByTheEventLoop) {
  korvel::ScriptedPrompt prompt;
  QTimer::singleShot(0, [] { throw std::runtime_error("timer"); });
  QTest::qWait(20);
  EXPECT_EQ(prompt.lastMessage(), QStringLiteral("timer"));
}

}  // namespace
