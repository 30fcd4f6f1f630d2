#pragma once
// Reformatting of SQL lines ("整形"): long lines are broken in front of the
// keywords " FROM", " WHERE", " GROUP", " AND", " OR", " SELECT", " (" and
// after commas. Keywords and commas inside string literals ('...') and
// double-quoted names are not break points. Lines are CP932 bytes; lengths
// are bytes.

#include <string>
#include <vector>

namespace korvel::sqleditor {

inline constexpr size_t kReformatLineLimit = 55;
inline constexpr int kReformatMaxPasses = 50;

// Breaks lines longer than 55 bytes before the first listed keyword found at
// position 2 or later, else after the first comma at or after position 55.
// With commaBreak every such keyword and every comma before a line's last
// byte breaks the line, whatever its length. Passes repeat (at most 50)
// until one splits nothing; empty lines disappear.
std::vector<std::string> reformatSql(const std::vector<std::string>& lines, bool commaBreak);

}  // namespace korvel::sqleditor
