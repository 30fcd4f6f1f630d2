#include "db/isotext.h"

namespace korvel::db {
namespace {

void appendDigits(QString& out, int value, int width) {
  QChar digits[4];
  for (int i = width - 1; i >= 0; --i, value /= 10) digits[i] = QChar(u'0' + value % 10);
  out.append(digits, width);
}

// Years outside 1..9999 keep Qt's own rendering (sign, more digits).
bool plainYear(QDate date) { return date.isValid() && date.year() >= 1 && date.year() <= 9999; }

void appendDate(QString& out, QDate date) {
  appendDigits(out, date.year(), 4);
  out.append(u'-');
  appendDigits(out, date.month(), 2);
  out.append(u'-');
  appendDigits(out, date.day(), 2);
}

void appendTime(QString& out, QTime time) {
  appendDigits(out, time.hour(), 2);
  out.append(u':');
  appendDigits(out, time.minute(), 2);
  out.append(u':');
  appendDigits(out, time.second(), 2);
  if (time.msec()) {
    out.append(u'.');
    appendDigits(out, time.msec(), 3);
  }
}

}  // namespace

QString isoDateText(QDate date) {
  if (!plainYear(date)) return date.toString(QStringLiteral("yyyy-MM-dd"));
  QString out;
  out.reserve(10);
  appendDate(out, date);
  return out;
}

QString isoDateTimeText(const QDateTime& dateTime) {
  const QDate date = dateTime.date();
  const QTime time = dateTime.time();
  if (!plainYear(date) || !time.isValid())
    return dateTime.toString(time.msec() ? QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz")
                                         : QStringLiteral("yyyy-MM-dd hh:mm:ss"));
  QString out;
  out.reserve(23);
  appendDate(out, date);
  out.append(u' ');
  appendTime(out, time);
  return out;
}

}  // namespace korvel::db
