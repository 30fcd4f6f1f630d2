// The copy: "Copy Start" (ButtonCopyClick) and the run over the rows.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <deque>

#include "common/codepage.h"
#include "common/datecodes.h"
#include "common/programstate.h"
#include "controls/spbtn2.h"
#include "copydb/copyplan.h"
#include "copydb/formcopydb.h"
#include "copydb/sourcerows.h"
#include "copydb/sqlname.h"
#include "db/driver.h"
#include "db/engine.h"
#include "db/query.h"
#include "db/statementwriter.h"
#include "db/table.h"
#include "prompt/prompt.h"
#include "ui/windowhelpers.h"

using korvel::db::Engine;
using korvel::db::EngineError;

namespace {

// The window's error boxes offer the one button Yes.
void errorBoxYes(const QString& text) {
  korvel::prompt().message(text, QString(), korvel::PromptIcon::Error, korvel::PromptYes);
}

}  // namespace

namespace korvel::copydb {
namespace {

// The window takes its messages at least this often, so "中断" answers
// within a blink; a batch of statements is sized to take about half of it.
constexpr qint64 kMessageIntervalMs = 40;
constexpr int kMessageTimeMs = 10;
constexpr qint64 kBatchTargetMs = 20;
constexpr int kMinBatch = 8;
constexpr int kMaxBatch = 1000;
// Rows are committed at least this often, so a crash keeps what was
// written until shortly before it.
constexpr qint64 kCommitIntervalMs = 1000;

const QString kDuplicateQuestion = QStringLiteral("*E:２重登録?、処理を中断します。");

// Ends a run early with a message for the operator. rowsLost: the writing
// itself failed and the rows since the last commit are gone.
struct CopyStopped {
  QString message;
  bool rowsLost = false;
};

}  // namespace

// One pass over the source rows. Statements are built ahead and written in
// batches; the window sees the rows, refusals and counts in source order,
// as if each statement ran on its own: a refused row is logged, listed and
// asked about before any later row is written.
class CopyRun {
 public:
  CopyRun(TFormCopyDB& form, const CopyPlan& plan, const QString& totalText, qint64 rowLimit)
      : form_(form), plan_(plan), total_(totalText), limit_(rowLimit) {}

  void execute(SourceRows& source, db::StatementWriter& writer);
  qint64 written() const { return written_; }

 private:
  struct Pending {
    QString text;
    bool readable = true;
  };
  enum class Step { Go, Stop };

  bool fill(SourceRows& source);
  Step writeBatch();
  Step refuse(const QString& statement);
  void countWritten(const QStringList& batch, int ran);
  void commit();
  void takeMessages();
  void showStatement(const QString& statement);
  void showPending();
  void sizeNextBatch(int rows, qint64 elapsedMs);

