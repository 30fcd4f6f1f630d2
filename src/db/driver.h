#pragma once
// One database driver behind an alias: how to connect, what the table type
// is called, how tables are listed, how column types map to field kinds and
// how rows are paged. One Driver per open alias connection.

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QHash>
#include <memory>
#include <optional>
#include <vector>

#include "db/repeatedstatement.h"
#include "db/sideconnection.h"
#include "db/table.h"
#include "db/tablename.h"
#include "db/typemap.h"

namespace korvel::db {

struct Alias;

// How a driver reads one page of rows.
enum class PagingStyle {
  LimitOffset,  // ... LIMIT n OFFSET m
  OffsetFetch,  // ... OFFSET m ROWS FETCH NEXT n ROWS ONLY
  Sequential,   // one forward cursor, re-run to go back
};

// How a write of many rows (WriteRun) keeps the rows before a refused one.
enum class RunSafety {
  StatementAtomic,  // a failed statement undoes only itself; the transaction goes on
  Savepoints,       // a failed statement aborts the transaction: each row in a savepoint
  Autocommit,       // not known: no run transaction, each row commits as posted
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

  // Identifiers. Every table, column and index name written into SQL goes
  // through quoteName or quoteTable (tablename.h).
  virtual QChar identifierQuote() const { return u'"'; }
  QString quoteName(const QString& name) const { return quoteIdentifier(identifierQuote(), name); }
  QString quoteTable(const TableName& table) const { return quoteTableName(identifierQuote(), table); }

  // The tables of the database as the user sees them listed (with system
  // tables when asked). The driver remembers which table each listed text
  // stands for, so that a listed text is never taken apart again.
  QStringList tableNames(const QSqlDatabase& db, bool withExtensions, bool withSystemTables);
  // The table a listed or typed text names: the listed table first, then a
  // table of exactly that name, then one whose name differs only in case
  // (driver-specific further steps: see PostgresDriver). nullopt when none.
  std::optional<TableName> findTable(const QSqlDatabase& db, const QString& text);
  // A table or view by its parts: exactly, else ignoring case; the result
  // names the schema where the driver knows it. nullopt when none.
  virtual std::optional<TableName> lookupTable(const QSqlDatabase& db, const TableName& table) = 0;
  // Field names of the table's primary key, in key order; empty when none.
  virtual QStringList primaryKey(const QSqlDatabase& db, const TableName& table) = 0;
  // Column names of the table, in order.
  virtual QStringList columnNames(const QSqlDatabase& db, const TableName& table);
  virtual bool isView(const QSqlDatabase& db, const TableName& table) = 0;
  // Indexes of a table; the primary index first with an empty name.
  virtual std::vector<IndexDef> indexes(const QSqlDatabase& db, const TableName& table) = 0;
  // Makes `fields` the primary key of an existing table.
  virtual void addPrimaryKey(QSqlDatabase& db, const TableName& table, const QStringList& fields);

