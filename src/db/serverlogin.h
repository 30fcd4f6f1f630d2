#pragma once
// Connecting to a server alias: the user name comes from the alias, the
// password from the login dialog (never stored). An alias with
// "LOGIN PROMPT=FALSE" connects without asking (a password file, trust
// authentication or an ODBC DSN supplies what is needed).

#include <QSqlDatabase>
#include <QString>

#include "db/sideconnection.h"

namespace korvel::db {

struct Alias;

// Asks for the login when the alias wants it and opens `db` with it; returns
// what opened it (password included), for side connections of the same
// login. EngineError (the driver's message as the last entry) on cancel or
// failure; the connection is removed then.
ServerLogin openWithLogin(QSqlDatabase& db, const Alias& alias, const QString& connectionName);

}  // namespace korvel::db
