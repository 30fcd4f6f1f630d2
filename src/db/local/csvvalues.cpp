#include "db/local/csvvalues.h"

#include <QDate>
#include <QDateTime>
#include <QRegularExpression>
#include <QTime>
#include <charconv>
#include <climits>
#include <cmath>
#include <optional>

#include "db/decimaltext.h"

namespace korvel::db::local {
namespace {

// yyyy/MM/dd, written by hand for years 1 to 9999 (every row of an export
// has dates; QDate::toString costs more than the rest of the row).
QString dateText(QDate date) {
  int year = 0, month = 0, day = 0;
  date.getDate(&year, &month, &day);
  if (year < 1 || year > 9999) return date.toString(QStringLiteral("yyyy/MM/dd"));
  const char16_t text[10] = {char16_t(u'0' + year / 1000),      char16_t(u'0' + year / 100 % 10),
                             char16_t(u'0' + year / 10 % 10),   char16_t(u'0' + year % 10),
                             u'/',                              char16_t(u'0' + month / 10),
                             char16_t(u'0' + month % 10),       u'/',
                             char16_t(u'0' + day / 10),         char16_t(u'0' + day % 10)};
  return QString(reinterpret_cast<const QChar*>(text), 10);
}

QString timeText(QTime time) {
  return time.toString(time.msec() ? QStringLiteral("HH:mm:ss.zzz") : QStringLiteral("HH:mm:ss"));
}

QString doubleText(double value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return QString::fromLatin1(buffer, static_cast<int>(result.ptr - buffer));
}

bool parseDate(const QString& text, QDate& out) {
  static const QRegularExpression pattern(QStringLiteral("^(\\d{1,4})[/-](\\d{1,2})[/-](\\d{1,2})$"));
  const auto match = pattern.match(text);
  if (!match.hasMatch()) return false;
  out = QDate(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt());
  return out.isValid();
}

bool parseTime(const QString& text, QTime& out) {
  static const QRegularExpression pattern(QStringLiteral("^(\\d{1,2}):(\\d{2})(?::(\\d{2})(?:\\.(\\d{1,3}))?)?$"));
  const auto match = pattern.match(text);
  if (!match.hasMatch()) return false;
  const QString ms = match.captured(4).leftJustified(3, u'0');
  out = QTime(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt(), ms.toInt());
  return out.isValid();
}

bool isAsciiSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

std::string_view trimmedAscii(std::string_view bytes) {
  while (!bytes.empty() && isAsciiSpace(bytes.front())) bytes.remove_prefix(1);
  while (!bytes.empty() && isAsciiSpace(bytes.back())) bytes.remove_suffix(1);
  return bytes;
}

// 1 to `most` ASCII digits at `at`, which moves past them.
bool takeDigits(std::string_view text, size_t& at, size_t most, int& value) {
  const size_t start = at;
  value = 0;
  while (at < text.size() && at - start < most && text[at] >= '0' && text[at] <= '9') value = value * 10 + (text[at++] - '0');
  return at > start && (at == text.size() || text[at] < '0' || text[at] > '9');
}

// The date pattern parseDate() accepts (digits 1-4, 1-2, 1-2 joined by
// '/' or '-'), in ASCII, of a valid date.
bool plainDate(std::string_view text, int& year, int& month, int& day) {
  size_t at = 0;
  const auto separator = [&] {
    if (at >= text.size() || (text[at] != '/' && text[at] != '-')) return false;
    ++at;
    return true;
  };
  if (!takeDigits(text, at, 4, year) || !separator() || !takeDigits(text, at, 2, month) || !separator() ||
      !takeDigits(text, at, 2, day) || at != text.size())
    return false;
  return QDate::isValid(year, month, day);
}

}  // namespace

// Whether `text` is a plain ASCII number csvPlainValue() reads (checking
// it that way costs far less than QString's conversion).
static bool plainNumberText(FieldKind kind, const QString& text, QVariant& out) {
  std::string bytes(static_cast<size_t>(text.size()), '\0');
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i].unicode() >= 0x80) return false;
    bytes[static_cast<size_t>(i)] = static_cast<char>(text[i].unicode());
  }
  return csvPlainValue(kind, bytes, out);
}