  TFormCopyDB& form_;
  const CopyPlan& plan_;
  QString total_;
  qint64 limit_;  // rows to read at most; -1: all
  db::StatementWriter* writer_ = nullptr;
  std::deque<Pending> pending_;  // read, not yet written
  qint64 read_ = 0, written_ = 0, uncommitted_ = 0;
  int batchSize_ = kMinBatch;
  QElapsedTimer sinceMessages_, sinceCommit_;
  // Edit2 and Memo1 catch up whenever the window takes its messages (laying
  // out a line of text for every row would cost more than writing it).
  QString lastStatement_;
  bool lastShown_ = true;
  QStringList refusedToShow_;
};

void CopyRun::execute(SourceRows& source, db::StatementWriter& writer) {
  writer_ = &writer;
  sinceMessages_.start();
  sinceCommit_.start();
  bool sourceLeft = true;
  try {
    while (true) {
      QElapsedTimer pass;
      pass.start();
      if (sinceMessages_.elapsed() >= kMessageIntervalMs) takeMessages();
      if (form_.SpeedButtonAbort->Down()) break;
      if (sourceLeft && static_cast<int>(pending_.size()) < batchSize_) sourceLeft = fill(source);
      if (pending_.empty()) break;
      const size_t before = pending_.size();
      if (writeBatch() == Step::Stop) break;
      sizeNextBatch(static_cast<int>(before - pending_.size()), pass.elapsed());
      if (sinceCommit_.elapsed() >= kCommitIntervalMs) commit();
    }
    commit();
    showPending();
  } catch (const CopyStopped& stop) {
    showPending();
    QString message = stop.message;
    if (stop.rowsLost) {
      written_ -= uncommitted_;
      uncommitted_ = 0;
    } else {
      try {
        commit();
      } catch (const CopyStopped& failed) {
        written_ -= uncommitted_;
        uncommitted_ = 0;
        message += QStringLiteral("\r\n") + failed.message;
      }
    }
    errorBoxYes(message);
  }
}

// Reads rows until a batch is waiting; false when the source has no more.
bool CopyRun::fill(SourceRows& source) {
  QVector<QVariant> row;
  while (static_cast<int>(pending_.size()) < batchSize_) {
    if (limit_ >= 0 && read_ >= limit_) return false;
    try {
      if (!source.next(row)) return false;
    } catch (const EngineError& e) {
      throw CopyStopped{QStringLiteral("*E:入力ファイルの読み込みでエラー発生。処理を中断します。\r\n") + e.lastMessage()};
    }
    ++read_;
    RowStatement statement = rowStatement(plan_, row);
    pending_.push_back({std::move(statement.text), statement.readable});
  }
  return true;
}

CopyRun::Step CopyRun::writeBatch() {
  QStringList batch;
  for (const Pending& row : pending_) {
    if (!row.readable || batch.size() >= batchSize_) break;
    batch << row.text;
  }
  if (batch.isEmpty()) {
    // A value the statement cannot carry (no date, no number): the row is
    // refused without asking the database to store a stand-in.
    const QString text = pending_.front().text;
    pending_.pop_front();
    return refuse(text);
  }
  QString refusal;
  int ran = 0;
  try {
    ran = writer_->run(batch, &refusal);
  } catch (const EngineError& e) {
    throw CopyStopped{QStringLiteral("*E:出力ファイルへの書き込みでエラー発生。処理を中断します。\r\n") +
                          e.lastMessage(),
                      true};
  }
  countWritten(batch, ran);
  if (ran == batch.size()) return Step::Go;
  const QString text = pending_.front().text;
  pending_.pop_front();
  return refuse(text);
}

void CopyRun::countWritten(const QStringList& batch, int ran) {
  if (ran == 0) return;
  for (int i = 0; i < ran; ++i) {
    pending_.pop_front();
    ++written_;
    if (written_ % 100 == 0) {
      const QString text = QString::number(written_) + total_ + QStringLiteral("件書き込み");
      form_.LabelKensu->setText(text);
      emit form_.progressShown(text);
    }
  }
  if (writer_->transactional()) uncommitted_ += ran;
  showStatement(batch[ran - 1]);
}

// The refused statement goes to the log, then to Memo1; without "Append
// ERR無視" the operator decides whether to go on. What is written so far
// is committed before the question, which may stay open for long.
CopyRun::Step CopyRun::refuse(const QString& statement) {
  showStatement(statement);
  QString logError;
  const bool logged = !form_.errorLogInUse_ || form_.errorLog_.append(statement, &logError);
  refusedToShow_ << statement;
  if (!logged)
    throw CopyStopped{QStringLiteral("*E:SQLエラーログファイル：") + form_.errorLog_.path() +
                      QStringLiteral("に書き込めません。処理を中断します。\r\n") + logError};
  if (form_.CheckBoxApperr->isChecked()) return Step::Go;
  commit();
  showPending();
  const int answer = prompt().message(kDuplicateQuestion, QString(), PromptIcon::Error, PromptYes | PromptNo);
  sinceMessages_.restart();
  return answer == PromptYes ? Step::Stop : Step::Go;
}

void CopyRun::commit() {
  if (uncommitted_ == 0) return;
  try {
    writer_->commit();
  } catch (const EngineError& e) {
    throw CopyStopped{QStringLiteral("*E:出力ファイルへの書き込みの確定でエラー発生。処理を中断します。\r\n") +
                          e.lastMessage(),
                      true};
  }
  uncommitted_ = 0;
  sinceCommit_.restart();
}

// Every message waiting is taken (a single pass of the event loop may leave
// some for the next), for at most a few milliseconds.
void CopyRun::takeMessages() {
  showPending();
  QCoreApplication::processEvents(QEventLoop::AllEvents, kMessageTimeMs);
  sinceMessages_.restart();
}

// The statement last run or refused: Qz_LastSql at once, Edit2 when the
// window next shows what happened.
void CopyRun::showStatement(const QString& statement) {
  Qz_LastSql = statement;
  lastStatement_ = statement;
  lastShown_ = false;
}

void CopyRun::showPending() {
  if (!lastShown_) form_.Edit2->setText(lastStatement_);
  lastShown_ = true;
  if (refusedToShow_.isEmpty()) return;
  form_.Memo1->appendPlainText(refusedToShow_.join(u'\n'));
  refusedToShow_.clear();
}

// Batches grow while they take less than the target time and shrink when
// they take more, so messages are taken on time whatever a row costs. A
// batch cut short by a refusal halves the next one, down to a single row:
// on PostgreSQL the rows sent after a refused one are sent again, which
// would cost a whole batch for every refusal of a table that refuses many.
void CopyRun::sizeNextBatch(int rows, qint64 elapsedMs) {
  if (rows < batchSize_) {
    batchSize_ = std::max(1, batchSize_ / 2);
    return;
  }
  if (elapsedMs * 2 < kBatchTargetMs) batchSize_ = std::min(kMaxBatch, batchSize_ * 2);
  else if (elapsedMs > kBatchTargetMs) batchSize_ = std::max(kMinBatch, batchSize_ / 2);
}

}  // namespace korvel::copydb

