#include "common/japanesecalendar.h"

#include <array>
#include <iterator>

#include "common/cp932text.h"

namespace korvel {
namespace {

struct Era {
  int year, month, day;
  const char* name;
  const char* shortName;
};

// Newest first, so the first era that has begun is the one in force.
const Era kEras[] = {
    {2019, 5, 1, "令和", "令"},  {1989, 1, 8, "平成", "平"},
    {1926, 12, 25, "昭和", "昭"}, {1912, 7, 30, "大正", "大"},
    {1868, 9, 8, "明治", "明"},
};

const std::string& pick(const std::array<std::string, 7>& list, int dayOfWeek) {
  static const std::string empty;
  return dayOfWeek >= 1 && dayOfWeek <= 7 ? list[static_cast<size_t>(dayOfWeek - 1)] : empty;
}

}  // namespace

EraYear japaneseEra(int year, int month, int day) {
  // Converted once: the generator formats many dates in a loop.
  static const auto converted = [] {
    std::array<EraYear, std::size(kEras)> out;
    for (size_t i = 0; i < out.size(); ++i)
      out[i] = {cp932Text(kEras[i].name), cp932Text(kEras[i].shortName), 0};
    return out;
  }();
  const long key = year * 10000L + month * 100L + day;
  for (size_t i = 0; i < converted.size(); ++i) {
    const Era& e = kEras[i];
    if (key >= e.year * 10000L + e.month * 100L + e.day) {
      EraYear result = converted[i];
      result.year = year - e.year + 1;
      return result;
    }
  }
  return {{}, {}, year};
}

const std::string& japaneseShortDayName(int dayOfWeek) {
  static const char* const utf8[7] = {"日", "月", "火", "水", "木", "金", "土"};
  static const auto list = cp932Texts(utf8);
  return pick(list, dayOfWeek);
}

const std::string& japaneseLongDayName(int dayOfWeek) {
  static const char* const utf8[7] = {"日曜日", "月曜日", "火曜日", "水曜日",
                                      "木曜日", "金曜日", "土曜日"};
  static const auto list = cp932Texts(utf8);
  return pick(list, dayOfWeek);
}

}  // namespace korvel
