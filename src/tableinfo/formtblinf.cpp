#include "tableinfo/formtblinf.h"

TFormTblInf* FormTblInf = nullptr;

TFormTblInf::TFormTblInf(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("FormTblInf"));
  setWindowTitle(QStringLiteral("テーブル情報表示 V0.72A"));
}
