// The table data copy window copying 5-column rows (integer key, text,
// Japanese text, date-time, decimal) from SQLite to PostgreSQL and back
// through "Copy Start", side by side with psql running the same rows as
// INSERT statements in one transaction (psql -f) and with psql \copy.
// Also what refused rows cost and how soon "中断" ends a running copy.
// Prints figures; asserts nothing.
//
//   KORVEL_TEST_PG="host=... port=... dbname=... user=..." bench_copydb [rows ...]
//   (default: 100000 1000000)

#include <sys/resource.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <cstdio>
#include <fstream>
#include <string>

#include "controls/spbtn2.h"
#include "copydb/formcopydb.h"
#include "db/engine.h"
#include "ui/scriptedprompt.h"

namespace {

long peakKb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

long currentKb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  return 0;
}

QString pgConnection() { return QString::fromLocal8Bit(qgetenv("KORVEL_TEST_PG")); }

QString pgParam(const QString& key) {
  for (const QString& part : pgConnection().split(u' ', Qt::SkipEmptyParts))
    if (part.startsWith(key + u'=')) return part.mid(key.size() + 1);
  return {};
}

void run(const QString& alias, const QStringList& statements) {
  QSqlQuery q(korvel::db::Engine::instance().connection(alias));
  for (const QString& s : statements)
    if (!q.exec(s)) std::fprintf(stderr, "failed: %s\n", qPrintable(s));
}

// The name, Japanese name, date-time and decimal of row i, as both sides hold them.
QString name(int i) { return QStringLiteral("item-%1").arg(i); }
QString jname(int i) { return QStringLiteral("品名「テスト」%1号").arg(i); }
QString stamp(int i) {
  return QDateTime(QDate(2024, 1, 1), QTime(0, 0)).addSecs(i).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}
QString amount(int i) { return QStringLiteral("%1.%2").arg(i / 100).arg(i % 100, 2, 10, QChar(u'0')); }

const char kSqliteTable[] =
    "CREATE TABLE bench_rows (id INTEGER PRIMARY KEY, name TEXT, jname TEXT, stamp DATETIME, amount NUMERIC(12,2))";
const char kPgColumns[] = "(id INTEGER PRIMARY KEY, name TEXT, jname TEXT, stamp TIMESTAMP, amount NUMERIC(12,2))";

void makeSource(int rows) {
  run("SRC", {"DROP TABLE IF EXISTS bench_rows", kSqliteTable, "BEGIN"});
  QSqlQuery q(korvel::db::Engine::instance().connection("SRC"));
  q.prepare("INSERT INTO bench_rows VALUES (?, ?, ?, ?, ?)");
  for (int i = 1; i <= rows; ++i) {
    q.addBindValue(i);
    q.addBindValue(name(i));
    q.addBindValue(jname(i));
    q.addBindValue(stamp(i));
    q.addBindValue(amount(i).toDouble());
    q.exec();
  }
  run("SRC", {"COMMIT"});
}

struct CopyResult {
  double seconds = 0;
  QString label;
};

CopyResult copyThroughWindow(TFormCopyDB& form, const QString& from, const QString& to) {
  form.ComboBox_Alias->setEditText(from);
  form.ListAliasTables("S");
  form.ComboBox_Tables->setEditText("bench_rows");
  form.ComboBox_Alias2->setEditText(to);
  form.ListAliasTables("D");
  form.ComboBox_Tables2->setEditText("bench_rows");
  QElapsedTimer timer;
  timer.start();
  form.ButtonCopyClick();
  return {timer.elapsed() / 1000.0, form.LabelKensu->text()};
}

double psql(const QStringList& args) {
  QProcess p;
  p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  QElapsedTimer timer;
  timer.start();
  p.start("psql", QStringList{"-q", "-X", "-v", "ON_ERROR_STOP=1", pgConnection()} + args);
  p.waitForFinished(3600000);
  return timer.elapsed() / 1000.0;
}

