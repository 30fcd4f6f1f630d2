#include "sqleditor/literalanalysis.h"

#include "common/sqlliterals.h"
#include "common/strings.h"

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

// The value a source argument stands for: a quoted literal loses its quotes
// and its doubled quotes become single; any other expression stays as text.
std::string argumentValue(const std::string& argument) {
  if (argument.size() >= 2 && argument.front() == '\'' && argument.back() == '\'')
    return Qz_ReplaceAll(Qz_Unquote(argument), "''", "'");
  return argument;
}

// Replaces the first call of the routine in the line by the literal it
// returns. The literal is written back as a quoted source literal so that the
// token pass restores it unchanged, quotes included.
std::string expandCall(const std::string& line, const RoutineEntry& entry) {
  const long k = posFrom(line, entry.name, 1);
  if (k == 0) return line;
  const long p = posFrom(line, "(", k);
  const long q = posFrom(line, ",", p);
  const long r = posFrom(line, ")", p);
  const std::string before = copyBytes(line, 1, k - 1);
  const std::string code =
      typeCodeOfConstant(Qz_DelBlanks(Qz_Unquote(copyBytes(line, p + 1, q - p - 1))));
  const std::string value =
      argumentValue(Qz_TrimRight(Qz_TrimLeft(copyBytes(line, q + 1, r - q - 1))));
  const std::string rest = Qz_SubBytes(line, static_cast<int>(r + 1),
                                       static_cast<int>(kRestAfterCallLimit));
  return before + " " + Qz_QuoteSgl(entry.routine(code, value)) + " " + rest;
}

// A header line's value: the text after the first "]" (the whole line when
// there is none), at most 512 bytes.
std::string headerValue(const std::string& line) {
  const long close = posFrom(line, "]", 1);
  const std::string value = close > 0 ? copyBytes(line, close + 1, static_cast<long>(line.size())) : line;
  return Qz_SubBytes(value, 1, static_cast<int>(kHeaderValueLimit));
}

// Cuts the line in front of its first "//" (a comment), then in front of its
// first ";" (the end of the statement).
std::string cutSourceLine(const std::string& line) {
  std::string text = line;
  for (const char* mark : {"//", ";"}) {
    const long at = posFrom(text, mark, 1);
    if (at > 0) text = copyBytes(text, 1, at - 1);
  }
  return text;
}

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
  std::vector<std::string> listA;
  for (const std::string& source : sourceLines) {
    const std::string line = Qz_UpperHalf(source);
    if (line.compare(0, 3, "//[") != 0) {
      Qz_AddItem(line, listA);
      continue;
    }
    const std::string value = headerValue(line);
    if (value.empty()) continue;
    if (posFrom(line, "//[DATASOURCE", 1) > 0) result.alias = value;
    if (posFrom(line, "//[TABLENAME", 1) > 0) result.tableName = value;
  }

  std::vector<std::string> listB;
  for (const std::string& line : listA) {
    std::string expanded = line;
    for (const RoutineEntry& entry : kRoutines) expanded = expandCall(expanded, entry);
    Qz_AddItem(expanded, listB);
  }

  listA.clear();
  for (const std::string& line : listB) Qz_AddItem(cutSourceLine(line), listA);

  for (const std::string& line : listA) {
    std::vector<std::string> tokens;
    Qz_SplitTokens(line, tokens);
    if (!tokens.empty()) result.lines.push_back(joinTokens(tokens));
  }
  return result;
}

}  // namespace korvel::sqleditor
