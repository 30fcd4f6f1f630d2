// Test data generation through the main window, side by side with the
// sqlite3 shell inserting the same rows in one transaction; with
// KORVEL_TEST_PG set, the same generation into a PostgreSQL table; and
// opening a 1,000,000-row table to its first screen. Prints figures (wall
// and CPU times: the machine may be shared); asserts nothing.
//
//   bench_testdata [rows=100000] [bigRows=1000000] [pgRows=5000]

#include <sys/resource.h>
#include <time.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <cstdio>

#include "controls/combogrid.h"
#include "controls/numedit.h"
#include "db/engine.h"
#include "db/table.h"
#include "main/formmain.h"
#include "main/startup.h"
#include "ui/application.h"
#include "ui/dbgrid.h"
#include "ui/scriptedprompt.h"

namespace {

long peakKb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

struct Times {
  double wall = 0;
  double cpu = 0;
};

double processCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return t.tv_sec + t.tv_nsec / 1e9;
}

double childrenCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void exec(const QString& file, const QStringList& statements) {
  {
    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "bench-setup");
    db.setDatabaseName(file);
    db.open();
    QSqlQuery q(db);
    for (const QString& s : statements) q.exec(s);
  }
  QSqlDatabase::removeDatabase("bench-setup");
}

const char kCreate[] =
    "CREATE TABLE ITEMS (ID INTEGER PRIMARY KEY, CODE VARCHAR(20), QTY INTEGER, STAMP DATETIME)";

// An alias section for the PostgreSQL server of KORVEL_TEST_PG
// ("host=... port=... dbname=... user=..."), or empty.
QByteArray pgAliasSection() {
  QMap<QString, QString> p;
  for (const QString& part : QString::fromLocal8Bit(qgetenv("KORVEL_TEST_PG")).split(' ', Qt::SkipEmptyParts))
    if (part.contains('=')) p[part.section('=', 0, 0)] = part.section('=', 1);
  if (p.isEmpty()) return {};
  return QString("[PG]\nTYPE=POSTGRESQL\nSERVER NAME=%1\nPORT=%2\nDATABASE NAME=%3\nUSER NAME=%4\n"
                 "LOGIN PROMPT=FALSE\n")
      .arg(p.value("host"), p.value("port"), p.value("dbname"), p.value("user"))
      .toUtf8();
}

Times generateThroughWindow(const QString& alias, int rows) {
  FormMain->ComboBox_Alias->setCurrentIndex(FormMain->ComboBox_Alias->findText(alias));
  FormMain->ButtonGetTblNMClick();
  FormMain->ComboBox_Tables->setEditText("ITEMS");
  FormMain->ButtonOpenClick(FormMain->ButtonOpen);
  FormMain->CheckBoxDApp->setChecked(true);
  FormMain->NumEditFirst->setText("1");
  FormMain->NumEditEnd->setText(QString::number(rows));
  TComboGrid* grid = FormMain->ComboGrid1;
  grid->SetCells(1, 2, "0");
  grid->SetCells(1, 3, "1");
  grid->SetCells(2, 2, "K0");
  grid->SetCells(2, 3, "1");
  grid->SetCells(2, 4, "K%6.6d");
  grid->SetCells(3, 2, "10");
  grid->SetCells(3, 3, "3");
  grid->SetCells(4, 2, "2024/01/01 00:00:00");
  grid->SetCells(4, 3, "1");
  QElapsedTimer timer;
  const double cpu0 = processCpuSeconds();
  timer.start();
  FormMain->SpeedButtonDMakeClick();
  return {timer.elapsed() / 1000.0, processCpuSeconds() - cpu0};
}

Times generateThroughShell(const QString& dir, int rows) {
  QFile script(dir + "/shell.sql");
  script.open(QIODevice::WriteOnly);
  script.write(QByteArray(kCreate) + ";\nBEGIN;\n");
  for (int i = 1; i <= rows; ++i)
    script.write(QString("INSERT INTO ITEMS VALUES (%1, 'K%2', %3, '2024-01-01 00:00:00');\n")
                     .arg(i).arg(i, 6, 10, QChar('0')).arg(10 + 3 * i).toUtf8());
  script.write("COMMIT;\n");
  script.close();
  QProcess shell;
  shell.setStandardInputFile(script.fileName());
  QElapsedTimer timer;
  const double cpu0 = childrenCpuSeconds();
  timer.start();
  shell.start("sqlite3", {dir + "/shell.sqlite"});
  shell.waitForFinished(600000);
  return {timer.elapsed() / 1000.0, childrenCpuSeconds() - cpu0};
}

