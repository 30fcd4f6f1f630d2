#include "sqleditor/sqlreformat.h"

#include <string_view>

#include "sqleditor/quotedscan.h"

namespace korvel::sqleditor {
namespace {

// In priority order: the first keyword of this list that occurs wins, not
// the leftmost occurrence.
constexpr const char* kKeywords[] = {" FROM", " WHERE", " GROUP", " AND", " OR", " SELECT", " ("};

// A keyword or comma inside a string literal or a double-quoted name is not
// a break point: breaking there would change the literal. Keywords and
// commas are ASCII below 0x40, so a match can never start on a CP932 trail
// byte and a cut never splits a double-byte character.
size_t findBreak(const std::string& text, std::string_view what, size_t minIndex) {
  return findOutsideQuotes(text, what, Quotes::SingleAndDouble, minIndex);
}

// 1-based position at which to split text, or 0.
size_t cutPosition(const std::string& text, bool commaBreak) {
  for (const char* keyword : kKeywords) {
    const size_t at = findBreak(text, keyword, 1);  // position 2 or later
    if (at != std::string::npos) return at + 1;
  }
  size_t comma = std::string::npos;
  if (commaBreak)
    comma = findBreak(text, ",", 0);
  else if (text.size() > kReformatLineLimit)
    comma = findBreak(text, ",", kReformatLineLimit - 1);  // position 55 or later
  if (comma == std::string::npos || comma + 1 == text.size()) return 0;
  return comma + 1;
}

// Splits one line into the output; returns whether it split.
bool splitLine(std::string text, bool commaBreak, std::vector<std::string>& out) {
  bool split = false;
  for (;;) {
    const size_t cut = cutPosition(text, commaBreak);
    if (cut < 2 || !(text.size() > kReformatLineLimit || commaBreak)) break;
    out.push_back(text.substr(0, cut));
    text.erase(0, cut);
    split = true;
  }
  if (!text.empty()) out.push_back(std::move(text));
  return split;
}

}  // namespace

std::vector<std::string> reformatSql(const std::vector<std::string>& lines, bool commaBreak) {
  std::vector<std::string> current = lines;
  bool split = true;
  for (int pass = 0; pass < kReformatMaxPasses && split; ++pass) {
    split = false;
    std::vector<std::string> next;
    next.reserve(current.size());
    for (const std::string& line : current)
      split = splitLine(line, commaBreak, next) || split;
    current = std::move(next);
  }
  return current;
}

}  // namespace korvel::sqleditor
