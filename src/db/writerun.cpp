#include "db/writerun.h"

#include <QSqlQuery>

#include "db/driver.h"
#include "db/engine.h"

namespace korvel::db {
namespace {

const QString kSavepoint = QStringLiteral("korvel_row");

QString runLostMessage() {
  return QStringLiteral("The database rolled back the whole transaction: "
                        "the rows written before this one are not kept");
}

}  // namespace

WriteRun::WriteRun(const QString& alias) {
  Engine& engine = Engine::instance();
  QSqlDatabase db = engine.connection(alias);
  connectionName_ = db.connectionName();
  driver_ = &engine.driver(alias);
  switch (driver_->runSafety()) {
    case RunSafety::StatementAtomic: mode_ = Mode::Statement; break;
    case RunSafety::Savepoints: mode_ = Mode::Savepoint; break;
    case RunSafety::Autocommit: mode_ = Mode::Autocommit; return;
  }
  if (!db.transaction())
    throw EngineError(errorEntries(db.lastError(), QStringLiteral("Cannot begin a transaction")));
}

// The engine closes a lost connection and its driver together: when the
// connection is gone, so is the transaction.
bool WriteRun::connectionKept() const { return QSqlDatabase::contains(connectionName_); }

QSqlDatabase WriteRun::db() const { return QSqlDatabase::database(connectionName_, false); }

WriteRun::~WriteRun() {
  if (state_ == State::Open && mode_ != Mode::Autocommit) rollback();
}

void WriteRun::exec(const QString& sql, const QString& context) {
  QSqlQuery q(db());
  execOrThrow(q, sql, context);
}

// One savepoint stands before the current row. A row that succeeds
// releases it and sets the next in one round trip to the server; a row that
// fails rolls back to it, which keeps it for the next row.
void WriteRun::beginRow() {
  if (state_ != State::Open) throw EngineError(QStringLiteral("The write run is over"));
  if (mode_ == Mode::Savepoint && !savepointSet_) {
    exec(QStringLiteral("SAVEPOINT ") + kSavepoint, QStringLiteral("Cannot set a savepoint"));
    savepointSet_ = true;
  }
}

void WriteRun::endRow() {
  if (mode_ != Mode::Savepoint) return;
  savepointSet_ = false;
  exec(QStringLiteral("RELEASE SAVEPOINT %1; SAVEPOINT %1").arg(kSavepoint),
       QStringLiteral("Cannot set a savepoint"));
  savepointSet_ = true;
}

void WriteRun::failRow(std::exception_ptr error) {
  bool lost = false;
  if (mode_ == Mode::Savepoint) {
    try {
      exec(QStringLiteral("ROLLBACK TO SAVEPOINT ") + kSavepoint, QStringLiteral("Cannot undo the row"));
    } catch (const EngineError&) {
      lost = true;
    }
  } else if (mode_ == Mode::Statement) {
    // Some failures (a full disk, a conflict clause ROLLBACK) end the
    // transaction in SQLite itself.
    lost = !connectionKept() || !driver_->inTransaction(db());
  }
  if (!lost) std::rethrow_exception(error);
  rollback();
  QStringList entries;
  try {
    std::rethrow_exception(error);
  } catch (const EngineError& e) {
    entries = e.entries();
  } catch (const std::exception& e) {
    entries << QString::fromUtf8(e.what());
  }
  entries << runLostMessage();
  throw EngineError(entries);
}

void WriteRun::commit() {
  if (state_ != State::Open) return;
  if (mode_ == Mode::Autocommit) {
    state_ = State::Done;
    return;
  }
  const QString context = QStringLiteral("Cannot commit the rows");
  if (!connectionKept()) {
    state_ = State::Done;
    throw EngineError(QStringList{context, QStringLiteral("The connection to the database was closed")});
  }
  QSqlDatabase db = this->db();
  if (db.commit()) {
    state_ = State::Done;
    return;
  }
  const QStringList entries = errorEntries(db.lastError(), context);
  rollback();
  throw EngineError(entries);
}

// A refused commit may leave the transaction open (SQLite): it is ended so
// the connection does not hold it.
void WriteRun::rollback() {
  state_ = State::Done;
  if (!connectionKept()) return;
  QSqlDatabase db = this->db();
  if (driver_->inTransaction(db)) db.rollback();
}

}  // namespace korvel::db
