// Reading a 199-column definition script 10,000 times through the file
// reader and the script parser (lines per second, CPU and wall time, peak
// memory). Never fails on timings.
//
//   bench_tablemake [repetitions]      (default: 10000)

#include <sys/resource.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "common/codepage.h"
#include "tablemake/scriptreader.h"

namespace {

// A script in the form the CREATE TABLE writer produces: 199 columns of
// mixed types with Japanese comments, a key line.
std::string script199() {
  const std::string comment = korvel::toCp932(QStringLiteral("社員の項目"));
  std::string s = "-- 2024/01/05 10:00\r\n-- " + korvel::toCp932(QStringLiteral("ベンチ用")) + "\r\n";
  s += "DROP   TABLE BENCH199 CASCADE CONSTRAINTS;\r\nCREATE TABLE BENCH199 (\r\n";
  const char* types[] = {"VARCHAR2(20)", "NUMBER(9)", "NUMBER(12,2)", "DATE", "NUMBER(4)"};
  for (int i = 1; i <= 199; ++i)
    s += "        COL" + std::to_string(i) + "         " + types[i % 5] + ",  -- " + comment +
         std::to_string(i) + "\r\n";
  s += "CONSTRAINT BENCH199_PRIMARY_KEY PRIMARY KEY ( COL1 )\r\n);\r\n";
  return s;
}

double cpuSeconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

long peakKilobytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv) {
  const int repetitions = argc > 1 ? std::atoi(argv[1]) : 10000;
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("bench199.sql"));
  const std::string text = script199();
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(text.data(), qint64(text.size())) != qint64(text.size())) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return 1;
  }
  file.close();

  long lines = 0;
  size_t columns = 0;
  const double cpu0 = cpuSeconds();
  const auto wall0 = std::chrono::steady_clock::now();
  for (int r = 0; r < repetitions; ++r) {
    const auto def = korvel::ReadScriptDefinition(path, [&](int, int) { ++lines; });
    if (!def) return 1;
    columns = def->columns.size();
  }
  const double cpu = cpuSeconds() - cpu0;
  const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
  std::printf("read a %zu-column script (%zu bytes) %d times: %ld lines\n", columns, text.size(), repetitions, lines);
  std::printf("  CPU %.3f s, wall %.3f s: %.0f lines/s (CPU), %.1f us per script\n", cpu, wall, lines / cpu,
              cpu * 1e6 / repetitions);
  std::printf("  peak memory %ld kB\n", peakKilobytes());
  return 0;
}
