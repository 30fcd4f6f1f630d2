#include "db/scrollreader.h"

#include <libpq-fe.h>

#include <QAtomicInt>
#include <QSqlError>
#include <QSqlQuery>

#include "db/driver.h"
#include "db/engineerror.h"

namespace korvel::db {
namespace {

QString nextConnectionName() {
  static QAtomicInt serial;
  return QStringLiteral("korvel-scroll-reader-%1").arg(serial.fetchAndAddRelaxed(1));
}

// The cursor is declared through the extended query protocol, which takes
// one statement only: a text that hides a second statement behind a
// semicolon is refused by the server instead of run.
void declareCursor(const QSqlDatabase& db, const QString& statement) {
  PGconn* connection = postgresConnection(db);
  if (!connection) throw EngineError(QStringLiteral("The second connection is no PostgreSQL connection"));
  const QByteArray sql = (QStringLiteral("DECLARE korvel_scroll SCROLL CURSOR FOR ") + statement).toUtf8();
  PGresult* result = PQexecParams(connection, sql.constData(), 0, nullptr, nullptr, nullptr, nullptr, 0);
  const bool ok = PQresultStatus(result) == PGRES_COMMAND_OK;
  const QString message = QString::fromUtf8(PQresultErrorMessage(result)).trimmed();
  PQclear(result);
  if (!ok) throw EngineError(QStringList{QStringLiteral("Cannot declare the cursor"), message});
}

}  // namespace

ScrollReader::ScrollReader(const SideConnector& connector, const QSqlDatabase& own, const QString& statement,
                           RowReader readRow)
    : connectionName_(nextConnectionName()),
      readRow_(std::move(readRow)),
      precision_(own.numericalPrecisionPolicy()) {
  connector(connectionName_);
  try {
    nameAfter(own);
    // A scan of a big table may start where another session's scan of it
    // is; the reader's one scan starts at the table's start, in the order
    // the first page was read in.
    run(QStringLiteral("SET synchronize_seqscans = off"), QStringLiteral("Cannot set up the reader"));
    run(QStringLiteral("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY"), QStringLiteral("Cannot begin reading"));
    declareCursor(QSqlDatabase::database(connectionName_, false), statement);
  } catch (...) {
    close();
    throw;
  }
}

ScrollReader::~ScrollReader() { close(); }

// Ending the transaction closes the cursor; on a connection the server has
// dropped it fails harmlessly.
void ScrollReader::close() {
  {
    QSqlDatabase db = QSqlDatabase::database(connectionName_, false);
    if (db.isOpen()) {
      QSqlQuery(db).exec(QStringLiteral("COMMIT"));
      db.close();
    }
  }
  QSqlDatabase::removeDatabase(connectionName_);
}

// "korvel scroll reader of <pid>": whoever looks at the server's sessions
// sees which session the reader serves.
void ScrollReader::nameAfter(const QSqlDatabase& own) {
  QSqlQuery pid(own);
  execOrThrow(pid, QStringLiteral("SELECT pg_backend_pid()"), QStringLiteral("Cannot name the reader"));
  const int ownPid = pid.next() ? pid.value(0).toInt() : 0;
  run(QStringLiteral("SET application_name = 'korvel scroll reader of %1'").arg(ownPid),
      QStringLiteral("Cannot name the reader"));
}

void ScrollReader::run(const QString& sql, const QString& context) {
  QSqlQuery q(QSqlDatabase::database(connectionName_, false));
  execOrThrow(q, sql, context);
}

// The cursor's rows are read from the server's store of what it produced
// (or from the plan, where that can go both ways): forward many times
// quicker than backward. A jump back further than a small part of the way
// from the start therefore goes back to the start and forward again.
void ScrollReader::moveTo(int start) {
  if (position_ == start) return;
  const QString context = QStringLiteral("Cannot read the rows");
  if (position_ >= 0 && start > position_) {
    run(QStringLiteral("MOVE FORWARD %1 IN korvel_scroll").arg(start - position_), context);
  } else if (position_ >= 0 && (position_ - start) * kBackwardCost < start) {
    run(QStringLiteral("MOVE BACKWARD %1 IN korvel_scroll").arg(position_ - start), context);
  } else {
    position_ = -1;
    run(QStringLiteral("MOVE ABSOLUTE 0 IN korvel_scroll"), context);
    if (start > 0) run(QStringLiteral("MOVE FORWARD %1 IN korvel_scroll").arg(start), context);
  }
  position_ = start;
}

std::vector<QVector<QVariant>> ScrollReader::read(int start, int count) {
  std::vector<QVector<QVariant>> rows;
  if (count <= 0) return rows;
  moveTo(start);
  QSqlQuery q(QSqlDatabase::database(connectionName_, false));
  q.setForwardOnly(true);
  q.setNumericalPrecisionPolicy(precision_);
  // Until the FETCH succeeds the cursor's place is unknown.
  position_ = -1;
  execOrThrow(q, QStringLiteral("FETCH FORWARD %1 FROM korvel_scroll").arg(count), QStringLiteral("Cannot read the rows"));
  while (q.next()) rows.push_back(readRow_(q));
  q.finish();
  // Past the last row the cursor stands after it, one place further than
  // the rows read say: its place is then taken as unknown.
  if (static_cast<int>(rows.size()) == count) position_ = start + count;
  return rows;
}

}  // namespace korvel::db
