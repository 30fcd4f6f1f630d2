#include "auxwin/formtjusdebug.h"

TFormTjusDebug* FormTjusDebug = nullptr;

TFormTjusDebug::TFormTjusDebug(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("FormTjusDebug"));
  setWindowTitle(QStringLiteral("FormDtl"));
}
