#pragma once
// Analysis ("解析") of SQL written in program source as a sum of string
// literals and calls of the SQL literal routines, e.g.
//   'WHERE HIREDATE >= ' + Qz_OraSqlAddSepa(CnsOraDate, '2024/04/01') + ...;
// into the plain SQL it builds. Header lines "//[DataSource]..." and
// "//[TableName]..." carry the alias and the table name. Lines are CP932
// bytes; the result is upper case throughout and every line begins with a
// blank.

#include <optional>
#include <string>
#include <vector>

namespace korvel::sqleditor {

inline constexpr size_t kHeaderValueLimit = 512;
inline constexpr size_t kRestAfterCallLimit = 128;

struct LiteralAnalysis {
  std::vector<std::string> lines;
  std::optional<std::string> alias;      // from a "//[DataSource" line
  std::optional<std::string> tableName;  // from a "//[TableName" line
};

LiteralAnalysis analyseLiteralSql(const std::vector<std::string>& sourceLines);

// Type code for a type constant as written in source ("CnsOraDate" -> "DA");
// anything not listed is a number, "NU".
std::string typeCodeOfConstant(const std::string& constant);

}  // namespace korvel::sqleditor
