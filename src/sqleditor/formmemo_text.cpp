// The editor's text commands: find, replace, analysis of literal source and
// reformatting.

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include "common/codepage.h"
#include "common/programstate.h"
#include "common/sqlliterals.h"
#include "sqleditor/finddialog.h"
#include "sqleditor/formmemo.h"
#include "sqleditor/literalanalysis.h"
#include "sqleditor/memolines.h"
#include "sqleditor/memosearch.h"
#include "sqleditor/sqlreformat.h"
#include "prompt/prompt.h"

using namespace korvel::sqleditor;

QString TFormMemo::paradoxLiteral(const char* type, const QString& value) {
  // Date and time texts are ASCII, so they always have a CP932 form.
  return korvel::fromCp932(Qz_ParaSqlAddSepa(type, korvel::toCp932(value)));
}

void TFormMemo::ShowFindDialog() { FindDialog1->Execute(); }

void TFormMemo::ShowReplaceDialog() {
  Memo1->setFocus();
  ReplaceDialog1->Execute();
}

void TFormMemo::FindDialog1Find() {
  Memo1->setFocus();
  const auto hit = findInLines(memoLines(Memo1), FindDialog1->FindText());
  if (!hit) return;
  QTextCursor cursor(Memo1->document()->findBlockByNumber(hit->line));
  cursor.setPosition(cursor.position() + hit->column);
  Memo1->setTextCursor(cursor);
  Memo1->ensureCursorVisible();
  FindDialog1->close();
}

void TFormMemo::ReplaceDialog1Replace() {
  QStringList lines = memoLines(Memo1);
  const ReplaceOutcome outcome =
      replaceInLines(lines, ReplaceDialog1->FindText(), ReplaceDialog1->ReplaceText());
  if (outcome.linesChanged > 0) setMemoLines(Memo1, lines);
  if (!outcome.error.isEmpty()) korvel::showError(outcome.error);
}

// The memo's lines as CP932; tells the user and returns false when a
// character has no CP932 form.
bool TFormMemo::memoBytes(std::vector<std::string>& lines) {
  QString error;
  if (linesToCp932(memoLines(Memo1), lines, error)) return true;
  korvel::showError(error);
  return false;
}

void TFormMemo::SpeedButton23Click() {
  std::vector<std::string> source;
  if (!memoBytes(source)) return;
  const LiteralAnalysis analysis = analyseLiteralSql(source);
  if (analysis.failure) {
    // Nothing is taken over: the statement and the alias stay as they were.
    korvel::showError(QStringLiteral("*E:%1行目を解析できません。(%2)")
                          .arg(analysis.failure->line)
                          .arg(QString::fromStdString(analysis.failure->message)));
    return;
  }
  if (analysis.alias) EditAlias->setText(korvel::fromCp932(*analysis.alias));
  if (analysis.tableName) EditorTableName = korvel::fromCp932(*analysis.tableName);
  setMemoLines(Memo1, linesFromCp932(analysis.lines));
}

void TFormMemo::SpeedButton25Click() {
  std::vector<std::string> lines;
  if (!memoBytes(lines)) return;
  setMemoLines(Memo1, linesFromCp932(reformatSql(lines, CheckBoxEdOp->isChecked())));
}
