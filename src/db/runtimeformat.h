#pragma once
// Field texts in the program's runtime format settings (common/formats.h):
// dates in the short date format, times in the long time format, date-times
// as "short date long time" (the time left out at midnight), currency in the
// currency format with the current currency decimals, floats in their
// general 15-digit form. Edit texts are read back by the locale parsers.

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>
#include <optional>

namespace korvel::db {

// Empty optional when the value cannot be shown that way (a year outside
// 1..9999, a pattern the formatter refuses): the caller falls back.
std::optional<QString> runtimeDateText(const QDate& date);
std::optional<QString> runtimeTimeText(const QTime& time);
std::optional<QString> runtimeDateTimeText(const QDateTime& dateTime);
// An exact decimal text in the currency format; empty when it is none.
QString runtimeCurrencyText(const QString& decimal);
QString runtimeFloatText(double value);
// Every digit the double needs to read back as itself.
QString runtimeFloatEditText(double value);

// Reads a text in the runtime formats; empty optional when it is none.
std::optional<QDate> runtimeDate(const QString& text);
std::optional<QTime> runtimeTime(const QString& text);
std::optional<QDateTime> runtimeDateTime(const QString& text);

}  // namespace korvel::db