// The ASCII text of a field without the blanks around it; empty when it
// holds other bytes (or only blanks).
static std::string_view plainText(std::string_view bytes) {
  for (const char c : bytes)
    if (static_cast<unsigned char>(c) >= 0x80) return {};
  return trimmedAscii(bytes);
}

// from_chars takes neither a '+' nor what QString's conversions would read
// otherwise; such text is left to csvValue().
bool csvPlainInteger(FieldKind kind, std::string_view bytes, long long& out) {
  const std::string_view t = plainText(bytes);
  if (t.empty()) return false;
  const auto [end, error] = std::from_chars(t.data(), t.data() + t.size(), out);
  if (error != std::errc() || end != t.data() + t.size()) return false;
  return kind != FieldKind::Smallint || (out >= -32768 && out <= 32767);
}

bool csvPlainDouble(std::string_view bytes, double& out) {
  const std::string_view t = plainText(bytes);
  if (t.empty()) return false;
  // Plain decimal notation only: digits, one point, an exponent.
  for (const char c : t)
    if (!((c >= '0' && c <= '9') || c == '.' || c == '-' || c == 'e' || c == 'E')) return false;
  const auto [end, error] = std::from_chars(t.data(), t.data() + t.size(), out);
  return error == std::errc() && end == t.data() + t.size() && std::isfinite(out);
}

bool csvPlainDate(std::string_view bytes, int& year, int& month, int& day) {
  const std::string_view t = plainText(bytes);
  return !t.empty() && plainDate(t, year, month, day);
}

bool csvPlainValue(FieldKind kind, std::string_view bytes, QVariant& out) {
  switch (kind) {
    case FieldKind::Smallint:
    case FieldKind::Integer: {
      long long v = 0;
      if (!csvPlainInteger(kind, bytes, v)) return false;
      out = kind == FieldKind::Smallint || (v >= INT_MIN && v <= INT_MAX) ? QVariant(int(v)) : QVariant(qlonglong(v));
      return true;
    }
    case FieldKind::Float:
    case FieldKind::Currency: {
      double v = 0;
      if (!csvPlainDouble(bytes, v)) return false;
      out = v;
      return true;
    }
    case FieldKind::Date: {
      int year = 0, month = 0, day = 0;
      if (!csvPlainDate(bytes, year, month, day)) return false;
      out = QDate(year, month, day);
      return true;
    }
    default: return false;
  }
}

bool csvText(FieldKind kind, const QVariant& value, QString& out, QString* error) {
  const auto refuse = [&](const QString& why) {
    if (error) *error = why;
    return false;
  };
  switch (kind) {
    case FieldKind::String:
    case FieldKind::Memo: out = value.toString(); return true;
    case FieldKind::Smallint:
    case FieldKind::Integer: {
      bool ok = false;
      const qlonglong v = value.toLongLong(&ok);
      if (!ok) return refuse(QStringLiteral("\"%1\" is not an integer").arg(value.toString()));
      out = QString::number(v);
      return true;
    }
    case FieldKind::Float:
    case FieldKind::Currency:
    case FieldKind::Decimal: {
      if (value.typeId() == QMetaType::QString) {  // exact decimal text stays as it is
        QVariant parsed;
        if (!plainNumberText(kind, value.toString(), parsed) && !csvValue(kind, value.toString(), parsed, error))
          return false;
        out = kind == FieldKind::Decimal ? parsed.toString() : value.toString().trimmed();
        return true;
      }
      if (kind == FieldKind::Decimal && (value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Int)) {
        out = value.toString();
        return true;
      }
      bool ok = false;
      const double v = value.toDouble(&ok);
      if (!ok || !std::isfinite(v)) return refuse(QStringLiteral("\"%1\" is not a number").arg(value.toString()));
      out = doubleText(v);
      return true;
    }
    case FieldKind::Boolean: out = value.toBool() ? QStringLiteral("TRUE") : QStringLiteral("FALSE"); return true;
    case FieldKind::Date: {
      const QDate date = value.typeId() == QMetaType::QDateTime ? value.toDateTime().date() : value.toDate();
      if (!date.isValid() || date.year() < 1) return refuse(QStringLiteral("\"%1\" is not a date").arg(value.toString()));
      out = dateText(date);
      return true;
    }
    case FieldKind::Time: {
      const QTime time = value.typeId() == QMetaType::QDateTime ? value.toDateTime().time() : value.toTime();
      if (!time.isValid()) return refuse(QStringLiteral("\"%1\" is not a time").arg(value.toString()));
      out = timeText(time);
      return true;
    }
    case FieldKind::DateTime: {
      const QDateTime stamp = value.toDateTime();
      if (!stamp.isValid() || stamp.date().year() < 1)
        return refuse(QStringLiteral("\"%1\" is not a date and time").arg(value.toString()));
      out = dateText(stamp.date()) + u' ' + timeText(stamp.time());
      return true;
    }
    case FieldKind::Blob: return refuse(QStringLiteral("binary values cannot be written to a CSV table"));
  }
  return refuse(QStringLiteral("unknown field kind"));
}

