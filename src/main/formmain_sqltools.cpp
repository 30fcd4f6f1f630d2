// SQL tools of the main window (statements run from the SQL editor, the drop
// script, column titles from comments) and the commands that open the other
// windows.

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QToolButton>

#include "auxwin/fmabout.h"
#include "auxwin/form_alias.h"
#include "auxwin/formtjusdebug.h"
#include "auxwin/helpwindow.h"
#include "common/atomicwrite.h"
#include "common/codepage.h"
#include "common/programstate.h"
#include "controls/combogrid.h"
#include "copydb/formcopydb.h"
#include "db/datasetmodel.h"
#include "db/driver.h"
#include "db/dropscript.h"
#include "db/engine.h"
#include "db/query.h"
#include "db/statementsplit.h"
#include "db/table.h"
#include "db/writerun.h"
#include "main/cliptext.h"
#include "main/formmain.h"
#include "main/statement.h"
#include "prompt/prompt.h"
#include "sqleditor/formmemo.h"
#include "ui/datasource.h"
#include "ui/dbgrid.h"
#include "ui/windowhelpers.h"

using korvel::db::Dataset;
using korvel::db::EngineError;
using korvel::db::ScriptStatement;

namespace {

constexpr int kFormatGridCommentRow = 5;
constexpr int kShownStatementLength = 300;

QString shownStatement(const QString& statement) {
  if (statement.size() <= kShownStatementLength) return statement;
  return statement.left(kShownStatementLength) + QStringLiteral(" ...");
}

// The statement that failed in a run of several, for the message.
QString failedStatementMessage(int index, const ScriptStatement& s, const QString& error) {
  return QStringLiteral("*E:%1番目の文（%2行目から）でエラーが発生したため、すべての文を取り消しました。\n%3\n(%4)")
      .arg(index + 1)
      .arg(s.line)
      .arg(shownStatement(s.text), error);
}

}  // namespace

void TFormMain::connectSqlToolHandlers() {
  connect(SpeedButtonExec, &QPushButton::clicked, this, [this] { SpeedButtonExecClick(); });
  connect(SpeedButton3, &QPushButton::clicked, this, [this] { SpeedButton3Click(); });
  connect(SpeedButton4, &QPushButton::clicked, this, [this] { SpeedButton4Click(); });
  connect(ButtonDBCopy, &QPushButton::clicked, this, [this] { ButtonDBCopyClick(); });
  connect(SpeedButton2, &QPushButton::clicked, this, [this] { SpeedButton2Click(); });
  connect(Button5, &QPushButton::clicked, this, [this] { Button5Click(); });
  connect(N3, &QAction::triggered, this, [this] { N3Click(); });
  connect(Contents1, &QAction::triggered, this, [this] { Contents1Click(); });
  connect(About1, &QAction::triggered, this, [this] { About1Click(); });
}

void TFormMain::SpeedButtonExecClick() {
  if (!resolvePendingEdit()) return;
  CheckBoxQuery->setChecked(true);
  if (!CheckBoxQuery->isChecked()) return;
  const QString alias = ComboBox_Alias->currentText();
  FormMemo->EditAlias->setText(alias);
  EditorTableName = ComboBox_Tables->currentText();
  EditorResult.clear();
  // Only the editor's OK runs the statement (see openQuery).
  if (korvel::prompt().showModal(FormMemo) != QDialog::Accepted) return;
  if (FormMemo->Memo1->document()->isEmpty()) return;

  // Lines beginning "//" (a statement file's "//[DataSource]" line) are no SQL.
  const QString script = korvel::scriptFromLines(FormMemo->Memo1->toPlainText().split(QLatin1Char('\n')));
  const std::vector<ScriptStatement> statements = korvel::db::splitStatements(script);
  if (statements.empty()) {
    Qz_ShowStatus(QStringLiteral("実行する文がありません"), StatusBar1);
    return;
  }
  QueryTmp->close();
  QueryTmp->unprepare();
  DataSource_Paradox->setDataSet(QueryTmp);
  QueryTmp->setDatabaseName(alias);
  if (statements.size() == 1)
    execStatement(statements.front().text);
  else
    execStatements(statements);
}

void TFormMain::execStatement(const QString& statement) {
  Qz_LastSql = statement;
  QueryTmp->setSql(statement);
  try {
    QueryTmp->prepare();
    const int rows = QueryTmp->execSql();
    QueryTmp->unprepare();
    StatusPanel1->setText(QStringLiteral("SQLを実行しました(%1件)").arg(std::max(rows, 0)));
  } catch (const EngineError& e) {
    QueryTmp->unprepare();
    korvel::showMessage(e.lastMessage());
  }
}

