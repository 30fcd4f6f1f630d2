#include "sqleditor/literalanalysis.h"

#include <algorithm>
#include <string_view>

#include "common/datetime.h"
#include "common/sqlliterals.h"
#include "common/strings.h"
#include "sqleditor/quotedscan.h"

namespace korvel::sqleditor {
namespace {

using LiteralRoutine = std::string (*)(const std::string& type, const std::string& value);

struct RoutineEntry {
  const char* name;  // upper case, as compared against the upper-cased line
  LiteralRoutine routine;
};

const RoutineEntry kRoutines[] = {
    {"QZ_ACCSQLADDSEPA",
     [](const std::string& t, const std::string& v) -> std::string { return Qz_AccSqlAddSepa(t, v); }},
    {"QZ_ORASQLADDSEPA",
     [](const std::string& t, const std::string& v) -> std::string { return Qz_OraSqlAddSepa(t, v); }},
    {"QZ_PARASQLADDSEPA",
     [](const std::string& t, const std::string& v) -> std::string { return Qz_ParaSqlAddSepa(t, v); }},
};

// Bytes start .. start+count-1 (1-based) as far as they exist; empty for a
// count below 1. Positions here stand on ASCII delimiters, so no double-byte
// character is split.
std::string copyBytes(const std::string& text, long start, long count) {
  if (start < 1) {
    count += start - 1;
    start = 1;
  }
  if (count < 1 || start > static_cast<long>(text.size())) return {};
  return text.substr(static_cast<size_t>(start - 1), static_cast<size_t>(count));
}

// 1-based position of sub at or after from (a from below 1 searches from the
// start); 0 when absent.
long posFrom(const std::string& text, const std::string& sub, long from) {
  return Qz_PosFrom(text, sub, from < 1 ? 1 : static_cast<int>(from));
}

constexpr size_t kNone = std::string_view::npos;

size_t findInSource(std::string_view text, std::string_view what, size_t minIndex = 0) {
  return findOutsideQuotes(text, what, Quotes::Single, minIndex);
}

// The value a source argument stands for: a quoted literal loses its quotes
// and its doubled quotes become single; any other expression stays as text.
std::string argumentValue(const std::string& argument) {
  if (argument.size() >= 2 && argument.front() == '\'' && argument.back() == '\'')
    return Qz_ReplaceAll(Qz_Unquote(argument), "''", "'");
  return argument;
}

// The earliest routine name at or after index `from`, outside literals;
// `from` must itself lie outside literals.
const RoutineEntry* nextRoutineName(std::string_view line, size_t from, size_t& at) {
  const RoutineEntry* found = nullptr;
  at = kNone;
  for (const RoutineEntry& entry : kRoutines) {
    const size_t k = findInSource(line.substr(from), entry.name);
    if (k != kNone && from + k < at) {
      at = from + k;
      found = &entry;
    }
  }
  return found;
}

// Replaces every call of a routine in the line by the literal it returns,
// from left to right. The literal is written back as a quoted source literal
// so that the token pass restores it unchanged, quotes included, and so that
// the search for the next call steps over it. A name without its "(", ","
// and ")" is left as it stands. Raises ConvertError when a routine cannot
// render its value.
std::string expandCalls(std::string line) {
  size_t from = 0;
  size_t k = 0;
  while (const RoutineEntry* entry = nextRoutineName(line, from, k)) {
    const size_t nameEnd = k + std::char_traits<char>::length(entry->name);
    const std::string_view tail = std::string_view(line).substr(nameEnd);
    const size_t p = findInSource(tail, "(");
    const size_t q = p == kNone ? kNone : findInSource(tail, ",", p + 1);
    const size_t r = q == kNone ? kNone : findInSource(tail, ")", q + 1);
    if (r == kNone) {
      from = nameEnd;
      continue;
    }
    const std::string code =
        typeCodeOfConstant(Qz_DelBlanks(Qz_Unquote(tail.substr(p + 1, q - p - 1))));
    const std::string value =
        argumentValue(Qz_TrimRight(Qz_TrimLeft(tail.substr(q + 1, r - q - 1))));
    const std::string literal = " " + Qz_QuoteSgl(entry->routine(code, value)) + " ";
    line = line.substr(0, k) + literal + std::string(tail.substr(r + 1));
    from = k + literal.size();
  }
  return line;
}

// A header line's value: the text after the first "]" (the whole line when
// there is none), at most 512 bytes.
std::string headerValue(const std::string& line) {
  const long close = posFrom(line, "]", 1);
  const std::string value = close > 0 ? copyBytes(line, close + 1, static_cast<long>(line.size())) : line;
  return Qz_SubBytes(value, 1, static_cast<int>(kHeaderValueLimit));
}

// Cuts the line in front of its first "//" (a comment) or ";" (the end of
// the statement), whichever comes first outside the string literals.
std::string cutSourceLine(const std::string& line) {
  const size_t end = std::min(findInSource(line, "//"), findInSource(line, ";"));
  return end == kNone ? line : line.substr(0, end);
}

// Qz_AddItem's rule for one line: an empty line stands as "---".
std::string itemText(std::string line) { return line.empty() ? "---" : line; }

// Joins the line's literals and expressions: literals unquoted, "+" and
// "//" comments dropped, each piece after a blank.
std::string joinTokens(const std::vector<std::string>& tokens) {
  std::string out;
  for (const std::string& token : tokens) {
    if (token.empty()) continue;
    if (token.front() == '\'')
      out += " " + Qz_Unquote(token);
    else if (token.size() > 2 && token.compare(0, 2, "//") == 0)
      continue;
    else if (token != "+")
      out += " " + token;
  }
  return out;
}

}  // namespace

std::string typeCodeOfConstant(const std::string& constant) {
  static const std::pair<const char*, const char*> kConstants[] = {
      {"CNSORABOOL", "BL"}, {"CNSORADATE", "DA"}, {"CNSORADATETIME", "DT"},
      {"CNSORATIME", "TI"}, {"CNSORACHAR", "CH"}};
  const std::string upper = Qz_UpperHalf(constant);
  for (const auto& [name, code] : kConstants)
    if (upper == name) return code;
  return "NU";
}

LiteralAnalysis analyseLiteralSql(const std::vector<std::string>& sourceLines) {
  LiteralAnalysis result;
  for (size_t i = 0; i < sourceLines.size(); ++i) {
    const std::string line = Qz_UpperHalf(sourceLines[i]);
    if (line.compare(0, 3, "//[") == 0) {
      const std::string value = headerValue(line);
      if (value.empty()) continue;
      if (posFrom(line, "//[DATASOURCE", 1) > 0) result.alias = value;
      if (posFrom(line, "//[TABLENAME", 1) > 0) result.tableName = value;
      continue;
    }
    std::string expanded;
    try {
      expanded = itemText(expandCalls(itemText(line)));
    } catch (const ConvertError& error) {
      return {{}, {}, {}, AnalysisFailure{static_cast<int>(i) + 1, error.what()}};
    }
    std::vector<std::string> tokens;
    Qz_SplitTokens(itemText(cutSourceLine(expanded)), tokens);
    if (!tokens.empty()) result.lines.push_back(joinTokens(tokens));
  }
  return result;
}

}  // namespace korvel::sqleditor
