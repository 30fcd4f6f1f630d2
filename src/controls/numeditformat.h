#pragma once
// The text rules of the numeric edit box: cleaning typed or pasted text into
// a value text ([-]digits[.digits]) and formatting a value text for display.

#include <QString>

struct TNumEditRules {
  int IntegerLength = 9;   // most digits before the point (sign not counted)
  int DecimalLength = 3;   // most digits after the point; 0 = no point
  bool Minus = true;       // a leading minus sign is allowed
  bool Comma = true;       // group the integer digits by three
  bool IntegerFixed = false;
  bool DecimalFixed = false;
};

// Full-width digits, minus and full stop become their single-byte forms, the
// full-width comma is dropped, and any other character outside ASCII ends
// the text. Then the text is cut at the first character that breaks the
// number rules; a fraction is cut to DecimalLength digits; an integer part
// longer than IntegerLength gives an empty value.
QString NormalizeInput(const QString& text, const TNumEditRules& rules);

// 007 -> 7, 000 -> 0, .5 -> 0.5, - stays -.
QString StripLeadingZeros(const QString& value);

// A "," after every third digit counted from the right.
QString GroupThousands(const QString& digits);

// The number as drawn: grouped, zero-padded as the options say.
QString FormatNumber(const QString& value, const TNumEditRules& rules);

// The widest text the number area must hold (decides the layout).
QString NumberAreaTemplate(const QString& value, const TNumEditRules& rules);

// The drawn text up to the last typed character (where the caret goes).
QString TypedPartOfNumber(const QString& value, const TNumEditRules& rules);

// A value text split into its parts.
struct TNumberParts {
  QString sign, integer, point, fraction;
};
TNumberParts SplitNumber(const QString& value);
