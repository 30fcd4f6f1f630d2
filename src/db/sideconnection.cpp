#include "db/sideconnection.h"

#include <libpq-fe.h>
#include <sqlite3.h>

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>

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

SessionSettings postgresSessionSettings(const QSqlDatabase& own) {
  QSqlQuery changed(own);
  changed.setForwardOnly(true);
  execOrThrow(changed,
              QStringLiteral("SELECT name, current_setting(name) FROM pg_settings "
                             "WHERE source = 'session' AND name <> 'application_name'"),
              QStringLiteral("Cannot read the session's settings"));
  SessionSettings settings;
  while (changed.next()) settings.append({changed.value(0).toString(), changed.value(1).toString()});
  return settings;
}

SideConnector withSessionSettings(SideConnector connector, SessionSettings settings) {
  if (settings.isEmpty()) return connector;
  return [connector = std::move(connector), settings = std::move(settings)](const QString& connectionName) {
    QStringList problem;
    {
      QSqlDatabase db = connector(connectionName);
      QSqlQuery set(db);
      bool ok = set.prepare(QStringLiteral("SELECT set_config(?, ?, false)"));
      for (qsizetype i = 0; ok && i < settings.size(); ++i) {
        set.addBindValue(settings[i].first);
        set.addBindValue(settings[i].second);
        ok = set.exec();
      }
      if (ok) return db;
      problem = errorEntries(set.lastError(), QStringLiteral("Cannot take the session's settings"));
      set = QSqlQuery();
      db.close();
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
