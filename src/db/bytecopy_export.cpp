// SQLite -> CSV without a row of values: each column of the stepped SELECT
// is written into the CSV writer's buffer. Integers, doubles, dates stored
// as "YYYY-MM-DD" and text (ASCII as it stands, else converted to code page
// 932 through the tables) are formatted here as the CSV writer formats
// them; every other value is read as Qt's SQLite driver reads it and goes
// through the row by row copy's own conversions.

#include <sqlite3.h>

#include <QDate>
#include <charconv>
#include <cmath>
#include <string_view>

#include "common/cp932table.h"
#include "db/batchprogress.h"
#include "db/bytecopyparts.h"
#include "db/engineerror.h"
#include "db/fieldvalue.h"
#include "db/local/csvtable.h"
#include "db/local/csvvalues.h"
#include "db/local/keycodec.h"
#include "db/sqlitevalues.h"

namespace korvel::db::bytecopy {
namespace {

using local::CsvWriter;

// What a text field needs: each byte's class in a table, so that one pass
// tells whether the text is ASCII and whether it must be quoted.
enum ByteClass : unsigned char { kPlain = 0, kQuoted = 1, kHigh = 2 };

struct ByteClasses {
  unsigned char of[256] = {};
  ByteClasses() {
    for (int b = 0x80; b < 0x100; ++b) of[b] = kHigh;
    for (const unsigned char b : {',', '"', '\r', '\n'}) of[b] = kQuoted;
  }
};

// A text column's UTF-8 bytes as the CSV writer writes the text: quoted
// where it needs it (the quoting bytes are all ASCII, so the UTF-8 bytes
// tell as the code page 932 ones would), converted to code page 932 unless
// the file is UTF-8. False (nothing written) when the tables cannot convert
// it, or the file is UTF-8 and the text not ASCII.
bool appendText(std::string& out, std::string_view text, bool utf8File, std::string& scratch) {
  static const ByteClasses classes;
  unsigned char seen = kPlain;
  for (const char c : text) seen |= classes.of[static_cast<unsigned char>(c)];
  const bool quote = (seen & kQuoted) || text.empty() || text.front() == ' ' || text.back() == ' ';
  if (!(seen & kHigh)) {
    if (quote) local::appendCsvField(out, text, true);  // an empty text is "", apart from NULL
    else out += text;
    return true;
  }
  if (utf8File) return false;
  if (!quote) {
    const size_t before = out.size();
    if (cp932::encodeFromUtf8(text, out)) return true;
    out.resize(before);
    return false;
  }
  scratch.clear();
  if (!cp932::encodeFromUtf8(text, scratch)) return false;
  local::appendCsvField(out, scratch, true);
  return true;
}

template <typename Number>
void appendNumber(std::string& out, Number value) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, static_cast<size_t>(result.ptr - buffer));
}

// A currency held as a double is written with its shortest digits and no
// exponent (decimalOfDouble()). Below 2^53 the shortest form to_chars gives
// without an exponent has those digits; above, it may write every digit of
// the double's integer value instead of the shortest digits and zeros, so
// such values (and those it writes with an exponent) are left to that
// function. False when left.
bool appendCurrency(std::string& out, double value) {
  if (value == 0) {
    out += '0';  // -0 too
    return true;
  }
  if (std::fabs(value) >= 9007199254740992.0) return false;
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  const std::string_view text(buffer, static_cast<size_t>(result.ptr - buffer));
  if (text.find('e') != std::string_view::npos) return false;
  out += text;
  return true;
}

// "YYYY-MM-DD" (a date as SQLite tables hold it) as the CSV writer writes
// the date: "YYYY/MM/DD". False for any other text, or no such day.
bool appendIsoDate(std::string& out, std::string_view text) {
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') return false;
  int parts[3] = {0, 0, 0};
  const int starts[3] = {0, 5, 8}, lengths[3] = {4, 2, 2};
  for (int p = 0; p < 3; ++p)
    for (int k = 0; k < lengths[p]; ++k) {
      const char c = text[static_cast<size_t>(starts[p] + k)];
      if (c < '0' || c > '9') return false;
      parts[p] = parts[p] * 10 + (c - '0');
    }
  if (parts[0] < 1 || !QDate::isValid(parts[0], parts[1], parts[2])) return false;
  out.append(text.data(), 4).append(1, '/').append(text.data() + 5, 2).append(1, '/').append(text.data() + 8, 2);
  return true;
}

// Column `value` of the current row formatted straight into `out`, where
// that is one of the common cases; false (nothing written) otherwise. The
// value is read through SQLite's value routines, which unlike the column
// routines take no lock: the copy's connection is used by this thread only.
bool appendStraight(sqlite3_value* value, FieldKind kind, bool utf8File, std::string& out, std::string& scratch) {
  switch (sqlite3_value_type(value)) {
    case SQLITE_NULL: return true;  // an empty field
    case SQLITE_INTEGER: {
      const sqlite3_int64 v = sqlite3_value_int64(value);
      if (kind == FieldKind::Float) appendNumber(out, static_cast<double>(v));
      else if (kind == FieldKind::Integer || kind == FieldKind::Smallint || kind == FieldKind::Currency) appendNumber(out, v);
      else return false;
      return true;
    }
    case SQLITE_FLOAT: {
      const double v = sqlite3_value_double(value);
      if (!std::isfinite(v)) return false;
      if (kind == FieldKind::Float) {
        appendNumber(out, v);
        return true;
      }
      return kind == FieldKind::Currency && appendCurrency(out, v);
    }
    case SQLITE_TEXT: {
      const auto* bytes = reinterpret_cast<const char*>(sqlite3_value_text(value));
      const std::string_view text(bytes ? bytes : "", static_cast<size_t>(sqlite3_value_bytes(value)));
      if (kind == FieldKind::Date) return appendIsoDate(out, text);
      if (kind != FieldKind::String && kind != FieldKind::Memo) return false;
      return appendText(out, text, utf8File, scratch);
    }
    default: return false;
  }
}

