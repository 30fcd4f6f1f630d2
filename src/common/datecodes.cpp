#include "common/datecodes.h"

#include <QString>
#include <climits>
#include <cmath>

#include "common/codepage.h"
#include "common/cp932text.h"
#include "common/dateparse.h"
#include "common/datetime.h"
#include "common/formats.h"
#include "common/programstate.h"
#include "common/strings.h"

namespace {

long long g_pageCounter = 0;  // wide enough never to overflow in a run

const std::string& kanji(int which) {  // 年 月 日
  static const std::string parts[] = {korvel::cp932Text("年"), korvel::cp932Text("月"),
                                      korvel::cp932Text("日")};
  return parts[which];
}

std::string fdt(const char* pattern, double v) { return korvel::FormatDateTime(pattern, v); }

// yyyy 年 mm 月 dd 日 style forms: each part formatted on its own.
std::string ymd(const char* y, const char* m, const char* d, double v) {
  return fdt(y, v) + kanji(0) + fdt(m, v) + kanji(1) + fdt(d, v) + kanji(2);
}

std::string withWeekday(std::string text, double v) {
  return text + "(" + fdt("aaa", v) + ")";
}

// The forms both routines share; false for a code outside them.
bool renderShared(const std::string& code, double v, std::string& out) {
  if (code == "Cns_GGEEMMDD") out = ymd("ggee", "mm", "dd", v);
  else if (code == "Cns_GGEMD") out = ymd("gge", "m", "d", v);
  else if (code == "Cns_YYYYMMDDW") out = withWeekday(ymd("yyyy", "mm", "dd", v), v);
  else if (code == "Cns_YYYYMDW") out = withWeekday(ymd("yyyy", "m", "d", v), v);
  else if (code == "Cns_YYYYMMDD") out = ymd("yyyy", "mm", "dd", v);
  else if (code == "Cns_YYYYMMDDO") out = fdt("yyyy/mm/dd", v);
  else if (code == "Cns_YYMMDDW") out = withWeekday(ymd("yy", "mm", "dd", v), v);
  else if (code == "Cns_YYMMDD") out = ymd("yy", "mm", "dd", v);
  else if (code == "Cns_YYMMDDO") out = fdt("yy/mm/dd", v);
  else if (code == "Cns_HHMM") out = fdt("hh", v) + ":" + fdt("nn", v);
  else if (code == "Cns_HHMMSS") out = fdt("hh", v) + ":" + fdt("nn", v) + ":" + fdt("ss", v);
  else return false;
  return true;
}

std::string pad2(int v) { return v < 10 && v >= 0 ? "0" + std::to_string(v) : std::to_string(v); }

// StrToIntDef for a digits-only text: the default when empty or too large.
int intOr(const std::string& digits, int fallback) {
  if (digits.empty()) return fallback;
  long long v = 0;
  for (char c : digits) {
    v = v * 10 + (c - '0');
    if (v > INT_MAX) return fallback;
  }
  return static_cast<int>(v);
}

// The date text to parse, or empty when the input has an unusable shape.
std::string buildDateText(const std::string& text) {
  const korvel::DateTimeParts today = korvel::decodeDateTime(korvel::now());
  const std::string thisYear = std::to_string(today.year) + "/";
  const std::string decemberYear =
      today.month == 1 ? std::to_string(today.year - 1) + "/" : thisYear;
  int pos = 1;
  const std::string p1 = Qz_DigitsOnly(Qz_GetItem(text, pos, '/'));
  const std::string p2 = Qz_DigitsOnly(Qz_GetItem(text, pos, '/'));
  const std::string p3 = Qz_DigitsOnly(Qz_GetItem(text, pos, '/'));
  if (!p3.empty())
    return std::to_string(intOr(p1, 0)) + "/" + pad2(intOr(p2, 0)) + "/" +
           pad2(intOr(p3.substr(0, 2), 0));
  if (!p2.empty())
    return (intOr(p1, 1) == 12 ? decemberYear : thisYear) + pad2(intOr(p1, 0)) + "/" +
           pad2(intOr(p2, 1));
  const std::string d = Qz_DigitsOnly(text);
  const std::string monthPrefix = thisYear + pad2(today.month) + "/";
  switch (d.size()) {
    case 8: return d.substr(0, 4) + "/" + d.substr(4, 2) + "/" + d.substr(6, 2);
    case 6: return d.substr(0, 2) + "/" + d.substr(2, 2) + "/" + d.substr(4, 2);
    case 4:
      return (d.substr(0, 2) == "12" ? decemberYear : thisYear) + d.substr(0, 2) + "/" +
             d.substr(2, 2);
    case 3: return thisYear + d.substr(0, 1) + "/" + d.substr(1, 2);
    case 2: return monthPrefix + d;
    case 1: return monthPrefix + "0" + d;
    default: return {};
  }
}

// A year 1..49 (only a three- or four-digit year gives one) means 2001..2049:
// "0030/04/01" is 2030/04/01. Moving the year keeps month, day and time, and
// y and y + 2000 are leap years alike.
double shiftEarlyCentury(double value) {
  const korvel::DateTimeParts p = korvel::decodeDateTime(value);
  if (p.year > 49) return value;
  const double time = std::fabs(value - std::trunc(value));
  return korvel::combineDateTime(korvel::encodeDate(p.year + 2000, p.month, p.day), time);
}

// The date and time parts of a date-time text; either may be empty. Leading
// blanks are skipped first, and the time part is what follows the first item,
// so " 1996/01/05 10:30" splits like "1996/01/05 10:30".
void splitDateTime(const std::string& text, std::string& datePart, std::string& timePart) {
  const std::string trimmed = Qz_TrimLeft(text);
  int pos = 1;
  const std::string first = Qz_GetItem(trimmed, pos, ' ');
  datePart.clear();
  timePart.clear();
  if (first.find(':') != std::string::npos) {
    timePart = first;
    return;
  }
  datePart = first;
  const size_t after = static_cast<size_t>(pos - 1);
  const std::string rest = after < trimmed.size() ? trimmed.substr(after) : "";
  if (rest.find(':') != std::string::npos) timePart = rest;
}

}  // namespace

