#include "common/datetime.h"

#include <chrono>
#include <cmath>
#include <ctime>

namespace korvel {
namespace {

// Day 0 of the day count (1899/12/30) is 25569 days before 1970/01/01.
constexpr long long kUnixEpochDay = 25569;

std::function<double()>& installedClock() {
  static std::function<double()> clock;
  return clock;
}

// Days since 1970/01/01 of a proleptic Gregorian date (H. Hinnant's method).
long long daysFromCivil(long long y, unsigned m, unsigned d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long long>(doe) - 719468;
}

void civilFromDays(long long z, int& year, int& month, int& day) {
  z += 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

double systemNow() {
  using namespace std::chrono;
  const auto t = system_clock::now();
  const std::time_t secs = system_clock::to_time_t(t);
  const auto ms = duration_cast<milliseconds>(t.time_since_epoch()).count() % 1000;
  std::tm local{};
  localtime_r(&secs, &local);
  return encodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday) +
         encodeTime(local.tm_hour, local.tm_min, local.tm_sec > 59 ? 59 : local.tm_sec,
                    static_cast<int>(ms));
}

}  // namespace

bool isLeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && isLeapYear(year) ? 29 : days[month - 1];
}

bool tryEncodeDate(int year, int month, int day, double& value) {
  if (year < 1 || year > 9999 || day < 1 || day > daysInMonth(year, month))
    return false;
  value = static_cast<double>(
      daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) +
      kUnixEpochDay);
  return true;
}

double encodeDate(int year, int month, int day) {
  double v = 0;
  if (!tryEncodeDate(year, month, day, v))
    throw ConvertError("Invalid date: " + std::to_string(year) + "/" +
                       std::to_string(month) + "/" + std::to_string(day));
  return v;
}

bool tryEncodeTime(int hour, int minute, int second, int msec, double& value) {
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 ||
      second > 59 || msec < 0 || msec > 999)
    return false;
  value = (((hour * 60.0 + minute) * 60.0 + second) * 1000.0 + msec) / kMsecsPerDay;
  return true;
}

double encodeTime(int hour, int minute, int second, int msec) {
  double v = 0;
  if (!tryEncodeTime(hour, minute, second, msec, v))
    throw ConvertError("Invalid time: " + std::to_string(hour) + ":" +
                       std::to_string(minute) + ":" + std::to_string(second));
  return v;
}

DateTimeParts decodeDateTime(double value) {
  if (!std::isfinite(value) || value < kMinDateTime || value >= kMaxDateTime + 1e-9)
    throw ConvertError("Date-time value out of range");
  // Negative values keep their time of day as a positive fraction:
  // -1.25 is 1899/12/29 06:00.
  long long days = static_cast<long long>(std::trunc(value));
  long long ms = std::llround(std::fabs(value - std::trunc(value)) * kMsecsPerDay);
  if (ms >= static_cast<long long>(kMsecsPerDay)) {  // rounds up to midnight
    ms = 0;
    ++days;
  }
  DateTimeParts p;
  civilFromDays(days - kUnixEpochDay, p.year, p.month, p.day);
  p.hour = static_cast<int>(ms / 3600000);
  p.minute = static_cast<int>(ms / 60000 % 60);
  p.second = static_cast<int>(ms / 1000 % 60);
  p.msec = static_cast<int>(ms % 1000);
  // 1899/12/30 was a Saturday.
  p.dayOfWeek = static_cast<int>(((days % 7) + 7 + 6) % 7) + 1;
  return p;
}

double now() {
  const auto& clock = installedClock();
  return clock ? clock() : systemNow();
}

double today() { return std::floor(now()); }

void setClock(std::function<double()> clock) { installedClock() = std::move(clock); }

}  // namespace korvel
