// Reading a 199-column definition script 10,000 times through the file
// reader and the script parser (lines per second, CPU and wall time, peak
// memory), then, in the table creation window, reading it into the grid and
// building the table, its 200 comment rows and 5 indexes on SQLite and (with
// KORVEL_TEST_PG set) PostgreSQL. Never fails on timings.
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

#include <QApplication>
#include <QComboBox>
#include <QSqlQuery>
#include <QStatusBar>

#include "common/codepage.h"
#include "db/engine.h"
#include "tablemake/formtblmake.h"
#include "tablemake/scriptreader.h"
#include "ui/scriptedprompt.h"

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
  s += "CONSTRAINT BENCH199_PRIMARY_KEY PRIMARY KEY ( COL1 )\r\n";
  for (int i = 2; i <= 5; ++i)
    s += ",CONSTRAINT BENCH199_IX" + std::to_string(i) + " UNIQUE (COL" + std::to_string(i * 10) + ", COL" +
         std::to_string(i * 10 + 1) + ")\r\n";
  s += ");\r\n";
  return s;
}

double cpuSeconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

long peakKilobytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

double secondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The window reads the script into its grid, then builds table, comment rows and indexes.
void buildInWindow(const QString& alias, const QString& script) {
  korvel::ScriptedPrompt prompt;
  TFormTblMake window;
  window.ComboBox_Alias->setCurrentIndex(window.ComboBox_Alias->findText(alias));
  auto start = std::chrono::steady_clock::now();
  const int loads = 100;
  for (int i = 0; i < loads; ++i) {
    prompt.fileAnswers.push_back(script);
    window.O1Click();
  }
  std::printf("%s: script into the grid %.2f ms\n", qPrintable(alias), secondsSince(start) * 1000 / loads);
  for (int round = 1; round <= 2; ++round) {
    start = std::chrono::steady_clock::now();
    window.ButtonTableMakeClick();
    const double table = secondsSince(start);
    start = std::chrono::steady_clock::now();
    window.ButtonIdxMakeClick();
    const double indexes = secondsSince(start);
    std::printf("%s: %s 199-column table with 200 comment rows %.0f ms, 5 indexes %.0f ms%s\n", qPrintable(alias),
                round == 1 ? "new" : "rebuilt", table * 1000, indexes * 1000,
                prompt.messageCount() ? qPrintable(QStringLiteral(" (messages: ") + prompt.lastMessage() + u')') : "");
  }
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
  QApplication app(argc, argv);
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

  // Aliases in the temporary folder: SQLite, and PostgreSQL when a test server is given.
  const QString database = dir.filePath(QStringLiteral("bench.sqlite"));
  QString aliases = QStringLiteral("[LITE]\nTYPE=SQLITE\nPATH=%1\n").arg(database);
  const QString pg = QString::fromLocal8Bit(qgetenv("KORVEL_TEST_PG"));
  if (!pg.isEmpty()) {
    QMap<QString, QString> p;
    for (const auto& part : pg.split(u' ', Qt::SkipEmptyParts)) p[part.section(u'=', 0, 0)] = part.section(u'=', 1);
    aliases += QStringLiteral("[PG]\nTYPE=POSTGRESQL\nSERVER NAME=%1\nPORT=%2\nDATABASE NAME=%3\nUSER NAME=%4\n"
                              "LOGIN PROMPT=FALSE\n")
                   .arg(p.value("host"), p.value("port"), p.value("dbname"), p.value("user"));
  }
  QFile aliasFile(dir.filePath(QStringLiteral("aliases.ini")));
  if (!aliasFile.open(QIODevice::WriteOnly)) return 1;
  aliasFile.write(aliases.toUtf8());
  aliasFile.close();
  QFile(database).open(QIODevice::WriteOnly);  // an empty file is an empty SQLite database
  qputenv("KORVEL_ALIASES", aliasFile.fileName().toUtf8());
  qputenv("XDG_DATA_HOME", dir.filePath(QStringLiteral("data")).toUtf8());
  korvel::db::Engine::instance().loadAliases();
  buildInWindow(QStringLiteral("LITE"), path);
  if (!pg.isEmpty()) {
    QSqlQuery drop(korvel::db::Engine::instance().connection(QStringLiteral("PG")));
    drop.exec(QStringLiteral("DROP TABLE IF EXISTS \"BENCH199\""));
    drop.exec(QStringLiteral("DELETE FROM \"SysComment\" WHERE \"File Name\" = 'BENCH199'"));
    buildInWindow(QStringLiteral("PG"), path);
    drop.exec(QStringLiteral("DROP TABLE IF EXISTS \"BENCH199\""));
    drop.exec(QStringLiteral("DELETE FROM \"SysComment\" WHERE \"File Name\" = 'BENCH199'"));
  } else {
    std::printf("KORVEL_TEST_PG is not set: PostgreSQL not measured\n");
  }
  korvel::db::Engine::instance().closeConnections();
  return 0;
}
