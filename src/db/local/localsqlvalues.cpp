#include "db/local/localsqlvalues.h"

#include <sqlite3.h>

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <cmath>

#include "db/isotext.h"
#include "db/local/csvvalues.h"

namespace korvel::db::local {
namespace {

QString timeText(QTime time) {
  return time.toString(time.msec() ? QStringLiteral("hh:mm:ss.zzz") : QStringLiteral("hh:mm:ss"));
}

void resultText(sqlite3_context* context, const QString& text) {
  sqlite3_result_text16(context, text.utf16(), static_cast<int>(text.size() * sizeof(QChar)), SQLITE_TRANSIENT);
}

QString sqlText(sqlite3_value* value) {
  const void* text = sqlite3_value_text16(value);
  const int bytes = sqlite3_value_bytes16(value);
  return text ? QString(static_cast<const QChar*>(text), bytes / static_cast<int>(sizeof(QChar))) : QString();
}

bool refuse(QString* why, const QString& text) {
  if (why) *why = text;
  return false;
}

}  // namespace

void resultLocalValue(sqlite3_context* context, FieldKind kind, const QVariant& value) {
  if (value.isNull()) {
    sqlite3_result_null(context);
    return;
  }
  switch (kind) {
    case FieldKind::Smallint:
    case FieldKind::Integer:
      sqlite3_result_int64(context, value.toLongLong());
      return;
    case FieldKind::Float:
    case FieldKind::Currency:
    case FieldKind::Decimal:
      // A Paradox BCD number keeps its exact decimal text.
      if (value.typeId() == QMetaType::QString) resultText(context, value.toString());
      else sqlite3_result_double(context, value.toDouble());
      return;
    case FieldKind::Boolean:
      sqlite3_result_int(context, value.toBool() ? 1 : 0);
      return;
    case FieldKind::Date:
      resultText(context, isoDateText(value.toDate()));
      return;
    case FieldKind::Time:
      resultText(context, timeText(value.toTime()));
      return;
    case FieldKind::DateTime:
      resultText(context, isoDateTimeText(value.toDateTime()));
      return;
    case FieldKind::Blob: {
      const QByteArray bytes = value.toByteArray();
      sqlite3_result_blob(context, bytes.constData(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
      return;
    }
    case FieldKind::String:
    case FieldKind::Memo:
      resultText(context, value.toString());
      return;
  }
}

bool localValueFromText(FieldKind kind, const QString& text, QVariant& out, QString* why) {
  if (csvValue(kind, text, out, why)) return true;
  if (kind != FieldKind::Date && kind != FieldKind::Time) return false;
  QVariant stamp;
  if (!csvValue(FieldKind::DateTime, text, stamp, nullptr)) return false;
  out = kind == FieldKind::Date ? QVariant(stamp.toDateTime().date()) : QVariant(stamp.toDateTime().time());
  return true;
}

bool localValueFromSql(FieldKind kind, sqlite3_value* value, QVariant& out, QString* why) {
  const int type = sqlite3_value_type(value);
  if (type == SQLITE_NULL) {
    out = QVariant();
    return true;
  }
  switch (kind) {
    case FieldKind::String:
    case FieldKind::Memo:
      if (type == SQLITE_BLOB) return refuse(why, QStringLiteral("binary data is not text"));
      out = sqlText(value);
      return true;
    case FieldKind::Blob:
      if (type == SQLITE_BLOB || type == SQLITE_TEXT) {
        out = QByteArray(static_cast<const char*>(sqlite3_value_blob(value)), sqlite3_value_bytes(value));
        return true;
      }
      return refuse(why, QStringLiteral("a number is not binary data"));
    case FieldKind::Smallint:
    case FieldKind::Integer:
      if (type == SQLITE_INTEGER) {
        out = static_cast<qlonglong>(sqlite3_value_int64(value));
        return true;
      }
      if (type == SQLITE_FLOAT) {
        const double v = sqlite3_value_double(value);
        if (v != std::trunc(v) || std::fabs(v) > 9.2e18) return refuse(why, QStringLiteral("%1 is not an integer").arg(v));
        out = static_cast<qlonglong>(v);
        return true;
      }
      break;
    case FieldKind::Float:
    case FieldKind::Currency:
    case FieldKind::Decimal:
      if (type == SQLITE_INTEGER || type == SQLITE_FLOAT) {
        out = sqlite3_value_double(value);
        return true;
      }
      break;
    case FieldKind::Boolean:
      if (type == SQLITE_INTEGER || type == SQLITE_FLOAT) {
        out = sqlite3_value_double(value) != 0;
        return true;
      }
      break;
    case FieldKind::Date:
    case FieldKind::Time:
    case FieldKind::DateTime:
      if (type == SQLITE_INTEGER || type == SQLITE_FLOAT)
        return refuse(why, QStringLiteral("the number %1 is not a date or time").arg(sqlText(value)));
      break;
  }
  if (type == SQLITE_BLOB) return refuse(why, QStringLiteral("binary data is not a value of this field"));
  return localValueFromText(kind, sqlText(value), out, why);
}

}  // namespace korvel::db::local
