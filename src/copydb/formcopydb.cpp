#include "copydb/formcopydb.h"

TFormCopyDB* FormCopyDB = nullptr;

TFormCopyDB::TFormCopyDB(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("FormCopyDB"));
  setWindowTitle(QStringLiteral("テーブルデータコピー"));
}
