// Building the table, its comment rows and its indexes.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QComboBox>
#include <QStatusBar>

#include "common/codepage.h"
#include "controls/combogrid.h"
#include "db/engine.h"
#include "db/table.h"
#include "db/writerun.h"
#include "prompt/prompt.h"
#include "tablemake/formtblmake.h"
#include "tablemake/typewords.h"

namespace {

using korvel::TFieldType;
using korvel::db::EngineError;
using korvel::db::FieldDef;
using korvel::db::FieldKind;
using korvel::db::Table;

const QString kCommentTable = QStringLiteral("SysComment");
const QString kCommentKey = QStringLiteral("File Name;Field Name");

// The field kind each field type is built as (the column types per driver
// are listed in db/typemap.h).
FieldKind kindOf(TFieldType type) {
  switch (type) {
    case TFieldType::ftString: return FieldKind::String;
    case TFieldType::ftSmallint: return FieldKind::Smallint;
    case TFieldType::ftInteger: case TFieldType::ftAutoInc: return FieldKind::Integer;
    case TFieldType::ftFloat: return FieldKind::Float;
    case TFieldType::ftCurrency: case TFieldType::ftBCD: return FieldKind::Currency;
    case TFieldType::ftBoolean: return FieldKind::Boolean;
    case TFieldType::ftDate: return FieldKind::Date;
    case TFieldType::ftTime: return FieldKind::Time;
    case TFieldType::ftDateTime: return FieldKind::DateTime;
    case TFieldType::ftMemo: return FieldKind::Memo;
    case TFieldType::ftFmtMemo: case TFieldType::ftGraphic: return FieldKind::Blob;
  }
  return FieldKind::String;
}

void showEngineError(const EngineError& e) { korvel::showError(e.entries().join(QLatin1Char('\n'))); }

// A grid cell as a number: nullopt when empty, 0 when it is not a number.
std::optional<int> numberCell(const QString& text) {
  const QString t = text.trimmed();
  if (t.isEmpty()) return std::nullopt;
  bool ok = false;
  const int value = t.toInt(&ok);
  return ok ? value : 0;
}

// A key list entry split at its first comma: the index name and its fields.
std::pair<QString, QString> splitKeyEntry(const QString& entry) {
  const int comma = entry.indexOf(QLatin1Char(','));
  if (comma < 0) return {entry.trimmed(), QString()};
  return {entry.left(comma).trimmed(), entry.mid(comma + 1).trimmed()};
}

bool hasFields(const QString& fields) {
  for (const QString& f : fields.split(QLatin1Char(';')))
    if (!f.trimmed().isEmpty()) return true;
  return false;
}

}  // namespace

void TFormTblMake::setBuildButtonsVisible(bool visible) {
  for (QPushButton* b : {ButtonTableIndex, ButtonTableMake, ButtonIdxMake}) b->setVisible(visible);
}

void TFormTblMake::showStatus(const QString& text) {
  StatusBar1->showMessage(text);
  StatusBar1->repaint();
}

bool TFormTblMake::TableExists(const QString& table) {
  return tableExistsIn(ComboBox_Alias->currentText(), table);
}

bool TFormTblMake::tableExistsIn(const QString& database, const QString& table) {
  Table t;
  t.setDatabaseName(database);
  t.setTableName(table);
  try {
    t.open();
    t.close();
    return true;
  } catch (const EngineError&) {
    return false;
  }
}

// The field definitions of the grid's rows, down to the first empty name.
// False (after the message) when a type word is refused.
bool TFormTblMake::fieldDefinitions(TComboGrid* grid, std::vector<FieldDef>& defs) {
  for (int row = 1; row < grid->RowCount(); ++row) {
    const QString name = grid->Cells(1, row).trimmed();
    if (name.isEmpty()) break;
    const QString word = grid->Cells(2, row).trimmed();
    std::string wordBytes;
    std::optional<korvel::FieldTypeChoice> choice;
    if (korvel::tryToCp932(word, wordBytes))
      choice = korvel::FieldTypeOfWord(wordBytes, numberCell(grid->Cells(3, row)),
                                       numberCell(grid->Cells(4, row)).value_or(0));
    if (!choice) {
      korvel::showError(QStringLiteral("*E:データタイプ未定義(列No:%1:%2)").arg(row).arg(word));
      return false;
    }
    defs.push_back({name, kindOf(choice->type), choice->size, false});
  }
  return true;
}

