#pragma once
// The one database engine of the program: named aliases, their parameters and
// tables, and the connections opened for them.

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <memory>

#include "db/engineerror.h"

namespace korvel::db {

class Driver;

class Engine {
 public:
  static Engine& instance();

  // Reads the alias file ($KORVEL_ALIASES, else <config>/aliases.ini). When
  // the file does not exist it is written with alias DEMO and the DEMO
  // database is created. Problems (malformed lines) are returned as messages
  // naming the line; the aliases that could be read stay usable.
  QStringList loadAliases();
  QString aliasFilePath() const;

  QStringList aliasNames() const;
  // NAME=VALUE lines, as they stand in the alias file (no password: none is stored).
  QStringList aliasParams(const QString& alias) const;
  QString aliasType(const QString& alias) const;  // "SQLITE", "POSTGRESQL", "ODBC"

  // Table names of the alias. withExtensions: file-based drivers add the file
  // extension of their tables (".db" for SQLite tables is not meaningful; see
  // the driver). withSystemTables: include the driver's system tables.
  QStringList tableNames(const QString& alias, bool withExtensions,
                         bool withSystemTables);

  // Closes every connection; datasets bound to them are closed first.
  void closeConnections();

  // The open connection for an alias, opening it (with a login prompt for
  // server aliases) when needed. A connection that was lost or ended by the
  // server is replaced by a new one; datasets open on it are closed first.
  // EngineError on failure.
  QSqlDatabase connection(const QString& alias);
  Driver& driver(const QString& alias);

  // Datasets register while open so that closeConnections() can close them
  // first. Called by Dataset only.
  void registerDataset(class Dataset* dataset);
  void unregisterDataset(class Dataset* dataset);
  // Lets open datasets drop read cursors they keep between page reads, so
  // that a statement changing tables is not blocked by them.
  void releaseReadCursors();

 private:
  Engine();
  ~Engine();
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace korvel::db
