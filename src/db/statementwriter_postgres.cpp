// The PostgreSQL statement writer, on the connection's own libpq handle.
//
// The rows run in one transaction. PostgreSQL aborts a whole transaction on
// any error, so each batch of statements runs inside a savepoint; the batch
// is sent as one pipeline (one round trip, each statement parsed on its own
// so one text can never carry a second statement), and the results say
// which statement was refused. After a refusal the batch is rolled back to
// its savepoint and the statements before the refused one are sent again.
// The rollback goes at the head of the next pipeline (or before the
// commit), so a refused row costs no round trip of its own.
//
// With a common INSERT head (setCommonInsert) a batch is first sent as one
// INSERT of many rows; PostgreSQL converts each row's values to the column
// types as a single-row INSERT does, and without triggers or rules on the
// table nothing else can tell the difference. Refused, it is undone and the
// batch goes the usual way.

#include <libpq-fe.h>

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QVariant>
#include <vector>

#include "db/engineerror.h"
#include "db/driver.h"
#include "db/statementwriters.h"

namespace korvel::db {
namespace {

const char kSavepoint[] = "SAVEPOINT korvel_batch";
const char kRelease[] = "RELEASE SAVEPOINT korvel_batch";
const char kRollBack[] = "ROLLBACK TO SAVEPOINT korvel_batch";
const char kUndo[] = "ROLLBACK TO SAVEPOINT korvel_batch; RELEASE SAVEPOINT korvel_batch";

QString connectionMessage(PGconn* conn) { return QString::fromUtf8(PQerrorMessage(conn)).trimmed(); }

QString resultMessage(const PGresult* result) {
  const char* primary = PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY);
  return QString::fromUtf8(primary ? primary : PQresultErrorMessage(result)).trimmed();
}

[[noreturn]] void fail(const QString& context, const QString& message) {
  throw EngineError(QStringList{context, message.isEmpty() ? QStringLiteral("The server gave no message") : message});
}

// The outcome of one pipeline: how many of the row statements ran, and the
// refusal of the next one.
struct Attempt {
  int ran = 0;
  QString refusal;
};

class PostgresWriter final : public StatementWriter {
 public:
  PostgresWriter(const QString& connectionName, const Driver& driver) : connectionName_(connectionName), driver_(&driver) {}

  ~PostgresWriter() override {
    if (!QSqlDatabase::contains(connectionName_)) return;
    PGconn* conn = handle();
    if (conn && PQstatus(conn) == CONNECTION_OK && PQtransactionStatus(conn) != PQTRANS_IDLE)
      PQclear(PQexec(conn, "ROLLBACK"));
  }

  int run(const QStringList& statements, QString* refusal) override {
    PGconn* conn = checkedHandle();
    const PGTransactionStatusType status = PQtransactionStatus(conn);
    const bool awaitingUndo = undoPending_ && status == PQTRANS_INERROR;
    if (status != PQTRANS_IDLE && status != PQTRANS_INTRANS && !awaitingUndo)
      fail(QStringLiteral("Cannot write the rows"), QStringLiteral("The connection is not ready for the rows"));
    if (status != PQTRANS_IDLE && !begun_)
      fail(QStringLiteral("Cannot write the rows"), QStringLiteral("Another transaction is open on the connection"));
    std::vector<QByteArray> texts;
    texts.reserve(static_cast<size_t>(statements.size()));
    for (const QString& s : statements) texts.push_back(driver_->statementText(s).toUtf8());
    if (runCombined(conn, texts)) return static_cast<int>(texts.size());

    // Each retry runs a shorter prefix, so this ends.
    int count = static_cast<int>(texts.size());
    QString firstRefusal;
    while (count > 0) {
      std::vector<const char*> rows;
      for (int i = 0; i < count; ++i) rows.push_back(texts[static_cast<size_t>(i)].constData());
      const Attempt attempt = runBatch(conn, rows);
      if (attempt.ran == count) break;
      undoPending_ = true;
      count = attempt.ran;
      firstRefusal = attempt.refusal;
    }
    if (count < static_cast<int>(texts.size()) && refusal) *refusal = firstRefusal;
    return count;
  }

