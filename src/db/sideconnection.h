#pragma once
// Another connection to the database of an open one, for work that runs in a
// thread of its own beside the window (counting a result's rows while it is
// browsed), and a way to stop the statement running on it from the window's
// thread.

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <functional>
#include <memory>
#include <utility>

struct pg_conn;  // libpq's connection (PGconn)

namespace korvel::db {

// Opens the connection in the calling thread under `connectionName`.
// EngineError on failure; nothing is left registered then.
using SideConnector = std::function<QSqlDatabase(const QString& connectionName)>;

// The parameters of a server connection as it was opened, the password
// included: kept in memory only, so that side connections need no second
// login. Never written anywhere.
struct ServerLogin {
  QString driverType;  // "QPSQL", "QODBC"
  QString databaseName;
  QString hostName;
  int port = -1;
  QString userName;
  QString password;
  QString connectOptions;
};
SideConnector serverSideConnector(const ServerLogin& login);

// The settings a PostgreSQL session changed for itself (SET search_path,
// TimeZone ...), as name and value. A statement reads what they make of it
// (the tables a name finds, how times are shown), so a side connection
// takes them too. EngineError when they cannot be read.
using SessionSettings = QList<std::pair<QString, QString>>;
SessionSettings postgresSessionSettings(const QSqlDatabase& own);
// Opens as `connector` does, then sets `settings` on the new connection; a
// setting that cannot be set fails the connection (EngineError, nothing left
// registered) rather than let it read something else.
SideConnector withSessionSettings(SideConnector connector, SessionSettings settings);

// The libpq connection under a QPSQL connection, or nullptr.
::pg_conn* postgresConnection(const QSqlDatabase& db);

// Stops the statement running on a connection; callable from any thread.
// Made in the thread that uses the connection, before it runs statements.
class StatementInterrupt {
 public:
  // nullptr when the driver offers no way (the work then stops between its
  // statements only).
  static std::unique_ptr<StatementInterrupt> forConnection(const QSqlDatabase& db);
  virtual ~StatementInterrupt() = default;
  virtual void interrupt() = 0;
};

}  // namespace korvel::db
