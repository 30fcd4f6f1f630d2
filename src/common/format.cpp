// Format: the Pascal-runtime directive language, implemented here so that a
// user-given pattern never reaches printf.

#include <QString>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>

#include "common/codepage.h"
#include "common/floatdigits.h"
#include "common/formats.h"
#include "common/leadbyte.h"

namespace korvel {
namespace {

constexpr int kMaxWidth = 100000;  // keeps a typo like %99999999d from eating memory

struct Directive {
  bool leftJustify = false;
  int width = -1;
  int precision = -1;
  char type = 0;  // lower case
};

class Formatter {
 public:
  Formatter(const std::string& fmt, const std::vector<FormatArg>& args,
            const FormatSettings& settings)
      : fmt_(fmt), args_(args), s_(settings) {}

  std::string run();

 private:
  [[noreturn]] void fail(const char* detailUtf8) const;
  std::optional<int> readNumber();  // digits or "*"
  const FormatArg& nextArg();
  Directive parseDirective();
  std::string render(const Directive& d);
  std::string integerText(const Directive& d, const FormatArg& a, int base);
  std::string floatText(const Directive& d, double v);
  std::string moneyText(const Directive& d, double v);
  std::string stringText(const Directive& d, const std::string& text) const;

  const std::string& fmt_;
  const std::vector<FormatArg>& args_;
  const FormatSettings& s_;
  size_t pos_ = 0;
  size_t argIndex_ = 0;
};

void Formatter::fail(const char* detailUtf8) const {
  const std::string shown = fromCp932(fmt_).toStdString();
  throw FormatError(std::string("*E:書式が正しくないか、引数と合いません。(\"") + shown +
                    "\": " + detailUtf8 + ")");
}

std::optional<int> Formatter::readNumber() {
  if (pos_ < fmt_.size() && fmt_[pos_] == '*') {
    ++pos_;
    const FormatArg& a = nextArg();
    if (a.kind() != FormatArg::Kind::Integer) fail("* には整数の引数が必要です");
    const long long v = a.integer();
    if (v > kMaxWidth || v < -kMaxWidth) fail("幅または精度が大きすぎます");
    return static_cast<int>(v);
  }
  if (pos_ >= fmt_.size() || fmt_[pos_] < '0' || fmt_[pos_] > '9') return std::nullopt;
  long long v = 0;
  while (pos_ < fmt_.size() && fmt_[pos_] >= '0' && fmt_[pos_] <= '9') {
    v = v * 10 + (fmt_[pos_++] - '0');
    if (v > kMaxWidth) fail("幅または精度が大きすぎます");
  }
  return static_cast<int>(v);
}

const FormatArg& Formatter::nextArg() {
  if (argIndex_ >= args_.size()) fail("引数が足りません");
  return args_[argIndex_++];
}

Directive Formatter::parseDirective() {
  Directive d;
  std::optional<int> first = readNumber();
  if (pos_ < fmt_.size() && fmt_[pos_] == ':') {
    if (first && *first < 0) fail("引数の番号が負です");
    argIndex_ = static_cast<size_t>(first.value_or(0));
    ++pos_;
    first.reset();
  }
  if (!first) {
    if (pos_ < fmt_.size() && fmt_[pos_] == '-') {
      d.leftJustify = true;
      ++pos_;
    }
    first = readNumber();
  }
  if (first && *first < 0) {  // "*" gave a negative width: left justify
    d.leftJustify = true;
    first = -*first;
  }
  d.width = first.value_or(-1);
  if (pos_ < fmt_.size() && fmt_[pos_] == '.') {
    ++pos_;
    d.precision = std::max(readNumber().value_or(0), 0);
  }
  if (pos_ >= fmt_.size()) fail("書式指定子がありません");
  const char t = fmt_[pos_++];
  d.type = (t >= 'A' && t <= 'Z') ? static_cast<char>(t - 'A' + 'a') : t;
  return d;
}

std::string Formatter::integerText(const Directive& d, const FormatArg& a, int base) {
  if (a.kind() != FormatArg::Kind::Integer) fail("整数の書式に整数以外の引数");
  const std::int64_t v = a.integer();
  bool negative = false;
  std::uint64_t magnitude = 0;
  if (d.type == 'd') {
    negative = v < 0;
    magnitude = negative ? 0 - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
  } else {
    // %u and %x show a negative value as its two's complement.
    magnitude = a.narrow() ? static_cast<std::uint32_t>(v) : static_cast<std::uint64_t>(v);
  }
  std::string digits;
  do {
    digits += "0123456789ABCDEF"[magnitude % static_cast<unsigned>(base)];
    magnitude /= static_cast<unsigned>(base);
  } while (magnitude != 0);
  if (d.precision > static_cast<int>(digits.size()))
    digits.append(static_cast<size_t>(d.precision) - digits.size(), '0');
  if (negative) digits += '-';
  std::reverse(digits.begin(), digits.end());
  return digits;
}

// The general form shared by %g and FloatToStr: shortest text with up to
// `precision` significant digits; scientific when the exponent is out of reach.
std::string generalText(double v, int precision, char decimalSeparator) {
  if (auto special = nonFiniteText(v); !special.empty()) return special;
  const DecimalDigits d = significantDigits(v, precision);
  if (d.isZero()) return "0";
  std::string out = d.negative ? "-" : "";
  if (d.exponent > precision || d.exponent < -3) {
    out += d.digits[0];
    if (d.digits.size() > 1) {
      out += decimalSeparator;
      out.append(d.digits, 1);
    }
    out += 'E';
    out += std::to_string(d.exponent - 1);
    return out;
  }
  out += integerPart(d);
  const int fraction = static_cast<int>(d.digits.size()) - d.exponent;
  if (fraction > 0) {
    out += decimalSeparator;
    out += fractionPart(d, fraction);
  }
  return out;
}

std::string fixedText(const DecimalDigits& d, int decimals, char decimalSeparator, char thousands,
                      bool* negativeOut = nullptr) {
  std::string out = groupThousands(integerPart(d), thousands);
  if (decimals > 0) {
    out += decimalSeparator;
    out += fractionPart(d, decimals);
  }
  const bool negative = d.negative && !d.isZero();
  if (negativeOut) *negativeOut = negative;
  else if (negative) out.insert(0, 1, '-');
  return out;
}

std::string fixedText(double v, int decimals, char decimalSeparator, char thousands,
                      bool* negativeOut = nullptr) {
  return fixedText(fixedDigits(v, decimals), decimals, decimalSeparator, thousands, negativeOut);
}

// Places number and currency string by the currency format settings.
std::string currencyForm(const DecimalDigits& value, int decimals, const FormatSettings& s) {
  static const char* const positive[] = {"$1", "1$", "$ 1", "1 $"};
  static const char* const negative[] = {"($1)", "-$1",  "$-1",  "$1-",  "(1$)",  "-1$",
                                         "1-$",  "1$-",  "-1 $", "-$ 1", "1 $-", "$ 1-",
                                         "$ -1", "1- $", "($ 1)", "(1 $)"};
  bool isNegative = false;
  const std::string number =
      fixedText(roundedDigits(value, decimals), decimals, s.decimalSeparator, s.thousandSeparator, &isNegative);
  const char* layout = isNegative ? negative[std::clamp(s.negCurrFormat, 0, 15)]
                                  : positive[std::clamp(s.currencyFormat, 0, 3)];
  std::string out;
  for (const char* p = layout; *p; ++p) {
    if (*p == '$') out += s.currencyString;
    else if (*p == '1') out += number;
    else out += *p;
  }
  return out;
}

std::string scientificText(double v, int precision, char decimalSeparator) {
  const DecimalDigits d = significantDigits(v, precision);
  std::string out = d.negative && !d.isZero() ? "-" : "";
  const std::string digits = d.digits + std::string(static_cast<size_t>(precision) -
                                                        std::min(d.digits.size(), size_t(precision)), '0');
  out += digits[0];
  if (precision > 1) {
    out += decimalSeparator;
    out.append(digits, 1, static_cast<size_t>(precision) - 1);
  }
  const int exp10 = d.isZero() ? 0 : d.exponent - 1;
  out += exp10 < 0 ? "E-" : "E+";
  std::string e = std::to_string(std::abs(exp10));
  if (e.size() < 3) e.insert(0, 3 - e.size(), '0');
  return out + e;
}

std::string Formatter::floatText(const Directive& d, double v) {
  if (auto special = nonFiniteText(v); !special.empty()) return special;
  const char dec = s_.decimalSeparator;
  switch (d.type) {
    case 'e':
      return scientificText(v, std::clamp(d.precision < 0 ? 15 : d.precision, 1, 18), dec);
    case 'g':
      return generalText(v, std::clamp(d.precision < 0 ? 15 : d.precision, 1, 18), dec);
    case 'f':
    case 'n': {
      if (std::fabs(v) >= 1e18) return generalText(v, 18, dec);
      const int decimals = std::clamp(d.precision < 0 ? 2 : d.precision, 0, 18);
      return fixedText(v, decimals, dec, d.type == 'n' ? s_.thousandSeparator : '\0');
    }
    default:
      return moneyText(d, v);
  }
}

std::string Formatter::moneyText(const Directive& d, double v) {
  const int decimals = std::clamp(d.precision < 0 ? s_.currencyDecimals : d.precision, 0, 18);
  return currencyForm(exactDigits(v), decimals, s_);
}

// %s with a precision keeps at most that many bytes and never splits a
// double-byte character.
std::string Formatter::stringText(const Directive& d, const std::string& text) const {
  if (d.precision < 0 || static_cast<size_t>(d.precision) >= text.size()) return text;
  size_t end = 0;
  while (end < static_cast<size_t>(d.precision)) {
    const size_t step = isLeadByte(text[end]) ? 2 : 1;
    if (end + step > static_cast<size_t>(d.precision)) break;
    end += step;
  }
  return text.substr(0, end);
}

std::string Formatter::render(const Directive& d) {
  switch (d.type) {
    case 'd': case 'u': return integerText(d, nextArg(), 10);
    case 'x': return integerText(d, nextArg(), 16);
    case 'e': case 'f': case 'g': case 'n': case 'm': {
      const FormatArg& a = nextArg();
      if (a.kind() != FormatArg::Kind::Float) fail("実数の書式に実数以外の引数");
      return floatText(d, a.real());
    }
    case 's': {
      const FormatArg& a = nextArg();
      if (a.kind() != FormatArg::Kind::String) fail("%s に文字列以外の引数");
      return stringText(d, a.text());
    }
    case 'p': {
      const FormatArg& a = nextArg();
      if (a.kind() != FormatArg::Kind::Pointer) fail("%p にポインタ以外の引数");
      char buf[32];
      std::snprintf(buf, sizeof buf, "%016llX",  // fixed pattern, not the user's
                    static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(a.pointer())));
      return buf;
    }
    default:
      fail("不明な書式指定子");
  }
}

std::string Formatter::run() {
  std::string out;
  out.reserve(fmt_.size() + 16);
  while (pos_ < fmt_.size()) {
    // A trail byte is never '%' (trail bytes are 0x40 or above).
    const size_t percent = fmt_.find('%', pos_);
    if (percent == std::string::npos) {
      out.append(fmt_, pos_, std::string::npos);
      break;
    }
    out.append(fmt_, pos_, percent - pos_);
    pos_ = percent + 1;
    if (pos_ >= fmt_.size()) fail("書式が % で終わっています");
    if (fmt_[pos_] == '%') {
      out += '%';
      ++pos_;
      continue;
    }
    const Directive d = parseDirective();
    std::string text = render(d);
    if (d.width > static_cast<int>(text.size())) {
      const size_t pad = static_cast<size_t>(d.width) - text.size();
      if (d.leftJustify) text.append(pad, ' ');
      else text.insert(0, pad, ' ');
    }
    out += text;
  }
  return out;
}

}  // namespace

std::string Format(const std::string& fmt, const std::vector<FormatArg>& args,
                   const FormatSettings& settings) {
  return Formatter(fmt, args, settings).run();
}

std::string Format(const std::string& fmt, const std::vector<FormatArg>& args) {
  return Format(fmt, args, formatSettings());
}

std::string FloatToStr(double value, const FormatSettings& settings) {
  return generalText(value, 15, settings.decimalSeparator);
}

std::string FloatToStr(double value) { return FloatToStr(value, formatSettings()); }

std::string FloatToStrRoundTrip(double value, const FormatSettings& settings) {
  if (value == 0 && std::signbit(value)) return "-0";
  return generalText(value, 17, settings.decimalSeparator);
}

std::string FloatToStrRoundTrip(double value) { return FloatToStrRoundTrip(value, formatSettings()); }

std::string CurrencyText(std::string_view decimalText, const FormatSettings& settings) {
  const auto digits = decimalTextDigits(decimalText);
  if (!digits) return {};
  return currencyForm(*digits, std::clamp(settings.currencyDecimals, 0, 18), settings);
}

std::string CurrencyText(std::string_view decimalText) { return CurrencyText(decimalText, formatSettings()); }

}  // namespace korvel
