#pragma once
// エリアス情報表示
// Not built yet: a plain window with its caption, so that the program creates
// every window in its order. Its own issue brings the controls.

#include <QDialog>

class TForm_Alias : public QDialog {
  Q_OBJECT
 public:
  explicit TForm_Alias(QWidget* parent = nullptr);
};

extern TForm_Alias* Form_Alias;
