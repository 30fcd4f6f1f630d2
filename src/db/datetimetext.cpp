#include "db/datetimetext.h"

namespace korvel::db {
namespace {

// A left-to-right reader over the text.
class Scanner {
 public:
  explicit Scanner(QStringView text) : text_(text) {}

  bool atEnd() const { return pos_ >= text_.size(); }
  QChar peek() const { return atEnd() ? QChar() : text_[pos_]; }
  bool take(QChar c) {
    if (peek() != c) return false;
    ++pos_;
    return true;
  }
  void skipSpaces() {
    while (!atEnd() && text_[pos_].isSpace()) ++pos_;
  }
  // Between minDigits and maxDigits ASCII digits as a number; -1 when fewer.
  int number(int minDigits, int maxDigits) {
    qsizetype start = pos_;
    int value = 0;
    while (!atEnd() && pos_ - start < maxDigits && text_[pos_] >= u'0' && text_[pos_] <= u'9')
      value = value * 10 + (text_[pos_++].unicode() - u'0');
    if (pos_ - start < minDigits) {
      pos_ = start;
      return -1;
    }
    return value;
  }
  QString digits() {
    const qsizetype start = pos_;
    while (!atEnd() && text_[pos_] >= u'0' && text_[pos_] <= u'9') ++pos_;
    return text_.mid(start, pos_ - start).toString();
  }
  qsizetype pos() const { return pos_; }
  void reset(qsizetype pos) { pos_ = pos; }
  QStringView rest() const { return text_.mid(pos_); }

