#pragma once
// One database driver behind an alias: how to connect, what the table type
// is called, how tables are listed, how column types map to field kinds and
// how rows are paged. One Driver per open alias connection.

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

#include "db/repeatedstatement.h"
#include "db/table.h"
#include "db/typemap.h"

namespace korvel::db {

struct Alias;

// How a driver reads one page of rows.
enum class PagingStyle {
  LimitOffset,  // ... LIMIT n OFFSET m
  OffsetFetch,  // ... OFFSET m ROWS FETCH NEXT n ROWS ONLY
  Sequential,   // one forward cursor, re-run to go back
};

class Driver {
 public:
  virtual ~Driver() = default;
  // The driver for an alias type ("SQLITE" ...), nullptr when unknown.
  static std::unique_ptr<Driver> create(const QString& aliasType);

  // Opens connection `connectionName` for the alias. EngineError on failure;
  // nothing is left registered then.
  virtual QSqlDatabase open(const Alias& alias, const QString& connectionName) = 0;
  // Whether a connection this driver opened can still be used. A connection
  // the server ended counts as alive until the driver has noticed, which is
  // at the first statement that fails on it.
  virtual bool isAlive(const QSqlDatabase& db) const { return db.isOpen(); }
  // The table type ("SQLITE", "POSTGRESQL", "ORACLE" ...), at most 31 characters.
  virtual QString tableType() const = 0;
  virtual QStringList tableNames(const QSqlDatabase& db, bool withExtensions,
                                 bool withSystemTables) = 0;
  // Column descriptions of an executed query's result.
  virtual std::vector<ColumnMeta> describe(const QSqlQuery& query) const = 0;
  virtual PagingStyle paging() const { return PagingStyle::LimitOffset; }
  // A hidden column that locates a row of any table ("rowid"), or empty.
  virtual QString rowLocator() const { return {}; }
  // An ordering that keeps pages stable for a table without key, or empty.
  virtual QString physicalOrder() const { return {}; }
  // An open read cursor costs nothing and blocks no other statement of the
  // connection, so one may be kept between page reads.
  virtual bool keepsReadCursors() const { return false; }
  // INSERT ... RETURNING is available.
  virtual bool hasReturning() const { return false; }
  // A key value given in an INSERT is stored as it was bound (no trigger can
  // change it), so the new row's key need not be returned.
  virtual bool storesKeysAsBound() const { return false; }
  // A statement to run many times with new values (through Qt SQL unless
  // the driver runs it natively). EngineError with `context` on failure.
  virtual std::unique_ptr<RepeatedStatement> prepareRepeated(const QSqlDatabase& db, const QString& sql,
                                                             const QString& context) const;
  // The value to bind for a field value of `kind`.
  virtual QVariant toDriver(FieldKind kind, const QVariant& value) const;
  // Column type text for a field definition in CREATE TABLE.
  virtual QString columnType(const FieldDef& def) const = 0;
  // Indexes of a table; the primary index first with an empty name.
  virtual std::vector<IndexDef> indexes(const QSqlDatabase& db, const QString& table) = 0;
  // Makes `fields` the primary key of an existing table.
  virtual void addPrimaryKey(QSqlDatabase& db, const QString& table, const QStringList& fields);

  // The table's name as the database spells it (exact match first, then
  // ignoring case); the name as given when no table matches.
  QString resolveTableName(const QSqlDatabase& db, const QString& name) const;
  // Field names of the table's primary key, in key order; empty when none.
  static QStringList primaryKey(const QSqlDatabase& db, const QString& table);
  // Tables and views (and with withSystemTables the system tables) as the
  // Qt driver lists them, sorted without regard to case.
  static QStringList listedTables(const QSqlDatabase& db, bool withSystemTables);
  // The columns of a result, each typed by `meta` from the driver's type
  // code, length and precision.
  static std::vector<ColumnMeta> describeRecord(const QSqlQuery& query,
                                                ColumnMeta (*meta)(int, int, int));
  static QString quoteTable(const QSqlDatabase& db, const QString& name);
  static QString quoteField(const QSqlDatabase& db, const QString& name);
};

// Runs a prepared statement, or a statement text without parameters (no
// server-side PREPARE, which not every statement allows). EngineError with
// `context` and the driver's messages on failure.
void execOrThrow(QSqlQuery& query, const QString& context);
void execOrThrow(QSqlQuery& query, const QString& sql, const QString& context);
void prepareOrThrow(QSqlQuery& query, const QString& sql, const QString& context);
// `context` followed by the driver's messages, as error entries.
QStringList errorEntries(const QSqlError& error, const QString& context);

}  // namespace korvel::db
