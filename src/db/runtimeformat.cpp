#include "db/runtimeformat.h"

#include "common/codepage.h"
#include "common/dateparse.h"
#include "common/datetime.h"
#include "common/formats.h"

namespace korvel::db {
namespace {

std::optional<double> dayCount(const QDate& date) {
  double value = 0;
  if (!date.isValid() || !tryEncodeDate(date.year(), date.month(), date.day(), value)) return std::nullopt;
  return value;
}

double dayFraction(const QTime& time) {
  double value = 0;
  tryEncodeTime(time.hour(), time.minute(), time.second(), time.msec(), value);
  return value;
}

std::optional<QString> formatted(const char* pattern, double value) {
  try {
    return fromCp932(FormatDateTime(pattern, value));
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

std::optional<DateTimeParts> parts(double value) {
  try {
    return decodeDateTime(value);
  } catch (const ConvertError&) {
    return std::nullopt;
  }
}

std::optional<std::string> cp932(const QString& text) {
  std::string bytes;
  if (!tryToCp932(text, bytes)) return std::nullopt;
  return bytes;
}

}  // namespace

std::optional<QString> runtimeDateText(const QDate& date) {
  const auto value = dayCount(date);
  if (!value) return std::nullopt;
  return formatted("ddddd", *value);
}

std::optional<QString> runtimeTimeText(const QTime& time) {
  if (!time.isValid()) return std::nullopt;
  return formatted("tt", dayFraction(time));
}

std::optional<QString> runtimeDateTimeText(const QDateTime& dateTime) {
  const auto date = dayCount(dateTime.date());
  if (!date) return std::nullopt;
  return formatted("", combineDateTime(*date, dayFraction(dateTime.time())));
}

QString runtimeCurrencyText(const QString& decimal) { return fromCp932(CurrencyText(decimal.toStdString())); }

QString runtimeFloatText(double value) { return fromCp932(FloatToStr(value)); }

QString runtimeFloatEditText(double value) { return fromCp932(FloatToStrRoundTrip(value)); }

std::optional<QDate> runtimeDate(const QString& text) {
  double value = 0;
  const auto bytes = cp932(text);
  if (!bytes || !tryStrToDate(*bytes, value)) return std::nullopt;
  const auto p = parts(value);
  if (!p) return std::nullopt;
  return QDate(p->year, p->month, p->day);
}

std::optional<QTime> runtimeTime(const QString& text) {
  double value = 0;
  const auto bytes = cp932(text);
  if (!bytes || !tryStrToTime(*bytes, value)) return std::nullopt;
  const auto p = parts(value);
  if (!p) return std::nullopt;
  return QTime(p->hour, p->minute, p->second, p->msec);
}

std::optional<QDateTime> runtimeDateTime(const QString& text) {
  double value = 0;
  const auto bytes = cp932(text);
  if (!bytes || !tryStrToDateTime(*bytes, value)) return std::nullopt;
  const auto p = parts(value);
  if (!p) return std::nullopt;
  return QDateTime(QDate(p->year, p->month, p->day), QTime(p->hour, p->minute, p->second, p->msec));
}

}  // namespace korvel::db
