// Directory tables: a Paradox table and the same rows as a CSV table, at
// 10,000 and 1,000,000 rows. For each: writing the table file, then opening
// it (time to the first row, and to the first screen of a QTableView
// offscreen), jumping to the last row, walking every row through the
// dataset, SELECT COUNT(*), and the peak memory of all that. At
// 1,000,000 rows also: export each to CSV, import the CSV into SQLite, and
// the sqlite3 shell's .import of the same file and its CSV export
// (.mode csv) beside our copy of the same SQLite table to CSV. Each
// measurement runs in its own process so that memory figures stand alone.
//
//   bench_db_local [folder [step]]   data is made there once and kept (default
//                                    $XDG_CACHE_HOME/korvel-bench, else ~/.cache/korvel-bench);
//                                    step: write, browse or copy runs only those
//                                    measurements (for profiling one of them);
//                                    import or export only that copy between
//                                    CSV and SQLite and the shell's beside it

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTableView>
#include <cstdio>

#include "db/batchmove.h"
#include "db/datasetmodel.h"
#include "db/engine.h"
#include "db/local/localfile.h"
#include "db/query.h"
#include "db/sqlitedriver.h"
#include "db/table.h"

using namespace korvel::db;

namespace {

long peakKilobytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

double msSince(const QElapsedTimer& timer) { return timer.nsecsElapsed() / 1e6; }

QString rowsFolder(const QString& folder, int rows) { return QStringLiteral("%1/local-%2").arg(folder).arg(rows); }

// A table file of `rows` rows keyed by ID (Paradox or CSV with its schema,
// as the extension says), written through the table file writer.
void writeTable(const QString& path, int rows) {
  const local::LocalTableDef def{{{QStringLiteral("ID"), FieldKind::Integer, 0},
                                  {QStringLiteral("NAME"), FieldKind::String, 20},
                                  {QStringLiteral("AMOUNT"), FieldKind::Currency, 0},
                                  {QStringLiteral("DAY"), FieldKind::Date, 0},
                                  {QStringLiteral("NOTE"), FieldKind::String, 40}},
                                 1};
  auto writer = local::createLocalWriter(path, local::localFileKindOf(path), def, true);
  for (int i = 1; i <= rows; ++i)
    writer->append({i, QStringLiteral("名前%1").arg(i), i * 1.25, QDate(2024, i % 12 + 1, i % 28 + 1),
                    QStringLiteral("備考 row %1").arg(i)},
                   i);
  writer->commit();
}

// BIG.DB and big.csv, the tables read by the other steps, written once and
// kept for later runs.
void makeTables(const QString& folder, int rows) {
  const QString dir = rowsFolder(folder, rows);
  QDir().mkpath(dir);
  for (const QString& name : {QStringLiteral("BIG.DB"), QStringLiteral("big.csv")}) {
    const QString path = dir + u'/' + name;
    if (!QFile::exists(path)) writeTable(path, rows);
  }
}

// Writing a new table file of `rows` rows, timed, into a scratch folder.
int write(const QString& folder, int rows, const QString& fileName) {
  const QString dir = rowsFolder(folder, rows) + QStringLiteral("/write");
  QDir(dir).removeRecursively();
  QDir().mkpath(dir);
  const long before = peakKilobytes();
  QElapsedTimer timer;
  timer.start();
  writeTable(dir + u'/' + fileName, rows);
  const double ms = msSince(timer);
  std::printf("%-8s %9d rows: write %8.1f ms (%.0f rows/s) | peak memory %6.1f MB (before %6.1f MB)\n",
              qPrintable(fileName), rows, ms, rows / (ms / 1000), peakKilobytes() / 1024.0, before / 1024.0);
  std::fflush(stdout);
  QDir(dir).removeRecursively();
  return 0;
}

void useAliases(const QString& folder, int rows) {
  const QString dir = rowsFolder(folder, rows);
  const QString ini = dir + QStringLiteral("/aliases.ini");
  QFile file(ini);
  file.open(QIODevice::WriteOnly | QIODevice::Truncate);
  file.write(QStringLiteral("[FILES]\nTYPE=PARADOX\nPATH=%1\n[OUT]\nTYPE=PARADOX\nPATH=%1/out\n[LITE]\nTYPE=SQLITE\nPATH=%1/out/lite.sqlite\n")
                 .arg(dir)
                 .toUtf8());
  file.close();
  qputenv("KORVEL_ALIASES", ini.toUtf8());
  qputenv("QT_QPA_PLATFORM", "offscreen");
}

void touchRows(QAbstractItemModel& model, int first, int count) {
  for (int r = first; r < first + count && r < model.rowCount(); ++r)
    for (int c = 0; c < model.columnCount(); ++c) model.data(model.index(r, c), Qt::DisplayRole);
}

int browse(const QString& folder, int rows, const QString& tableName) {
  useAliases(folder, rows);
  int argc = 1;
  char name[] = "bench_db_local";
  char* argv[] = {name, nullptr};
  QApplication app(argc, argv);
  Engine::instance().loadAliases();
  QTableView view;
  view.resize(1000, 700);
  view.show();
  app.processEvents();
  const long before = peakKilobytes();

  QElapsedTimer timer;
  timer.start();
  Table table;
  table.setDatabaseName(QStringLiteral("FILES"));
  table.setTableName(tableName);
  table.open();
  const bool firstRow = table.field(0).asString() == QStringLiteral("1");
  const double firstRowMs = msSince(timer);
  DatasetModel model;
  model.setDataset(&table);
  view.setModel(&model);
  model.setSelectionModel(view.selectionModel());
  touchRows(model, 0, 50);
  app.processEvents();
  const double firstMs = msSince(timer);

  timer.restart();
  table.last();
  touchRows(model, model.rowCount() - 50, 50);
  app.processEvents();
  const double lastMs = msSince(timer);
  const bool atLast = table.recNo() == rows - 1 && table.field(0).asString() == QString::number(rows);

  timer.restart();
  model.setDataset(nullptr);
  long long sum = 0;
  for (table.first(); !table.eof(); table.next()) sum += table.field(0).value().toLongLong();
  const double walkMs = msSince(timer);
  const bool walkedAll = sum == static_cast<long long>(rows) * (rows + 1) / 2;

  timer.restart();
  Query count;
  count.setDatabaseName(QStringLiteral("FILES"));
  count.setSql(QStringLiteral("SELECT COUNT(*) FROM \"%1\"").arg(tableName));
  count.open();
  const bool counted = count.field(0).value().toInt() == rows;
  const double countMs = msSince(timer);

  std::printf("%-8s %9d rows: first row %7.1f ms (%s) | open + first screen %7.1f ms | jump to last row %7.1f ms (%s)"
              " | read all rows %8.1f ms (%.0f rows/s, %s) | COUNT(*) %7.1f ms (%s)"
              " | peak memory %6.1f MB (before opening %6.1f MB)\n",
              qPrintable(tableName), rows, firstRowMs, firstRow ? "ok" : "WRONG ROW", firstMs, lastMs,
              atLast ? "ok" : "WRONG ROW", walkMs, rows / (walkMs / 1000), walkedAll ? "ok" : "WRONG SUM", countMs,
              counted ? "ok" : "WRONG COUNT", peakKilobytes() / 1024.0, before / 1024.0);
  std::fflush(stdout);
  return firstRow && atLast && walkedAll && counted ? 0 : 1;
}

// One batch copy, timed.
int copy(const QString& folder, int rows, const QString& what, const QString& fromAlias, const QString& from,
         const QString& toAlias, const QString& to, bool toTextFile) {
  useAliases(folder, rows);
  int argc = 1;
  char name[] = "bench_db_local";
  char* argv[] = {name, nullptr};
  QCoreApplication app(argc, argv);
  Engine::instance().loadAliases();
  const long before = peakKilobytes();
  Table source, destination;
  source.setDatabaseName(fromAlias);
  source.setTableName(from);
  destination.setDatabaseName(toAlias);
  destination.setTableName(to);
  if (toTextFile) destination.setTableType(TableType::Ascii);
  QElapsedTimer timer;
  timer.start();
  const BatchMoveOutcome outcome = batchMove(source, destination);
  const double ms = msSince(timer);
  std::printf("%-34s %9lld rows in %8.1f ms (%.0f rows/s) | peak memory %6.1f MB (before %6.1f MB)\n", qPrintable(what),
              static_cast<long long>(outcome.rows), ms, outcome.rows / (ms / 1000), peakKilobytes() / 1024.0,
              before / 1024.0);
  std::fflush(stdout);
  return outcome.rows == rows ? 0 : 1;
}

// The sqlite3 shell on the same files, timed from outside.
void shell(const QString& what, const QString& database, const QString& script, const QString& output, int rows) {
  QFile::remove(database);
  QElapsedTimer timer;
  timer.start();
  QProcess process;
  if (!output.isEmpty()) process.setStandardOutputFile(output);
  process.start(QStringLiteral("sqlite3"), {database});
  process.write(script.toUtf8());
  process.closeWriteChannel();
  const bool ran = process.waitForFinished(-1) && process.exitCode() == 0;
  const double ms = msSince(timer);
  if (ran) std::printf("%-34s %9d rows in %8.1f ms (%.0f rows/s)\n", qPrintable(what), rows, ms, rows / (ms / 1000));
  else std::printf("%-34s could not run the sqlite3 shell\n", qPrintable(what));
  std::fflush(stdout);
}

template <typename F>
int inChild(F&& f) {
  std::fflush(stdout);
  const pid_t pid = fork();
  if (pid == 0) _exit(f());
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

}  // namespace

int main(int argc, char** argv) {
  QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
  if (folder.isEmpty()) {
    const QByteArray cache = qgetenv("XDG_CACHE_HOME");
    folder = (cache.isEmpty() ? QDir::homePath() + QStringLiteral("/.cache") : QString::fromLocal8Bit(cache)) +
             QStringLiteral("/korvel-bench");
  }
  const QString step = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
  const auto runs = [&](const char* name) { return step.isEmpty() || step == QLatin1String(name); };
  int failures = 0;
  for (int rows : {10000, 1000000}) {
    QElapsedTimer timer;
    timer.start();
    inChild([&] {
      makeTables(folder, rows);
      return 0;
    });
    std::printf("data for %d rows ready in %s (%.1f s)\n", rows, qPrintable(rowsFolder(folder, rows)), timer.elapsed() / 1000.0);
    if (runs("write")) {
      failures += inChild([&] { return write(folder, rows, QStringLiteral("BIG.DB")); });
      failures += inChild([&] { return write(folder, rows, QStringLiteral("big.csv")); });
    }
    if (runs("browse")) {
      failures += inChild([&] { return browse(folder, rows, QStringLiteral("BIG")); });
      failures += inChild([&] { return browse(folder, rows, QStringLiteral("big.csv")); });
    }
  }
  const bool importOnly = step == QLatin1String("import"), exportOnly = step == QLatin1String("export");
  if (!runs("copy") && !importOnly && !exportOnly) return failures == 0 ? 0 : 1;
  const int rows = 1000000;
  const QString dir = rowsFolder(folder, rows);
  QDir(dir + QStringLiteral("/out")).removeRecursively();
  QDir().mkpath(dir + QStringLiteral("/out"));
  const QString lite = dir + QStringLiteral("/out/lite.sqlite");
  inChild([&] {
    QSqlDatabase db = SqliteDriver::openFile(lite, QStringLiteral("make"));
    db.close();
    return 0;
  });
  if (importOnly || exportOnly) {
    // The SQLite table the export reads is made by the import.
    failures += inChild([&] {
      return copy(folder, rows, QStringLiteral("import CSV -> SQLite"), QStringLiteral("FILES"), QStringLiteral("big.csv"),
                  QStringLiteral("LITE"), QStringLiteral("BIG"), false);
    });
    if (importOnly)
      shell(QStringLiteral("sqlite3 shell .import CSV"), dir + QStringLiteral("/out/shell.sqlite"),
            QStringLiteral(".import --csv %1/big.csv BIG\n").arg(dir), QString(), rows);
    if (exportOnly) {
      failures += inChild([&] {
        return copy(folder, rows, QStringLiteral("export SQLite -> CSV"), QStringLiteral("LITE"), QStringLiteral("BIG"),
                    QStringLiteral("OUT"), dir + QStringLiteral("/out/from-sqlite.csv"), true);
      });
      shell(QStringLiteral("sqlite3 shell .mode csv export"), dir + QStringLiteral("/out/shell-export.sqlite"),
            QStringLiteral("ATTACH '%1' AS src;\n.headers on\n.mode csv\nSELECT * FROM src.BIG;\n").arg(lite),
            dir + QStringLiteral("/out/shell-export.csv"), rows);
    }
    return failures == 0 ? 0 : 1;
  }
  failures += inChild([&] {
    return copy(folder, rows, QStringLiteral("export Paradox -> CSV"), QStringLiteral("FILES"), QStringLiteral("BIG"),
                QStringLiteral("OUT"), dir + QStringLiteral("/out/from-paradox.csv"), true);
  });
  failures += inChild([&] {
    return copy(folder, rows, QStringLiteral("export CSV table -> CSV"), QStringLiteral("FILES"), QStringLiteral("big.csv"),
                QStringLiteral("OUT"), dir + QStringLiteral("/out/from-csv.csv"), true);
  });
  failures += inChild([&] {
    return copy(folder, rows, QStringLiteral("import CSV -> SQLite"), QStringLiteral("FILES"), QStringLiteral("big.csv"),
                QStringLiteral("LITE"), QStringLiteral("BIG"), false);
  });
  failures += inChild([&] {
    return copy(folder, rows, QStringLiteral("export SQLite -> CSV"), QStringLiteral("LITE"), QStringLiteral("BIG"),
                QStringLiteral("OUT"), dir + QStringLiteral("/out/from-sqlite.csv"), true);
  });
  shell(QStringLiteral("sqlite3 shell .import CSV"), dir + QStringLiteral("/out/shell.sqlite"),
        QStringLiteral(".import --csv %1/big.csv BIG\n").arg(dir), QString(), rows);
  shell(QStringLiteral("sqlite3 shell .mode csv export"), dir + QStringLiteral("/out/shell-export.sqlite"),
        QStringLiteral("ATTACH '%1' AS src;\n.headers on\n.mode csv\nSELECT * FROM src.BIG;\n").arg(lite),
        dir + QStringLiteral("/out/shell-export.csv"), rows);
  return failures == 0 ? 0 : 1;
}
