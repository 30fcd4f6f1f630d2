#include "auxwin/fmprgexecv6.h"

TFMPrgExecV6* FMPrgExecV6 = nullptr;

TFMPrgExecV6::TFMPrgExecV6(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("FMPrgExecV6"));
  setWindowTitle(QStringLiteral("プログラム起動中画面"));
}