// Column `column` of the current row as the row by row copy hands it to the
// CSV writer: as Qt's driver reads it, made a value of its field kind, a
// date or time text made a Qt date or time.
QVariant rowValue(sqlite3_stmt* stmt, int column, FieldKind kind) {
  QVariant value = valueFromDriver(kind, sqlite::columnValue(stmt, column));
  if (value.typeId() == QMetaType::QString)
    if (QVariant stamp = qtDateTimeValue(kind, value, true); stamp.isValid()) value = stamp;
  return value;
}

// As CsvWriter::append() writes one value.
void appendValue(CsvWriter& csv, const QVariant& value, const local::LocalColumn& column, int64_t rowNumber) {
  if (value.isNull()) return;
  QString text, error;
  if (!local::csvText(column.kind, value, text, &error))
    csv.fail(QStringLiteral("row %1, column %2: %3").arg(rowNumber + 1).arg(column.name, error));
  const bool isText = column.kind == FieldKind::String || column.kind == FieldKind::Memo;
  csv.put(text, isText && text.isEmpty(), rowNumber, column.name);
}

// Whether each row's key comes after the key of the row before, as the
// files order keys (keycodec.h). A key of one integer column holding
// integers is compared as the integer, without its key bytes.
class KeyOrder {
 public:
  KeyOrder(const local::LocalTableDef& def, const std::vector<int>& order) : def_(def), order_(order) {
    const FieldKind first = def.columns.empty() ? FieldKind::String : def.columns[0].kind;
    integerKey_ = def.keyColumns == 1 && (first == FieldKind::Integer || first == FieldKind::Smallint);
  }
  bool follows(sqlite3_stmt* stmt) {
    if (integerKey_ && sqlite3_column_type(stmt, order_[0]) == SQLITE_INTEGER) {
      const sqlite3_int64 key = sqlite3_column_int64(stmt, order_[0]);
      const bool after = !any_ || (lastIsInteger_ ? lastInteger_ < key : lastBytes_ < bytesOf(key));
      any_ = lastIsInteger_ = true;
      lastInteger_ = key;
      return after;
    }
    std::string key;
    for (int k = 0; k < def_.keyColumns; ++k) {
      const FieldKind kind = def_.columns[static_cast<size_t>(k)].kind;
      local::appendKeyBytes(key, kind, rowValue(stmt, order_[static_cast<size_t>(k)], kind));
    }
    const bool after = !any_ || (lastIsInteger_ ? bytesOf(lastInteger_) : lastBytes_) < key;
    any_ = true;
    lastIsInteger_ = false;
    lastBytes_.swap(key);
    return after;
  }

 private:
  // The key bytes of an integer as the row by row copy reads it.
  std::string bytesOf(sqlite3_int64 key) const {
    std::string bytes;
    local::appendKeyBytes(bytes, def_.columns[0].kind, QVariant(static_cast<qlonglong>(key)));
    return bytes;
  }
  const local::LocalTableDef& def_;
  const std::vector<int>& order_;
  bool integerKey_ = false;
  bool any_ = false;
  bool lastIsInteger_ = false;
  sqlite3_int64 lastInteger_ = 0;
  std::string lastBytes_;
};

}  // namespace

BatchMoveOutcome exportCsv(const SqliteStatementEnd& source, CsvWriter& csv, const local::LocalTableDef& def,
                           const std::vector<int>& order, ProgressTeller& teller) {
  Statement select(source.handle, source.sql, source.context);
  sqlite3_stmt* stmt = select.get();
  if (sqlite3_column_count(stmt) != static_cast<int>(order.size()))
    throw EngineError(QStringList{source.context, QStringLiteral("the table's columns changed during the copy")});
  const bool utf8File = csv.schema().utf8;
  std::string converted;
  KeyOrder keyOrder(def, order);
  int64_t copied = 0;
  for (;;) {
    const int rc = sqlite3_step(stmt);
    if (rc == SQLITE_DONE) break;
    if (rc != SQLITE_ROW)
      throw EngineError(QStringList{source.context, QStringLiteral("Unable to fetch row"), sqlite::errorText(source.handle)});
    // Rows read in key order by SQLite's collation may break the files'
    // order (text by its code page 932 bytes): the caller then sorts. As
    // the row by row copy, before the row's values are written.
    if (def.keyColumns > 0 && !keyOrder.follows(stmt)) throw local::RowsOutOfKeyOrder{};
    std::string& out = csv.recordBuffer();
    for (size_t i = 0; i < order.size(); ++i) {
      if (i > 0) out += ',';
      const local::LocalColumn& column = def.columns[i];
      if (!appendStraight(sqlite3_column_value(stmt, order[i]), column.kind, utf8File, out, converted))
        appendValue(csv, rowValue(stmt, order[i], column.kind), column, copied);
    }
    csv.endRecord();
    ++copied;
    if (!teller.rowCopied(copied)) return {BatchMoveResult::Stopped, copied};
  }
  if (!teller.finished(copied)) return {BatchMoveResult::Stopped, copied};
  return {BatchMoveResult::Copied, copied};
}

}  // namespace korvel::db::bytecopy
