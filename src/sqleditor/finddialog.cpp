#include "sqleditor/finddialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

TFindDialog::TFindDialog(Mode mode, QWidget* parent) : QDialog(parent) {
  setModal(false);
  auto* form = new QFormLayout(this);
  findEdit_ = new QLineEdit(this);
  form->addRow(QStringLiteral("検索する文字列(&N):"), findEdit_);
  auto* command = new QPushButton(this);
  if (mode == Mode::Replace) {
    setWindowTitle(QStringLiteral("置換"));
    replaceEdit_ = new QLineEdit(this);
    form->addRow(QStringLiteral("置換後の文字列(&P):"), replaceEdit_);
    command->setText(QStringLiteral("すべて置換(&A)"));
    connect(command, &QPushButton::clicked, this, &TFindDialog::Replace);
  } else {
    setWindowTitle(QStringLiteral("検索"));
    command->setText(QStringLiteral("次を検索(&F)"));
    connect(command, &QPushButton::clicked, this, &TFindDialog::Find);
  }
  command->setDefault(true);
  auto* close = new QPushButton(QStringLiteral("キャンセル"), this);
  connect(close, &QPushButton::clicked, this, &QDialog::close);
  auto* row = new QHBoxLayout;
  row->addStretch();
  row->addWidget(command);
  row->addWidget(close);
  form->addRow(row);
}

QString TFindDialog::FindText() const { return findEdit_->text(); }

QString TFindDialog::ReplaceText() const {
  return replaceEdit_ ? replaceEdit_->text() : QString();
}

void TFindDialog::setFindText(const QString& text) { findEdit_->setText(text); }

void TFindDialog::setReplaceText(const QString& text) {
  if (replaceEdit_) replaceEdit_->setText(text);
}

void TFindDialog::Execute() {
  show();
  raise();
  activateWindow();
  findEdit_->setFocus();
  findEdit_->selectAll();
}