// Replacing a table loses its rows: when it holds any, the user decides
// (No, the default, keeps it). True when the build may go on.
bool TFormTblMake::confirmReplacing(const QString& database, const QString& table) {
  int rows = 0;
  {
    Table t;
    t.setDatabaseName(database);
    t.setTableName(table);
    try {
      t.open();
      rows = t.recordCount();
    } catch (const EngineError&) {
      return true;  // no such table (or none that can be read): nothing to lose
    }
  }
  if (rows == 0) return true;
  const int answer = korvel::prompt().message(
      QStringLiteral("テーブル %1 には %2 件のデータがあります。\r\n"
                     "作り直すとデータは全て失われます。作り直しますか？")
          .arg(table)
          .arg(rows),
      QString(), korvel::PromptIcon::Warning,
      korvel::PromptYes | korvel::PromptNo | korvel::promptDefault(korvel::PromptNo));
  return answer == korvel::PromptYes;
}

bool TFormTblMake::buildTable(TComboGrid* grid, const QString& database, const QString& table,
                              const QString& primaryFields) {
  std::vector<FieldDef> defs;
  if (!fieldDefinitions(grid, defs)) return false;  // nothing is built, nothing replaced
  if (!confirmReplacing(database, table)) {
    showStatus(QStringLiteral("テーブル %1 は作成しませんでした").arg(table));
    return false;
  }
  try {
    Table t;
    t.setDatabaseName(database);
    t.setTableName(table);
    t.clearFieldDefs();
    for (const FieldDef& def : defs) t.addFieldDef(def.name, def.kind, def.size, def.required);
    if (!primaryFields.isEmpty()) t.addIndex(QString(), primaryFields, korvel::db::ixPrimary | korvel::db::ixUnique);
    t.createTable();
  } catch (const EngineError& e) {
    engineFailed_ = true;
    showEngineError(e);
    return false;
  }
  showStatus(QStringLiteral("テーブル %1 を作成しました (%2項目)").arg(table).arg(defs.size()));
  return true;
}

bool TFormTblMake::BuildParadoxTable(TComboGrid* grid, const QString& database, const QString& table) {
  return buildTable(grid, database, table, QString());
}

bool TFormTblMake::WriteCommentRows(const QString& database, const QString& table, int commentCol, int nameCol,
                                    TComboGrid* grid, const QString& tableComment) {
  const QString built = StatusBar1->currentMessage();
  if (!tableExistsIn(database, kCommentTable) && !buildTable(ComboGrid2, database, kCommentTable, kCommentKey))
    return false;
  int updated = 0, added = 0;
  QStringList refused;  // rows the database did not take, with its reason
  try {
    // One unit of work: a row the database refuses undoes only itself, and
    // the rows after it are still written.
    korvel::db::WriteRun run(database);
    Table comments;
    comments.setDatabaseName(database);
    comments.setTableName(kCommentTable);
    comments.open();
    for (int row = 0; row < grid->RowCount() && run.open(); ++row) {
      const QString name = row == 0 ? QStringLiteral("TableComment") : grid->Cells(nameCol, row).trimmed();
      if (name.isEmpty()) break;
      const QString comment = row == 0 ? tableComment : grid->Cells(commentCol, row);
      try {
        run.row([&] {
          comments.setKey();
          comments.fieldByName(QStringLiteral("File Name")).setEditText(table);
          comments.fieldByName(QStringLiteral("Field Name")).setEditText(name);
          const bool found = comments.gotoKey();
          if (found) {
            comments.edit();
          } else {
            comments.append();
            comments.fieldByName(QStringLiteral("File Name")).setEditText(table);
            comments.fieldByName(QStringLiteral("Field Name")).setEditText(name);
          }
          comments.fieldByName(QStringLiteral("Comment")).setEditText(comment);
          comments.post();
          ++(found ? updated : added);
        });
      } catch (const EngineError& e) {
        if (comments.state() == korvel::db::DatasetState::Edit || comments.state() == korvel::db::DatasetState::Insert)
          comments.cancel();
        refused << name + QStringLiteral(": ") + e.lastMessage();
        if (!run.open()) throw;  // the database ended the whole run
      }
    }
    comments.close();
    run.commit();
  } catch (const EngineError& e) {
    engineFailed_ = true;
    showEngineError(e);
    return false;
  }
  if (!refused.isEmpty()) {
    engineFailed_ = true;
    korvel::showError(QStringLiteral("*E:%1 に書き込めなかったコメントがあります。\r\n  ").arg(kCommentTable) +
                      refused.join(QStringLiteral("\r\n  ")));
  }
  showStatus(built + QStringLiteral("  %1: コメント %2行 (更新 %3, 追加 %4)")
                         .arg(kCommentTable)
                         .arg(updated + added)
                         .arg(updated)
                         .arg(added));
  return refused.isEmpty();
}

