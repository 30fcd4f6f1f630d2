#include "db/decimaltext.h"

#include <cmath>

#include "common/floatdigits.h"

namespace korvel::db {
namespace {

bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

// Plain digits: sign, integer digits, fraction digits, each as typed.
struct Plain {
  bool negative = false;
  QString integer;
  QString fraction;
  bool point = false;
};

QString join(const Plain& p) {
  QString integer = p.integer;
  while (integer.size() > 1 && integer.front() == u'0') integer.remove(0, 1);
  if (integer.isEmpty()) integer = QStringLiteral("0");
  QString text = integer;
  if (!p.fraction.isEmpty()) text += u'.' + p.fraction;
  bool zero = true;
  for (QChar c : text)
    if (c != u'0' && c != u'.') zero = false;
  return p.negative && !zero ? u'-' + text : text;
}

// Moves the point `shift` places (an exponent), exactly.
void shiftPoint(Plain& p, long long shift) {
  QString digits = p.integer + p.fraction;
  long long pointAt = p.integer.size() + shift;
  if (pointAt < 0) {
    digits.prepend(QString(static_cast<qsizetype>(-pointAt), u'0'));
    pointAt = 0;
  }
  if (pointAt > digits.size()) digits.append(QString(static_cast<qsizetype>(pointAt - digits.size()), u'0'));
  p.integer = digits.left(static_cast<qsizetype>(pointAt));
  p.fraction = digits.mid(static_cast<qsizetype>(pointAt));
  while (!p.fraction.isEmpty() && p.fraction.back() == u'0' && shift != 0) p.fraction.chop(1);
}

std::optional<QString> special(const QString& t) {
  QString body = t;
  QString sign;
  if (body.startsWith(u'-') || body.startsWith(u'+')) {
    sign = body.front() == u'-' ? QStringLiteral("-") : QString();
    body.remove(0, 1);
  }
  if (body.compare(u"NaN", Qt::CaseInsensitive) == 0 && sign.isEmpty()) return QStringLiteral("NaN");
  if (body.compare(u"Infinity", Qt::CaseInsensitive) == 0 || body.compare(u"Inf", Qt::CaseInsensitive) == 0)
    return sign + QStringLiteral("Infinity");
  return std::nullopt;
}

}  // namespace

QString decimalOfDouble(double value) {
  if (std::isnan(value)) return QStringLiteral("NaN");
  if (std::isinf(value)) return value < 0 ? QStringLiteral("-Infinity") : QStringLiteral("Infinity");
  const DecimalDigits d = exactDigits(value);
  if (d.isZero()) return QStringLiteral("0");
  const int fraction = std::max(0, static_cast<int>(d.digits.size()) - d.exponent);
  std::string text = integerPart(d);
  if (fraction > 0) text += '.' + fractionPart(d, fraction);
  return (d.negative ? QStringLiteral("-") : QString()) + QString::fromLatin1(text);
}

std::optional<QString> decimalOfText(const QString& text, QChar point, QChar grouping) {
  const QString t = text.trimmed();
  if (auto s = special(t)) return s;
  Plain p;
  qsizetype i = 0;
  if (i < t.size() && (t[i] == u'-' || t[i] == u'+')) p.negative = t[i++] == u'-';
  bool anyDigit = false;
  for (; i < t.size(); ++i) {
    const QChar c = t[i];
    if (isDigit(c)) {
      (p.point ? p.fraction : p.integer) += c;
      anyDigit = true;
    } else if ((c == point || (point != u'.' && c == u'.' && grouping != u'.')) && !p.point) {
      p.point = true;
    } else if (!grouping.isNull() && c == grouping && !p.point && anyDigit) {
      continue;
    } else {
      break;
    }
  }
  if (!anyDigit) return std::nullopt;
  if (i < t.size() && (t[i] == u'e' || t[i] == u'E')) {
    bool ok = false;
    const long long exponent = t.mid(i + 1).toLongLong(&ok);
    if (!ok || exponent > 10000 || exponent < -10000) return std::nullopt;
    shiftPoint(p, exponent);
    i = t.size();
  }
  if (i != t.size()) return std::nullopt;
  return join(p);
}

std::optional<QString> decimalOfCurrency(const QString& text, QChar point, QChar grouping) {
  if (auto plain = decimalOfText(text, point, grouping)) return plain;
  // Keep the number's own characters; a '-' or '(' anywhere makes it negative.
  QString number;
  bool negative = false;
  for (QChar c : text) {
    if (isDigit(c) || c == u'.' || c == u',' || c == point || (!grouping.isNull() && c == grouping)) number += c;
    else if (c == u'-' || c == u'(') negative = true;
  }
  if (number.isEmpty()) return std::nullopt;
  const qsizetype lastDot = number.lastIndexOf(u'.');
  const qsizetype lastComma = number.lastIndexOf(u',');
  QChar decimalPoint = point;
  QChar group = grouping;
  if (lastDot >= 0 && lastComma >= 0) {
    decimalPoint = lastDot > lastComma ? u'.' : u',';
    group = lastDot > lastComma ? u',' : u'.';
  } else if (lastDot >= 0 || lastComma >= 0) {
    const qsizetype at = std::max(lastDot, lastComma);
    const qsizetype after = number.size() - at - 1;
    const bool onlyOnce = number.count(number[at]) == 1;
    decimalPoint = onlyOnce && after >= 1 && after <= 2 ? number[at] : QChar();
    group = decimalPoint.isNull() ? number[at] : QChar();
  }
  const auto value = decimalOfText(number, decimalPoint, group);
  if (!value) return std::nullopt;
  return negative && *value != QLatin1String("0") && !value->startsWith(u'-') ? u'-' + *value : *value;
}

QString decimalShown(const QString& decimal, QChar point) {
  if (point == u'.') return decimal;
  QString shown = decimal;
  shown.replace(u'.', point);
  return shown;
}

}  // namespace korvel::db
