#pragma once
// The two directions of the byte copy (bytecopy.h) and what they share.

#include <sqlite3.h>

#include <QString>
#include <vector>

#include "db/batchmove.h"
#include "db/batchrows.h"

namespace korvel::db {

class ProgressTeller;
namespace local {
class CsvReader;
class CsvWriter;
struct LocalTableDef;
}  // namespace local

namespace bytecopy {

// A statement prepared on SQLite's own handle, finalized with it.
class Statement {
 public:
  // EngineError with `context` when SQLite cannot prepare `sql`.
  Statement(sqlite3* db, const QString& sql, const QString& context);
  ~Statement() { sqlite3_finalize(stmt_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  sqlite3_stmt* get() const { return stmt_; }

 private:
  sqlite3_stmt* stmt_ = nullptr;
};

BatchMoveOutcome importCsv(local::CsvReader& csv, const SqliteStatementEnd& target, const local::LocalTableDef& def,
                           const std::vector<int>& order, ProgressTeller& teller);
BatchMoveOutcome exportCsv(const SqliteStatementEnd& source, local::CsvWriter& csv, const local::LocalTableDef& def,
                           const std::vector<int>& order, ProgressTeller& teller);

}  // namespace bytecopy
}  // namespace korvel::db
