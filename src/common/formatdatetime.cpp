// FormatDateTime: date-time patterns over the day-count value.
//   y yy yyyy  m mm mmm mmmm  d dd ddd dddd ddddd(short date) dddddd(long date)
//   h hh  n nn  s ss  z zzz  t(short time) tt(long time)  c(short date + long time)
//   am/pm a/p ampm  e ee(era year)  g gg(era name)  aaa aaaa(Japanese weekday)
//   / and : (the settings' separators), 'quoted' and "quoted" text.
// Letters are case-insensitive; m right after an hour means minutes; other
// bytes and double-byte characters are copied.

#include <algorithm>
#include <string_view>

#include "common/datetime.h"
#include "common/formats.h"
#include "common/japanesecalendar.h"
#include "common/leadbyte.h"

namespace korvel {
namespace {

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool startsWithNoCase(std::string_view t, size_t i, std::string_view word) {
  if (t.size() - i < word.size()) return false;
  for (size_t k = 0; k < word.size(); ++k)
    if (lower(t[i + k]) != word[k]) return false;
  return true;
}

std::string padded(int value, int width) {
  std::string s = std::to_string(value);
  if (static_cast<int>(s.size()) < width) s.insert(0, static_cast<size_t>(width) - s.size(), '0');
  return s;
}

// Skips a quoted run starting at i; returns the index after it.
size_t skipQuoted(std::string_view t, size_t i) {
  const size_t close = t.find(t[i], i + 1);
  return close == std::string_view::npos ? t.size() : close + 1;
}

// An hour shows 12-hour when an am/pm marker follows later in the pattern.
bool amPmFollows(std::string_view t, size_t i) {
  while (i < t.size()) {
    if (t[i] == '\'' || t[i] == '"') { i = skipQuoted(t, i); continue; }
    if (isLeadByte(t[i])) { i += 2; continue; }
    if (startsWithNoCase(t, i, "am/pm") || startsWithNoCase(t, i, "a/p") ||
        startsWithNoCase(t, i, "ampm"))
      return true;
    ++i;
  }
  return false;
}

class DateTimeWriter {
 public:
  DateTimeWriter(const FormatSettings& s, double value)
      : s_(s), p_(decodeDateTime(value)), hasTime_(p_.hour || p_.minute || p_.second || p_.msec) {}

  void append(std::string_view pattern, int level);
  std::string take() { return std::move(out_); }

 private:
  void letter(std::string_view t, size_t& i, int level);
  void amPm(std::string_view t, size_t& i);
  void nested(const std::string& pattern, int level);