void generateIntoPostgres(int rows) {
  {
    QSqlQuery q(korvel::db::Engine::instance().connection("PG"));
    // Named as in the SQLite file, upper case.
    q.exec("DROP TABLE IF EXISTS \"ITEMS\"");
    q.exec(QString(kCreate).replace("ITEMS", "\"ITEMS\"").replace("DATETIME", "TIMESTAMP"));
  }
  const Times t = generateThroughWindow("PG", rows);
  std::printf("generate %d rows into PostgreSQL: Data作成 %.2f s (%.0f rows/s; CPU %.2f s)\n", rows, t.wall,
              rows / t.wall, t.cpu);
  QSqlQuery q(korvel::db::Engine::instance().connection("PG"));
  q.exec("DROP TABLE \"ITEMS\"");
}

void openBigTable(const QString& dir, int rows) {
  exec(dir + "/big.sqlite",
       {kCreate, "BEGIN",
        QString("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i < %1) "
                "INSERT INTO ITEMS SELECT i, 'K' || i, i * 3, '2024-01-01 00:00:00' FROM n")
            .arg(rows),
        "COMMIT"});
  const long before = peakKb();
  FormMain->ComboBox_Alias->setCurrentIndex(FormMain->ComboBox_Alias->findText("BIG"));
  FormMain->ButtonGetTblNMClick();
  FormMain->ComboBox_Tables->setEditText("ITEMS");
  QElapsedTimer timer;
  timer.start();
  FormMain->ButtonOpenClick(FormMain->ButtonOpen);
  FormMain->DBGrid1->repaint();
  QApplication::processEvents();
  const double firstScreenMs = timer.nsecsElapsed() / 1e6;
  timer.restart();
  FormMain->Table_Paradox->last();
  FormMain->DBGrid1->repaint();
  QApplication::processEvents();
  const double lastMs = timer.nsecsElapsed() / 1e6;
  std::printf("open %d-row table: first screen %.1f ms, jump to last %.1f ms, peak memory %ld KB"
              " (before opening %ld KB)\n",
              rows, firstScreenMs, lastMs, peakKb(), before);
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  korvel::ui::Application app(argc, argv);
  const int rows = argc > 1 ? std::atoi(argv[1]) : 100000;
  const int bigRows = argc > 2 ? std::atoi(argv[2]) : 1000000;
  const int pgRows = argc > 3 ? std::atoi(argv[3]) : 5000;
  QTemporaryDir dir;
  qputenv("XDG_CONFIG_HOME", (dir.path() + "/config").toLocal8Bit());
  qputenv("XDG_DATA_HOME", (dir.path() + "/data").toLocal8Bit());
  qputenv("KORVEL_ALIASES", (dir.path() + "/aliases.ini").toLocal8Bit());
  korvel::ScriptedPrompt prompt;  // nothing may block; messages are counted

  exec(dir.path() + "/gen.sqlite", {kCreate});
  QFile aliases(dir.path() + "/aliases.ini");
  aliases.open(QIODevice::WriteOnly);
  aliases.write(("[GEN]\nTYPE=SQLITE\nPATH=" + dir.path() + "/gen.sqlite\n[BIG]\nTYPE=SQLITE\nPATH=" +
                 dir.path() + "/big.sqlite\n").toUtf8() + pgAliasSection());
  aliases.close();
  korvel::createWindows();
  FormMain->show();

  const Times ours = generateThroughWindow("GEN", rows);
  const Times shell = generateThroughShell(dir.path(), rows);
  std::printf("generate %d rows: Data作成 %.2f s (%.0f rows/s), sqlite3 shell %.2f s (%.0f rows/s),"
              " ratio %.2f; CPU %.2f s against %.2f s, ratio %.2f; messages shown: %d\n",
              rows, ours.wall, rows / ours.wall, shell.wall, rows / shell.wall, shell.wall / ours.wall, ours.cpu,
              shell.cpu, shell.cpu / ours.cpu, prompt.messageCount());
  if (!pgAliasSection().isEmpty() && pgRows > 0) generateIntoPostgres(pgRows);
  for (const auto& record : prompt.records) std::printf("message shown: %s\n", qPrintable(record.text));
  openBigTable(dir.path(), bigRows);
  korvel::db::Engine::instance().closeConnections();
  korvel::destroyWindows();
  return 0;
}