  // Column descriptions of an executed query's result.
  virtual std::vector<ColumnMeta> describe(const QSqlQuery& query) const = 0;
  virtual PagingStyle paging() const { return PagingStyle::LimitOffset; }
  // A hidden column that locates a row of any table ("rowid"), or empty.
  virtual QString rowLocator() const { return {}; }
  // An ordering that keeps pages stable for a table without key, or empty.
  virtual QString physicalOrder() const { return {}; }
  // The physical order's values are row addresses "(block,item)" that can
  // be read in ranges of blocks (PostgreSQL's ctid).
  virtual bool physicalRanges() const { return false; }
  // Row comparisons "(a, b) > (?, ?)" are understood and served from an index.
  virtual bool rowValueComparisons() const { return false; }
  // How another connection to the database of `db` is opened from a worker
  // thread; empty when none can be (the work then runs on `db` itself).
  virtual SideConnector sideConnector(const QSqlDatabase&) const { return {}; }
  // An open read cursor costs nothing and blocks no other statement of the
  // connection, so one may be kept between page reads.
  virtual bool keepsReadCursors() const { return false; }
  // A read-only query can be paged through a scroll cursor held in a
  // read-only transaction on a side connection (ScrollReader).
  virtual bool scrollCursors() const { return false; }
  // INSERT ... RETURNING is available.
  virtual bool hasReturning() const { return false; }
  // A key value given in an INSERT is stored as it was bound (no trigger can
  // change it), so the new row's key need not be returned.
  virtual bool storesKeysAsBound() const { return false; }
  // How a run of many rows is written safely.
  virtual RunSafety runSafety() const { return RunSafety::Autocommit; }
  // Whether a transaction is still open on the connection (the database may
  // have ended it itself after a failure). Where that cannot be asked, a
  // transaction begun is taken as open: ending one that is not is harmless.
  virtual bool inTransaction(const QSqlDatabase&) const { return true; }
  // A statement to run many times with new values (through Qt SQL unless
  // the driver runs it natively). EngineError with `context` on failure.
  virtual std::unique_ptr<RepeatedStatement> prepareRepeated(const QSqlDatabase& db, const QString& sql,
                                                             const QString& context) const;
  // The value to bind for a field value of `kind`.
  virtual QVariant toDriver(FieldKind kind, const QVariant& value) const;
  // The values of the query's current row, as the engine holds them.
  QVector<QVariant> readRow(QSqlQuery& query) const;
  // The same for a result of `columns` columns: callers reading many rows
  // count them once (QSqlQuery::record() builds every field anew per call).
  virtual QVector<QVariant> readRow(QSqlQuery& query, int columns) const;
  // Column type text for a field definition in CREATE TABLE.
  virtual QString columnType(const FieldDef& def) const = 0;

  // The table type of one table; tableType() unless the driver holds tables
  // of several kinds (a directory: "PARADOX" and "ASCIIDRV").
  virtual QString tableTypeOf(const QSqlDatabase& db, const TableName& table);
  // Creates `table` from field definitions, `primaryKey` its primary index
  // (may be empty), replacing the table when `replacing`. By default a DROP
  // and a CREATE TABLE in one transaction.
  virtual void createTable(QSqlDatabase& db, const TableName& table, const std::vector<FieldDef>& fields,
                           const QStringList& primaryKey, bool replacing);
  // The CREATE TABLE statement of a table of SQL (not of a directory).
  QString createTableSql(const TableName& table, const std::vector<FieldDef>& fields, const QStringList& primaryKey) const;
  // The ASCII text table over file `fileName`, and its creation. Only
  // drivers over a directory hold text tables: EngineError otherwise.
  virtual TableName asciiTable(QSqlDatabase& db, const QString& fileName);
  virtual void createAsciiTable(QSqlDatabase& db, const QString& fileName, const std::vector<FieldDef>& fields,
                                const QStringList& primaryKey);
  // A page read by OFFSET costs as little anywhere in a table as at its
  // start: pages are read by position, never by neighbouring keys.
  virtual bool cheapOffsets() const { return false; }
  // The text to run for a statement as the user wrote it.
  virtual QString statementText(const QString& sql) const { return sql; }
  // An open connection is used again: a driver over files takes in tables
  // added or removed since.
  virtual void refresh(QSqlDatabase&) {}

  // The columns of a result, each typed by `meta` from the driver's type
  // code, length and precision.
  static std::vector<ColumnMeta> describeRecord(const QSqlQuery& query,
                                                ColumnMeta (*meta)(int, int, int));

 protected:
  struct ListedTable {
    TableName table;
    QString text;  // as the list shows it
  };
  virtual std::vector<ListedTable> listTables(const QSqlDatabase& db, bool withExtensions,
                                              bool withSystemTables) = 0;
  // A typed text that names no listed table: by default one name.
  virtual std::optional<TableName> lookupTyped(const QSqlDatabase& db, const QString& text);
  // Tables and views (and with withSystemTables the system tables) as the
  // Qt driver lists them, each one name without schema.
  static std::vector<ListedTable> qtListedTables(const QSqlDatabase& db, bool withSystemTables);
  // Runs `sql` with `binds` and returns the first column of every row.
  static QStringList firstColumn(const QSqlDatabase& db, const QString& sql, const QVector<QVariant>& binds,
                                 const QString& context);

 private:
  QHash<QString, TableName> listed_;  // the last listing, by its texts
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
