#include "auxwin/formdispformat.h"

TFormDispFormat* FormDispFormat = nullptr;

TFormDispFormat::TFormDispFormat(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("FormDispFormat"));
  setWindowTitle(QStringLiteral("FormDispFormat"));
}
