#include "ui/windowhelpers.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMetaObject>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTextCursor>
#include <QTextEdit>
#include <QWidget>

#include "common/programstate.h"
#include "controls/combogrid.h"
#include "db/engine.h"
#include "db/engineerror.h"
#include "db/query.h"
#include "prompt/prompt.h"

void Qz_ClearInputs(QWidget* window) {
  if (!window) return;
  // findChildren lists children in creation order, depth first.
  for (QWidget* child : window->findChildren<QWidget*>()) {
    if (auto* combo = qobject_cast<QComboBox*>(child)) {
      combo->setCurrentIndex(-1);
      if (combo->isEditable()) combo->setEditText(QString());
      continue;
    }
    if (qobject_cast<QComboBox*>(child->parentWidget())) continue;  // a combo's own edit
    if (auto* edit = qobject_cast<QLineEdit*>(child)) {
      edit->clear();
    } else if (auto* memo = qobject_cast<QPlainTextEdit*>(child)) {
      memo->clear();
    } else if (auto* rich = qobject_cast<QTextEdit*>(child)) {
      rich->clear();
    } else if (child->inherits("TNumEdit")) {
      // The numeric edit box lives in the controls library, which depends on
      // this one; reach its clear() slot by name instead of by type.
      QMetaObject::invokeMethod(child, "clear");
    }
  }
}

void Qz_ClearGrid(TComboGrid* grid) {
  if (!grid) return;
  // Every non-fixed cell of every data row becomes empty; the fixed columns
  // (row titles) and the fixed rows (column titles) keep their text.
  for (int row = grid->FixedRows(); row < grid->RowCount(); ++row)
    for (int col = grid->FixedCols(); col < grid->ColCount(); ++col)
      grid->SetCells(col, row, QString());
  if (grid->FixedRows() < grid->RowCount() && grid->FixedCols() < grid->ColCount())
    grid->FocusCell(grid->FixedCols(), grid->FixedRows());
}

void Qz_ComboAddText(QWidget* control) {
  auto* combo = qobject_cast<QComboBox*>(control);
  if (!combo) return;
  const QString text = combo->currentText();
  for (int i = 0; i < combo->count(); ++i) {
    if (combo->itemText(i) == text) {  // exact, case-sensitive
      combo->setCurrentIndex(i);
      return;
    }
  }
  combo->addItem(text);
  // Adding an item may select it and overwrite the edit text; keep the text.
  if (combo->isEditable()) combo->setEditText(text);
}

void Qz_Beep() { QApplication::beep(); }

namespace {

// The status bar's panels are the labels placed in it, in order.
QLabel* statusPanel(QStatusBar* bar, int index) {
  const auto labels = bar->findChildren<QLabel*>(Qt::FindDirectChildrenOnly);
  return index < labels.size() ? labels[index] : nullptr;
}

}  // namespace

void Qz_ShowStatus(const QString& text, QWidget* control) {
  if (!text.isEmpty()) Qz_Beep();
  if (auto* label = qobject_cast<QLabel*>(control)) {
    label->setText(text);
  } else if (auto* bar = qobject_cast<QStatusBar*>(control)) {
    if (QLabel* panel = statusPanel(bar, 1))
      panel->setText(text);
    else
      bar->showMessage(text);
  }
  if (control) control->window()->repaint();
}

bool Qz_MemoInsert(QPlainTextEdit* memo, const QString& text) {
  QTextCursor cursor(memo->document());
  cursor.setPosition(memo->textCursor().selectionStart());
  cursor.insertText(text);
  memo->setTextCursor(cursor);  // caret after the text, no selection
  memo->ensureCursorVisible();
  return true;
}

bool Qz_DeleteFileChk(const QString& path) {
  const QFileInfo info(path);
  if (!info.exists() && !info.isSymLink()) return true;
  if (info.isDir()) {
    korvel::showWarningYes(path + QStringLiteral("が削除できません"));
    return false;
  }
  QFile file(path);
  if (!file.remove()) {
    korvel::showWarningYes(QStringLiteral("ファイル：") + path + QStringLiteral("OPEN中"));
    return false;
  }
  return true;
}

bool Qz_OpenQuery(korvel::db::Query& query, const QString& sql) {
  query.close();
  query.unprepare();
  query.sql().clear();
  Qz_LastSql = sql;
  query.sql().append(sql);
  try {
    query.prepare();
    query.open();
  } catch (const korvel::db::EngineError& error) {
    query.close();
    korvel::showMessage(error.lastMessage() + QStringLiteral(" (") +
                        QString::number(error.count()) + QStringLiteral(")"));
    return false;
  }
  return true;
}

namespace korvel {

bool hasSelectedItem(const QComboBox* box) {
  return box->currentIndex() >= 0 && box->itemText(box->currentIndex()) == box->currentText();
}

void selectOrAppendText(QComboBox* box) {
  const QString text = box->currentText();
  int index = box->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
  if (index < 0) {
    box->addItem(text);
    index = box->count() - 1;
  }
  box->setCurrentIndex(index);
}

bool fillAliasTables(QComboBox* box, const QString& alias, bool withExtensions, bool withSystemTables) {
  db::Engine& engine = db::Engine::instance();
  engine.closeConnections();
  QStringList names;
  bool listed = true;
  try {
    names = engine.tableNames(alias, withExtensions, withSystemTables);
  } catch (const db::EngineError& e) {
    // The engine's message says why (unknown alias, no connection); it is
    // the one report, not followed by the "no tables" box.
    showError(e.lastMessage());
    listed = false;
  }
  {
    // Refilling the list is not the user's choice of a table.
    const QSignalBlocker blocker(box);
    box->clear();
    box->addItems(names);
    if (!names.isEmpty()) box->setCurrentIndex(0);
  }
  if (!listed) return false;
  if (names.isEmpty()) {
    showError(QStringLiteral("指定されたエイリアス情報(") + alias + QStringLiteral(")ではテーブルが見つかりません"));
    return false;
  }
  return true;
}

}  // namespace korvel