double psqlInserts(const QString& dir, int rows) {
  const QString file = dir + "/inserts.sql";
  {
    QFile out(file);
    out.open(QIODevice::WriteOnly);
    out.write("BEGIN;\n");
    for (int i = 1; i <= rows; ++i)
      out.write(QString("INSERT INTO bench_psql (id, name, jname, stamp, amount) VALUES (%1, '%2', '%3', '%4', %5);\n")
                    .arg(i).arg(name(i), jname(i), stamp(i), amount(i)).toUtf8());
    out.write("COMMIT;\n");
  }
  run("PG", {"DROP TABLE IF EXISTS bench_psql", QString("CREATE TABLE bench_psql ") + kPgColumns});
  korvel::db::Engine::instance().closeConnections();
  return psql({"-f", file});
}

double psqlCopy(const QString& dir, int rows) {
  const QString file = dir + "/rows.csv";
  {
    QFile out(file);
    out.open(QIODevice::WriteOnly);
    for (int i = 1; i <= rows; ++i)
      out.write(QString("%1,%2,%3,%4,%5\n").arg(i).arg(name(i), jname(i), stamp(i), amount(i)).toUtf8());
  }
  run("PG", {"DROP TABLE IF EXISTS bench_copy", QString("CREATE TABLE bench_copy ") + kPgColumns});
  korvel::db::Engine::instance().closeConnections();
  return psql({"-c", QString("\\copy bench_copy FROM '%1' WITH (FORMAT csv)").arg(file)});
}

// With "Append ERR無視" into a table that already holds every step-th row:
// what refused rows cost (each is listed, logged and found by itself).
void refusalFigures(TFormCopyDB& form, int rows) {
  makeSource(rows);
  form.CheckBoxApperr->setChecked(true);
  std::printf("%d rows into PostgreSQL with refused rows (Append ERR無視)\n", rows);
  for (int step : {100, 10, 1}) {
    run("PG", {"DROP TABLE IF EXISTS bench_rows", QString("CREATE TABLE bench_rows ") + kPgColumns,
               QString("INSERT INTO bench_rows (id) SELECT g FROM generate_series(1, %1, %2) g").arg(rows).arg(step)});
    korvel::db::Engine::instance().closeConnections();
    const CopyResult result = copyThroughWindow(form, "SRC", "PG");
    std::printf("  every %3d. row refused  Copy Start %7.2f s %9.0f rows/s  (%s)\n", step, result.seconds,
                rows / result.seconds, qPrintable(result.label));
  }
  form.CheckBoxApperr->setChecked(false);
}