bool csvValue(FieldKind kind, const QString& text, QVariant& out, QString* error) {
  const auto refuse = [&](const QString& what) {
    if (error) *error = QStringLiteral("\"%1\" is not %2").arg(text, what);
    return false;
  };
  const QString t = kind == FieldKind::String || kind == FieldKind::Memo ? text : text.trimmed();
  switch (kind) {
    case FieldKind::String:
    case FieldKind::Memo: out = text; return true;
    case FieldKind::Smallint:
    case FieldKind::Integer: {
      bool ok = false;
      const qlonglong v = t.toLongLong(&ok);
      if (!ok || (kind == FieldKind::Smallint && (v < -32768 || v > 32767))) return refuse(QStringLiteral("an integer"));
      out = kind == FieldKind::Smallint || (v >= INT_MIN && v <= INT_MAX) ? QVariant(int(v)) : QVariant(v);
      return true;
    }
    case FieldKind::Decimal: {
      // An exact decimal keeps every digit: never through a double.
      const std::optional<QString> decimal = decimalOfText(t);
      if (!decimal || decimal->contains(QStringLiteral("N")) || decimal->contains(QStringLiteral("n")))
        return refuse(QStringLiteral("a number"));  // NaN and Infinity have no digits to keep
      out = *decimal;
      return true;
    }
    case FieldKind::Float:
    case FieldKind::Currency: {
      bool ok = false;
      const double v = t.toDouble(&ok);
      if (!ok || !std::isfinite(v)) return refuse(QStringLiteral("a number"));
      out = v;
      return true;
    }
    case FieldKind::Boolean: {
      const QString u = t.toUpper();
      if (u == u"TRUE" || u == u"T" || u == u"1" || u == u"YES") out = true;
      else if (u == u"FALSE" || u == u"F" || u == u"0" || u == u"NO") out = false;
      else return refuse(QStringLiteral("TRUE or FALSE"));
      return true;
    }
    case FieldKind::Date: {
      QDate date;
      if (!parseDate(t, date)) return refuse(QStringLiteral("a date (YYYY/MM/DD)"));
      out = date;
      return true;
    }
    case FieldKind::Time: {
      QTime time;
      if (!parseTime(t, time)) return refuse(QStringLiteral("a time (HH:MM:SS)"));
      out = time;
      return true;
    }
    case FieldKind::DateTime: {
      const int split = t.indexOf(QRegularExpression(QStringLiteral("[ T]")));
      QDate date;
      QTime time(0, 0);
      if (!parseDate(split < 0 ? t : t.left(split), date) || (split >= 0 && !parseTime(t.mid(split + 1).trimmed(), time)))
        return refuse(QStringLiteral("a date and time (YYYY/MM/DD HH:MM:SS)"));
      out = QDateTime(date, time);
      return true;
    }
    case FieldKind::Blob: return refuse(QStringLiteral("a value a CSV table can hold"));
  }
  return refuse(QStringLiteral("a value"));
}

}  // namespace korvel::db::local
