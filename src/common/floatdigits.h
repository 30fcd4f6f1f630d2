#pragma once
// Decimal digits of a double, produced without the C locale (std::to_chars),
// for the program's own number formatting.

#include <optional>
#include <string>
#include <string_view>

namespace korvel {

// value = 0.d1d2d3... x 10^exponent. Zero has no digits and exponent 0.
// Leading and trailing zeros are stripped.
struct DecimalDigits {
  std::string digits;
  int exponent = 0;
  bool negative = false;
  bool isZero() const { return digits.empty(); }
};

// The shortest digits that read back as the same double (finite values only).
DecimalDigits exactDigits(double value);
// The digits of a plain decimal text: optional sign, digits, optional point
// and digits ("-1234.5678", ".5", "7."). Empty optional for anything else.
std::optional<DecimalDigits> decimalTextDigits(std::string_view text);
// d rounded half away from zero to `decimals` digits after the point (0..18).
DecimalDigits roundedDigits(DecimalDigits d, int decimals);

// Rounded to `precision` significant digits (1..18; finite values only).
DecimalDigits significantDigits(double value, int precision);
// Rounded to `decimals` digits after the point (0..18; finite values only).
DecimalDigits fixedDigits(double value, int decimals);

// The integer part of d as digits ("0" when below one), optionally grouped.
std::string integerPart(const DecimalDigits& d);
// Exactly `count` digits after the point of d, zero-filled.
std::string fractionPart(const DecimalDigits& d, int count);
// Digits of `digits` with `separator` between groups of three (none if 0).
std::string groupThousands(const std::string& digits, char separator);

// "NAN", "INF", "-INF" for values that have no digits; empty otherwise.
std::string nonFiniteText(double value);

}  // namespace korvel
