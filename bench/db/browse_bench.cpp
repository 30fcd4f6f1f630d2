// Browsing a large SQLite table through DatasetModel in a QTableView
// (offscreen): time to the first 50 rows, time to jump to the last row and
// peak memory, for 10,000 and 1,000,000 rows. Each size runs in its own
// process so that the peak memory figures stand alone.
//
//   bench_db_browse [folder]   the databases are made there once (default /tmp)

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QSqlQuery>
#include <QTableView>
#include <cstdio>

#include "db/datasetmodel.h"
#include "db/engine.h"
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

void makeDatabase(const QString& file, int rows) {
  if (QFile::exists(file)) return;
  const QString temp = file + QStringLiteral(".part");
  QFile::remove(temp);
  {
    QSqlDatabase db = SqliteDriver::openFile(temp, QStringLiteral("make"));
    QSqlQuery q(db);
    q.exec(QStringLiteral("CREATE TABLE BIG (ID INTEGER PRIMARY KEY, NAME VARCHAR(30), "
                          "AMOUNT NUMERIC(10,2), DAY DATE, NOTE VARCHAR(40))"));
    db.transaction();
    q.prepare(QStringLiteral("INSERT INTO BIG VALUES (?,?,?,?,?)"));
    for (int i = 1; i <= rows; ++i) {
      q.addBindValue(i);
      q.addBindValue(QStringLiteral("名前%1").arg(i));
      q.addBindValue(i * 1.25);
      q.addBindValue(QStringLiteral("2024-%1-%2").arg(i % 12 + 1, 2, 10, QLatin1Char('0')).arg(i % 28 + 1, 2, 10, QLatin1Char('0')));
      q.addBindValue(QStringLiteral("備考 row %1").arg(i));
      q.exec();
    }
    db.commit();
    q.finish();
    db.close();
  }
  QSqlDatabase::removeDatabase(QStringLiteral("make"));
  QFile::rename(temp, file);
}

// Reads the display texts of `count` rows from `first`, as the view paints them.
void touchRows(QAbstractItemModel& model, int first, int count) {
  for (int r = first; r < first + count && r < model.rowCount(); ++r)
    for (int c = 0; c < model.columnCount(); ++c) model.data(model.index(r, c), Qt::DisplayRole);
}

int measure(const QString& folder, int rows) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  const QString file = QStringLiteral("%1/korvel-bench-%2.sqlite").arg(folder).arg(rows);
  const QString aliases = QStringLiteral("%1/korvel-bench-%2.ini").arg(folder).arg(rows);
  QFile ini(aliases);
  if (!ini.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 1;
  ini.write(QStringLiteral("[BENCH]\nTYPE=SQLITE\nPATH=%1\n").arg(file).toUtf8());
  ini.close();
  qputenv("KORVEL_ALIASES", aliases.toUtf8());

  int argc = 1;
  char name[] = "bench_db_browse";
  char* argv[] = {name, nullptr};
  QApplication app(argc, argv);
  Engine::instance().loadAliases();
  const long baseline = peakKilobytes();

  // The window exists before a table is opened in it.
  QTableView view;
  view.resize(1000, 700);
  view.show();
  app.processEvents();

  QElapsedTimer timer;
  timer.start();
  Table table;
  table.setDatabaseName(QStringLiteral("BENCH"));
  table.setTableName(QStringLiteral("BIG"));
  table.open();
  DatasetModel model;
  model.setDataset(&table);
  view.setModel(&model);
  model.setSelectionModel(view.selectionModel());
  touchRows(model, 0, 50);
  app.processEvents();
  const double firstMs = timer.nsecsElapsed() / 1e6;

  // The navigator's "last" button: the dataset moves, the view follows.
  timer.restart();
  table.last();
  touchRows(model, model.rowCount() - 50, 50);
  app.processEvents();
  const double lastMs = timer.nsecsElapsed() / 1e6;
  const bool atLast = table.recNo() == rows - 1 && table.field(0).asString() == QString::number(rows) &&
                      view.currentIndex().row() == rows - 1;

  // Scroll through the table in steps, as a user paging down would.
  timer.restart();
  for (int r = 0; r < model.rowCount(); r += std::max(1, model.rowCount() / 200)) {
    view.scrollTo(model.index(r, 0));
    touchRows(model, r, 30);
  }
  app.processEvents();
  const double scrollMs = timer.nsecsElapsed() / 1e6;

  // Walk the first 10,000 rows with the grid attached, as test data
  // generation over the shown table does.
  timer.restart();
  int shownSteps = 0;
  for (table.first(); !table.eof() && shownSteps < 10000; table.next()) ++shownSteps;
  app.processEvents();
  const double shownWalkMs = timer.nsecsElapsed() / 1e6;

  // Walk every row through the dataset, as a copy or export does.
  timer.restart();
  model.setDataset(nullptr);
  long long sum = 0;
  for (table.first(); !table.eof(); table.next()) sum += table.field(0).value().toLongLong();
  const double walkMs = timer.nsecsElapsed() / 1e6;
  const bool walkedAll = sum == static_cast<long long>(rows) * (rows + 1) / 2;

  timer.restart();
  Query query;
  query.setDatabaseName(QStringLiteral("BENCH"));
  query.setSql(QStringLiteral("SELECT ID, NAME FROM BIG WHERE ID > 0"));
  query.open();
  long long querySum = 0;
  for (; !query.eof(); query.next()) querySum += query.field(0).value().toLongLong();
  const double queryWalkMs = timer.nsecsElapsed() / 1e6;
  const bool queryWalkedAll = querySum == static_cast<long long>(rows) * (rows + 1) / 2;

  std::printf("%9d rows: first 50 rows %7.1f ms | jump to last row %7.1f ms (%s) | "
              "200 scroll steps %7.1f ms | 10,000 steps in the grid %7.1f ms | walk table %8.1f ms (%s) | walk query %8.1f ms (%s) | peak memory %6.1f MB (before opening %6.1f MB)\n",
              rows, firstMs, lastMs, atLast ? "ok" : "WRONG ROW", scrollMs, shownWalkMs, walkMs,
              walkedAll ? "ok" : "WRONG SUM", queryWalkMs, queryWalkedAll ? "ok" : "WRONG SUM",
              peakKilobytes() / 1024.0, baseline / 1024.0);
  std::fflush(stdout);
  return atLast && walkedAll && queryWalkedAll ? 0 : 1;
}

template <typename F>
int inChild(F&& f) {
  const pid_t pid = fork();
  if (pid == 0) _exit(f());
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/tmp");
  int failures = 0;
  for (int rows : {10000, 1000000}) {
    const QString file = QStringLiteral("%1/korvel-bench-%2.sqlite").arg(folder).arg(rows);
    inChild([&] {
      makeDatabase(file, rows);
      return 0;
    });
    failures += inChild([&] { return measure(folder, rows); });
  }
  return failures == 0 ? 0 : 1;
}