  void commit() override {
    if (!begun_) return;
    begun_ = false;
    PGconn* conn = checkedHandle();
    const QString context = QStringLiteral("Cannot commit the rows");
    if (undoPending_) {
      // Undone, the transaction is usable again; if not, the check below
      // rolls it back and says so.
      undoPending_ = false;
      PQclear(PQexec(conn, kUndo));
    }
    if (PQtransactionStatus(conn) != PQTRANS_INTRANS) {
      PQclear(PQexec(conn, "ROLLBACK"));
      fail(context, QStringLiteral("The transaction of the rows was aborted: the rows are not kept"));
    }
    PGresult* result = PQexec(conn, "COMMIT");
    const bool committed = PQresultStatus(result) == PGRES_COMMAND_OK && qstrcmp(PQcmdStatus(result), "COMMIT") == 0;
    const QString message = committed ? QString() : (result ? resultMessage(result) : connectionMessage(conn));
    PQclear(result);
    if (committed) return;
    if (PQstatus(conn) == CONNECTION_OK && PQtransactionStatus(conn) != PQTRANS_IDLE) PQclear(PQexec(conn, "ROLLBACK"));
    fail(context, message.isEmpty() ? QStringLiteral("The server rolled the transaction back") : message);
  }

  bool transactional() const override { return true; }

  void setCommonInsert(const QString& head, const TableName& table) override {
    combinedHead_.clear();
    // A look-up that failed inside the rows' transaction would abort it.
    if (begun_) return;
    PGconn* conn = checkedHandle();
    const QByteArray name = quoteTableName(u'"', table).toUtf8();
    const char* params[] = {name.constData()};
    PGresult* result = PQexecParams(
        conn,
        "SELECT c.oid IS NOT NULL"
        " AND NOT EXISTS (SELECT 1 FROM pg_catalog.pg_trigger t WHERE t.tgrelid = c.oid AND NOT t.tgisinternal)"
        " AND NOT EXISTS (SELECT 1 FROM pg_catalog.pg_rewrite r WHERE r.ev_class = c.oid AND r.ev_type = '3')"
        " FROM (SELECT pg_catalog.to_regclass($1::text) AS oid) c",
        1, nullptr, params, nullptr, nullptr, 0);
    const bool plain = PQresultStatus(result) == PGRES_TUPLES_OK && PQntuples(result) == 1 &&
                       qstrcmp(PQgetvalue(result, 0, 0), "t") == 0;
    PQclear(result);
    if (plain) combinedHead_ = head;
  }

 private:
  // The batch as one INSERT of many rows; true when it ran whole.
  bool runCombined(PGconn* conn, const std::vector<QByteArray>& texts) {
    if (combinedHead_.isEmpty() || texts.size() < 2) return false;
    const QByteArray head = combinedHead_.toUtf8();
    for (const QByteArray& text : texts)
      if (!text.startsWith(head)) return false;
    const qsizetype headBytes = head.size();
    QByteArray combined = texts.front();
    for (size_t i = 1; i < texts.size(); ++i) {
      combined += ',';
      combined += QByteArrayView(texts[i]).sliced(headBytes);
    }
    if (runBatch(conn, {combined.constData()}).ran == 1) return true;
    undoPending_ = true;
    return false;
  }

  PGconn* handle() const {
    const QSqlDatabase db = QSqlDatabase::database(connectionName_, false);
    const QVariant h = db.driver() ? db.driver()->handle() : QVariant();
    if (!h.isValid() || (qstrcmp(h.typeName(), "pg_conn*") != 0 && qstrcmp(h.typeName(), "PGconn*") != 0)) return nullptr;
    return *static_cast<PGconn* const*>(h.constData());
  }

  PGconn* checkedHandle() const {
    PGconn* conn = QSqlDatabase::contains(connectionName_) ? handle() : nullptr;
    if (!conn || PQstatus(conn) != CONNECTION_OK)
      fail(QStringLiteral("Cannot write the rows"), QStringLiteral("The connection to the database was closed"));
    return conn;
  }

