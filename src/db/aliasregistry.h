#pragma once
// The aliases of the alias file: one INI section per alias, its NAME=VALUE
// parameters kept in file order. Passwords are never part of an alias.
//
//   [DEMO]                      TYPE=SQLITE
//   PATH=/path/to/file.sqlite   the database file; it must exist
//
//   [SALES]                     TYPE=POSTGRESQL
//   SERVER NAME=db.example      host (empty: the local socket)
//   PORT=5432
//   DATABASE NAME=sales
//   USER NAME=clerk             proposed in the login dialog
//
//   [ORA]                       TYPE=ODBC
//   ODBC DSN=ORA_DSN            a data source name, or a connection string
//                               ("DRIVER={PostgreSQL Unicode};SERVER=...;BoolsAsChar=0")
//   USER NAME=scott
//   PAGING=FETCH                optional: LIMIT, FETCH or SEQUENTIAL, how rows
//                               are paged when the DBMS is not one it knows
//   DBMS NAME=Oracle            optional: the DBMS the source is taken to be, in
//                               place of the one it reports; it sets the table
//                               type ("ORACLE", "MSACCESS", "POSTGRESQL" ...)
//
// Server aliases (POSTGRESQL, ODBC) ask for user and password at connection
// unless LOGIN PROMPT=FALSE, when the driver's own means (a password file,
// trust authentication, the DSN) must supply them.
//
// The file is CP932 text, or UTF-8 when it begins with a UTF-8 byte-order
// mark; lines end in CR LF, LF or CR. Alias and parameter names compare
// without regard to the case of ASCII letters. An alias defined twice keeps
// its first definition: the later section is reported by its line and not
// used. A parameter given twice in one alias is reported; the later value is
// used.
//
// System tables: SQLite's sqlite_master and the sqlite_* tables; for
// PostgreSQL the pg_catalog and information_schema tables; for ODBC what
// the source reports as SYSTEM TABLE.

#include <QHash>
#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

namespace korvel::db {

struct Alias {
  QString name;
  std::vector<std::pair<QString, QString>> params;  // in file order

  QString param(const QString& key) const;  // case-insensitive; empty if absent
  QString type() const { return param(QStringLiteral("TYPE")).toUpper(); }
};

class AliasRegistry {
 public:
  // Reads `path` (CP932). Returns messages naming each line that could not be
  // read; the aliases that could be read are kept.
  QStringList load(const QString& path);
  // Writes the alias file holding DEMO (a SQLite database at demoPath),
  // atomically. EngineError when it cannot be written.
  static void writeDefault(const QString& path, const QString& demoPath);

  const std::vector<Alias>& aliases() const { return aliases_; }
  const Alias* find(const QString& name) const;  // case-insensitive

  // The name by which an alias is found: ASCII letters upper-cased, every
  // other character as it is.
  static QString lookupName(const QString& name);

 private:
  std::vector<Alias> aliases_;
  QHash<QString, size_t> index_;  // lookupName -> aliases_
};

}  // namespace korvel::db
