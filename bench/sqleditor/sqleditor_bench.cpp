// Prints how fast the SQL editor's text commands run on large inputs:
// literal analysis, reformatting, find/replace over memo lines and statement
// file write/read. Figures only; nothing is asserted.

#include <sys/resource.h>

#include <QDir>
#include <QStringList>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "common/codepage.h"
#include "sqleditor/literalanalysis.h"
#include "sqleditor/memosearch.h"
#include "sqleditor/sqlreformat.h"
#include "sqleditor/statementfile.h"

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

long peakKb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

void report(const char* what, size_t lines, size_t bytes, double seconds) {
  std::printf("%-28s %9zu lines %8.1f ms %10.0f lines/s %8.1f MB/s\n", what, lines,
              seconds * 1000, lines / seconds, bytes / seconds / 1e6);
}

size_t totalBytes(const std::vector<std::string>& lines) {
  size_t n = 0;
  for (const auto& line : lines) n += line.size() + 2;
  return n;
}

}  // namespace

int main() {
  constexpr int kLines = 100000;
  std::vector<std::string> source;
  source.reserve(kLines);
  for (int i = 0; i < kLines; ++i) {
    switch (i % 4) {
      case 0: source.push_back("'SELECT EMPNO, ENAME, HIREDATE FROM EMP ' +   // list"); break;
      case 1: source.push_back("'WHERE HIREDATE >= ' + Qz_OraSqlAddSepa(CnsOraDate, '2024/04/01') +"); break;
      case 2: source.push_back("'  AND ENAME = ' + Qz_AccSqlAddSepa(CnsOraChar, 'O''Neil') +"); break;
      default: source.push_back("'  AND SAL > ' + Qz_ParaSqlAddSepa(CnsOraNum, '1,234');"); break;
    }
  }

  auto start = Clock::now();
  const auto analysed = korvel::sqleditor::analyseLiteralSql(source);
  report("analysis", source.size(), totalBytes(source), secondsSince(start));

  std::vector<std::string> wide;
  for (int i = 0; i < kLines / 10; ++i)
    wide.push_back("SELECT A, B, C, D, E, F, G, H FROM T WHERE X = 1 AND Y = 2 OR Z = 3 "
                   "GROUP BY A, B, C, D, E, F, G, H, I, J, K, L, M, N, O, P, Q, R, S");
  start = Clock::now();
  const auto reformatted = korvel::sqleditor::reformatSql(wide, false);
  report("reformat", wide.size(), totalBytes(wide), secondsSince(start));
  start = Clock::now();
  korvel::sqleditor::reformatSql(wide, true);
  report("reformat, comma breaks", wide.size(), totalBytes(wide), secondsSince(start));

  QStringList memo;
  for (const auto& line : analysed.lines) memo.append(korvel::fromCp932(line));
  start = Clock::now();
  korvel::sqleditor::findInLines(memo, QStringLiteral("no such text"));
  report("find (no hit)", memo.size(), totalBytes(analysed.lines), secondsSince(start));
  start = Clock::now();
  korvel::sqleditor::replaceInLines(memo, QStringLiteral("EMP"), QStringLiteral("EMP_HISTORY"));
  report("replace", memo.size(), totalBytes(analysed.lines), secondsSince(start));

  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("bench.sql"));
  QString error;
  start = Clock::now();
  korvel::sqleditor::writeStatementFile(path, memo, error);
  report("statement file write", memo.size(), totalBytes(analysed.lines), secondsSince(start));
  start = Clock::now();
  const auto read = korvel::sqleditor::readStatementFile(path);
  report("statement file read", read.lines.size(), totalBytes(analysed.lines), secondsSince(start));

  std::printf("peak memory %ld kB\n", peakKb());
  return 0;
}
