#pragma once
// アプリケーション簡単作成
// Not built yet: a plain window with its caption, so that the program creates
// every window in its order. Its own issue brings the controls.

#include <QDialog>

class TFormSMake : public QDialog {
  Q_OBJECT
 public:
  explicit TFormSMake(QWidget* parent = nullptr);
};

extern TFormSMake* FormSMake;
