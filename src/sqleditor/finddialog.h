#pragma once
// The editor's modeless find and replace boxes: a text to find, for replacing
// also its replacement, and one command button.

#include <QDialog>

class QLineEdit;
class QPushButton;

class TFindDialog : public QDialog {
  Q_OBJECT
 public:
  enum class Mode { Find, Replace };
  TFindDialog(Mode mode, QWidget* parent);

  QString FindText() const;
  QString ReplaceText() const;
  void setFindText(const QString& text);
  void setReplaceText(const QString& text);

  // Shows the box without blocking, bringing it to the front when open.
  void Execute();

 signals:
  void Find();
  void Replace();

 private:
  QLineEdit* findEdit_;
  QLineEdit* replaceEdit_ = nullptr;
};
