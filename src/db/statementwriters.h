#pragma once
// The statement writers of each kind of connection (statementwriter.h), for
// openStatementWriter. `driver` is the connection's driver; it lives as long
// as the connection, which each writer checks for before every use.

#include <memory>

#include "db/statementwriter.h"

namespace korvel::db {

class Driver;

std::unique_ptr<StatementWriter> sqliteStatementWriter(const QString& connectionName, const Driver& driver);
std::unique_ptr<StatementWriter> postgresStatementWriter(const QString& connectionName, const Driver& driver);

}  // namespace korvel::db
