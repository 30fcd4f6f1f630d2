#pragma once
// One table file of a directory, whatever its format: a Paradox .DB file or
// a CSV text table. The virtual tables and the batch copy read rows through
// this, and replace a table through the writer it gives.

#include <QString>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "db/local/localtable.h"

namespace korvel::db::local {

enum class LocalFileKind { Paradox, Csv };

// Writes a whole table into temporary files; finish() flushes them to the
// disk and commit() puts them in place, so that a failure before commit()
// leaves the table as it was.
class LocalWriter {
 public:
  virtual ~LocalWriter() = default;
  // EngineError naming the row and column when a value cannot be stored.
  virtual void append(const LocalRow& row, int64_t rowNumber) = 0;
  virtual void finish() = 0;
  virtual void commit() = 0;
  // The CSV writer records can be handed to straight, in the order they
  // are to stand (nullptr for other formats, and where rows are sorted
  // first). A caller writing through it keeps any key order itself.
  virtual class CsvWriter* csvWriter() { return nullptr; }
};

struct LocalTableDef {
  std::vector<LocalColumn> columns;
  int keyColumns = 0;  // the first n columns are the primary key
};

class LocalFile {
 public:
  virtual ~LocalFile() = default;
  // Opens a table file. EngineError naming the file when it cannot be read.
  static std::shared_ptr<LocalFile> open(const QString& path, LocalFileKind kind);

  virtual LocalFileKind kind() const = 0;
  virtual const QString& path() const = 0;
  virtual const std::vector<LocalColumn>& columns() const = 0;
  virtual int keyColumns() const = 0;
  LocalTableDef definition() const { return {columns(), keyColumns()}; }

  // Record n (0-based, file order) exists; reads the file up to it.
  virtual bool exists(int64_t n) = 0;
  // Record n; false when the file holds fewer. EngineError when damaged.
  virtual bool readRow(int64_t n, LocalRow& out) = 0;
  // The number of records; may read the whole file once.
  virtual int64_t count() = 0;
  // The number of records when known without reading, else -1.
  virtual int64_t knownCount() const = 0;
  // The key bytes (keycodec.h) of record n, which must exist.
  virtual std::string keyOf(int64_t n) = 0;

  virtual bool changedOnDisk() const = 0;
  // Empty when rows can be written, else why not.
  virtual QString writeRefusal() const = 0;
  // Empty when `row` can be stored in this file, else why not (a text too
  // long for its field, a number out of range, a character with no code
  // page 932 form ...).
  virtual QString checkRow(const LocalRow& row) = 0;
  // A writer of a table with this file's structure, to replace it; rows
  // given in key order unless `sort`.
  virtual std::unique_ptr<LocalWriter> rewrite(bool sort) = 0;
  // The Paradox reader of a Paradox file, else nullptr.
  virtual class ParadoxReader* paradox() { return nullptr; }
  // The CSV reader of a CSV file, else nullptr.
  virtual class CsvReader* csv() { return nullptr; }
};

// A writer of a new table at `path` (replacing any table there on commit()).
// CSV tables get a schema file. EngineError when the definition cannot be
// stored in that format.
// A keyed table's rows are sorted by key before they are written unless
// `rowsInKeyOrder` (then rows out of order are an error); rows with the same
// key are an error naming both.
std::unique_ptr<LocalWriter> createLocalWriter(const QString& path, LocalFileKind kind, const LocalTableDef& def,
                                               bool rowsInKeyOrder = false);

// Thrown by a writer made by checkingKeyOrder() at the first row whose key
// does not come after the key of the row before it.
struct RowsOutOfKeyOrder {};

// `inner` (made for rows in key order), checking that they are: rows whose
// order is only likely (read through an ORDER BY of another database,
// whose collation may differ) are written straight on, and the caller
// starts over with sorting when the order breaks.
std::unique_ptr<LocalWriter> checkingKeyOrder(std::unique_ptr<LocalWriter> inner, const LocalTableDef& def);

// The kind of a table file by its extension (.DB Paradox, anything else CSV).
LocalFileKind localFileKindOf(const QString& path);

}  // namespace korvel::db::local
