#include "controls/displayformat.h"

#include <QRegularExpression>

#include "common/codepage.h"
#include "common/formats.h"

namespace {

// The runtime's text-to-number conversion: optional blanks, sign, digits
// with the decimal separator of the format settings, optional exponent.
bool ToNumber(const QString& text, double& value) {
  QString s = text.trimmed();
  const QChar separator = QChar::fromLatin1(korvel::formatSettings().decimalSeparator);
  if (separator != u'.') {
    if (s.contains(u'.')) return false;
    s.replace(separator, u'.');
  }
  static const QRegularExpression number(
      QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?$"));
  if (!number.match(s).hasMatch()) return false;
  bool ok = false;
  value = s.toDouble(&ok);
  return ok;
}

}  // namespace

bool FormatCellNumber(const QString& pattern, const QString& text, QString& out) {
  double value = 0;
  if (!ToNumber(text, value)) return false;
  std::string cp932Pattern;
  if (!korvel::tryToCp932(pattern, cp932Pattern)) return false;
  try {
    int bad = -1;
    out = korvel::fromCp932(korvel::FormatFloat(cp932Pattern, value), &bad);
    return bad < 0;
  } catch (const std::exception&) {
    return false;  // a pattern the formatter rejects leaves the text as it is
  }
}
