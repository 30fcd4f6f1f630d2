#pragma once
// エリアス情報表示: the parameter lines of one alias, filled by the main
// window before it shows the window.

#include <QDialog>

class QComboBox;
class QListWidget;
class QPushButton;
class QStatusBar;

class TForm_Alias : public QDialog {
  Q_OBJECT
 public:
  explicit TForm_Alias(QWidget* parent = nullptr);

  QListWidget* ListBox1;
  QPushButton* BitBtn1;  // "　終了"
  QStatusBar* StatusBar1;

  void BitBtn1Click();
};

extern TForm_Alias* Form_Alias;

// The alias window for the alias chosen in `aliasBox`: its list is emptied,
// then filled with the alias's parameter lines and the window shown
// modally. Without any alias ("エリアス名なし"), or with a typed text that is
// no item of the box ("エリアス名を指定せよ"), `statusBar` says so instead.
void ShowAliasInformation(const QComboBox* aliasBox, QWidget* statusBar);
