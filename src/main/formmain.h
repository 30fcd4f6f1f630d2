#pragma once
// The main window "汎用ファイルメンテ".

#include <QMainWindow>

class TFormMain : public QMainWindow {
  Q_OBJECT
 public:
  explicit TFormMain(QWidget* parent = nullptr);
};

extern TFormMain* FormMain;
