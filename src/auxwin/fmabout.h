#pragma once
// バージョン情報: product name, version, notice and the libraries the
// program is built on with their licences.

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;

class TFMAbout : public QDialog {
  Q_OBJECT
 public:
  explicit TFMAbout(QWidget* parent = nullptr);

  QLabel* ProgramIcon;
  QLabel* ProductName;
  QLabel* LabelVersion;  // "Version "; the main window sets "Version V0.989A"
  QLabel* Copyright;     // the notice
  QLabel* Comments;
  QPlainTextEdit* Memo1;  // the credits
  QPushButton* OKButton;

  void OKButtonClick();

  // The credits: each library with its version where known and its licence.
  static QString credits();

 protected:
  void showEvent(QShowEvent* event) override;
};

extern TFMAbout* FMAbout;
