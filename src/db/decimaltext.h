#pragma once
// Exact decimal values (NUMERIC, DECIMAL, currency) held as text: an optional
// '-', digits, and '.' with further digits ("-1234.5678", "0.10"). Digits are
// never passed through a double, so every one of them is shown, edited and
// written as it stands.

#include <QString>
#include <optional>

namespace korvel::db {

// The plain text of a double, with the shortest digits that read back as it
// and no exponent ("1234567890123456900000000000", "0.0001"). "NaN",
// "Infinity" and "-Infinity" for values without digits.
QString decimalOfDouble(double value);

// A number as typed or as a driver gives it: blanks around it, a leading '+',
// `point` as the decimal point and `grouping` between digit groups (0: none)
// are accepted, and an exponent ("1.5E3"), which is applied exactly. The
// digits typed after the point are kept ("1.50" stays "1.50"). "NaN" and
// "Infinity" (any case, with a sign) pass as PostgreSQL writes them. Empty
// optional for anything else.
std::optional<QString> decimalOfText(const QString& text, QChar point = u'.', QChar grouping = QChar());

// A currency text: the number of decimalOfText with a currency sign or word
// before or after it, a '-' anywhere or parentheses for a negative amount
// ("$1,234.56", "-$5.00", "($5.00)", "￥1,235", "1.234,56 €"). Where '.' and
// ',' both appear the last one is the point; where only one appears, it is
// the point when one or two digits follow it, else it groups digits.
std::optional<QString> decimalOfCurrency(const QString& text, QChar point = u'.', QChar grouping = QChar());

// The decimal text with `point` in place of '.'.
QString decimalShown(const QString& decimal, QChar point);

}  // namespace korvel::db