// From a second thread: presses 中断 (as a queued event, as the operator's
// click arrives) and notes when; the latency is from then to the copy's end.
double abortLatencyMs(TFormCopyDB& form) {
  std::atomic<qint64> pressedAt{0};
  QElapsedTimer clock;
  clock.start();
  QThread* presser = QThread::create([&] {
    QThread::msleep(500);
    pressedAt = clock.nsecsElapsed();
    QMetaObject::invokeMethod(form.SpeedButtonAbort, [&form] { form.SpeedButtonAbort->click(); }, Qt::QueuedConnection);
  });
  presser->start();
  copyThroughWindow(form, "SRC", "PG");
  const qint64 endedAt = clock.nsecsElapsed();
  presser->wait();
  delete presser;
  return (endedAt - pressedAt) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (pgConnection().isEmpty()) {
    std::fprintf(stderr, "KORVEL_TEST_PG is not set: start scripts/pg-test-server.sh and export its connection\n");
    return 2;
  }
  QList<int> sizes;
  for (int i = 1; i < argc; ++i) sizes << std::atoi(argv[i]);
  if (sizes.isEmpty()) sizes = {100000, 1000000};

  QTemporaryDir dir;
  qputenv("XDG_CONFIG_HOME", (dir.path() + "/config").toLocal8Bit());
  qputenv("XDG_DATA_HOME", (dir.path() + "/data").toLocal8Bit());
  qputenv("KORVEL_ALIASES", (dir.path() + "/aliases.ini").toLocal8Bit());
  QDir::setCurrent(dir.path());
  for (const char* file : {"/src.sqlite", "/dst.sqlite"}) {
    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "bench-setup");
    db.setDatabaseName(dir.path() + file);
    db.open();
    db.close();
  }
  QSqlDatabase::removeDatabase("bench-setup");
  QFile aliases(dir.path() + "/aliases.ini");
  aliases.open(QIODevice::WriteOnly);
  aliases.write(QString("[SRC]\nTYPE=SQLITE\nPATH=%1/src.sqlite\n[DST]\nTYPE=SQLITE\nPATH=%1/dst.sqlite\n"
                        "[PG]\nTYPE=POSTGRESQL\nSERVER NAME=%2\nPORT=%3\nDATABASE NAME=%4\nUSER NAME=%5\nLOGIN PROMPT=FALSE\n")
                    .arg(dir.path(), pgParam("host"), pgParam("port"), pgParam("dbname"), pgParam("user"))
                    .toUtf8());
  aliases.close();
  korvel::db::Engine::instance().loadAliases();
  korvel::ScriptedPrompt prompt;  // nothing may block; messages are counted
  TFormCopyDB form;

  for (int rows : sizes) {
    makeSource(rows);
    run("PG", {"DROP TABLE IF EXISTS bench_rows", QString("CREATE TABLE bench_rows ") + kPgColumns});
    run("DST", {"DROP TABLE IF EXISTS bench_rows", kSqliteTable});
    korvel::db::Engine::instance().closeConnections();

    const long before = currentKb();
    const CopyResult toPg = copyThroughWindow(form, "SRC", "PG");
    const long afterToPg = peakKb();
    const CopyResult fromPg = copyThroughWindow(form, "PG", "DST");
    const long afterFromPg = peakKb();
    const double inserts = psqlInserts(dir.path(), rows);
    const double copy = psqlCopy(dir.path(), rows);

    std::printf("%d rows, 5 columns\n", rows);
    std::printf("  SQLite -> PostgreSQL  Copy Start %7.2f s %9.0f rows/s  (%s)  peak memory %ld KB (%ld KB before)\n",
                toPg.seconds, rows / toPg.seconds, qPrintable(toPg.label), afterToPg, before);
    std::printf("  PostgreSQL -> SQLite  Copy Start %7.2f s %9.0f rows/s  (%s)  peak memory %ld KB\n", fromPg.seconds,
                rows / fromPg.seconds, qPrintable(fromPg.label), afterFromPg);
    std::printf("  psql -f, INSERTs in one transaction %7.2f s %9.0f rows/s\n", inserts, rows / inserts);
    std::printf("  psql \\copy                          %7.2f s %9.0f rows/s\n", copy, rows / copy);
    std::printf("  SQLite -> PostgreSQL: %.2f x psql -f, %.2f x \\copy;  PostgreSQL -> SQLite: %.2f x psql -f\n",
                inserts / toPg.seconds, copy / toPg.seconds, inserts / fromPg.seconds);
  }

  refusalFigures(form, 20000);
  run("PG", {"DROP TABLE IF EXISTS bench_rows", QString("CREATE TABLE bench_rows ") + kPgColumns});
  korvel::db::Engine::instance().closeConnections();
  const double latency = abortLatencyMs(form);
  std::printf("中断 during a copy to PostgreSQL: the copy ended %.1f ms after the press (%s)\n", latency,
              qPrintable(form.LabelKensu->text()));
  std::printf("messages shown: %d\n", prompt.messageCount());
  run("PG", {"DROP TABLE IF EXISTS bench_rows", "DROP TABLE IF EXISTS bench_psql", "DROP TABLE IF EXISTS bench_copy"});
  korvel::db::Engine::instance().closeConnections();
  return 0;
}
