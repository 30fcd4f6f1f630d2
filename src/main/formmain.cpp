#include "main/formmain.h"

TFormMain* FormMain = nullptr;

TFormMain::TFormMain(QWidget* parent) : QMainWindow(parent) {
  setObjectName(QStringLiteral("FormMain"));
  setWindowTitle(QStringLiteral("汎用ファイルメンテ"));
}