using korvel::copydb::CopyPlan;

namespace {

struct ResolvedTable {
  korvel::db::TableName table;
  QString text;  // as the statements write it
};

// The table a listed or typed text names on the alias, written for its
// driver. Without a connection (the error follows when the table is
// opened) the text stands as one quoted name.
ResolvedTable resolveTable(const QString& alias, const QString& text) {
  try {
    Engine& engine = Engine::instance();
    korvel::db::Driver& driver = engine.driver(alias);
    const korvel::db::TableName table = driver.findTable(engine.connection(alias), text).value_or(korvel::db::TableName{{}, text});
    // A table chosen by its bare name is written bare, as the list shows it
    // (a PostgreSQL table of the public schema): the connection finds it so.
    korvel::db::TableName written = table;
    if (text.compare(table.name, Qt::CaseInsensitive) == 0) written.schema.clear();
    return {table, korvel::copydb::sqlTableName(driver, written)};
  } catch (const EngineError&) {
    return {{{}, text}, korvel::db::quoteIdentifier(u'"', text)};
  }
}

QString connectionOf(const QString& alias) {
  try {
    return Engine::instance().connection(alias).connectionName();
  } catch (const EngineError&) {
    return {};
  }
}

}  // namespace

void TFormCopyDB::ButtonCopyClick() {
  if (copying_) return;
  Memo1->clear();
  SpeedButtonAbort->SetDown(false);
  ButtonCopy->hide();
  LabelEnd->clear();
  closeDataSets();
  copying_ = true;
  setInputsEnabled(false);
  const auto done = qScopeGuard([this] {
    copying_ = false;
    setInputsEnabled(true);
    ButtonCopy->show();
    closeAfterCopy();
  });

  if (!errorLogAgreed()) return;
  QStringList sourceNames;
  if (!readSourceFields(sourceNames)) return;
  const QString sourceAlias = TableS->databaseName();
  const QString destinationAlias = QueryTmp2B->databaseName();
  const ResolvedTable source = resolveTable(sourceAlias, ComboBox_Tables->currentText());
  const ResolvedTable destination = resolveTable(destinationAlias, ComboBox_Tables2->currentText());
  QString totalText;
  if (!readSourceCount(source.text, totalText)) return;
  CopyPlan plan;
  if (!readDestination(destination.text, sourceNames, plan)) return;

  LabelSt->setText(korvel::fromCp932(Qz_CnsText("Cns_HHMM")));
  const bool shared = connectionOf(sourceAlias) == connectionOf(destinationAlias);
  // A table copied onto itself would read its own new rows: it is read up
  // to the rows it had when counted.
  const qint64 limit = shared && source.table == destination.table ? totalText.mid(1).toLongLong() : -1;

  korvel::copydb::CopyRun run(*this, plan, totalText, limit);
  try {
    korvel::copydb::SourceRows rows(sourceAlias, QStringLiteral("SELECT * FROM ") + source.text, shared);
    std::unique_ptr<korvel::db::StatementWriter> writer = korvel::db::openStatementWriter(destinationAlias);
    if (plan.head.endsWith(QStringLiteral("( ")) && !plan.columns.empty())
      writer->setCommonInsert(plan.head.chopped(2), destination.table);
    run.execute(rows, *writer);
  } catch (const EngineError& e) {
    errorBoxYes(QStringLiteral("*E:入力ファイルの読み込みでエラー発生。処理を中断します。\r\n") + e.lastMessage());
  }

  LabelEnd->setText(korvel::fromCp932(Qz_CnsText("Cns_HHMM")));
  LabelKensu->setText(QString::number(run.written()) + QStringLiteral("件書き込みしました"));
  QueryTmp1->close();
  QueryTmp1->unprepare();
}

