// The editor's commands: insertion, OK, memory slots, clipboard texts and
// statement files.

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextDocument>

#include "common/codepage.h"
#include "common/datetime.h"
#include "common/formats.h"
#include "common/programstate.h"
#include "ui/windowhelpers.h"
#include "sqleditor/formmemo.h"
#include "sqleditor/memolines.h"
#include "sqleditor/statementfile.h"
#include "prompt/prompt.h"

namespace {

const QString kSqlFilter = QStringLiteral("SQL (*.sql *.SQL);;ALL (*)");

QStringList comboItems(const QComboBox* combo) {
  QStringList items;
  for (int i = 0; i < combo->count(); ++i) items.append(combo->itemText(i));
  return items;
}

}  // namespace

void TFormMemo::showEvent(QShowEvent* event) {
  // Whatever closes the window other than OK leaves the result at "ERROR".
  EditorResult = QStringLiteral("ERROR");
  QDialog::showEvent(event);
}

void TFormMemo::done(int result) {
  // The date routines behind the date buttons and the analysis also write
  // EditorResult ("OK" after a date they could read). Every way out but OK
  // (CANCEL, Exit, Escape, the close box) must still read as cancelled.
  if (result != QDialog::Accepted) EditorResult = QStringLiteral("ERROR");
  QDialog::done(result);
}

void TFormMemo::InsertText(const QString& text) { Qz_MemoInsert(Memo1, text); }

void TFormMemo::BitBtn1Click() {
  EditorResult = QStringLiteral("OK");
  accept();
}

void TFormMemo::SpeedButton3Click() {
  for (size_t i = slots_.size() - 1; i > 0; --i) slots_[i] = slots_[i - 1];
  slots_[0] = Memo1->toPlainText();
}

void TFormMemo::RecallSlot(int slot) {
  if (slot < 1 || slot > static_cast<int>(slots_.size())) return;
  Memo1->setPlainText(slots_[static_cast<size_t>(slot - 1)]);
}

void TFormMemo::BitBtn_CopyClick() {
  Memo1->selectAll();
  QApplication::clipboard()->setText(Memo1->toPlainText());
  Memo1->setFocus();
}

void TFormMemo::BitBtnPastClick() {
  Memo1->paste();
  Memo1->setFocus();
}

void TFormMemo::BitBtnMkSelClick() {
  QApplication::clipboard()->setText(QStringLiteral("SELECT ") +
                                     comboItems(ComboBoxItem).join(QLatin1Char(',')) +
                                     QStringLiteral(" FROM ") + EditorTableName);
}

void TFormMemo::BitBtnMkInsClick() {
  const QString columns = comboItems(ComboBoxItem).join(QLatin1Char(','));
  QApplication::clipboard()->setText(QStringLiteral("INSERT INTO ( ") + columns +
                                     QStringLiteral(" ) SELECT ") + columns +
                                     QStringLiteral(" FROM TMP"));
}

void TFormMemo::ComboBoxItemDblClick() {
  InsertText(ComboBoxItem->currentText() + QLatin1Char(','));
}

void TFormMemo::Read1Click() {
  const QString path =
      korvel::prompt().openFileName(QStringLiteral("Read"), QString(), kSqlFilter);
  if (path.isEmpty()) return;
  const auto file = korvel::sqleditor::readStatementFile(path);
  if (!file.ok) {
    korvel::showError(file.error);
    return;
  }
  Memo1->clear();
  korvel::sqleditor::setMemoLines(Memo1, file.lines);
  if (!file.damagedLines.isEmpty()) {
    QStringList numbers;
    for (int n : file.damagedLines) numbers.append(QString::number(n));
    korvel::showError(
        QStringLiteral("*E:%1 の %2 行目にシフトJISの文字でないバイトがあります。"
                       "その文字は \uFFFD で表示しています。")
            .arg(path, numbers.join(QLatin1Char(','))));
  }
}

bool TFormMemo::writeLines(const QString& path, const QStringList& lines) {
  QString error;
  if (korvel::sqleditor::writeStatementFile(path, lines, error)) return true;
  korvel::showError(error);
  return false;
}

void TFormMemo::Write1Click() {
  const QString path = korvel::prompt().saveFileName(QStringLiteral("Write"),
                                                     QStringLiteral("tmp.sql"), kSqlFilter);
  // A cancelled dialog forgets the last file, so Ctrl+S asks again rather
  // than writing to a file the user did not confirm.
  SaveFileName.clear();
  if (path.isEmpty()) return;
  std::vector<std::string> checked;  // names the memo's line, not the file's
  if (!memoBytes(checked)) return;
  const QStringList lines = korvel::sqleditor::statementFileLines(
      korvel::sqleditor::memoLines(Memo1), CheckBoxAlias->isChecked(), EditAlias->text());
  if (writeLines(path, lines)) SaveFileName = path;
}

void TFormMemo::QuickSave() {
  const bool known = !SaveFileName.isEmpty() && !SaveFileName.contains(QLatin1Char('*')) &&
                     !SaveFileName.contains(QLatin1Char('?')) &&
                     QFileInfo(SaveFileName).isFile();
  if (known)
    writeLines(SaveFileName, korvel::sqleditor::memoLines(Memo1));
  else
    Write1Click();
  Memo1->document()->clearUndoRedoStacks();
}

namespace {

// Today or now in the runtime's date and time format ("/" and ":" are the
// current separators).
QString currentDateText(const char* pattern, double value) {
  return korvel::fromCp932(korvel::FormatDateTime(pattern, value));
}

}  // namespace

void TFormMemo::SpeedButton15Click() {
  const QString today = currentDateText("yyyy/mm/dd", korvel::today());
  if (CheckBoxParadox->isChecked())
    InsertText(paradoxLiteral("DA", today));
  else
    InsertText(QStringLiteral(" TO_DATE( '") + today + QStringLiteral("','YYYY/MM/DD' )"));
}

void TFormMemo::SpeedButton1Click() {
  const QString now = currentDateText("yyyy/mm/dd hh:nn:ss", korvel::now());
  if (CheckBoxParadox->isChecked())
    InsertText(paradoxLiteral("DT", now));
  else
    InsertText(QStringLiteral(" TO_DATE( '") + now +
               QStringLiteral("','YYYY/MM/DD HH24:MI:SS' )"));
}
