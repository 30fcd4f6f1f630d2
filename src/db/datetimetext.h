#pragma once
// Dates and times as the databases write them in text, taken apart without
// losing anything:
//
//   date        2024-01-31   0044-03-15 BC   10000-01-01   2024/1/31
//   time        13:45:10   13:45:10.123456   13:45:10+09   8:09:10.5+05:30
//   date-time   2024-02-01 08:09:10.123456+09:00   2024-02-01T08:09:10Z
//
// The fraction keeps every digit written, the zone is kept as written, the
// era and the separator between date and time are remembered. Years run past
// 9999 and before year 1 (BC); QDate counts such years the same way (44 BC is
// year -44).

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringView>
#include <QTime>
#include <optional>

namespace korvel::db {

struct DateTimeText {
  bool hasDate = false;
  int year = 0;  // as written, always positive; bc says which era
  int month = 0;
  int day = 0;
  bool bc = false;
  bool hasTime = false;
  int hour = 0;  // 0..24 (24:00:00 is a valid PostgreSQL time)
  int minute = 0;
  int second = 0;
  QString fraction;  // digits after the point of the seconds
  QString zone;      // "Z", "+09", "+09:00", "-03:30", empty when none
  QChar separator = u' ';  // between date and time: ' ' or 'T'

  // The calendar date (year -44 for 44 BC); invalid without a date.
  QDate date() const;
  // The time of day to the millisecond; invalid without a time or at 24:00.
  QTime time() const;
};

enum class DateTimePart { Date, Time, DateTime };

// Parses the forms above. A date-time without a time is midnight; a date or
// a time alone is refused where the other part is wanted. Empty optional
// when the text is no such value (or names no real day).
std::optional<DateTimeText> parseDateTimeText(QStringView text, DateTimePart part);

// The parts of a Qt date, time or date-time value (milliseconds as a
// three-digit fraction when not zero).
DateTimeText dateTimeTextOf(const QDate& date);
DateTimeText dateTimeTextOf(const QTime& time);
DateTimeText dateTimeTextOf(const QDateTime& dateTime);

// The ISO text of the parts SQLite's date functions and PostgreSQL read:
// "YYYY-MM-DD", "hh:mm:ss[.f][zone]", "YYYY-MM-DD hh:mm:ss[.f][zone]" with
// " BC" last for dates before year 1.
QString isoText(const DateTimeText& value, DateTimePart part);

}  // namespace korvel::db