// A log that could not be created is told now; the copy goes on without
// one only when the operator agrees.
bool TFormCopyDB::errorLogAgreed() {
  errorLogInUse_ = errorLog_.ready();
  if (errorLogInUse_) return true;
  const int answer = korvel::prompt().message(
      QStringLiteral("SQLエラーログファイル：") + errorLog_.path() + QStringLiteral("がオープンできません") +
          QStringLiteral("\r\nエラーログなしでコピーしますか?"),
      QString(), korvel::PromptIcon::Warning, korvel::PromptYes | korvel::PromptNo);
  return answer == korvel::PromptYes;
}

bool TFormCopyDB::readSourceFields(QStringList& names) {
  try {
    TableS->setTableName(ComboBox_Tables->currentText());
    TableS->open();
    for (int i = 0; i < std::min(TableS->fieldCount(), 1001); ++i) names << TableS->field(i).displayName();
    TableS->close();
    return true;
  } catch (const EngineError&) {
    TableS->close();
    errorBoxYes(QStringLiteral("*E:入力ファイルが存在しません。"));
    return false;
  }
}

bool TFormCopyDB::readSourceCount(const QString& sourceText, QString& totalText) {
  if (!Qz_OpenQuery(*QueryTmp1, QStringLiteral("SELECT COUNT(*) FROM ") + sourceText)) return false;
  try {
    totalText = u'/' + QueryTmp1->fieldByName(QStringLiteral("COUNT(*)")).asString();
  } catch (const EngineError&) {
    QueryTmp1->close();
    errorBoxYes(QStringLiteral("*E:入力ファイルの件数確認でエラー発生。\r\n"));
    return false;
  }
  QueryTmp1->close();
  return true;
}

bool TFormCopyDB::readDestination(const QString& destinationText, const QStringList& sourceNames, CopyPlan& plan) {
  const QString alias = QueryTmp2B->databaseName();
  if (!Qz_OpenQuery(*QueryTmp2B, QStringLiteral("SELECT * FROM ") + destinationText)) {
    errorBoxYes(QStringLiteral("*E:出力ファイルが存在しません。\r\n"
                               "このプログラムを実行するには予め出力側ファイルを作成して下さい"));
    return false;
  }
  QString kind;
  std::vector<korvel::copydb::DestinationField> fields;
  try {
    kind = QueryTmp2B->driverName();
    for (int i = 0; i < QueryTmp2B->fieldCount(); ++i)
      fields.push_back({QueryTmp2B->field(i).fieldName(), QueryTmp2B->field(i).className()});
    const korvel::db::Driver& driver = Engine::instance().driver(alias);
    plan = korvel::copydb::makeCopyPlan(destinationText, sourceNames, fields, kind,
                                        [&driver](const QString& name) { return korvel::copydb::sqlName(driver, name); });
  } catch (const EngineError& e) {
    QueryTmp2B->close();
    errorBoxYes(e.lastMessage());
    return false;
  }
  QueryTmp2B->close();
  QueryTmp2B->unprepare();
  return true;
}
