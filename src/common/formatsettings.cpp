#include "common/cp932text.h"
#include "common/formats.h"

namespace korvel {

FormatSettings japaneseFormatSettings() {
  static const char* const months[] = {"1月", "2月", "3月", "4月", "5月", "6月",
                                       "7月", "8月", "9月", "10月", "11月", "12月"};
  static const char* const shortDays[] = {"日", "月", "火", "水", "木", "金", "土"};
  static const char* const longDays[] = {"日曜日", "月曜日", "火曜日", "水曜日",
                                         "木曜日", "金曜日", "土曜日"};
  FormatSettings s;
  s.currencyString = "\\";  // CP932 0x5C: the yen sign of Japanese Windows fonts
  s.currencyFormat = 0;
  s.negCurrFormat = 1;
  s.thousandSeparator = ',';
  s.decimalSeparator = '.';
  s.currencyDecimals = 0;
  s.dateSeparator = '/';
  s.shortDateFormat = "yyyy/mm/dd";
  s.longDateFormat = cp932Text("yyyy\"年\"m\"月\"d\"日\"");
  s.timeSeparator = ':';
  s.timeAMString = cp932Text("午前");
  s.timePMString = cp932Text("午後");
  s.shortTimeFormat = "h:mm";
  s.longTimeFormat = "h:mm:ss";
  s.shortMonthNames = cp932Texts(months);
  s.longMonthNames = cp932Texts(months);
  s.shortDayNames = cp932Texts(shortDays);
  s.longDayNames = cp932Texts(longDays);
  return s;
}

FormatSettings& formatSettings() {
  static FormatSettings settings = japaneseFormatSettings();
  return settings;
}

void resetFormatSettings() { formatSettings() = japaneseFormatSettings(); }

}  // namespace korvel
