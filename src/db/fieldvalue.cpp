#include "db/fieldvalue.h"

#include "db/runtimeformat.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QTime>
#include <QRegularExpression>
#include <optional>

namespace korvel::db {
namespace {

const QString kDateFormat = QStringLiteral("yyyy/MM/dd");
const QString kTimeFormat = QStringLiteral("hh:mm:ss");

int twoDigits(QStringView t, int at) {
  const char16_t a = t[at].unicode(), b = t[at + 1].unicode();
  if (a < u'0' || a > u'9' || b < u'0' || b > u'9') return -1;
  return (a - u'0') * 10 + (b - u'0');
}

// "yyyy-MM-dd" or "yyyy/MM/dd", the way drivers store dates, read without
// the format parser (which cost more than reading the row).
QDate plainDate(QStringView t) {
  if (t.size() != 10 || t[4] != t[7] || (t[4] != u'-' && t[4] != u'/')) return {};
  const int century = twoDigits(t, 0), year = twoDigits(t, 2), month = twoDigits(t, 5), day = twoDigits(t, 8);
  if (century < 0 || year < 0 || month < 0 || day < 0) return {};
  return QDate(century * 100 + year, month, day);
}

// "hh:mm:ss", read the same way.
QTime plainTime(QStringView t) {
  if (t.size() != 8 || t[2] != u':' || t[5] != u':') return {};
  const int h = twoDigits(t, 0), m = twoDigits(t, 3), s = twoDigits(t, 6);
  if (h < 0 || m < 0 || s < 0) return {};
  return QTime(h, m, s);
}

QDate parseDate(const QString& text) {
  const QString t = text.trimmed();
  if (const QDate plain = plainDate(t); plain.isValid()) return plain;
  for (const char* format : {"yyyy-MM-dd", "yyyy/MM/dd", "yyyy-M-d", "yyyy/M/d", "yyyyMMdd",
                             "yyyy.MM.dd"}) {
    const QDate date = QDate::fromString(t, QString::fromLatin1(format));
    if (date.isValid()) return date;
  }
  return {};
}

QTime parseTime(const QString& text) {
  const QString t = text.trimmed();
  if (const QTime plain = plainTime(t); plain.isValid()) return plain;
  for (const char* format : {"hh:mm:ss", "h:mm:ss", "hh:mm:ss.zzz", "h:mm:ss.zzz", "hh:mm",
                             "h:mm", "hhmmss"}) {
    const QTime time = QTime::fromString(t, QString::fromLatin1(format));
    if (time.isValid()) return time;
  }
  return {};
}

QDateTime parseDateTime(const QString& text) {
  QString t = text.trimmed();
  t.replace(u'T', u' ');
  const int space = t.indexOf(u' ');
  const QDate date = parseDate(space < 0 ? t : t.left(space));
  if (!date.isValid()) return {};
  if (space < 0) return QDateTime(date, QTime(0, 0));
  QString timePart = t.mid(space + 1).trimmed();
  // Offsets written by some drivers ("+09:00", "Z") are dropped for display.
  // Compiled once: building the pattern per call dominated posting many rows.
  static const QRegularExpression zonePattern(QStringLiteral("[+Z]|-\\d\\d:?\\d\\d$"));
  const int zone = timePart.indexOf(zonePattern);
  if (zone > 0) timePart = timePart.left(zone);
  const QTime time = parseTime(timePart);
  return time.isValid() ? QDateTime(date, time) : QDateTime();
}

std::optional<bool> parseBool(const QString& text) {
  const QString t = text.trimmed().toLower();
  if (t == u"true" || t == u"t" || t == u"1" || t == u"yes" || t == u"y" || t == u"on")
    return true;
  if (t == u"false" || t == u"f" || t == u"0" || t == u"no" || t == u"n" || t == u"off")
    return false;
  return std::nullopt;
}

// Plain decimal digits with an optional minus, as generated and typed
// numbers nearly always are, read without the locale machinery (which cost
// more than posting the row); anything else goes through the C locale.
qlonglong toInteger(const QString& text, bool* ok) {
  const qsizetype start = text.startsWith(u'-') ? 1 : 0;
  const qsizetype digits = text.size() - start;
  if (digits < 1 || digits > 18) return QLocale::c().toLongLong(text, ok);
  qlonglong value = 0;
  for (qsizetype i = start; i < text.size(); ++i) {
    const char16_t c = text[i].unicode();
    if (c < u'0' || c > u'9') return QLocale::c().toLongLong(text, ok);
    value = value * 10 + (c - u'0');
  }
  *ok = true;
  return start ? -value : value;
}

}  // namespace

QVariant valueFromDriver(FieldKind kind, const QVariant& raw) {
  if (raw.isNull() || raw.typeId() != QMetaType::QString) {
    if (kind == FieldKind::Date && raw.typeId() == QMetaType::QDateTime) return raw.toDateTime().date();
    if (kind == FieldKind::Boolean && !raw.isNull() && raw.typeId() != QMetaType::Bool)
      return raw.toLongLong() != 0;
    return raw;
  }
  const QString text = raw.toString();
  switch (kind) {
    case FieldKind::Date: {
      QDate date = parseDate(text);
      if (!date.isValid()) date = parseDateTime(text).date();
      return date.isValid() ? QVariant(date) : raw;
    }
    case FieldKind::Time: {
      const QTime time = parseTime(text);
      return time.isValid() ? QVariant(time) : raw;
    }
    case FieldKind::DateTime: {
      const QDateTime dateTime = parseDateTime(text);
      return dateTime.isValid() ? QVariant(dateTime) : raw;
    }
    case FieldKind::Boolean: {
      const auto b = parseBool(text);
      return b ? QVariant(*b) : raw;
    }
    default: return raw;
  }
}

QString asText(FieldKind kind, const QVariant& value) {
  if (value.isNull()) return {};
  switch (value.typeId()) {
    case QMetaType::QDate:
      return runtimeDateText(value.toDate()).value_or(value.toDate().toString(kDateFormat));
    case QMetaType::QTime:
      return runtimeTimeText(value.toTime()).value_or(value.toTime().toString(kTimeFormat));
    case QMetaType::QDateTime: {
      const QDateTime dt = value.toDateTime();
      if (kind == FieldKind::Date)
        return runtimeDateText(dt.date()).value_or(dt.date().toString(kDateFormat));
      return runtimeDateTimeText(dt).value_or(dt.toString(kDateFormat + u' ' + kTimeFormat));
    }
    case QMetaType::Bool: return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::QByteArray:
      return kind == FieldKind::Blob ? QStringLiteral("(BLOB)") : QString::fromUtf8(value.toByteArray());
    default: break;
  }
  if (kind == FieldKind::Float || kind == FieldKind::Currency) {
    bool ok = false;
    const double number = value.toDouble(&ok);
    if (ok) return runtimeFloatText(number);
  }
  return value.toString();
}

QString displayText(FieldKind kind, const QVariant& value) {
  if (kind == FieldKind::Currency && !value.isNull()) {
    bool ok = false;
    const double number = value.toDouble(&ok);
    if (ok)
      if (auto text = runtimeCurrencyText(number)) return *text;
  }
  return asText(kind, value);
}

QString editText(FieldKind kind, const QVariant& value) { return asText(kind, value); }

bool parseEditText(FieldKind kind, int size, const QString& text, QVariant& out,
                   QString* error) {
  auto fail = [&](const QString& why) {
    if (error) *error = why;
    return false;
  };
  if (kind == FieldKind::String || kind == FieldKind::Memo) {
    // Lengths count characters as the databases do (a surrogate pair is one).
    if (kind == FieldKind::String && size > 0 && text.toUcs4().size() > size)
      return fail(QStringLiteral("'%1' is longer than %2 characters").arg(text).arg(size));
    out = text;
    return true;
  }
  const QString t = text.trimmed();
  if (t.isEmpty()) {
    out = QVariant();
    return true;
  }
  bool ok = false;
  switch (kind) {
    case FieldKind::Smallint: {
      const qlonglong v = toInteger(t, &ok);
      if (!ok || v < -32768 || v > 32767) return fail(QStringLiteral("'%1' is not a valid small integer").arg(t));
      out = static_cast<int>(v);
      return true;
    }
    case FieldKind::Integer: {
      const qlonglong v = toInteger(t, &ok);
      if (!ok) return fail(QStringLiteral("'%1' is not a valid integer").arg(t));
      out = v;
      return true;
    }
    case FieldKind::Float:
    case FieldKind::Currency: {
      QString plain = t;
      plain.remove(u',');
      const double v = QLocale::c().toDouble(plain, &ok);
      if (!ok) return fail(QStringLiteral("'%1' is not a valid floating point value").arg(t));
      out = v;
      return true;
    }
    case FieldKind::Boolean: {
      const auto b = parseBool(t);
      if (!b) return fail(QStringLiteral("'%1' is not a valid boolean value").arg(t));
      out = *b;
      return true;
    }
    case FieldKind::Date: {
      QDate d = runtimeDate(t).value_or(QDate());
      if (!d.isValid()) d = parseDate(t);
      if (!d.isValid()) return fail(QStringLiteral("'%1' is not a valid date").arg(t));
      out = d;
      return true;
    }
    case FieldKind::Time: {
      QTime tm = runtimeTime(t).value_or(QTime());
      if (!tm.isValid()) tm = parseTime(t);
      if (!tm.isValid()) return fail(QStringLiteral("'%1' is not a valid time").arg(t));
      out = tm;
      return true;
    }
    case FieldKind::DateTime: {
      QDateTime dt = runtimeDateTime(t).value_or(QDateTime());
      if (!dt.isValid()) dt = parseDateTime(t);
      if (!dt.isValid()) return fail(QStringLiteral("'%1' is not a valid date and time").arg(t));
      out = dt;
      return true;
    }
    case FieldKind::Blob: return fail(QStringLiteral("A blob field cannot take text"));
    default: break;
  }
  out = text;
  return true;
}

int defaultDisplayWidth(FieldKind kind, int size) {
  switch (kind) {
    case FieldKind::String: return size > 0 ? size : 20;
    case FieldKind::Smallint: return 6;
    case FieldKind::Integer: return 11;
    case FieldKind::Boolean: return 5;
    case FieldKind::Date: return 10;
    case FieldKind::Time: return 8;
    case FieldKind::DateTime: return 19;
    default: return 10;
  }
}

}  // namespace korvel::db
