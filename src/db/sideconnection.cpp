#include "db/sideconnection.h"

#include <libpq-fe.h>
#include <sqlite3.h>

#include <QSqlDriver>
#include <QSqlError>

#include "db/driver.h"
#include "db/engineerror.h"
#include "db/nativehandle.h"

namespace korvel::db {
namespace {

class SqliteInterrupt final : public StatementInterrupt {
 public:
  explicit SqliteInterrupt(sqlite3* db) : db_(db) {}
  // sqlite3_interrupt may be called from any thread while the connection is open.
  void interrupt() override { sqlite3_interrupt(db_); }

 private:
  sqlite3* db_;
};

class PostgresInterrupt final : public StatementInterrupt {
 public:
  explicit PostgresInterrupt(PGcancel* cancel) : cancel_(cancel) {}
  ~PostgresInterrupt() override { PQfreeCancel(cancel_); }
  // PQcancel is meant to be called from another thread than the one running
  // the statement; the server ends the statement with an error.
  void interrupt() override {
    char message[256];
    PQcancel(cancel_, message, sizeof message);
  }

 private:
  PGcancel* cancel_;
};

}  // namespace

// Qt names the handle's type after libpq's struct ("pg_conn*"); older
// versions used the typedef ("PGconn*").
pg_conn* postgresConnection(const QSqlDatabase& db) {
  if (!db.driver()) return nullptr;
  const QVariant handle = db.driver()->handle();
  if (auto* pg = nativeHandle<PGconn>(handle, "pg_conn*")) return pg;
  return nativeHandle<PGconn>(handle, "PGconn*");
}

SideConnector serverSideConnector(const ServerLogin& login) {
  return [login](const QString& connectionName) {
    QStringList problem;
    {
      QSqlDatabase db = QSqlDatabase::addDatabase(login.driverType, connectionName);
      db.setDatabaseName(login.databaseName);
      if (!login.hostName.isEmpty()) db.setHostName(login.hostName);
      if (login.port >= 0) db.setPort(login.port);
      if (!login.userName.isEmpty()) db.setUserName(login.userName);
      if (!login.password.isEmpty()) db.setPassword(login.password);
      db.setConnectOptions(login.connectOptions);
      // Exact numerics (key values among them) arrive as text, not through a double.
      db.setNumericalPrecisionPolicy(QSql::HighPrecision);
      if (db.open()) {
        db.setPassword(QString());
        return db;
      }
      problem = errorEntries(db.lastError(), QStringLiteral("Cannot open a second connection"));
    }
    QSqlDatabase::removeDatabase(connectionName);
    throw EngineError(problem);
  };
}

std::unique_ptr<StatementInterrupt> StatementInterrupt::forConnection(const QSqlDatabase& db) {
  if (!db.driver()) return nullptr;
  const QVariant handle = db.driver()->handle();
  if (auto* sqlite = nativeHandle<sqlite3>(handle, "sqlite3*")) return std::make_unique<SqliteInterrupt>(sqlite);
  if (PGconn* pg = postgresConnection(db)) {
    if (PGcancel* cancel = PQgetCancel(pg)) return std::make_unique<PostgresInterrupt>(cancel);
  }
  return nullptr;
}

}  // namespace korvel::db
