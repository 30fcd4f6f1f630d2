#include "copydb/copyliteral.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QTime>
#include <cmath>
#include <optional>

#include "common/codepage.h"
#include "common/datecodes.h"
#include "common/datetime.h"
#include "common/sqlliterals.h"
#include "db/fieldkind.h"
#include "db/fieldvalue.h"

namespace korvel::copydb {
namespace {

const QString kNull = QStringLiteral("NULL");

bool isNull(const QVariant& value) { return !value.isValid() || value.isNull(); }

bool isText(const QVariant& value) { return value.typeId() == QMetaType::QString; }

// The value as text, as a text column receives it: numbers with every digit,
// dates and booleans as the field shows them.
QString valueText(const QVariant& value) {
  switch (value.typeId()) {
    case QMetaType::QString: return value.toString();
    case QMetaType::Double:
    case QMetaType::Float: return QString::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
    case QMetaType::QDate: return db::asText(db::FieldKind::Date, value);
    case QMetaType::QTime: return db::asText(db::FieldKind::Time, value);
    case QMetaType::QDateTime: return db::asText(db::FieldKind::DateTime, value);
    case QMetaType::Bool: return db::asText(db::FieldKind::Boolean, value);
    default: return value.toString();
  }
}

// ' doubled; line breaks and NUL become CHR() calls joined to the text, so
// the literal is one line (every destination the program writes to, the
// directories' Paradox tables included, knows CHR and ||).
QString quoted(const QString& text) {
  QString out;
  out.reserve(text.size() + 2);
  out += u'\'';
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (c == u'\'') {
      out += QStringLiteral("''");
    } else if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
      out += QStringLiteral("'||CHR(13)||CHR(10)||'");
      ++i;
    } else if (c == u'\r' || c == u'\n' || c == QChar(0)) {
      out += QStringLiteral("'||CHR(%1)||'").arg(c.unicode());
    } else {
      out += c;
    }
  }
  out += u'\'';
  return out;
}

CopyLiteral unreadable(const QVariant& value) {
  if (value.typeId() == QMetaType::QByteArray)
    return {QStringLiteral("X'") + QString::fromLatin1(value.toByteArray().toHex().toUpper()) + u'\'', false};
  return {quoted(valueText(value)), false};
}

// --- numbers ---

bool hasDigit(const QString& text) {
  for (QChar c : text)
    if (c >= u'0' && c <= u'9') return true;
  return false;
}

// NaN and the infinities, written as PostgreSQL and the float types read
// them; no number literal can hold them.
std::optional<QString> specialFloat(const QVariant& value) {
  if (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float) {
    const double d = value.toDouble();
    if (std::isnan(d)) return QStringLiteral("'NaN'");
    if (std::isinf(d)) return d > 0 ? QStringLiteral("'Infinity'") : QStringLiteral("'-Infinity'");
    return std::nullopt;
  }
  if (!isText(value)) return std::nullopt;
  const QString t = value.toString().trimmed();
  for (const char* word : {"NaN", "Infinity", "-Infinity"})
    if (t.compare(QLatin1String(word), Qt::CaseInsensitive) == 0) return u'\'' + QString::fromLatin1(word) + u'\'';
  return std::nullopt;
}

CopyLiteral numberLiteral(const QVariant& value) {
  if (value.typeId() == QMetaType::Bool) return {value.toBool() ? QStringLiteral("1") : QStringLiteral("0")};
  if (value.typeId() == QMetaType::QByteArray) return unreadable(value);
  if (auto special = specialFloat(value)) return {*special};
  const QString text = valueText(value);
  // A text is read by the number rule (grouping commas and signs as typed);
  // an empty text or the absent-value mark is NULL, a text without any digit
  // holds no number.
  if (text.isEmpty() || text == u"---") return {kNull};
  if (!hasDigit(text)) return unreadable(value);
  return {QString::fromLatin1(Qz_NumText(text.toStdString()))};
}

// --- booleans ---

std::optional<bool> truthOf(const QVariant& value) {
  switch (value.typeId()) {
    case QMetaType::Bool: return value.toBool();
    case QMetaType::Double:
    case QMetaType::Float: {
      const double d = value.toDouble();
      if (std::isnan(d)) return std::nullopt;
      return d != 0;
    }
    case QMetaType::QString: {
      const QVariant parsed = db::valueFromDriver(db::FieldKind::Boolean, value);
      if (parsed.typeId() == QMetaType::Bool) return parsed.toBool();
      bool ok = false;
      const double d = QLocale::c().toDouble(value.toString().trimmed(), &ok);
      if (ok) return d != 0;
      return std::nullopt;
    }
    default: break;
  }
  bool ok = false;
  const qlonglong n = value.toLongLong(&ok);
  if (ok) return n != 0;
  return std::nullopt;
}

CopyLiteral booleanLiteral(LiteralForm form, const QVariant& value) {
  if (isText(value) && value.toString().isEmpty()) return {kNull};
  const std::optional<bool> truth = truthOf(value);
  if (!truth) return unreadable(value);
  if (form == LiteralForm::Paradox || form == LiteralForm::Postgres)
    return {*truth ? QStringLiteral("TRUE") : QStringLiteral("FALSE")};
  return {*truth ? QStringLiteral("1") : QStringLiteral("0")};
}

