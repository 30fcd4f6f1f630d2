#pragma once
// Test shorthands between UTF-8 literals and CP932 byte lines.

#include <QString>
#include <string>
#include <vector>

#include "common/codepage.h"

inline std::string sj(const char* utf8) { return korvel::toCp932(QString::fromUtf8(utf8)); }

inline std::vector<std::string> sjLines(std::initializer_list<const char*> lines) {
  std::vector<std::string> out;
  for (const char* line : lines) out.push_back(sj(line));
  return out;
}
