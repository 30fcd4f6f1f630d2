#pragma once
// The day-count date-time value: whole days since 30 December 1899, the
// fraction is the time of day. A date alone has no fraction; a time alone has
// no whole days. Years 1 to 9999 are representable.

#include <functional>
#include <stdexcept>
#include <string>

namespace korvel {

// A text or number that cannot become a date or time (bad date text, invalid
// time part, a value outside years 1..9999).
class ConvertError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct DateTimeParts {
  int year = 1899, month = 12, day = 30;
  int hour = 0, minute = 0, second = 0, msec = 0;
  int dayOfWeek = 7;  // 1 = Sunday ... 7 = Saturday
};

constexpr double kMinDateTime = -693593.0;         // 0001/01/01
constexpr double kMaxDateTime = 2958466.0 - 1e-9;  // just before 10000/01/01
constexpr double kMsecsPerDay = 86400000.0;

bool isLeapYear(int year);
int daysInMonth(int year, int month);  // 0 for a month outside 1..12

// Days of y/m/d; false when the date does not exist (or year outside 1..9999).
bool tryEncodeDate(int year, int month, int day, double& value);
double encodeDate(int year, int month, int day);  // ConvertError if invalid
// Fraction of a day; false when a part is out of range (hour 0..23 ...).
bool tryEncodeTime(int hour, int minute, int second, int msec, double& value);
double encodeTime(int hour, int minute, int second, int msec);

// A date plus a time of day. Before 1899/12/30 the day count is negative and
// the time is still a positive fraction: 1899/12/29 06:00 is -1.25.
inline double combineDateTime(double date, double time) {
  return date < 0 ? date - time : date + time;
}

// Splits a value into its parts; the time is rounded to the millisecond (a
// time that rounds to 24:00 moves to the next day). ConvertError for NaN,
// infinities and values outside years 1..9999.
DateTimeParts decodeDateTime(double value);

// The current local date and time as a day count; a test may install a clock.
double now();
double today();  // now() without its time of day
// Installs a clock for now() (an empty function restores the system clock).
void setClock(std::function<double()> clock);

// RAII helper for tests: now() returns a fixed value while it lives.
class ScopedNow {
 public:
  explicit ScopedNow(double value) { setClock([value] { return value; }); }
  ~ScopedNow() { setClock({}); }
  ScopedNow(const ScopedNow&) = delete;
  ScopedNow& operator=(const ScopedNow&) = delete;
};

}  // namespace korvel