// Several statements run as one transaction: all of them, or none. A
// database that cannot undo them together is not given them.
void TFormMain::execStatements(const std::vector<ScriptStatement>& statements) {
  const QString alias = QueryTmp->databaseName();
  for (const ScriptStatement& s : statements) {
    if (korvel::db::isTransactionControl(s.text)) {
      korvel::showError(QStringLiteral("*E:%1行目の文はトランザクションを扱う文のため、ほかの文と一緒には実行できません。"
                                       "何も実行していません。\n%2")
                            .arg(s.line)
                            .arg(shownStatement(s.text)));
      return;
    }
  }
  try {
    if (korvel::db::Engine::instance().driver(alias).runSafety() == korvel::db::RunSafety::Autocommit) {
      korvel::showError(QStringLiteral("*E:このデータベースでは複数の文(%1文)を一つのトランザクションで実行できないため、"
                                       "何も実行していません。文を一つずつ実行してください。")
                            .arg(statements.size()));
      return;
    }
  } catch (const EngineError& e) {
    korvel::showMessage(e.lastMessage());
    return;
  }
  QString problem;
  int done = 0;
  try {
    korvel::db::WriteRun run(alias);
    for (; done < static_cast<int>(statements.size()); ++done) {
      const QString& text = statements[done].text;
      Qz_LastSql = text;
      run.row([&] {
        QueryTmp->setSql(text);
        QueryTmp->execSql();
      });
    }
    run.commit();
  } catch (const EngineError& e) {
    // The run was rolled back as it went out of scope.
    problem = done < static_cast<int>(statements.size())
                  ? failedStatementMessage(done, statements[done], e.lastMessage())
                  : QStringLiteral("*E:文を確定できなかったため、すべての文を取り消しました。(%1)").arg(e.lastMessage());
  }
  QueryTmp->unprepare();
  if (!problem.isEmpty()) {
    korvel::showError(problem);
    return;
  }
  StatusPanel1->setText(QStringLiteral("SQLを実行しました(%1文)").arg(statements.size()));
}

void TFormMain::SpeedButton3Click() {
  if (!resolvePendingEdit()) return;
  CloseDataSets();
  const QString alias = ComboBox_Alias->currentText();
  QStringList script;
  bool listed = true;
  try {
    script = korvel::db::schemaDropScript(alias);
  } catch (const EngineError& e) {
    korvel::showMessage(e.lastMessage() + QStringLiteral(" , Error Code=") + QString::number(e.count()));
    listed = false;
  }
  if (listed) {
    const QString path = korvel::prompt().saveFileName(QStringLiteral("削除SQL作成"), QStringLiteral("*.sql"),
                                                        QStringLiteral("SQL (*.SQL *.sql);;ALL (*)"));
    if (!path.isEmpty()) writeDropScript(path, script);
  }
  // The tables of the list, whatever the catalog said.
  QStringList tables;
  for (int i = 0; i < ComboBox_Tables->count(); ++i) tables << ComboBox_Tables->itemText(i);
  try {
    QApplication::clipboard()->setText(korvel::clipLines(korvel::db::dropTableStatements(alias, tables)));
  } catch (const EngineError& e) {
    korvel::showMessage(e.lastMessage());
  }
}

// The script file is code page 932 text, replaced as a whole.
void TFormMain::writeDropScript(const QString& path, const QStringList& lines) {
  std::string bytes;
  int bad = -1;
  const QString text = korvel::clipLines(lines);
  if (!korvel::tryToCp932(text, bytes, &bad)) {
    korvel::showError(QStringLiteral("*E:シフトJISで書けない文字「%1」があるため、%2 は書いていません")
                          .arg(text.mid(bad, 1), path));
    return;
  }
  std::string error;
  if (!korvel::writeFileAtomically(QFile::encodeName(path).toStdString(), bytes, &error))
    korvel::showError(QStringLiteral("*E:%1 に書き込めません(%2)").arg(path, QString::fromStdString(error)));
}

void TFormMain::SpeedButton4Click() {
  Dataset* ds = currentDataSet();
  if (!ds->active()) return;
  for (int i = 0; i < ds->fieldCount() && i + 1 < ComboGrid1->ColCount(); ++i) {
    korvel::db::Field& field = ds->field(i);
    if (ComboGrid1->Cells(i + 1, 0) != field.displayName()) continue;
    // An empty comment gives the field its name back.
    field.setDisplayLabel(ComboGrid1->Cells(i + 1, kFormatGridCommentRow));
  }
  if (ds->fieldCount() > 0)
    emit DBGrid1->datasetModel()->headerDataChanged(Qt::Horizontal, 0, ds->fieldCount() - 1);
}

void TFormMain::N3Click() { ShowAliasInformation(ComboBox_Alias, StatusBar1); }

void TFormMain::Contents1Click() { korvel::showManual(this); }

void TFormMain::About1Click() {
  korvel::prompt().showModal(FMAbout);
  ComboBox_Tables->setFocus();
}

void TFormMain::ButtonDBCopyClick() { korvel::prompt().showModal(FormCopyDB); }

void TFormMain::SpeedButton2Click() {
  if (ComboBox_Tables->currentText() != QLatin1String("TJUS")) return;
  FormTjusDebug->QueryTmp->close();
  FormTjusDebug->QueryTmp->setDatabaseName(ComboBox_Alias->currentText());
  Dataset* open = Table_Paradox->active() ? static_cast<Dataset*>(Table_Paradox)
                  : QueryTmp->active()    ? static_cast<Dataset*>(QueryTmp)
                                          : nullptr;
  if (open && open->fieldCount() > 0 && open->recNo() >= 0) {
    const std::vector<int> fields = gridFieldOrder();
    FormTjusDebug->EditKey->setText(open->field(fields.empty() ? 0 : fields.front()).editText());
  }
  FormTjusDebug->show();
  FormTjusDebug->raise();
  FormTjusDebug->activateWindow();
}

void TFormMain::Button5Click() {
  try {
    Table_Paradox->updateIndexDefs();
  } catch (const EngineError& e) {
    korvel::showError(e.lastMessage());
  }
}
