#pragma once
// The SQLite module "korvel_local": a virtual table over one table file of
// a LocalDirectory.
//
// Reading: rows come straight from the file, merged with the changes of
// the running transaction. xBestIndex takes a row id, a range of the first
// key field (a keyed table keeps its records in key order, so the range is
// found by binary search), OFFSET (so a page anywhere in the table costs
// what the first page costs) and ORDER BY the key (or the row id of a table
// without key), so that paging stays fast and memory does not grow with the
// table.
//
// Writing: INSERT, UPDATE and DELETE collect in the virtual table; the
// commit writes the file once. Records whose key and memo file stay as they
// are are rewritten where they stand (Paradox); anything else rewrites the
// table through temporary files put in place by rename. Savepoints and
// failed statements undo only their own changes.

#include <QString>
#include <memory>
#include <vector>

#include "db/local/localfile.h"

struct sqlite3;

namespace korvel::db::local {

class LocalDirectory;

// The face of one virtual table that the directory and the engine use.
class LocalVirtualTable {
 public:
  virtual ~LocalVirtualTable() = default;
  // Changes of a transaction not yet written to the file.
  virtual bool hasPendingChanges() const = 0;
  // The file as last read (opened again when it changed on disk and nothing
  // is pending). EngineError naming the file when it cannot be read.
  virtual std::shared_ptr<LocalFile> currentFile() = 0;
  // The file was replaced: read it again at the next statement.
  virtual void fileReplaced() = 0;
  // The file's records are in ascending key order (read through once).
  virtual bool keyOrdered() = 0;
  // The table's columns as declared to SQLite.
  virtual const std::vector<LocalColumn>& declaredColumns() const = 0;
  virtual int declaredKeyColumns() const = 0;
  // The file no longer matches the declared columns (or could not be read
  // when the table was made): the directory makes the table anew.
  virtual bool needsRedeclaring() const = 0;
};

// The collation of keys of text: code page 932 byte order.
constexpr const char* kCp932Collation = "KORVEL_CP932";

// Registers the module and the collation on `db` for `directory`.
bool registerLocalModule(sqlite3* db, const std::shared_ptr<LocalDirectory>& directory);

}  // namespace korvel::db::local
