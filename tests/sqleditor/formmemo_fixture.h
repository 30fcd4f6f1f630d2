#pragma once
// A fresh editor window per test, with the scripted prompt installed.

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <memory>

#include "common/programstate.h"
#include "sqleditor/formmemo.h"
#include "ui/scriptedprompt.h"

class FormMemoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EditorTableName.clear();
    EditorResult.clear();
    form = std::make_unique<TFormMemo>();
  }

  void setMemo(const QString& text, int caret) {
    form->Memo1->setPlainText(text);
    QTextCursor cursor = form->Memo1->textCursor();
    cursor.setPosition(caret);
    form->Memo1->setTextCursor(cursor);
  }
  QString memo() const { return form->Memo1->toPlainText(); }
  int caret() const { return form->Memo1->textCursor().position(); }
  static QString clipboard() { return QApplication::clipboard()->text(); }

  korvel::ScriptedPrompt prompt;
  std::unique_ptr<TFormMemo> form;
};
