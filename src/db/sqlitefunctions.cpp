#include "db/sqlitefunctions.h"

#include <sqlite3.h>

#include <QDate>
#include <QString>
#include <QTime>

namespace korvel::db {
namespace {

struct Parsed {
  int year = -1, month = 1, day = 1, hour = 0, minute = 0, second = 0;
  bool hasDate = false;
  bool hasTime = false;
};

// Reads `count` digits (fewer when a non-digit ends the number) at text[pos].
bool readNumber(const QString& text, int& pos, int maxDigits, int& out) {
  int digits = 0, value = 0;
  while (pos < text.size() && digits < maxDigits && text[pos].isDigit()) {
    value = value * 10 + text[pos].digitValue();
    ++pos;
    ++digits;
  }
  out = value;
  return digits > 0;
}

// Walks the Oracle format over the text; separators must match loosely
// (any non-alphanumeric format character skips one non-digit in the text).
bool parseOracleDate(const QString& text, const QString& format, Parsed& p) {
  const QString f = format.toUpper();
  int fi = 0, ti = 0;
  while (fi < f.size()) {
    auto take = [&](const char* code) {
      const QString c = QString::fromLatin1(code);
      if (f.mid(fi, c.size()) != c) return false;
      fi += c.size();
      return true;
    };
    bool ok = true;
    if (take("YYYY")) { ok = readNumber(text, ti, 4, p.year); p.hasDate = true; }
    else if (take("YY")) { ok = readNumber(text, ti, 2, p.year); p.year += 2000; p.hasDate = true; }
    else if (take("MM")) { ok = readNumber(text, ti, 2, p.month); p.hasDate = true; }
    else if (take("DD")) { ok = readNumber(text, ti, 2, p.day); p.hasDate = true; }
    else if (take("HH24") || take("HH")) { ok = readNumber(text, ti, 2, p.hour); p.hasTime = true; }
    else if (take("MI")) { ok = readNumber(text, ti, 2, p.minute); p.hasTime = true; }
    else if (take("SS")) { ok = readNumber(text, ti, 2, p.second); p.hasTime = true; }
    else {
      if (ti < text.size() && !text[ti].isDigit()) ++ti;
      ++fi;
    }
    if (!ok) return false;
  }
  while (ti < text.size() && text[ti].isSpace()) ++ti;
  return ti == text.size() && (p.hasDate ? p.year >= 0 : p.hasTime);
}

void toDate(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (argc < 1 || sqlite3_value_type(argv[0]) == SQLITE_NULL) {
    sqlite3_result_null(ctx);
    return;
  }
  const QString text = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(argv[0]))).trimmed();
  const QString format = argc > 1 && sqlite3_value_type(argv[1]) != SQLITE_NULL
      ? QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(argv[1])))
      : QStringLiteral("YYYY-MM-DD HH24:MI:SS");
  Parsed p;
  const bool parsed = parseOracleDate(text, format, p);
  const QDate date(p.year, p.month, p.day);
  const QTime time(p.hour, p.minute, p.second);
  if (!parsed || (p.hasDate && !date.isValid()) || !time.isValid()) {
    const QByteArray message =
        QStringLiteral("TO_DATE: '%1' does not match the format '%2'").arg(text, format).toUtf8();
    sqlite3_result_error(ctx, message.constData(), message.size());
    return;
  }
  // A format of time codes only gives a time of day, as a TIME column holds it.
  QString result = p.hasDate ? date.toString(QStringLiteral("yyyy-MM-dd")) : QString();
  if (p.hasTime) result += (p.hasDate ? QStringLiteral(" ") : QString()) + time.toString(QStringLiteral("hh:mm:ss"));
  const QByteArray utf8 = result.toUtf8();
  sqlite3_result_text(ctx, utf8.constData(), utf8.size(), SQLITE_TRANSIENT);
}

void chr(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  if (argc < 1 || sqlite3_value_type(argv[0]) == SQLITE_NULL) {
    sqlite3_result_null(ctx);
    return;
  }
  const sqlite3_int64 code = sqlite3_value_int64(argv[0]);
  if (code < 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
    sqlite3_result_error(ctx, "CHR: character code out of range", -1);
    return;
  }
  const char32_t c = static_cast<char32_t>(code);
  const QByteArray utf8 = QString::fromUcs4(&c, 1).toUtf8();
  sqlite3_result_text(ctx, utf8.constData(), utf8.size(), SQLITE_TRANSIENT);
}

}  // namespace

bool registerSqliteFunctions(sqlite3* db) {
  const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
  return sqlite3_create_function(db, "TO_DATE", 2, flags, nullptr, toDate, nullptr, nullptr) == SQLITE_OK &&
         sqlite3_create_function(db, "TO_DATE", 1, flags, nullptr, toDate, nullptr, nullptr) == SQLITE_OK &&
         sqlite3_create_function(db, "CHR", 1, flags, nullptr, chr, nullptr, nullptr) == SQLITE_OK;
}

}  // namespace korvel::db
