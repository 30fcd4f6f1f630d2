#include "common/dateparse.h"

#include <QString>
#include <string_view>

#include "common/codepage.h"
#include "common/datetime.h"
#include "common/formats.h"

namespace korvel {
namespace {

class Scanner {
 public:
  explicit Scanner(std::string_view t) : t_(t) {}

  void blanks() {
    while (i_ < t_.size() && static_cast<unsigned char>(t_[i_]) <= 32) ++i_;
  }
  bool atEnd() const { return i_ >= t_.size(); }
  size_t position() const { return i_; }
  void rewind(size_t p) { i_ = p; }

  // Up to four digits (more would not fit any date part).
  bool number(int& value, int& length) {
    value = 0;
    length = 0;
    while (i_ < t_.size() && t_[i_] >= '0' && t_[i_] <= '9') {
      if (++length > 4) return false;
      value = value * 10 + (t_[i_++] - '0');
    }
    return length > 0;
  }
  bool character(char c) {
    if (i_ < t_.size() && t_[i_] == c) {
      ++i_;
      return true;
    }
    return false;
  }
  bool dateSeparator() {
    return character(formatSettings().dateSeparator) || character('/');
  }
  bool wordNoCase(std::string_view w) {
    if (w.empty() || t_.size() - i_ < w.size()) return false;
    for (size_t k = 0; k < w.size(); ++k) {
      char a = t_[i_ + k], b = w[k];
      if (a >= 'a' && a <= 'z') a = static_cast<char>(a - 32);
      if (b >= 'a' && b <= 'z') b = static_cast<char>(b - 32);
      if (a != b) return false;
    }
    i_ += w.size();
    return true;
  }

 private:
  std::string_view t_;
  size_t i_ = 0;
};

// A two-digit year in the window [current year - 50, current year + 49].
int windowedYear(int year) {
  const int windowStart = decodeDateTime(now()).year - 50;
  int y = year + windowStart / 100 * 100;
  if (y < windowStart) y += 100;
  return y;
}

bool scanDate(Scanner& s, double& value) {
  s.blanks();
  int n1 = 0, n2 = 0, n3 = 0, len1 = 0, len = 0;
  if (!s.number(n1, len1) || !s.dateSeparator() || !s.number(n2, len)) return false;
  int year = 0, month = 0, day = 0;
  if (s.dateSeparator()) {
    if (!s.number(n3, len)) return false;
    year = len1 <= 2 ? windowedYear(n1) : n1;
    month = n2;
    day = n3;
  } else {  // month and day of the current year
    year = decodeDateTime(now()).year;
    month = n1;
    day = n2;
  }
  return tryEncodeDate(year, month, day, value);
}

bool scanAmPm(Scanner& s, int& hourShift) {
  const FormatSettings& set = formatSettings();
  if (s.wordNoCase("AM") || s.wordNoCase(set.timeAMString)) hourShift = 0;
  else if (s.wordNoCase("PM") || s.wordNoCase(set.timePMString)) hourShift = 12;
  else return false;
  return true;
}

bool scanTime(Scanner& s, double& value) {
  s.blanks();
  int shift = -1;
  if (scanAmPm(s, shift)) s.blanks();
  int hour = 0, minute = 0, second = 0, msec = 0, len = 0;
  const char sep = formatSettings().timeSeparator;
  if (!s.number(hour, len)) return false;
  if (s.character(sep)) {
    if (!s.number(minute, len)) return false;
    if (s.character(sep)) {
      if (!s.number(second, len)) return false;
      if (s.character(formatSettings().decimalSeparator) && !s.number(msec, len)) return false;
    }
  }
  s.blanks();
  if (shift < 0 && scanAmPm(s, shift)) s.blanks();
  if (shift >= 0) {
    if (hour < 1 || hour > 12) return false;
    hour = hour % 12 + shift;
  }
  return tryEncodeTime(hour, minute, second, msec, value);
}

std::string shown(const std::string& text) { return fromCp932(text).toStdString(); }

}  // namespace

bool tryStrToDate(const std::string& text, double& value) {
  Scanner s(text);
  if (!scanDate(s, value)) return false;
  s.blanks();
  return s.atEnd();
}

bool tryStrToTime(const std::string& text, double& value) {
  Scanner s(text);
  if (!scanTime(s, value)) return false;
  return s.atEnd();
}

bool tryStrToDateTime(const std::string& text, double& value) {
  Scanner s(text);
  double date = 0, time = 0;
  if (!scanDate(s, date)) {
    s.rewind(0);
    if (!scanTime(s, time) || !s.atEnd()) return false;
    value = time;
    return true;
  }
  s.blanks();
  if (!s.atEnd() && (!scanTime(s, time) || !s.atEnd())) return false;
  value = combineDateTime(date, time);
  return true;
}

double strToDate(const std::string& text) {
  double v = 0;
  if (!tryStrToDate(text, v)) throw ConvertError("'" + shown(text) + "' は正しい日付ではありません。");
  return v;
}

double strToTime(const std::string& text) {
  double v = 0;
  if (!tryStrToTime(text, v)) throw ConvertError("'" + shown(text) + "' は正しい時刻ではありません。");
  return v;
}

double strToDateTime(const std::string& text) {
  double v = 0;
  if (!tryStrToDateTime(text, v))
    throw ConvertError("'" + shown(text) + "' は正しい日付と時刻ではありません。");
  return v;
}

}  // namespace korvel
