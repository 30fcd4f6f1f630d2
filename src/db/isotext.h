#pragma once
// Dates and date-times as SQLite stores them ("2024-01-31",
// "2024-01-31 13:45:10", "2024-01-31 13:45:10.250"), written digit by
// digit: formatting through a pattern cost more than the insert itself
// when many rows are posted.

#include <QDate>
#include <QDateTime>
#include <QString>

namespace korvel::db {

QString isoDateText(QDate date);
QString isoDateTimeText(const QDateTime& dateTime);  // milliseconds only when not zero

}  // namespace korvel::db
