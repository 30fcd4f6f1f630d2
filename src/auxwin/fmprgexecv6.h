#pragma once
// プログラム起動中画面: a notice shown while a program starts; it closes
// itself three seconds after it is shown. The program creates it at start;
// no command shows it.

#include <QDialog>

class QLabel;
class QTimer;

class TFMPrgExecV6 : public QDialog {
  Q_OBJECT
 public:
  explicit TFMPrgExecV6(QWidget* parent = nullptr);
  ~TFMPrgExecV6() override;

  QLabel* Image1;  // the picture filling the window
  QLabel* Label1;  // "指定プログラム起動中"
  QTimer* Timer1;  // 3000 ms, enabled while the window is shown

  void FormCreate();
  void FormShow();
  void Timer1Timer();

 protected:
  void showEvent(QShowEvent* event) override;
};

extern TFMPrgExecV6* FMPrgExecV6;
