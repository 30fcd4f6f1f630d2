// CSV -> SQLite without a row of values: each field is bound from the CSV
// reader's buffer to the prepared INSERT. Text of ASCII bytes is bound as
// it stands (UTF-8 is a superset of ASCII), code page 932 text converted to
// UTF-8 through the code page tables, plain integers, numbers and dates as
// read from their bytes; every other value through the CSV reader's own
// conversion and the SQLite driver's binding, as the row by row copy
// stores it.

#include <sqlite3.h>

#include <algorithm>

#include "common/cp932table.h"
#include "db/batchprogress.h"
#include "db/bytecopyparts.h"
#include "db/driver.h"
#include "db/engineerror.h"
#include "db/local/csvtable.h"
#include "db/local/csvvalues.h"
#include "db/sqlitevalues.h"

namespace korvel::db::bytecopy {
namespace {

using local::CsvReader;

bool isAscii(const std::string& bytes) {
  for (const char c : bytes)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

// Binds a field straight from its bytes where that needs no QString or
// QVariant: text of ASCII or of code page 932 the tables convert, plain
// integers, numbers and dates (as csvPlainValue() reads them; a date bound
// as the SQLite driver binds one, "YYYY-MM-DD"), text through `scratch`,
// which stays as it is until the statement has run. False when the field is
// left to the general conversion (UTF-8 files' non-ASCII text, bytes that
// are not code page 932, which that conversion reports, numbers with a '+',
// exact decimals, booleans, times ...).
bool bindStraight(sqlite3_stmt* stmt, int index, FieldKind kind, const std::string& bytes, bool utf8File,
                  std::string& scratch, int& rc) {
  switch (kind) {
    case FieldKind::String:
    case FieldKind::Memo:
      if (isAscii(bytes)) {
        scratch.assign(bytes);
      } else {
        scratch.clear();
        if (utf8File || !cp932::decodeToUtf8(bytes, scratch)) return false;
      }
      rc = sqlite3_bind_text(stmt, index, scratch.data(), static_cast<int>(scratch.size()), SQLITE_STATIC);
      return true;
    case FieldKind::Integer:
    case FieldKind::Smallint: {
      long long v = 0;
      if (!local::csvPlainInteger(kind, bytes, v)) return false;
      rc = sqlite3_bind_int64(stmt, index, v);
      return true;
    }
    case FieldKind::Float:
    case FieldKind::Currency: {
      double v = 0;
      if (!local::csvPlainDouble(bytes, v)) return false;
      rc = sqlite3_bind_double(stmt, index, v);
      return true;
    }
    case FieldKind::Date: {
      int year = 0, month = 0, day = 0;
      if (!local::csvPlainDate(bytes, year, month, day)) return false;
      char text[10] = {char('0' + year / 1000),      char('0' + year / 100 % 10), char('0' + year / 10 % 10),
                       char('0' + year % 10),        '-',                         char('0' + month / 10),
                       char('0' + month % 10),       '-',                         char('0' + day / 10),
                       char('0' + day % 10)};
      scratch.assign(text, sizeof text);
      rc = sqlite3_bind_text(stmt, index, scratch.data(), static_cast<int>(scratch.size()), SQLITE_STATIC);
      return true;
    }
    default: return false;
  }
}

// Rows go in groups of up to kGroupRows in one INSERT of several rows:
// SQLite's work per statement run (opening the table, checking the
// transaction, ending the run) is then done once for the group instead of
// for each row.
constexpr int kGroupRows = 256;

class CsvImport {
 public:
  CsvImport(CsvReader& csv, const SqliteStatementEnd& target, const local::LocalTableDef& def,
            const std::vector<int>& order)
      : csv_(csv), target_(target), def_(def), order_(order), columns_(static_cast<int>(order.size())),
        groupRows_(std::clamp(sqlite3_limit(target.handle, SQLITE_LIMIT_VARIABLE_NUMBER, -1) / std::max(columns_, 1), 1,
                              kGroupRows)),
        single_(target.handle, target.sql, target.context),
        group_(target.handle, groupSql(target, groupRows_), target.context),
        scratch_(static_cast<size_t>(groupRows_ * columns_)) {}

  BatchMoveOutcome run(ProgressTeller& teller) {
    int64_t copied = 0, read = 0, line = 0;
    int pending = 0;
    while (const std::vector<CsvReader::Field>* fields = csv_.fields(read, line)) {
      bindRecord(group_.get(), pending * columns_, *fields, line);
      ++read;
      if (++pending < groupRows_) continue;
      if (!step(group_.get())) {
        // SQLite undid the group's rows; one by one they find the row at
        // fault. A transaction SQLite ended on the failure is not carried
        // on outside it.
        const QString message = sqlite::errorText(target_.handle);
        sqlite3_reset(group_.get());
        if (sqlite3_get_autocommit(target_.handle)) fail(copied, message);
        insertEach(copied, read);
      }
      sqlite3_reset(group_.get());
      copied = read;
      pending = 0;
      if (!teller.rowCopied(copied)) return {BatchMoveResult::Stopped, copied};
    }
    insertEach(copied, read);  // the last rows, fewer than a group
    copied = read;
    if (!teller.finished(copied)) return {BatchMoveResult::Stopped, copied};
    return {BatchMoveResult::Copied, copied};
  }

 private:
  static QString groupSql(const SqliteStatementEnd& target, int rows) {
    QString sql = target.sql;
    for (int r = 1; r < rows; ++r) sql += QStringLiteral(", ") + target.parameterRow;
    return sql;
  }

  // The fields of one record to the parameters after `offset`.
  void bindRecord(sqlite3_stmt* stmt, int offset, const std::vector<CsvReader::Field>& fields, int64_t line) {
    const bool utf8File = csv_.schema().utf8;
    for (int i = 0; i < columns_; ++i) {
      const auto from = static_cast<size_t>(order_[static_cast<size_t>(i)]);
      const CsvReader::Field& field = fields[from];
      const FieldKind kind = def_.columns[static_cast<size_t>(i)].kind;
      const int index = offset + i + 1;
      int rc = SQLITE_OK;
      if (field.bytes.empty() && !field.quoted) {
        rc = sqlite3_bind_null(stmt, index);
      } else if (!bindStraight(stmt, index, kind, field.bytes, utf8File, scratch_[static_cast<size_t>(offset + i)], rc)) {
        csv_.value(from, field, line, value_);
        rc = sqlite::bindValue(stmt, index, target_.driver->toDriver(kind, value_));
      }
      if (rc != SQLITE_OK)
        throw EngineError(QStringList{target_.context, QStringLiteral("Unable to bind parameters"),
                                      sqlite::errorText(target_.handle)});
    }
  }

  bool step(sqlite3_stmt* stmt) { return sqlite3_step(stmt) == SQLITE_DONE; }

  // Records [from, to) read again and inserted one at a time.
  void insertEach(int64_t from, int64_t to) {
    sqlite3_stmt* stmt = single_.get();
    int64_t line = 0;
    for (int64_t n = from; n < to; ++n) {
      const std::vector<CsvReader::Field>* fields = csv_.fields(n, line);
      if (!fields) throw EngineError(QStringList{target_.context, QStringLiteral("the file changed during the copy")});
      bindRecord(stmt, 0, *fields, line);
      if (!step(stmt)) {
        const QString message = sqlite::errorText(target_.handle);
        sqlite3_reset(stmt);
        fail(n, message);
      }
      sqlite3_reset(stmt);
    }
  }

  [[noreturn]] void fail(int64_t row, const QString& message) const {
    throw EngineError(QStringList{target_.context, QStringLiteral("Unable to fetch row"),
                                  QStringLiteral("row %1: %2").arg(row + 1).arg(message)});
  }

  CsvReader& csv_;
  const SqliteStatementEnd& target_;
  const local::LocalTableDef& def_;
  const std::vector<int>& order_;
  const int columns_;
  const int groupRows_;
  Statement single_, group_;
  std::vector<std::string> scratch_;  // text bound to the group's parameters, one per parameter
  QVariant value_;
};

}  // namespace

BatchMoveOutcome importCsv(CsvReader& csv, const SqliteStatementEnd& target, const local::LocalTableDef& def,
                           const std::vector<int>& order, ProgressTeller& teller) {
  return CsvImport(csv, target, def, order).run(teller);
}

}  // namespace korvel::db::bytecopy
