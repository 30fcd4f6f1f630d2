#include "generator/formsmake.h"

TFormSMake* FormSMake = nullptr;

TFormSMake::TFormSMake(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("FormSMake"));
  setWindowTitle(QStringLiteral("アプリケーション簡単作成"));
}
