#include "db/isotext.h"

namespace korvel::db {
namespace {

// Room for "yyyy-MM-dd hh:mm:ss.zzz".
struct IsoBuffer {
  char16_t text[23];
  int size = 0;

  void digits(int value, int width) {
    for (int i = width - 1; i >= 0; --i, value /= 10) text[size + i] = static_cast<char16_t>(u'0' + value % 10);
    size += width;
  }
  void put(char16_t c) { text[size++] = c; }
  QString toString() const { return QString(reinterpret_cast<const QChar*>(text), size); }
};

// Years outside 1..9999 keep Qt's own rendering (sign, more digits).
bool plainYear(int year) { return year >= 1 && year <= 9999; }

void putDate(IsoBuffer& out, int year, int month, int day) {
  out.digits(year, 4);
  out.put(u'-');
  out.digits(month, 2);
  out.put(u'-');
  out.digits(day, 2);
}

}  // namespace

QString isoDateText(QDate date) {
  int year = 0, month = 0, day = 0;
  date.getDate(&year, &month, &day);
  if (!date.isValid() || !plainYear(year)) return date.toString(QStringLiteral("yyyy-MM-dd"));
  IsoBuffer out;
  putDate(out, year, month, day);
  return out.toString();
}

QString isoDateTimeText(const QDateTime& dateTime) {
  const QDate date = dateTime.date();
  const QTime time = dateTime.time();
  int year = 0, month = 0, day = 0;
  date.getDate(&year, &month, &day);
  if (!date.isValid() || !plainYear(year) || !time.isValid())
    return dateTime.toString(time.msec() ? QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz")
                                         : QStringLiteral("yyyy-MM-dd hh:mm:ss"));
  IsoBuffer out;
  putDate(out, year, month, day);
  out.put(u' ');
  out.digits(time.hour(), 2);
  out.put(u':');
  out.digits(time.minute(), 2);
  out.put(u':');
  out.digits(time.second(), 2);
  if (time.msec()) {
    out.put(u'.');
    out.digits(time.msec(), 3);
  }
  return out.toString();
}

}  // namespace korvel::db