  const FormatSettings& s_;
  DateTimeParts p_;
  bool hasTime_;
  std::string out_;
  char lastLetter_ = 0;
  bool twelveHour_ = false;
};

// Formats held in the settings may name each other; two levels are enough
// and stop a setting that names itself from recursing for ever.
void DateTimeWriter::nested(const std::string& pattern, int level) {
  if (level < 2) append(pattern, level + 1);
}

void DateTimeWriter::amPm(std::string_view t, size_t& i) {
  const bool pm = p_.hour >= 12;
  if (startsWithNoCase(t, i, "am/pm")) {
    out_.append(t.substr(i + (pm ? 3 : 0), 2));
    i += 5;
  } else if (startsWithNoCase(t, i, "a/p")) {
    out_ += t[i + (pm ? 2 : 0)];
    i += 3;
  } else {  // ampm
    out_ += pm ? s_.timePMString : s_.timeAMString;
    i += 4;
  }
}

void DateTimeWriter::letter(std::string_view t, size_t& i, int level) {
  const char c = lower(t[i]);
  size_t n = 1;
  while (i + n < t.size() && lower(t[i + n]) == c) ++n;
  const int count = static_cast<int>(std::min<size_t>(n, 6));
  const bool minutes = c == 'm' && lastLetter_ == 'h' && count <= 2;
  i += n;
  switch (c) {
    case 'y': out_ += count <= 2 ? padded(p_.year % 100, 2) : padded(p_.year, 4); break;
    case 'm':
      if (minutes) out_ += padded(p_.minute, count == 2 ? 2 : 0);
      else if (count <= 2) out_ += padded(p_.month, count);
      else out_ += (count == 3 ? s_.shortMonthNames : s_.longMonthNames)[static_cast<size_t>(p_.month - 1)];
      break;
    case 'd':
      if (count <= 2) out_ += padded(p_.day, count);
      else if (count == 3) out_ += s_.shortDayNames[static_cast<size_t>(p_.dayOfWeek - 1)];
      else if (count == 4) out_ += s_.longDayNames[static_cast<size_t>(p_.dayOfWeek - 1)];
      else nested(count == 5 ? s_.shortDateFormat : s_.longDateFormat, level);
      break;
    case 'h': {
      twelveHour_ = amPmFollows(t, i);
      int h = p_.hour;
      if (twelveHour_) h = h % 12 == 0 ? 12 : h % 12;
      out_ += padded(h, count >= 2 ? 2 : 0);
      break;
    }
    case 'n': out_ += padded(p_.minute, count >= 2 ? 2 : 0); break;
    case 's': out_ += padded(p_.second, count >= 2 ? 2 : 0); break;
    case 'z': out_ += padded(p_.msec, count >= 3 ? 3 : 0); break;
    case 't': nested(count == 1 ? s_.shortTimeFormat : s_.longTimeFormat, level); break;
    case 'c':
      for (int k = 0; k < count; ++k) {
        nested(s_.shortDateFormat, level);
        if (hasTime_) {
          out_ += ' ';
          nested(s_.longTimeFormat, level);
        }
      }
      break;
    case 'e': {
      const EraYear era = japaneseEra(p_.year, p_.month, p_.day);
      out_ += padded(era.year, count >= 2 ? 2 : 0);
      break;
    }
    case 'g': {
      const EraYear era = japaneseEra(p_.year, p_.month, p_.day);
      out_ += count == 1 ? era.shortName : era.name;
      break;
    }
    default: out_.append(t.substr(i - n, n)); break;
  }
  lastLetter_ = c;
}

void DateTimeWriter::append(std::string_view t, int level) {
  for (size_t i = 0; i < t.size();) {
    const char c = t[i];
    const char lc = lower(c);
    if (isLeadByte(c)) {
      const size_t len = i + 1 < t.size() ? 2 : 1;
      out_.append(t.substr(i, len));
      i += len;
    } else if (c == '\'' || c == '"') {
      const size_t end = skipQuoted(t, i);
      const size_t innerEnd = end > i + 1 && t[end - 1] == c ? end - 1 : end;
      out_.append(t.substr(i + 1, innerEnd - i - 1));
      i = end;
    } else if (c == '/') {
      out_ += s_.dateSeparator;
      ++i;
    } else if (c == ':') {
      out_ += s_.timeSeparator;
      ++i;
    } else if (lc == 'a' && (startsWithNoCase(t, i, "am/pm") || startsWithNoCase(t, i, "a/p") ||
                             startsWithNoCase(t, i, "ampm"))) {
      amPm(t, i);
      lastLetter_ = 'a';
    } else if (lc == 'a' && startsWithNoCase(t, i, "aaa")) {
      const bool full = startsWithNoCase(t, i, "aaaa");
      out_ += full ? japaneseLongDayName(p_.dayOfWeek) : japaneseShortDayName(p_.dayOfWeek);
      i += full ? 4 : 3;
      lastLetter_ = 'a';
    } else if (std::string_view("ymdhnsztceg").find(lc) != std::string_view::npos) {
      letter(t, i, level);
    } else {
      out_ += c;
      ++i;
    }
  }
}

}  // namespace

std::string FormatDateTime(const std::string& pattern, double dateTime,
                           const FormatSettings& settings) {
  DateTimeWriter writer(settings, dateTime);
  writer.append(pattern.empty() ? std::string_view("c") : std::string_view(pattern), 0);
  return writer.take();
}

std::string FormatDateTime(const std::string& pattern, double dateTime) {
  return FormatDateTime(pattern, dateTime, formatSettings());
}

}  // namespace korvel
