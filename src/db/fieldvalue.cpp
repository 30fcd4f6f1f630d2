#include "db/fieldvalue.h"

#include "common/formats.h"
#include "db/datetimetext.h"
#include "db/decimaltext.h"
#include "db/runtimeformat.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QTime>
#include <QRegularExpression>
#include <optional>

namespace korvel::db {
namespace {

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

QChar runtimePoint() { return QChar::fromLatin1(formatSettings().decimalSeparator); }

QChar runtimeGrouping() {
  const char grouping = formatSettings().thousandSeparator;
  return grouping ? QChar::fromLatin1(grouping) : QChar();
}

DateTimePart partOf(FieldKind kind) {
  return kind == FieldKind::Date ? DateTimePart::Date
       : kind == FieldKind::Time ? DateTimePart::Time
                                 : DateTimePart::DateTime;
}

bool isDateTimeKind(FieldKind kind) {
  return kind == FieldKind::Date || kind == FieldKind::Time || kind == FieldKind::DateTime;
}

// The parts of a date, time or date-time value, however the driver gave it.
std::optional<DateTimeText> dateTimeParts(FieldKind kind, const QVariant& value) {
  switch (value.typeId()) {
    case QMetaType::QString: return parseDateTimeText(value.toString(), partOf(kind));
    case QMetaType::QDate: return dateTimeTextOf(value.toDate());
    case QMetaType::QTime: return dateTimeTextOf(value.toTime());
    case QMetaType::QDateTime: return dateTimeTextOf(value.toDateTime());
    default: return std::nullopt;
  }
}

// Years 1..9999 in the runtime date format; others (and BC) as digits.
QString shownDate(const DateTimeText& v) {
  if (!v.bc && v.year >= 1 && v.year <= 9999)
    if (auto text = runtimeDateText(v.date())) return *text;
  const QChar separator = QChar::fromLatin1(formatSettings().dateSeparator);
  return QStringLiteral("%1%2%3%4%5")
      .arg(v.year, 4, 10, QLatin1Char('0'))
      .arg(separator)
      .arg(v.month, 2, 10, QLatin1Char('0'))
      .arg(separator)
      .arg(v.day, 2, 10, QLatin1Char('0'));
}

// The runtime time format, then every fraction digit and the zone.
QString shownTime(const DateTimeText& v) {
  const auto two = [](int n) { return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')); };
  const QString plain = two(v.hour) + u':' + two(v.minute) + u':' + two(v.second);
  QString text = v.hour < 24 && v.second < 60 ? runtimeTimeText(QTime(v.hour, v.minute, v.second)).value_or(plain)
                                              : plain;
  if (!v.fraction.isEmpty()) {
    // After a time format that ends in words (AM/PM) the fraction has no place.
    if (text.isEmpty() || !text.back().isDigit()) text = plain;
    text += u'.' + v.fraction;
  }
  return text + v.zone;
}

bool isMidnight(const DateTimeText& v) {
  return v.hour == 0 && v.minute == 0 && v.second == 0 && v.fraction.isEmpty() && v.zone.isEmpty();
}

QString shownDateTime(FieldKind kind, const DateTimeText& v) {
  QString text;
  switch (kind) {
    case FieldKind::Date: text = shownDate(v); break;
    case FieldKind::Time: return shownTime(v);
    default:
      // As the runtime's date-time form: the time left out at midnight.
      text = shownDate(v);
      if (!isMidnight(v)) text += u' ' + shownTime(v);
      break;
  }
  return v.bc ? text + QStringLiteral(" BC") : text;
}

// A date, time or date-time typed in the runtime formats: the date and time
// go through the runtime parsers, a fraction, a zone and an era written after
// the time are taken as they stand.
std::optional<DateTimeText> runtimeDateTimeParts(FieldKind kind, const QString& text) {
  if (kind == FieldKind::Date) {
    const auto date = runtimeDate(text);
    if (!date || !date->isValid()) return std::nullopt;
    return dateTimeTextOf(*date);
  }
  static const QRegularExpression extras(
      QStringLiteral(R"(^(.*?\d:\d\d(?::\d\d)?)(?:[.,](\d+))?\s*(Z|[+-]\d\d(?::?\d\d){0,2})?(?:\s+(BC|AD))?$)"),
      QRegularExpression::CaseInsensitiveOption);
  QString main = text, fraction, zone, era;
  if (const auto m = extras.match(text); m.hasMatch()) {
    main = m.captured(1);
    fraction = m.captured(2);
    zone = m.captured(3);
    era = m.captured(4);
  }
  DateTimeText v;
  if (kind == FieldKind::Time) {
    const auto time = runtimeTime(main);
    if (!time || !time->isValid()) return std::nullopt;
    v = dateTimeTextOf(*time);
  } else {
    const auto dateTime = runtimeDateTime(main);
    if (!dateTime || !dateTime->isValid()) return std::nullopt;
    v = dateTimeTextOf(*dateTime);
    v.hasTime = true;
    v.bc = v.bc || era.compare(u"BC", Qt::CaseInsensitive) == 0;
  }
  if (!fraction.isEmpty()) v.fraction = fraction;
  v.zone = zone;
  return v;
}

// The typed text as the value to write: ISO text with every part kept.
std::optional<QString> parseDateTimeEdit(FieldKind kind, const QString& text, const QVariant& previous) {
  // PostgreSQL's dates and date-times beyond every other.
  for (const char* special : {"infinity", "-infinity"})
    if (kind != FieldKind::Time && text.compare(QLatin1String(special), Qt::CaseInsensitive) == 0)
      return QString::fromLatin1(special);
  auto parts = parseDateTimeText(text, partOf(kind));
  if (!parts) parts = runtimeDateTimeParts(kind, text);
  if (!parts) return std::nullopt;
  // A date-time written with 'T' between date and time keeps that form.
  if (kind == FieldKind::DateTime && previous.typeId() == QMetaType::QString)
    if (const auto before = parseDateTimeText(previous.toString(), DateTimePart::DateTime))
      if (parts->separator == u' ') parts->separator = before->separator;
  return isoText(*parts, partOf(kind));
}

// A decimal text with the runtime point; other texts as they are.
QString shownDecimal(const QVariant& value) {
  if (value.typeId() == QMetaType::Double) return decimalShown(decimalOfDouble(value.toDouble()), runtimePoint());
  const QString text = value.toString();
  return decimalOfText(text) ? decimalShown(text, runtimePoint()) : text;
}

}  // namespace

QVariant valueFromDriver(FieldKind kind, const QVariant& raw) {
  if (raw.isNull()) return raw;
  const int type = raw.typeId();
  switch (kind) {
    case FieldKind::Decimal:
    case FieldKind::Currency:
      // Exact decimal text. A currency text ("$1,234.56") becomes its number.
      if (type == QMetaType::Double || type == QMetaType::Float) return decimalOfDouble(raw.toDouble());
      if (type == QMetaType::QString)
        return kind == FieldKind::Currency ? QVariant(decimalOfCurrency(raw.toString()).value_or(raw.toString()))
                                           : raw;
      if (type == QMetaType::Int || type == QMetaType::LongLong || type == QMetaType::UInt ||
          type == QMetaType::ULongLong)
        return raw.toString();
      return raw;
    case FieldKind::Float: {
      // A driver reading numbers as text (ODBC) gives them exactly.
      if (type != QMetaType::QString) return raw;
      bool ok = false;
      const double number = QLocale::c().toDouble(raw.toString(), &ok);
      return ok ? QVariant(number) : raw;
    }
    case FieldKind::Date:
      return type == QMetaType::QDateTime ? QVariant(raw.toDateTime().date()) : raw;
    case FieldKind::Boolean:
      if (type == QMetaType::Bool) return raw;
      if (type == QMetaType::QString) {
        const auto b = parseBool(raw.toString());
        return b ? QVariant(*b) : raw;
      }
      return raw.toLongLong() != 0;
    default:
      // Date and time texts stay texts: their fractions, zones and years
      // outside 1..9999 are read from the text when shown.
      return raw;
  }
}

QString asText(FieldKind kind, const QVariant& value) {
  if (value.isNull()) return {};
  if (isDateTimeKind(kind)) {
    if (const auto parts = dateTimeParts(kind, value)) return shownDateTime(kind, *parts);
    return value.toString();
  }
  switch (value.typeId()) {
    case QMetaType::Bool: return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::QByteArray:
      return kind == FieldKind::Blob ? QStringLiteral("(BLOB)") : QString::fromUtf8(value.toByteArray());
    default: break;
  }
  if (kind == FieldKind::Decimal || kind == FieldKind::Currency) return shownDecimal(value);
  if (kind == FieldKind::Float) {
    bool ok = false;
    const double number = value.toDouble(&ok);
    if (ok) return runtimeFloatText(number);
  }
  return value.toString();
}

QString displayText(FieldKind kind, const QVariant& value) {
  if (kind == FieldKind::Currency && !value.isNull()) {
    const QString decimal =
        value.typeId() == QMetaType::Double ? decimalOfDouble(value.toDouble()) : value.toString();
    if (const QString text = runtimeCurrencyText(decimal); !text.isEmpty()) return text;
  }
  return asText(kind, value);
}

QString editText(FieldKind kind, const QVariant& value) {
  if (kind == FieldKind::Float && !value.isNull() && value.typeId() != QMetaType::QString) {
    bool ok = false;
    const double number = value.toDouble(&ok);
    if (ok) return runtimeFloatEditText(number);
  }
  return asText(kind, value);
}

bool parseEditText(FieldKind kind, int size, const QString& text, QVariant& out, QString* error,
                   const QVariant& previous) {
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
    case FieldKind::Float: {
      QString plain = t;
      const QChar grouping = runtimeGrouping();
      const QChar point = runtimePoint();
      if (!grouping.isNull() && grouping != point) plain.remove(grouping);
      plain.remove(u',');
      if (point != u'.') plain.replace(point, u'.');
      const double v = QLocale::c().toDouble(plain, &ok);
      if (!ok) return fail(QStringLiteral("'%1' is not a valid floating point value").arg(t));
      out = v;
      return true;
    }
    case FieldKind::Decimal:
    case FieldKind::Currency: {
      const auto decimal = kind == FieldKind::Currency ? decimalOfCurrency(t, runtimePoint(), runtimeGrouping())
                                                       : decimalOfText(t, runtimePoint(), runtimeGrouping());
      if (!decimal) return fail(QStringLiteral("'%1' is not a valid number").arg(t));
      out = *decimal;
      return true;
    }
    case FieldKind::Boolean: {
      const auto b = parseBool(t);
      if (!b) return fail(QStringLiteral("'%1' is not a valid boolean value").arg(t));
      out = *b;
      return true;
    }
    case FieldKind::Date:
    case FieldKind::Time:
    case FieldKind::DateTime: {
      const auto value = parseDateTimeEdit(kind, t, previous);
      if (!value) {
        const char* what = kind == FieldKind::Date ? "date" : kind == FieldKind::Time ? "time" : "date and time";
        return fail(QStringLiteral("'%1' is not a valid %2").arg(t, QLatin1String(what)));
      }
      out = *value;
      return true;
    }
    case FieldKind::Blob: return fail(QStringLiteral("A blob field cannot take text"));
    default: break;
  }
  out = text;
  return true;
}

QVariant qtDateTimeValue(FieldKind kind, const QVariant& value, bool dropZone) {
  if (value.isNull() || !isDateTimeKind(kind)) return {};
  const auto parts = dateTimeParts(kind, value);
  if (!parts || (!dropZone && !parts->zone.isEmpty()) || parts->bc || (parts->hasDate && parts->year > 9999)) return {};
  const QDate date = parts->date();
  const QTime time = parts->time();
  if (kind == FieldKind::Date) return date.isValid() ? QVariant(date) : QVariant();
  if (kind == FieldKind::Time) return time.isValid() ? QVariant(time) : QVariant();
  return date.isValid() && time.isValid() ? QVariant(QDateTime(date, time)) : QVariant();
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
    case FieldKind::Decimal: return 20;
    default: return 10;
  }
}

}  // namespace korvel::db
