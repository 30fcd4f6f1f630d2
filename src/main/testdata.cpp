#include "main/testdata.h"

#include <cctype>
#include <string_view>

#include "common/codepage.h"
#include "common/datecodes.h"
#include "common/formats.h"
#include "common/strings.h"

namespace korvel {
namespace {

constexpr std::int64_t kUnit = 10000;

// The overflow error naming the value; the value is CP932, the message UTF-8.
TestDataError tooLarge(const std::string& value) {
  return TestDataError("*E:テストデータの値が大きすぎます(" + fromCp932(value).toStdString() + ")");
}

std::int64_t addUnits(std::int64_t a, std::int64_t b) {
  std::int64_t sum = 0;
  if (__builtin_add_overflow(a, b, &sum))
    throw TestDataError("*E:テストデータの値が大きすぎます");
  return sum;
}

// The conversion letter of the first directive ("%3.3d" -> 'd'), lower
// case; 0 when there is none. "%%" is a literal percent sign.
char firstDirectiveLetter(const std::string& format) {
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%') continue;
    size_t j = i + 1;
    if (j < format.size() && format[j] == '%') {
      i = j;
      continue;
    }
    while (j < format.size() && std::string_view("0123456789:-.*").find(format[j]) != std::string_view::npos)
      ++j;
    if (j < format.size()) return static_cast<char>(std::tolower(static_cast<unsigned char>(format[j])));
    return 0;
  }
  return 0;
}

// Text columns: without a format the value stays; a format whose directive
// is an integer one ("%d", "%3.3d", "%x") takes the whole number, one with
// another directive the fixed-point number, and a format without "%" is put
// in front of the previous value.
std::string nextTextValue(const TestDataColumn& column) {
  const std::string& format = column.format;
  if (format.empty()) return column.initial;
  if (format.find('%') == std::string::npos) return format + column.initial;
  const std::int64_t base = addUnits(testDataUnits(column.initial), testDataUnits(column.step));
  const char letter = firstDirectiveLetter(format);
  if (letter == 'd' || letter == 'u' || letter == 'x')
    return Format(format, {static_cast<long long>(base / kUnit)});
  return Format(format, {static_cast<double>(base) / kUnit});
}

std::string nextDateTimeValue(const TestDataColumn& column) {
  const double start = Qz_StrToDateTimeY2K(column.initial);
  const double days = static_cast<double>(testDataUnits(column.step)) / kUnit;
  return FormatDateTime("yyyy/mm/dd hh:nn:ss", start + days);
}

}  // namespace

std::int64_t testDataUnits(const std::string& text) {
  const std::string digits = Qz_DigitsOnly(text);
  std::int64_t value = 0;
  for (char c : digits) {
    if (__builtin_mul_overflow(value, 10, &value) ||
        __builtin_add_overflow(value, c - '0', &value))
      throw tooLarge(text);
  }
  std::int64_t units = 0;
  if (__builtin_mul_overflow(value, kUnit, &units))
    throw tooLarge(text);
  return units;
}

std::string unitsToText(std::int64_t units) {
  const bool negative = units < 0;
  // Work in unsigned so that the most negative value has a magnitude.
  const std::uint64_t magnitude =
      negative ? 0 - static_cast<std::uint64_t>(units) : static_cast<std::uint64_t>(units);
  std::string text = (negative ? "-" : "") + std::to_string(magnitude / kUnit);
  std::uint64_t fraction = magnitude % kUnit;
  if (fraction == 0) return text;
  std::string decimals = std::to_string(fraction);
  decimals.insert(0, 4 - decimals.size(), '0');
  while (decimals.back() == '0') decimals.pop_back();
  return text + formatSettings().decimalSeparator + decimals;
}

std::string nextTestValue(const TestDataColumn& column) {
  if (column.typeName == "TStringField") return nextTextValue(column);
  if (column.typeName == "TDateTimeField") return nextDateTimeValue(column);
  return unitsToText(addUnits(testDataUnits(column.initial), testDataUnits(column.step)));
}

}  // namespace korvel
