// CSV -> SQLite without a row of values: each field is bound from the CSV
// reader's buffer to the prepared INSERT. Text of ASCII bytes is bound as
// it stands (UTF-8 is a superset of ASCII), code page 932 text converted to
// UTF-8 through the code page tables; every other value through the CSV
// reader's own conversion and the SQLite driver's binding, as the row by
// row copy stores it.

#include <sqlite3.h>

#include "common/cp932table.h"
#include "db/batchprogress.h"
#include "db/bytecopyparts.h"
#include "db/driver.h"
#include "db/engineerror.h"
#include "db/local/csvtable.h"
#include "db/sqlitevalues.h"

namespace korvel::db::bytecopy {
namespace {

using local::CsvReader;

bool isAscii(const std::string& bytes) {
  for (const char c : bytes)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

// Binds a text field straight from its bytes where that needs no QString:
// ASCII, or code page 932 the tables convert. The bytes (and `converted`)
// stay as they are until the statement has run. False when the field is
// left to the general conversion (UTF-8 files' non-ASCII text, bytes that
// are not code page 932, which that conversion reports).
bool bindText(sqlite3_stmt* stmt, int index, const std::string& bytes, bool utf8File, std::string& converted, int& rc) {
  if (isAscii(bytes)) {
    rc = sqlite3_bind_text(stmt, index, bytes.data(), static_cast<int>(bytes.size()), SQLITE_STATIC);
    return true;
  }
  converted.clear();
  if (utf8File || !cp932::decodeToUtf8(bytes, converted)) return false;
  rc = sqlite3_bind_text(stmt, index, converted.data(), static_cast<int>(converted.size()), SQLITE_STATIC);
  return true;
}

}  // namespace

BatchMoveOutcome importCsv(CsvReader& csv, const SqliteStatementEnd& target, const local::LocalTableDef& def,
                           const std::vector<int>& order, ProgressTeller& teller) {
  Statement insert(target.handle, target.sql, target.context);
  sqlite3_stmt* stmt = insert.get();
  const bool utf8File = csv.schema().utf8;
  std::vector<std::string> converted(order.size());
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
      } else if ((kind != FieldKind::String && kind != FieldKind::Memo) ||
                 !bindText(stmt, index, field.bytes, utf8File, converted[i], rc)) {
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
