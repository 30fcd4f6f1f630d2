// CSV -> SQLite without a row of values: each field is bound from the CSV
// reader's buffer to the prepared INSERT. Text of ASCII bytes is bound as
// it stands (UTF-8 is a superset of ASCII), code page 932 text converted to
// UTF-8 through the code page tables, plain integers, numbers and dates as
// read from their bytes; every other value through the CSV reader's own
// conversion and the SQLite driver's binding, as the row by row copy
// stores it.

#include <sqlite3.h>

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
// as the SQLite driver binds one, "YYYY-MM-DD"). The bytes (and `scratch`)
// stay as they are until the statement has run. False when the field is
// left to the general conversion (UTF-8 files' non-ASCII text, bytes that
// are not code page 932, which that conversion reports, numbers with a '+',
// exact decimals, booleans, times ...).
bool bindStraight(sqlite3_stmt* stmt, int index, FieldKind kind, const std::string& bytes, bool utf8File,
                  std::string& scratch, int& rc) {
  switch (kind) {
    case FieldKind::String:
    case FieldKind::Memo:
      if (isAscii(bytes)) {
        rc = sqlite3_bind_text(stmt, index, bytes.data(), static_cast<int>(bytes.size()), SQLITE_STATIC);
        return true;
      }
      scratch.clear();
      if (utf8File || !cp932::decodeToUtf8(bytes, scratch)) return false;
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

}  // namespace

BatchMoveOutcome importCsv(CsvReader& csv, const SqliteStatementEnd& target, const local::LocalTableDef& def,
                           const std::vector<int>& order, ProgressTeller& teller) {
  Statement insert(target.handle, target.sql, target.context);
  sqlite3_stmt* stmt = insert.get();
  const bool utf8File = csv.schema().utf8;
  std::vector<std::string> scratch(order.size());
  QVariant value;
  int64_t copied = 0, line = 0;
  while (const std::vector<CsvReader::Field>* fields = csv.fields(copied, line)) {
    for (size_t i = 0; i < order.size(); ++i) {
      const auto from = static_cast<size_t>(order[i]);
      const CsvReader::Field& field = (*fields)[from];
      const FieldKind kind = def.columns[i].kind;
      const int index = static_cast<int>(i) + 1;
      int rc = SQLITE_OK;
      if (field.bytes.empty() && !field.quoted) {
        rc = sqlite3_bind_null(stmt, index);
      } else if (!bindStraight(stmt, index, kind, field.bytes, utf8File, scratch[i], rc)) {
        csv.value(from, field, line, value);
        rc = sqlite::bindValue(stmt, index, target.driver->toDriver(kind, value));
      }
      if (rc != SQLITE_OK)
        throw EngineError(QStringList{target.context, QStringLiteral("Unable to bind parameters"),
                                      sqlite::errorText(target.handle)});
    }
    if (sqlite3_step(stmt) != SQLITE_DONE) {
      const QString message = sqlite::errorText(target.handle);
      sqlite3_reset(stmt);
      throw EngineError(QStringList{target.context, QStringLiteral("Unable to fetch row"),
                                    QStringLiteral("row %1: %2").arg(copied + 1).arg(message)});
    }
    sqlite3_reset(stmt);
    ++copied;
    if (!teller.rowCopied(copied)) return {BatchMoveResult::Stopped, copied};
  }
  if (!teller.finished(copied)) return {BatchMoveResult::Stopped, copied};
  return {BatchMoveResult::Copied, copied};
}

}  // namespace korvel::db::bytecopy
