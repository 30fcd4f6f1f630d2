#include "tableinfo/tableinfoload.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

#include "controls/combogrid.h"
#include "db/engineerror.h"
#include "db/query.h"
#include "db/table.h"
#include "db/tablecomments.h"
#include "prompt/prompt.h"
#include "tableinfo/fieldrows.h"
#include "tableinfo/formtblinf.h"

namespace korvel::tableinfo {
namespace {

// One grid row per field (row r = field r, from 1), columns 0 to 9.
void fillFieldRows(TComboGrid& grid, db::Table& table, bool paradox) {
  for (int r = 1; r <= table.fieldCount(); ++r) {
    const db::Field& field = table.field(r - 1);
    const QString dataSize = QString::number(fieldDataSize(field.kind(), field.size()));
    grid.SetCells(kColNo, r, QStringLiteral("%1").arg(r, 2));
    grid.SetCells(kColName, r, field.fieldName());
    grid.SetCells(kColType, r, field.className());
    grid.SetCells(kColSize, r, dataSize);
    grid.SetCells(kColAlign, r, fieldAlignmentText(field.kind()));
    grid.SetCells(kColIndex, r, field.isIndexField() ? QStringLiteral("Index") : QString());
    grid.SetCells(kColWidth, r, QString::number(field.displayWidth()));
    grid.SetCells(kColComment, r, QString());
    const FieldUnits units = GetFieldUnits(table, r);
    if (!paradox) {
      grid.SetCells(kColDigits, r, QString::number(units.precision));
      grid.SetCells(kColDecimals, r, QString::number(units.scale));
    } else {
      // Paradox keeps lengths for text fields only; other fields show their size.
      const bool text = field.kind() == db::FieldKind::String || field.kind() == db::FieldKind::Memo;
      grid.SetCells(kColDigits, r, text ? QString::number(units.precision) : dataSize);
      grid.SetCells(kColDecimals, r, QStringLiteral("0"));
    }
  }
}

void fillComments(TFormTblInf& form, const db::TableComments& comments) {
  if (!comments.table.isEmpty()) form.Edit_TableComment->setText(comments.table);
  TComboGrid& grid = *form.ComboGrid1;
  for (int r = 1; r < grid.RowCount(); ++r) {
    const auto it = comments.columns.constFind(grid.Cells(kColName, r));
    if (it != comments.columns.constEnd()) grid.SetCells(kColComment, r, *it);
  }
}

}  // namespace

bool LoadTableInfo(TFormTblInf& form, db::Table& table, const QString& alias, const QString& tableText) {
  table.close();
  form.ListBox1->clear();
  table.setDatabaseName(alias);
  table.setTableName(tableText);
  form.Query1->close();
  form.Query1->setDatabaseName(alias);

  QString tableType;
  std::vector<db::IndexDef> indexes;
  bool indexesRead = true;
  QStringList fieldNames;
  try {
    table.open();
    form.setWindowTitle(alias + u':' + tableText + QStringLiteral(" フィールド、インデックス情報"));
    form.ComboGrid1->SetRowCount(table.fieldCount() + 1);
    tableType = table.driverName();
    try {
      table.updateIndexDefs();
      indexes = table.indexDefs();
    } catch (const db::EngineError&) {
      form.ListBox1->addItem(QStringLiteral("Index File 無し"));
      tableType.clear();
      indexesRead = false;
    }
    form.Edit_TableName->setText(tableText);
    form.Label_TableType->setText(tableType);
    fillFieldRows(*form.ComboGrid1, table, tableType.toUpper().contains(u"PARADOX"));
    for (int i = 0; i < table.fieldCount(); ++i) fieldNames << table.field(i).fieldName();
  } catch (const db::EngineError& e) {
    table.close();
    showError(e.lastMessage());
    return false;
  }
  const db::TableName found = table.table();
  table.close();
  form.SetLoadedTable(found, tableText);

  fillComments(form, db::readTableComments(alias, found, tableType));
  if (!indexesRead) return true;
  const TComboGrid& grid = *form.ComboGrid1;
  for (size_t i = 0; i < indexes.size(); ++i)
    form.ListBox1->addItem(indexLine(static_cast<int>(i) + 1, indexes[i], fieldNames,
                                     [&grid](int field) { return grid.Cells(kColName, field); }));
  return true;
}

}  // namespace korvel::tableinfo
