#pragma once
// テーブル情報表示 V0.72A
// Not built yet: a plain window with its caption, so that the program creates
// every window in its order. Its own issue brings the controls.

#include <QDialog>

class TFormTblInf : public QDialog {
  Q_OBJECT
 public:
  explicit TFormTblInf(QWidget* parent = nullptr);
};

extern TFormTblInf* FormTblInf;
