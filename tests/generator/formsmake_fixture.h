#pragma once
// A fresh generator window per test, with the scripted prompt installed and
// the measuring font fixed to IPAGothic 11 points (15 pixels at 96 dpi): a
// label is 17 pixels high, a half-width character 7.5 and a full-width one
// 15 pixels wide.

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <memory>

#include "controls/combogrid.h"
#include "generator/formsmake.h"
#include "ui/scriptedprompt.h"

class FormSMakeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = std::make_unique<TFormSMake>();
    form->EditFName->setText(QStringLiteral("IPAGothic"));
    form->EditFontSize->setText(QStringLiteral("11"));
  }

  // Field name, class name and comment of one row.
  void setRow(int row, const QString& name, const QString& type = {}, const QString& comment = {}) {
    form->ComboGrid1->SetCells(1, row, name);
    form->ComboGrid1->SetCells(2, row, type);
    form->ComboGrid1->SetCells(7, row, comment);
  }
  static QString clipboard() { return QApplication::clipboard()->text(); }
  static void setClipboard(const QString& text) { QApplication::clipboard()->setText(text); }

  korvel::ScriptedPrompt prompt;
  std::unique_ptr<TFormSMake> form;
};