// --- dates and times ---

struct Moment {
  QDate date;  // 1899/12/30 for a time alone
  QTime time;
};

// A text (or any value that is no date) read as the lenient date parser
// reads typed dates; nothing when it holds no date.
std::optional<Moment> momentOfText(const QString& text) {
  try {
    const DateTimeParts p = decodeDateTime(parseDateTimeOrThrow(toCp932(text)));
    return Moment{QDate(p.year, p.month, p.day), QTime(p.hour, p.minute, p.second)};
  } catch (const ConvertError&) {
  } catch (const CodePageError&) {
  }
  return std::nullopt;
}

db::FieldKind kindOfTypeCode(const QString& type) {
  return type == u"DA" ? db::FieldKind::Date : type == u"TI" ? db::FieldKind::Time : db::FieldKind::DateTime;
}

std::optional<Moment> momentOf(const QString& type, QVariant value) {
  // Dates and times a database gave as text ("2024-02-01 08:09:10.123456",
  // a zone after it) are read by their ISO form first, as the grid reads them.
  if (isText(value))
    if (const QVariant stamp = db::qtDateTimeValue(kindOfTypeCode(type), value, true); stamp.isValid()) value = stamp;
  std::optional<Moment> m;
  switch (value.typeId()) {
    case QMetaType::QDate: m = Moment{value.toDate(), QTime(0, 0)}; break;
    case QMetaType::QDateTime: {
      const QDateTime dt = value.toDateTime();
      m = Moment{dt.date(), dt.time()};
      break;
    }
    case QMetaType::QTime: m = Moment{QDate(1899, 12, 30), value.toTime()}; break;
    case QMetaType::QByteArray: return std::nullopt;
    default: m = momentOfText(valueText(value)); break;
  }
  if (!m || !m->date.isValid() || !m->time.isValid() || m->date.year() < 1 || m->date.year() > 9999)
    return std::nullopt;
  return m;
}

// The literal around an already rendered date/time text.
QString dateForm(LiteralForm form, const QString& type, const QString& text) {
  const QString q = quoted(text);
  if (form == LiteralForm::Access) return u'#' + text + u'#';
  if (type == u"DA") {
    if (form == LiteralForm::Paradox) return QStringLiteral("CAST( %1 AS DATE )").arg(q);
    return QStringLiteral("TO_DATE( %1, 'YYYY/MM/DD' )").arg(q);
  }
  if (type == u"DT") {
    if (form == LiteralForm::Oracle) return QStringLiteral("TO_DATE( %1, 'YYYY/MM/DD HH24:MI:SS' )").arg(q);
    return QStringLiteral("CAST( %1 AS TIMESTAMP )").arg(q);
  }
  if (form == LiteralForm::Oracle) return QStringLiteral("TO_DATE( %1, 'HH24:MI:SS' )").arg(q);
  return QStringLiteral("CAST( %1 AS TIME )").arg(q);
}

CopyLiteral dateLiteral(LiteralForm form, const QString& type, const QVariant& value) {
  if (isText(value) && value.toString().isEmpty()) return {kNull};
  const std::optional<Moment> m = momentOf(type, value);
  if (!m) return {dateForm(form, type, valueText(value)), false};
  const QString date = m->date.toString(QStringLiteral("yyyy/MM/dd"));
  const QString time = m->time.toString(QStringLiteral("hh:mm:ss"));
  const QString text = type == u"DA" ? date : type == u"TI" ? time : date + u' ' + time;
  return {dateForm(form, type, text)};
}

}  // namespace

LiteralForm literalFormOf(const QString& kind) {
  if (kind == u"MSACCESS") return LiteralForm::Access;
  if (kind == u"PARADOX") return LiteralForm::Paradox;
  if (kind == u"POSTGRESQL") return LiteralForm::Postgres;
  return LiteralForm::Oracle;
}

QString typeCodeOf(const QString& className) {
  if (className == u"TDateTimeField") return QStringLiteral("DT");
  if (className == u"TDateField") return QStringLiteral("DA");
  if (className == u"TTimeField") return QStringLiteral("TI");
  if (className == u"TStringField" || className == u"TMemoField") return QStringLiteral("CH");
  if (className == u"TBooleanField") return QStringLiteral("BL");
  return QStringLiteral("NU");
}

CopyLiteral copyLiteral(LiteralForm form, const QString& type, const QVariant& value) {
  if (isNull(value)) return {kNull};
  if (type == u"CH") {
    if (value.typeId() == QMetaType::QByteArray) return unreadable(value);
    return {quoted(valueText(value))};
  }
  if (type == u"DA" || type == u"DT" || type == u"TI") return dateLiteral(form, type, value);
  if (type == u"BL") return booleanLiteral(form, value);
  return numberLiteral(value);
}

}  // namespace korvel::copydb
