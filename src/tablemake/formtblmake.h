#pragma once
// ＰＡＲＡＤＯＸテーブル作成
// Not built yet: a plain window with its caption, so that the program creates
// every window in its order. Its own issue brings the controls.

#include <QDialog>

class TFormTblMake : public QDialog {
  Q_OBJECT
 public:
  explicit TFormTblMake(QWidget* parent = nullptr);
};

extern TFormTblMake* FormTblMake;
