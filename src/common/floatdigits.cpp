#include "common/floatdigits.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace korvel {
namespace {

void stripZeros(DecimalDigits& d) {
  const auto first = d.digits.find_first_not_of('0');
  if (first == std::string::npos) {
    d.digits.clear();
    d.exponent = 0;
    return;
  }
  d.digits.erase(0, first);
  d.exponent -= static_cast<int>(first);
  d.digits.erase(d.digits.find_last_not_of('0') + 1);
}

// The shortest digits that read back as the same double: the number the
// user typed or computed, before any display rounding.
DecimalDigits shortestDigits(double value) {
  DecimalDigits d;
  d.negative = std::signbit(value);
  char buf[64];
  const auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(value),
                                 std::chars_format::scientific);
  const std::string_view text(buf, static_cast<size_t>(res.ptr - buf));
  const auto e = text.find('e');
  for (char c : text.substr(0, e))
    if (c != '.') d.digits += c;
  int exp10 = 0;
  const auto expText = text.substr(e + 1);
  const char* from = expText.data() + (expText[0] == '+' ? 1 : 0);
  std::from_chars(from, expText.data() + expText.size(), exp10);
  d.exponent = exp10 + 1;
  stripZeros(d);
  return d;
}

// Keeps the first `keep` digits, rounding half away from zero (2.25 -> 2.3).
void roundTo(DecimalDigits& d, long long keep) {
  if (d.isZero() || keep >= static_cast<long long>(d.digits.size())) return;
  if (keep < 0) {
    d.digits.clear();
    d.exponent = 0;
    return;
  }
  const bool up = d.digits[static_cast<size_t>(keep)] >= '5';
  d.digits.resize(static_cast<size_t>(keep));
  if (up) {
    long long i = keep - 1;
    while (i >= 0 && d.digits[static_cast<size_t>(i)] == '9') d.digits[static_cast<size_t>(i--)] = '0';
    if (i < 0) {
      d.digits.insert(0, 1, '1');
      ++d.exponent;
    } else {
      ++d.digits[static_cast<size_t>(i)];
    }
  }
  stripZeros(d);
}

}  // namespace

DecimalDigits exactDigits(double value) { return shortestDigits(value); }

std::optional<DecimalDigits> decimalTextDigits(std::string_view text) {
  DecimalDigits d;
  size_t i = 0;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) d.negative = text[i++] == '-';
  bool point = false;
  bool anyDigit = false;
  int integerDigits = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '.' && !point) {
      point = true;
    } else if (c >= '0' && c <= '9') {
      anyDigit = true;
      d.digits += c;
      if (!point) ++integerDigits;
    } else {
      return std::nullopt;
    }
  }
  if (!anyDigit) return std::nullopt;
  d.exponent = integerDigits;
  stripZeros(d);
  return d;
}

DecimalDigits roundedDigits(DecimalDigits d, int decimals) {
  roundTo(d, static_cast<long long>(d.exponent) + std::clamp(decimals, 0, 18));
  return d;
}

DecimalDigits significantDigits(double value, int precision) {
  DecimalDigits d = shortestDigits(value);
  roundTo(d, std::clamp(precision, 1, 18));
  return d;
}

DecimalDigits fixedDigits(double value, int decimals) {
  DecimalDigits d = shortestDigits(value);
  roundTo(d, static_cast<long long>(d.exponent) + std::clamp(decimals, 0, 18));
  return d;
}

std::string integerPart(const DecimalDigits& d) {
  if (d.exponent <= 0) return "0";
  std::string out = d.digits.substr(0, static_cast<size_t>(d.exponent));
  out.append(static_cast<size_t>(d.exponent) - out.size(), '0');
  return out;
}

std::string fractionPart(const DecimalDigits& d, int count) {
  std::string out;
  out.reserve(static_cast<size_t>(std::max(count, 0)));
  for (int k = 0; k < count; ++k) {
    const long long at = static_cast<long long>(d.exponent) + k;
    out += at >= 0 && at < static_cast<long long>(d.digits.size())
               ? d.digits[static_cast<size_t>(at)]
               : '0';
  }
  return out;
}

std::string groupThousands(const std::string& digits, char separator) {
  if (separator == '\0' || digits.size() <= 3) return digits;
  std::string out;
  out.reserve(digits.size() + digits.size() / 3);
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += separator;
    out += digits[i];
  }
  return out;
}

std::string nonFiniteText(double value) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  return {};
}

}  // namespace korvel
