#pragma once
// テーブルデータコピー
// Not built yet: a plain window with its caption, so that the program creates
// every window in its order. Its own issue brings the controls.

#include <QDialog>

class TFormCopyDB : public QDialog {
  Q_OBJECT
 public:
  explicit TFormCopyDB(QWidget* parent = nullptr);
};

extern TFormCopyDB* FormCopyDB;
