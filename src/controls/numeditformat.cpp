#include "controls/numeditformat.h"

namespace {

// Full-width forms the box accepts; 0 means "drop", -1 "ends the text".
int SingleByteFormOf(QChar ch) {
  const char16_t u = ch.unicode();
  if (u < 0x80) return u;
  if (u >= 0xFF10 && u <= 0xFF19) return '0' + (u - 0xFF10);
  if (u == 0xFF0D || u == 0x2212) return '-';  // CP932 0x817C in either mapping
  if (u == 0xFF0E) return '.';
  if (u == 0xFF0C) return 0;
  return -1;
}

QString ConvertFullWidth(const QString& text) {
  QString out;
  for (QChar ch : text) {
    const int single = SingleByteFormOf(ch);
    if (single < 0) break;
    if (single > 0) out += QChar(single);
  }
  return out;
}

// Keeps the leading part that forms a number: digits, one point, a leading
// minus; commas are dropped.
QString FilterNumber(const QString& text, const TNumEditRules& rules) {
  QString out;
  bool point = false;
  for (int i = 0; i < text.size(); ++i) {
    const QChar ch = text[i];
    if (ch == u',') continue;
    if (ch == u'-') {
      if (!rules.Minus || i != 0) break;
    } else if (ch == u'.') {
      if (rules.DecimalLength == 0 || point) break;
      point = true;
    } else if (!ch.isDigit() || ch.unicode() > 0x7F) {
      break;
    }
    out += ch;
  }
  return out;
}

int IntegerDigits(const QString& value) {
  const int point = value.indexOf(u'.');
  int digits = point < 0 ? int(value.size()) : point;
  if (value.startsWith(u'-')) --digits;
  return digits;
}

}  // namespace

TNumberParts SplitNumber(const QString& value) {
  TNumberParts parts;
  QString rest = value;
  if (rest.startsWith(u'-')) {
    parts.sign = QStringLiteral("-");
    rest.remove(0, 1);
  }
  const int point = rest.indexOf(u'.');
  if (point < 0) {
    parts.integer = rest;
  } else {
    parts.integer = rest.left(point);
    parts.point = QStringLiteral(".");
    parts.fraction = rest.mid(point + 1);
  }
  return parts;
}

QString NormalizeInput(const QString& text, const TNumEditRules& rules) {
  QString value = FilterNumber(ConvertFullWidth(text), rules);
  const int point = value.indexOf(u'.');
  if (point >= 0 && value.size() - point - 1 > rules.DecimalLength)
    value.truncate(point + 1 + rules.DecimalLength);
  if (IntegerDigits(value) > rules.IntegerLength) return QString();
  return value;
}

QString StripLeadingZeros(const QString& value) {
  QString rest = value;
  const bool negative = rest.startsWith(u'-');
  if (negative) rest.remove(0, 1);
  int zeros = 0;
  while (zeros < rest.size() && rest[zeros] == u'0') ++zeros;
  rest.remove(0, zeros);
  if (rest.isEmpty() && zeros > 0) rest = QStringLiteral("0");
  if (rest.startsWith(u'.')) rest.prepend(u'0');
  return negative ? u'-' + rest : rest;
}

QString GroupThousands(const QString& digits) {
  QString out;
  const int n = int(digits.size());
  for (int i = 0; i < n; ++i) {
    if (i > 0 && (n - i) % 3 == 0) out += u',';
    out += digits[i];
  }
  return out;
}

QString FormatNumber(const QString& value, const TNumEditRules& rules) {
  TNumberParts p = SplitNumber(value);
  if (rules.Comma) p.integer = GroupThousands(p.integer);
  if (rules.DecimalFixed) {
    p.fraction = p.fraction.leftJustified(rules.DecimalLength, u'0', true);
    p.point = rules.DecimalLength > 0 ? QStringLiteral(".") : QString();
  }
  if ((rules.IntegerFixed || rules.DecimalFixed) && p.integer.isEmpty())
    p.integer = QStringLiteral("0");
  return p.sign + p.integer + p.point + p.fraction;
}

QString NumberAreaTemplate(const QString& value, const TNumEditRules& rules) {
  if (!rules.IntegerFixed && !rules.DecimalFixed) return FormatNumber(value, rules);
  TNumberParts p = SplitNumber(value);
  if (rules.IntegerFixed) {
    p.integer = QString(rules.IntegerLength, u'0');
    p.sign = rules.Minus ? QStringLiteral("-") : QString();
  }
  if (p.integer.isEmpty()) p.integer = QStringLiteral("0");
  if (rules.DecimalFixed) {
    p.point = QStringLiteral(".");
    p.fraction = QString(rules.DecimalLength, u'0');
  }
  if (rules.Comma) p.integer = GroupThousands(p.integer);
  return p.sign + p.integer + p.point + p.fraction;
}

QString TypedPartOfNumber(const QString& value, const TNumEditRules& rules) {
  TNumberParts p = SplitNumber(value);
  if (rules.Comma) p.integer = GroupThousands(p.integer);
  if (p.integer.isEmpty() && (rules.IntegerFixed || rules.DecimalFixed))
    p.integer = QStringLiteral("0");
  return p.sign + p.integer + p.point + p.fraction;
}
