#include "auxwin/form_alias.h"

TForm_Alias* Form_Alias = nullptr;

TForm_Alias::TForm_Alias(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("Form_Alias"));
  setWindowTitle(QStringLiteral("エリアス情報表示"));
}