void TFormTblMake::ButtonTableMakeClick() {
  ButtonTableMake->hide();
  repaint();
  // Shown again unless an engine error ended the step.
  if (tableStep() || !engineFailed_) ButtonTableMake->show();
}

// The table and its comment rows; true when both were written.
bool TFormTblMake::tableStep() {
  engineFailed_ = false;
  const QString database = ComboBox_Alias->currentText();
  const QString table = EditTableName->text().trimmed();
  if (!BuildParadoxTable(ComboGrid1, database, table)) return false;
  return WriteCommentRows(database, table, 8, 1, ComboGrid1, Edit_TableComment->text());
}

void TFormTblMake::ButtonIdxMakeClick() {
  ButtonIdxMake->hide();
  repaint();
  if (indexStep()) ButtonIdxMake->show();
}

// The first key list entry naming a field the table does not have, said in
// an error box; false when every field is there.
bool TFormTblMake::keyFieldMissing(Table& table) {
  table.open();
  for (int i = 0; i < ListBox1->count(); ++i) {
    const auto [name, fields] = splitKeyEntry(ListBox1->item(i)->text());
    for (const QString& field : fields.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
      if (field.trimmed().isEmpty() || table.findField(field.trimmed())) continue;
      korvel::showError(QStringLiteral("*E:インデックス %1 の項目 %2 はテーブル %3 にありません")
                            .arg(name.isEmpty() ? QString::number(i + 1) : name, field.trimmed(), table.tableName()));
      table.close();
      return true;
    }
  }
  table.close();
  return false;
}

// The key list's indexes: the first entry the primary index, later entries
// descending indexes under their names. False after an engine error.
bool TFormTblMake::indexStep() {
  Table t;
  t.setDatabaseName(ComboBox_Alias->currentText());
  t.setTableName(EditTableName->text().trimmed());
  int made = 0;
  QStringList skipped;
  try {
    // A misspelt field would make some drivers index a constant: check first.
    if (keyFieldMissing(t)) return true;
    for (int i = 0; i < ListBox1->count(); ++i) {
      const auto [name, fields] = splitKeyEntry(ListBox1->item(i)->text());
      Label5->setText(name);
      Label6->setText(fields);
      Label5->repaint();
      Label6->repaint();
      if (!hasFields(fields)) {
        // A key the script left empty (the writer's "PRIMARY KEY (  )") has nothing to index.
        skipped << (name.isEmpty() ? QString::number(i + 1) : name);
        continue;
      }
      if (i == 0) t.addIndex(QString(), fields, korvel::db::ixPrimary | korvel::db::ixUnique);
      else t.addIndex(name, fields, korvel::db::ixDescending);
      ++made;
    }
    t.updateIndexDefs();
  } catch (const EngineError& e) {
    showEngineError(e);
    return false;
  }
  QString text = QStringLiteral("インデックス %1件を作成しました").arg(made);
  if (!skipped.isEmpty()) text += QStringLiteral("  (キー項目なし: %1)").arg(skipped.join(QStringLiteral(", ")));
  showStatus(text);
  return true;
}

void TFormTblMake::ButtonTableIndexClick() {
  setBuildButtonsVisible(false);
  repaint();
  // Indexes are added only to the table just built.
  const bool built = tableStep();
  const bool failed = engineFailed_ || (built && !indexStep());
  if (!failed) setBuildButtonsVisible(true);
}