double Qz_StrToDateY2K(const std::string& text) {
  return shiftEarlyCentury(korvel::strToDate(text));
}

double Qz_StrToDateTimeY2K(const std::string& text) {
  return shiftEarlyCentury(korvel::strToDateTime(text));
}

double Qz_ParseDate(const std::string& text) {
  EditorResult = QStringLiteral("ERROR");
  const double fallback = korvel::encodeDate(2000, 1, 1);
  if (text.empty()) return fallback;
  const std::string built = buildDateText(text);
  if (built.empty()) return fallback;
  double value = 0;
  if (!korvel::tryStrToDate(built, value)) return fallback;
  EditorResult = QStringLiteral("OK");
  return shiftEarlyCentury(value);
}

double Qz_ParseDateTime(const std::string& text) {
  std::string datePart, timePart;
  splitDateTime(text, datePart, timePart);
  double value = 0;
  if (!datePart.empty()) value = Qz_ParseDate(datePart);
  if (!timePart.empty()) value = korvel::combineDateTime(value, korvel::strToTime(timePart));
  return value;
}

std::string Qz_CnsText(const std::string& code) {
  if (code == "Cns_PAGE") {
    ++g_pageCounter;
    std::string n = std::to_string(g_pageCounter);
    return n.size() < 3 ? std::string(3 - n.size(), '0') + n : n;
  }
  const double v = korvel::now();
  std::string out;
  if (renderShared(code, v, out)) return out;
  if (code == "Cns_YYMMDDOHHMMSS") return fdt("yy/mm/dd hh:nn:ss", v);
  if (code == "Cns_YYMMDDOHHMM") return fdt("yy/mm/dd hh:nn", v);
  return code;
}

std::string Qz_DateToCnsText(const std::string& text, const std::string& code) {
  if (text.empty()) return {};
  const double value = Qz_ParseDateTime(text);
  std::string out;
  korvel::renderGivenCode(code, value, out);
  return out;
}

namespace korvel {

long long pageCounter() { return g_pageCounter; }

bool renderGivenCode(const std::string& code, double value, std::string& out) {
  out.clear();
  if (renderShared(code, value, out)) return true;
  if (code == "Cns_YYYYMMDDHHMMSSO") {
    out = fdt("yyyy/mm/dd hh:nn:ss", value);
    return true;
  }
  return false;
}

double parseDateTimeOrThrow(const std::string& text) {
  std::string datePart, timePart;
  splitDateTime(text, datePart, timePart);
  double value = 0;
  if (!datePart.empty()) {
    value = Qz_ParseDate(datePart);
    if (EditorResult == QLatin1String("ERROR"))
      throw ConvertError("'" + fromCp932(text).toStdString() + "' は正しい日付ではありません。");
  }
  if (!timePart.empty()) value = combineDateTime(value, strToTime(timePart));
  return value;
}

}  // namespace korvel