 private:
  QStringView text_;
  qsizetype pos_ = 0;
};

bool isDateSeparator(QChar c) { return c == u'-' || c == u'/' || c == u'.'; }

// YYYY-MM-DD with '-', '/' or '.', month and day of one or two digits, a
// year of any length up to nine digits; or eight digits YYYYMMDD.
bool readDate(Scanner& in, DateTimeText& out) {
  const qsizetype start = in.pos();
  const QString all = in.digits();
  if (all.size() == 8 && !isDateSeparator(in.peek())) {
    out.year = all.left(4).toInt();
    out.month = all.mid(4, 2).toInt();
    out.day = all.mid(6, 2).toInt();
    return true;
  }
  in.reset(start);
  out.year = in.number(1, 9);
  const QChar separator = in.peek();
  if (out.year < 0 || !isDateSeparator(separator)) return false;
  in.take(separator);
  out.month = in.number(1, 2);
  if (out.month < 0 || !in.take(separator)) return false;
  out.day = in.number(1, 2);
  return out.day >= 0;
}

// h:mm[:ss[.fraction]]
bool readTime(Scanner& in, DateTimeText& out) {
  out.hour = in.number(1, 2);
  if (out.hour < 0 || !in.take(u':')) return false;
  out.minute = in.number(2, 2);
  if (out.minute < 0) return false;
  if (in.take(u':')) {
    out.second = in.number(2, 2);
    if (out.second < 0) return false;
    if (in.take(u'.') || in.take(u',')) {
      out.fraction = in.digits();
      if (out.fraction.isEmpty()) return false;
    }
  }
  return true;
}

// Z, or +hh, +hhmm, +hh:mm, +hh:mm:ss (or -). False, and nothing taken,
// when there is none.
bool readZone(Scanner& in) {
  if (in.take(u'Z') || in.take(u'z')) return true;
  const qsizetype start = in.pos();
  if (!in.take(u'+') && !in.take(u'-')) return false;
  if (in.number(2, 2) < 0) {
    in.reset(start);
    return false;
  }
  for (int part = 0; part < 2; ++part) {
    const qsizetype before = in.pos();
    in.take(u':');
    if (in.number(2, 2) < 0) {
      in.reset(before);
      break;
    }
  }
  return true;
}

// An era written after the value: " BC" or " AD".
bool readEra(Scanner& in, DateTimeText& out) {
  in.skipSpaces();
  if (in.atEnd()) return true;
  const QStringView rest = in.rest();
  if (rest.compare(u"BC", Qt::CaseInsensitive) == 0) out.bc = true;
  else if (rest.compare(u"AD", Qt::CaseInsensitive) != 0) return false;
  in.reset(in.pos() + 2);
  return true;
}

bool validTime(const DateTimeText& v) {
  if (v.hour == 24) return v.minute == 0 && v.second == 0 && v.fraction.count(u'0') == v.fraction.size();
  return v.hour < 24 && v.minute < 60 && v.second <= 60;
}

}  // namespace

QDate DateTimeText::date() const {
  if (!hasDate || year <= 0) return {};
  return QDate(bc ? -year : year, month, day);
}

QTime DateTimeText::time() const {
  if (!hasTime || hour > 23 || second > 59) return {};
  const int msec = fraction.isEmpty() ? 0 : (fraction + QStringLiteral("00")).left(3).toInt();
  return QTime(hour, minute, second, msec);
}

std::optional<DateTimeText> parseDateTimeText(QStringView text, DateTimePart part) {
  const QStringView trimmed = text.trimmed();
  Scanner in(trimmed);
  DateTimeText v;
  if (part != DateTimePart::Time) {
    if (!readDate(in, v)) return std::nullopt;
    v.hasDate = true;
    if (!v.date().isValid()) return std::nullopt;
  }
  if (part == DateTimePart::DateTime) {
    const qsizetype afterDate = in.pos();
    if (in.take(u'T') || in.take(u't')) v.separator = u'T';
    else in.skipSpaces();
    DateTimeText withTime = v;
    if (readTime(in, withTime)) v = withTime;
    else in.reset(afterDate);  // the date alone: midnight
    v.hasTime = true;
  } else if (part == DateTimePart::Time) {
    if (!readTime(in, v)) return std::nullopt;
    v.hasTime = true;
  }
  if (v.hasTime && !validTime(v)) return std::nullopt;
  if (part != DateTimePart::Date) {
    // The zone follows the time directly or after blanks.
    const qsizetype afterTime = in.pos();
    in.skipSpaces();
    const qsizetype zoneStart = in.pos();
    if (readZone(in)) v.zone = trimmed.mid(zoneStart, in.pos() - zoneStart).toString();
    else in.reset(afterTime);
  }
  if (part != DateTimePart::Time && !readEra(in, v)) return std::nullopt;
  if (!in.atEnd()) return std::nullopt;
  return v;
}

DateTimeText dateTimeTextOf(const QDate& date) {
  DateTimeText v;
  if (!date.isValid()) return v;
  v.hasDate = true;
  v.bc = date.year() < 0;
  v.year = v.bc ? -date.year() : date.year();
  v.month = date.month();
  v.day = date.day();
  return v;
}

DateTimeText dateTimeTextOf(const QTime& time) {
  DateTimeText v;
  if (!time.isValid()) return v;
  v.hasTime = true;
  v.hour = time.hour();
  v.minute = time.minute();
  v.second = time.second();
  if (time.msec()) v.fraction = QStringLiteral("%1").arg(time.msec(), 3, 10, QLatin1Char('0'));
  return v;
}

DateTimeText dateTimeTextOf(const QDateTime& dateTime) {
  DateTimeText v = dateTimeTextOf(dateTime.date());
  const DateTimeText t = dateTimeTextOf(dateTime.time());
  v.hasTime = t.hasTime;
  v.hour = t.hour;
  v.minute = t.minute;
  v.second = t.second;
  v.fraction = t.fraction;
  return v;
}

QString isoText(const DateTimeText& v, DateTimePart part) {
  const auto two = [](int n) { return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')); };
  QString text;
  if (part != DateTimePart::Time) {
    text = QStringLiteral("%1-%2-%3").arg(v.year, 4, 10, QLatin1Char('0')).arg(two(v.month), two(v.day));
    if (part == DateTimePart::DateTime) text += v.separator;
  }
  if (part != DateTimePart::Date) {
    text += two(v.hour) + u':' + two(v.minute) + u':' + two(v.second);
    if (!v.fraction.isEmpty()) text += u'.' + v.fraction;
    text += v.zone;
  }
  if (part != DateTimePart::Time && v.bc) text += QStringLiteral(" BC");
  return text;
}

}  // namespace korvel::db
