#include <QCheckBox>
#include <QInputMethodEvent>
#include <QKeyEvent>

#include "formmemo_fixture.h"
#include "sqleditor/finddialog.h"

namespace {

class FormMemoKeysTest : public FormMemoTest {
 protected:
  void press(int key, const QString& text, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QKeyEvent down(QEvent::KeyPress, key, mods, text);
    QApplication::sendEvent(form->Memo1, &down);
    QKeyEvent up(QEvent::KeyRelease, key, mods, text);
    QApplication::sendEvent(form->Memo1, &up);
  }
  void type(const QString& text) {
    for (QChar c : text) press(0, QString(c));
  }
};

TEST_F(FormMemoKeysTest, OverwriteTypingReplacesWholeDoubleByteCharacters) {
  form->CheckBoxOver->setChecked(true);
  setMemo(QStringLiteral("日本語ab\ncd"), 1);
  type(QStringLiteral("XY"));
  EXPECT_EQ(memo(), QStringLiteral("日XYab\ncd"));
  type(QStringLiteral("123"));  // "ab" replaced, then the line end stops it
  EXPECT_EQ(memo(), QStringLiteral("日XY123\ncd"));
  setMemo(QStringLiteral("ab"), 2);
  type(QStringLiteral("c"));  // at the end of the text: appended
  EXPECT_EQ(memo(), QStringLiteral("abc"));
}

TEST_F(FormMemoKeysTest, OverwriteAlsoAppliesToInputMethodText) {
  form->CheckBoxOver->setChecked(true);
  setMemo(QStringLiteral("abcd"), 1);
  QInputMethodEvent commit;
  commit.setCommitString(QStringLiteral("日本"));
  QApplication::sendEvent(form->Memo1, &commit);
  EXPECT_EQ(memo(), QStringLiteral("a日本d"));
}

TEST_F(FormMemoKeysTest, InsertModeKeepsTheTextAndTheInsertKeyToggles) {
  setMemo(QStringLiteral("ab"), 1);
  type(QStringLiteral("X"));
  EXPECT_EQ(memo(), QStringLiteral("aXb"));
  EXPECT_FALSE(form->CheckBoxOver->isChecked());
  press(Qt::Key_Insert, QString());
  EXPECT_TRUE(form->CheckBoxOver->isChecked());
  press(Qt::Key_Insert, QString());
  EXPECT_FALSE(form->CheckBoxOver->isChecked());
  type(QStringLiteral("Y"));  // the memo keeps no overwrite state of its own
  EXPECT_EQ(memo(), QStringLiteral("aXYb"));
}

TEST_F(FormMemoKeysTest, ControlCharactersAreDroppedButEnterAndBackspaceWork) {
  setMemo(QStringLiteral("ab"), 1);
  press(Qt::Key_Tab, QStringLiteral("\t"));
  EXPECT_EQ(memo(), QStringLiteral("ab"));
  press(Qt::Key_Return, QStringLiteral("\r"));
  EXPECT_EQ(memo(), QStringLiteral("a\nb"));
  press(Qt::Key_Backspace, QStringLiteral("\b"));
  EXPECT_EQ(memo(), QStringLiteral("ab"));
}

TEST_F(FormMemoKeysTest, CtrlKeysAreConsumedExceptTheirCommands) {
  setMemo(QStringLiteral("ab"), 1);
  press(Qt::Key_A, QStringLiteral("\x01"), Qt::ControlModifier);  // select all: dropped
  EXPECT_FALSE(form->Memo1->textCursor().hasSelection());
  type(QStringLiteral("X"));
  press(Qt::Key_Z, QStringLiteral("\x1a"), Qt::ControlModifier);
  EXPECT_EQ(memo(), QStringLiteral("ab"));
  press(Qt::Key_F, QStringLiteral("\x06"), Qt::ControlModifier);
  EXPECT_TRUE(form->FindDialog1->isVisible());
  press(Qt::Key_R, QStringLiteral("\x12"), Qt::ControlModifier);
  EXPECT_TRUE(form->ReplaceDialog1->isVisible());
}

}  // namespace
