#pragma once
// The two ends of a batch copy: rows read from a source table (a table file
// of a directory read straight from the file, any other table through SQL)
// and rows written into a destination that is created for them (a table
// file written through temporary files, a table of SQL created and filled
// in one transaction where the database has them). A writer left without
// commit() leaves nothing behind: no file replaced, the transaction rolled
// back.

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

#include "db/local/localfile.h"
#include "db/table.h"

struct sqlite3;

namespace korvel::db {

class Driver;
namespace local {
class CsvReader;
class CsvWriter;
}  // namespace local

// A SQLite connection the byte copy (bytecopy.h) runs its own statement on:
// the SELECT a reader reads its rows with, or the INSERT a writer stores
// them with (inside the writer's transaction).
struct SqliteStatementEnd {
  sqlite3* handle = nullptr;  // nullptr: not a SQLite database
  QString sql;
  const Driver* driver = nullptr;
  QString context;  // the first line of an error
  // An INSERT's row of parameters ("(?, ?)"), which its SQL ends with: an
  // INSERT of several rows at once repeats it.
  QString parameterRow;
};

class RowReader {
 public:
  virtual ~RowReader() = default;
  const std::vector<local::LocalColumn>& columns() const { return columns_; }
  // Names of the primary key's fields, in key order.
  const QStringList& key() const { return key_; }
  // Rows come in ascending key order as the table files keep it (for a
  // table file this may read it once to find out).
  virtual bool inFileKeyOrder() { return false; }
  virtual bool next(local::LocalRow& row) = 0;
  // The number of rows, or -1 when it is not known without reading them.
  virtual int64_t total() = 0;
  // Reads the rows once more from the first (for a second pass).
  virtual void restart() = 0;
  // Asks for the rows in ascending order of the primary key, from the
  // first, where the source can give them so cheaply (a table of SQL, by
  // its database's collation, which may differ from the files' order);
  // false when it cannot. The order holds for restart() until asked off.
  virtual bool readInKeyOrder(bool) { return false; }
  // Names the table read: its file, or its connection and name.
  const QString& identity() const { return identity_; }
  // The connection the rows are read through (empty for a table file), and
  // whether other statements may run on it while a reading is under way.
  const QString& connection() const { return connection_; }
  bool readsBesideStatements() const { return readsBesideStatements_; }
  // For the byte copy: the CSV file the rows are read from as it stands on
  // the disk, else nullptr.
  virtual local::CsvReader* csvFile() { return nullptr; }
  // For the byte copy: the SQLite database and SELECT the rows are read
  // with (in the order asked by readInKeyOrder()), else no handle.
  virtual SqliteStatementEnd sqliteSource() const { return {}; }

 protected:
  QString identity_;
  QString connection_;
  bool readsBesideStatements_ = true;
  std::vector<local::LocalColumn> columns_;
  QStringList key_;
};

// The reader of `table` bound to an alias (or a directory, for a text table).
std::unique_ptr<RowReader> openRowReader(Table& table);

class RowWriter {
 public:
  virtual ~RowWriter() = default;
  virtual void append(const local::LocalRow& row, int64_t rowNumber) = 0;
  virtual void commit() = 0;
  // For the byte copy: the SQLite database and INSERT of the destination's
  // columns (bound in order), else no handle.
  virtual SqliteStatementEnd sqliteTarget() const { return {}; }
  // For the byte copy: the CSV file's writer records go to straight, in
  // the order they come (the caller keeps any key order), else nullptr.
  virtual local::CsvWriter* csvFile() { return nullptr; }
};

// Where a copy goes: the table's alias and name, whether a table of that
// name exists there and how many rows it holds.
struct Destination {
  QString description;  // for messages
  bool exists = false;
  int64_t rows = 0;
  bool isFile = false;  // a table file of a directory
  bool isParadox = false;
  QString identity;  // as RowReader::identity()
  QString connection;  // as RowReader::connection()
};
Destination inspectDestination(Table& table);

// Creates the destination table for `def` (its key fields first, `key`
// naming them) and returns its writer. `rowsInKeyOrder`: the rows will come
// in the files' key order, so a table file needs no sorting.
// `expectKeyOrder`: they are likely to, and a table file's writer throws
// local::RowsOutOfKeyOrder when they do not (nothing is then written).
std::unique_ptr<RowWriter> createRowWriter(Table& table, const local::LocalTableDef& def, bool rowsInKeyOrder,
                                           bool expectKeyOrder = false);

}  // namespace korvel::db
