#include "tablemake/formtblmake.h"

TFormTblMake* FormTblMake = nullptr;

TFormTblMake::TFormTblMake(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("FormTblMake"));
  setWindowTitle(QStringLiteral("ＰＡＲＡＤＯＸテーブル作成"));
}
