#pragma once
// Scripts that drop the objects of a database, one statement per line, each
// name quoted for the database it is meant for.
//
// The objects come from the database's own catalog, in name order:
//   ORACLE      SYS.ALL_OBJECTS outside the SYS, SYSTEM and PUBLIC owners:
//               "DROP SEQUENCE s;", "DROP VIEW v;", "DROP TABLE t CASCADE CONSTRAINTS;"
//   POSTGRESQL  tables, views, materialized views, foreign tables and the
//               sequences no column owns, outside the system schemas:
//               "DROP TABLE IF EXISTS s.t CASCADE;" ... (IF EXISTS: an
//               object CASCADE already took does not stop the script)
//   SQLITE      tables and views: "DROP TABLE IF EXISTS t;", "DROP VIEW IF EXISTS v;"
// Other kinds are asked the ORACLE way, so their own error reaches the user.
// Objects whose name begins with "EVT_" or "SMP_" are left out.

#include <QString>
#include <QStringList>

namespace korvel::db {

// The drop statements for the alias's schema. EngineError when the catalog
// cannot be read.
QStringList schemaDropScript(const QString& alias);

// One DROP TABLE statement for each table text (as the alias lists them),
// in the order given, in the form the alias's kind of database takes.
QStringList dropTableStatements(const QString& alias, const QStringList& tables);

}  // namespace korvel::db
