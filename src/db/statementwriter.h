#pragma once
// Independent statements written one after another as the rows of one unit
// of work: the table data copy runs one INSERT text per source row.
//
// A statement the database refuses leaves no trace and the rows before it
// stay. Where the driver allows it the statements run inside a transaction
// that the caller commits from time to time, so the rows are not synced to
// disk one by one, and they are sent to the server in batches rather than
// one round trip each:
//   - SQLite: one transaction; a refused statement undoes only itself. If the
//     database ends the transaction on its own (a conflict clause ROLLBACK),
//     the rows since the last commit are run again.
//   - PostgreSQL: one transaction; each batch is pipelined inside a
//     savepoint. A refused statement aborts the batch: the batch is rolled
//     back to its savepoint and the statements before the refused one are
//     run again, so exactly they stay. INSERT statements of one table are
//     first tried as one INSERT of many rows (setCommonInsert), which the
//     server parses once instead of once per row.
//   - any other driver: each statement is a row of a WriteRun (writerun.h);
//     ODBC has no run transaction, each statement commits itself.
// Every statement is run as the driver's statementText() gives it.
//
//   auto writer = openStatementWriter(alias);
//   int ran = writer->run(statements, &refusal);  // stops at a refusal
//   writer->commit();

#include <QString>
#include <QStringList>
#include <memory>

#include "db/tablename.h"

namespace korvel::db {

class StatementWriter {
 public:
  // What ran and was not committed is rolled back.
  virtual ~StatementWriter() = default;

  // Runs `statements` in order until the database refuses one. Returns how
  // many ran; when that is fewer than given, *refusal holds the database's
  // message for the next statement, which left no trace, and the statements
  // after it did not run. What ran is kept until commit(). EngineError when
  // the writing itself fails (the connection was lost, the transaction could
  // not be kept): what ran since the last commit is then gone.
  virtual int run(const QStringList& statements, QString* refusal) = 0;
  // Makes what ran permanent. EngineError when the database refuses; what
  // ran since the last commit is then gone.
  virtual void commit() = 0;
  // Whether run() keeps rows in a transaction until commit() (false: every
  // statement is permanent as soon as it ran).
  virtual bool transactional() const = 0;

  // Says that the statements to come are INSERTs into `table` that all read
  // `head` ("INSERT INTO t ( a,b ) VALUES ") followed by one row "( ... )".
  // A writer may then send a batch of them as one INSERT of many rows where
  // that has exactly the effect of the statements one by one (PostgreSQL:
  // the table has no trigger and no rule of its own; every row's values
  // are converted to the column types as in a single-row INSERT). When that
  // INSERT is refused, the statements are run one by one as usual.
  virtual void setCommonInsert(const QString& head, const TableName& table) {
    (void)head;
    (void)table;
  }
};

// The writer for the alias's open connection (opened when needed).
// EngineError when there is no connection.
std::unique_ptr<StatementWriter> openStatementWriter(const QString& alias);

}  // namespace korvel::db
