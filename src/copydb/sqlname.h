#pragma once
// Table and column names as the copy's INSERT statements write them: bare
// where the destination reads the bare name back as that very name (a plain
// identifier in the case the database folds to, and no keyword), quoted by
// the driver's own rule everywhere else. So "INSERT INTO EMP ( CODE,NAME )"
// keeps its familiar look, and a name with blanks, quotes, dots, semicolons,
// Japanese letters or the wrong case can never end the identifier early or
// name another table.

#include <QString>

namespace korvel::db {
class Driver;
struct TableName;
}  // namespace korvel::db

namespace korvel::copydb {

QString sqlName(const db::Driver& driver, const QString& name);
// "schema.name" with each part written by sqlName, or the name alone.
QString sqlTableName(const db::Driver& driver, const db::TableName& table);

}  // namespace korvel::copydb
