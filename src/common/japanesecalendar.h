#pragma once
// Japanese era names and weekday names (the "gg", "e" and "aaa" pattern
// letters). Texts are CP932 bytes.

#include <string>

namespace korvel {

struct EraYear {
  std::string name;       // 平成; empty before Meiji
  std::string shortName;  // 平; empty before Meiji
  int year = 0;           // year of the era; the Gregorian year before Meiji
};

// Eras begin on 1868/09/08 (Meiji), 1912/07/30 (Taisho), 1926/12/25 (Showa),
// 1989/01/08 (Heisei) and 2019/05/01 (Reiwa).
EraYear japaneseEra(int year, int month, int day);

// 1 = Sunday ... 7 = Saturday: 日 ... 土, and 日曜日 ... 土曜日.
const std::string& japaneseShortDayName(int dayOfWeek);
const std::string& japaneseLongDayName(int dayOfWeek);

}  // namespace korvel