  // Sends BEGIN (first batch only) or the rollback of a refused batch,
  // SAVEPOINT, the row statements and RELEASE as one pipeline and reads
  // every result.
  Attempt runBatch(PGconn* conn, const std::vector<const char*>& rows) {
    const int count = static_cast<int>(rows.size());
    const QString context = QStringLiteral("Cannot write the rows");
    if (!PQenterPipelineMode(conn)) fail(context, connectionMessage(conn));
    const bool begin = !begun_;
    std::vector<const char*> queue;
    if (begin) queue.push_back("BEGIN");
    if (undoPending_) {
      queue.push_back(kRollBack);
      queue.push_back(kRelease);
    }
    queue.push_back(kSavepoint);
    const size_t first = queue.size();
    queue.insert(queue.end(), rows.begin(), rows.end());
    queue.push_back(kRelease);
    for (const char* sql : queue)
      if (!PQsendQueryParams(conn, sql, 0, nullptr, nullptr, nullptr, nullptr, 0)) abandon(conn, context);
    if (!PQpipelineSync(conn)) abandon(conn, context);

    Attempt attempt;
    bool refused = false;
    for (size_t i = 0; i < queue.size(); ++i) {
      PGresult* result = PQgetResult(conn);
      if (!result) abandon(conn, context);
      const ExecStatusType status = PQresultStatus(result);
      const bool isRow = i >= first && i < first + static_cast<size_t>(count);
      if (status == PGRES_FATAL_ERROR && isRow && !refused) {
        refused = true;
        attempt.refusal = resultMessage(result);
      } else if (status == PGRES_FATAL_ERROR || (status == PGRES_PIPELINE_ABORTED && !refused)) {
        const QString message = resultMessage(result);
        PQclear(result);
        abandon(conn, context, message);
      } else if (isRow && !refused) {
        ++attempt.ran;
      }
      PQclear(result);
      PQclear(PQgetResult(conn));  // the NULL that ends each query's results
    }
    if (begin) begun_ = true;
    undoPending_ = false;
    PGresult* sync = PQgetResult(conn);
    const bool synced = sync && PQresultStatus(sync) == PGRES_PIPELINE_SYNC;
    PQclear(sync);
    if (!synced || !PQexitPipelineMode(conn)) abandon(conn, context);
    return attempt;
  }

  // The pipeline cannot be read to its end: the rows are given up. What the
  // server still sends up to the sync point is read, so that the connection
  // leaves pipeline mode and stays usable for other statements.
  [[noreturn]] void abandon(PGconn* conn, const QString& context, const QString& message = QString()) {
    const QString text = message.isEmpty() ? connectionMessage(conn) : message;
    for (int nulls = 0; PQstatus(conn) == CONNECTION_OK && nulls < 2;) {
      PGresult* result = PQgetResult(conn);
      if (!result) {
        ++nulls;
        continue;
      }
      nulls = 0;
      const bool sync = PQresultStatus(result) == PGRES_PIPELINE_SYNC;
      PQclear(result);
      if (sync) break;
    }
    PQexitPipelineMode(conn);
    begun_ = false;
    undoPending_ = false;
    if (PQstatus(conn) == CONNECTION_OK && PQtransactionStatus(conn) != PQTRANS_IDLE) PQclear(PQexec(conn, "ROLLBACK"));
    fail(context, text);
  }

  QString connectionName_;
  const Driver* driver_;  // valid while the connection is there (checkedHandle)
  bool begun_ = false;
  bool undoPending_ = false;  // the last batch was refused and not yet rolled back
  QString combinedHead_;  // empty: every statement runs on its own
};

}  // namespace

std::unique_ptr<StatementWriter> postgresStatementWriter(const QString& connectionName, const Driver& driver) {
  return std::make_unique<PostgresWriter>(connectionName, driver);
}

}  // namespace korvel::db
