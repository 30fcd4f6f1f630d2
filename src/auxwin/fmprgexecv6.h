#pragma once
// プログラム起動中画面
// Not built yet: a plain window with its caption, so that the program creates
// every window in its order. Its own issue brings the controls.

#include <QDialog>

class TFMPrgExecV6 : public QDialog {
  Q_OBJECT
 public:
  explicit TFMPrgExecV6(QWidget* parent = nullptr);
};

extern TFMPrgExecV6* FMPrgExecV6;
