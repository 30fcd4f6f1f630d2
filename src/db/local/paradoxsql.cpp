#include "db/local/paradoxsql.h"

#include <sqlite3.h>

#include <QDate>
#include <QDateTime>
#include <QTime>

#include "db/isotext.h"
#include "db/local/localsqlvalues.h"

namespace korvel::db::local {
namespace {

// Where the quoted text, quoted name or comment starting at `i` ends (the
// position after it); `i` itself when none starts there.
qsizetype skipQuoted(const QString& sql, qsizetype i) {
  const QChar c = sql[i];
  if (c == u'\'' || c == u'"' || c == u'`' || c == u'[') {
    const QChar close = c == u'[' ? QChar(u']') : c;
    for (qsizetype j = i + 1; j < sql.size(); ++j) {
      if (sql[j] != close) continue;
      if (close != u']' && j + 1 < sql.size() && sql[j + 1] == close) {
        ++j;  // a doubled quote
        continue;
      }
      return j + 1;
    }
    return sql.size();
  }
  if (c == u'-' && i + 1 < sql.size() && sql[i + 1] == u'-') {
    const qsizetype end = sql.indexOf(u'\n', i);
    return end < 0 ? sql.size() : end;
  }
  if (c == u'/' && i + 1 < sql.size() && sql[i + 1] == u'*') {
    const qsizetype end = sql.indexOf(QStringLiteral("*/"), i + 2);
    return end < 0 ? sql.size() : end + 2;
  }
  return i;
}

bool isWordChar(QChar c) { return c.isLetterOrNumber() || c == u'_' || c == u'$'; }

qsizetype skipSpace(const QString& sql, qsizetype i) {
  while (i < sql.size() && sql[i].isSpace()) ++i;
  return i;
}

// The position of the ')' closing the '(' at `open`, or -1.
qsizetype matchingParenthesis(const QString& sql, qsizetype open, qsizetype& lastAs) {
  int depth = 0;
  lastAs = -1;
  for (qsizetype i = open; i < sql.size();) {
    const qsizetype quoted = skipQuoted(sql, i);
    if (quoted != i) {
      i = quoted;
      continue;
    }
    const QChar c = sql[i];
    if (c == u'(') ++depth;
    else if (c == u')' && --depth == 0) return i;
    if (depth == 1 && isWordChar(c) && (i == 0 || !isWordChar(sql[i - 1]))) {
      qsizetype end = i;
      while (end < sql.size() && isWordChar(sql[end])) ++end;
      if (sql.mid(i, end - i).compare(u"AS", Qt::CaseInsensitive) == 0) lastAs = i;
      i = end;
      continue;
    }
    ++i;
  }
  return -1;
}

const char* castFunction(const QString& type) {
  const QString t = type.simplified().toUpper();
  if (t == u"DATE") return "KORVEL_CAST_DATE";
  if (t == u"TIME") return "KORVEL_CAST_TIME";
  if (t == u"TIMESTAMP" || t == u"DATETIME") return "KORVEL_CAST_TIMESTAMP";
  return nullptr;
}

enum class CastTo { Date, Time, Timestamp };

QString timeText(QTime time) {
  return time.toString(time.msec() ? QStringLiteral("hh:mm:ss.zzz") : QStringLiteral("hh:mm:ss"));
}

void castValue(sqlite3_context* context, sqlite3_value* value, CastTo to) {
  const int type = sqlite3_value_type(value);
  if (type == SQLITE_NULL) {
    sqlite3_result_null(context);
    return;
  }
  const QString text = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(value))).trimmed();
  const char* what = to == CastTo::Time ? "a time" : to == CastTo::Date ? "a date" : "a date and time";
  QVariant parsed;
  const bool hasTime = text.contains(u':');
  bool ok = type == SQLITE_TEXT || type == SQLITE_BLOB;
  QString result;
  if (ok && to == CastTo::Time) {
    ok = localValueFromText(FieldKind::Time, text, parsed, nullptr);
    if (ok) result = timeText(parsed.toTime());
  } else if (ok) {
    ok = localValueFromText(FieldKind::DateTime, text, parsed, nullptr);
    if (ok) {
      const QDateTime stamp = parsed.toDateTime();
      result = to == CastTo::Date && !hasTime ? isoDateText(stamp.date()) : isoDateTimeText(stamp);
    }
  }
  if (!ok) {
    const QByteArray message = QStringLiteral("CAST: '%1' is not %2").arg(text, QLatin1String(what)).toUtf8();
    sqlite3_result_error(context, message.constData(), static_cast<int>(message.size()));
    return;
  }
  const QByteArray utf8 = result.toUtf8();
  sqlite3_result_text(context, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
}

}  // namespace

QString rewriteDateCasts(const QString& sql) {
  QString out;
  qsizetype copied = 0;
  for (qsizetype i = 0; i < sql.size();) {
    const qsizetype quoted = skipQuoted(sql, i);
    if (quoted != i) {
      i = quoted;
      continue;
    }
    if (!isWordChar(sql[i]) || (i > 0 && isWordChar(sql[i - 1]))) {
      ++i;
      continue;
    }
    qsizetype end = i;
    while (end < sql.size() && isWordChar(sql[end])) ++end;
    const qsizetype open = skipSpace(sql, end);
    if (sql.mid(i, end - i).compare(u"CAST", Qt::CaseInsensitive) != 0 || open >= sql.size() || sql[open] != u'(') {
      i = end;
      continue;
    }
    qsizetype as = -1;
    const qsizetype close = matchingParenthesis(sql, open, as);
    const char* function = close > 0 && as > open ? castFunction(sql.mid(as + 2, close - as - 2)) : nullptr;
    if (!function) {
      i = end;
      continue;
    }
    out += sql.mid(copied, i - copied);
    out += QLatin1String(function) + u'(' + rewriteDateCasts(sql.mid(open + 1, as - open - 1)) + u')';
    copied = i = close + 1;
  }
  if (copied == 0) return sql;
  return out + sql.mid(copied);
}

bool registerDateCastFunctions(sqlite3* db) {
  const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
  const auto add = [&](const char* name, void (*function)(sqlite3_context*, int, sqlite3_value**)) {
    return sqlite3_create_function(db, name, 1, flags, nullptr, function, nullptr, nullptr) == SQLITE_OK;
  };
  return add("KORVEL_CAST_DATE", [](sqlite3_context* c, int, sqlite3_value** v) { castValue(c, v[0], CastTo::Date); }) &&
         add("KORVEL_CAST_TIME", [](sqlite3_context* c, int, sqlite3_value** v) { castValue(c, v[0], CastTo::Time); }) &&
         add("KORVEL_CAST_TIMESTAMP",
             [](sqlite3_context* c, int, sqlite3_value** v) { castValue(c, v[0], CastTo::Timestamp); });
}

}  // namespace korvel::db::local
