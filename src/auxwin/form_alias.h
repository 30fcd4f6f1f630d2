#pragma once
// エリアス情報表示: the parameter lines of one alias, filled by the main
// window before it shows the window.

#include <QDialog>

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
