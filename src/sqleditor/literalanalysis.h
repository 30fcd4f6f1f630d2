#pragma once
// Analysis ("解析") of SQL written in program source as a sum of string
// literals and calls of the SQL literal routines, e.g.
//   'WHERE HIREDATE >= ' + Qz_OraSqlAddSepa(CnsOraDate, '2024/04/01') + ...;
// into the plain SQL it builds. Header lines "//[DataSource]..." and
// "//[TableName]..." carry the alias and the table name. Lines are CP932
// bytes; the result is upper case throughout and every line begins with a
// blank. Comment marks, statement ends and routine names count only outside
// string literals.

#include <optional>
#include <string>
#include <vector>

namespace korvel::sqleditor {

inline constexpr size_t kHeaderValueLimit = 512;

// A routine call whose value the routine cannot render (a time part such as
// '25:99'): the analysis stops there.
struct AnalysisFailure {
  int line = 0;         // 1-based number of the source line
  std::string message;  // the routine's reason, UTF-8
};

struct LiteralAnalysis {
  std::vector<std::string> lines;
  std::optional<std::string> alias;      // from a "//[DataSource" line
  std::optional<std::string> tableName;  // from a "//[TableName" line
  std::optional<AnalysisFailure> failure;  // set: lines, alias and table are empty
};

// Every call of a literal routine on a line is replaced by the literal it
// returns, with the whole text after it kept.
LiteralAnalysis analyseLiteralSql(const std::vector<std::string>& sourceLines);

// Type code for a type constant as written in source ("CnsOraDate" -> "DA");
// anything not listed is a number, "NU".
std::string typeCodeOfConstant(const std::string& constant);

}  // namespace korvel::sqleditor
