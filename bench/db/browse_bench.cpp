// Browsing large tables in the data grid (offscreen), as a user scrolls
// them: time to the first screen, the row count running beside the window,
// the scroll bar's thumb dragged to the middle (before and after the count)
// and to the end, Ctrl+End, 200 steps of the thumb over the whole table,
// line steps and PageDown keys, each with the repaint it leads to; walks
// through the rows, and peak memory. Each size runs in its own process so that the peak
// memory figures stand alone.
//
//   bench_db_browse [folder] [sizes...]
//     folder   where the SQLite tables are made once and kept (default /tmp)
//     sizes    row counts (default 10000 1000000 10000000); 100000000 takes a
//              few minutes and about 7 GB to make the first time; "query"
//              measures only the PostgreSQL query without key
//   With KORVEL_TEST_PG set, a 10,000,000-row table is measured there too
//   (made once in that database, kept for the next run), and a query
//   without key over it (a join with a small table): first screen, jumps to
//   the middle, the end and back, and 200 jumps forward and back.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QScrollBar>
#include <QSqlError>
#include <QSqlQuery>
#include <cstdio>
#include <cstdlib>

#include "db/datasetmodel.h"
#include "db/engine.h"
#include "db/query.h"
#include "db/sqlitedriver.h"
#include "db/table.h"
#include "ui/datasource.h"
#include "ui/dbgrid.h"

using namespace korvel::db;

namespace {

constexpr int kPgRows = 10000000;

long peakKilobytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// Five columns, ID 1..rows; made by SQL in one statement, which is quicker
// than binding rows one by one at these sizes.
void makeSqlite(const QString& file, int rows) {
  if (QFile::exists(file)) return;
  std::printf("making %s ...\n", qPrintable(file));
  std::fflush(stdout);
  const QString temp = file + QStringLiteral(".part");
  QFile::remove(temp);
  {
    QSqlDatabase db = SqliteDriver::openFile(temp, QStringLiteral("make"));
    QSqlQuery q(db);
    q.exec(QStringLiteral("PRAGMA journal_mode=OFF"));
    q.exec(QStringLiteral("PRAGMA synchronous=OFF"));
    q.exec(QStringLiteral("CREATE TABLE BIG (ID INTEGER PRIMARY KEY, NAME VARCHAR(30), "
                          "AMOUNT NUMERIC(10,2), DAY DATE, NOTE VARCHAR(40))"));
    const bool made = q.exec(
        QStringLiteral("WITH RECURSIVE s(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM s WHERE i < %1) "
                       "INSERT INTO BIG SELECT i, '名前' || i, i * 1.25, "
                       "printf('2024-%02d-%02d', i % 12 + 1, i % 28 + 1), '備考 row ' || i FROM s")
            .arg(rows));
    if (!made) std::printf("cannot make the table: %s\n", qPrintable(q.lastError().text()));
    q.finish();
    db.close();
  }
  QSqlDatabase::removeDatabase(QStringLiteral("make"));
  QFile::rename(temp, file);
}

QString pgAliasSection() {
  QString section = QStringLiteral("[BENCH]\nTYPE=POSTGRESQL\nLOGIN PROMPT=FALSE\n");
  for (const QString& part : QString::fromLocal8Bit(qgetenv("KORVEL_TEST_PG")).split(u' ', Qt::SkipEmptyParts)) {
    const QString key = part.section(u'=', 0, 0);
    const QString value = part.section(u'=', 1);
    if (key == u"host") section += QStringLiteral("SERVER NAME=%1\n").arg(value);
    if (key == u"port") section += QStringLiteral("PORT=%1\n").arg(value);
    if (key == u"dbname") section += QStringLiteral("DATABASE NAME=%1\n").arg(value);
    if (key == u"user") section += QStringLiteral("USER NAME=%1\n").arg(value);
  }
  return section;
}

// The PostgreSQL tables, made once: a keyed one (big) and one without a key
// (big_nokey, paged by row address).
bool makePostgres(int rows) {
  Query q;
  q.setDatabaseName(QStringLiteral("BENCH"));
  const auto rowsOf = [&](const QString& table) {
    q.setSql(QStringLiteral("SELECT COUNT(*) FROM pg_class WHERE relname = '%1'").arg(table));
    q.open();
    const bool exists = q.field(0).value().toInt() > 0;
    q.close();
    return exists;
  };
  for (const QString& table : {QStringLiteral("big"), QStringLiteral("big_nokey")}) {
    if (rowsOf(table)) continue;
    std::printf("making PostgreSQL table %s ...\n", qPrintable(table));
    std::fflush(stdout);
    const bool keyed = table == u"big";
    q.setSql(QStringLiteral("CREATE TABLE %1 (ID INTEGER%2, NAME VARCHAR(30), AMOUNT NUMERIC(10,2), DAY DATE, "
                            "NOTE VARCHAR(40))").arg(table, keyed ? QStringLiteral(" PRIMARY KEY") : QString()));
    q.execSql();
    q.setSql(QStringLiteral("INSERT INTO %1 SELECT i, '名前' || i, i * 1.25, DATE '2024-01-01' + i % 365, "
                            "'備考 row ' || i FROM generate_series(1, %2) i").arg(table).arg(rows));
    q.execSql();
    q.setSql(QStringLiteral("ANALYZE %1").arg(table));
    q.execSql();
  }
  if (!rowsOf(QStringLiteral("bench_months"))) {
    q.setSql(QStringLiteral("CREATE TABLE bench_months (MONTH INTEGER, LABEL VARCHAR(10))"));
    q.execSql();
    q.setSql(QStringLiteral("INSERT INTO bench_months SELECT m, m || '月' FROM generate_series(1, 12) m"));
    q.execSql();
    q.setSql(QStringLiteral("ANALYZE bench_months"));
    q.execSql();
  }
  return true;
}

// The alias file of this process, which the engine is pointed at; empty
// when it cannot be written.
QString writeAliases(const QString& aliasText, const QString& folder) {
  const QString aliases = QStringLiteral("%1/korvel-bench-%2.ini").arg(folder).arg(::getpid());
  QFile ini(aliases);
  if (!ini.open(QIODevice::WriteOnly | QIODevice::Truncate)) return {};
  ini.write(aliasText.toUtf8());
  ini.close();
  qputenv("KORVEL_ALIASES", aliases.toUtf8());
  return aliases;
}

double msSince(QElapsedTimer& timer) {
  const double ms = timer.nsecsElapsed() / 1e6;
  timer.restart();
  return ms;
}

struct Setup {
  QString label;     // "SQLite", "PG key", "PG no key"
  QString table;     // the table to open
  int rows = 0;
  bool keyValues = true;  // the first column holds 1..rows in the table's order
  bool walks = true;      // walk every row (the smaller sizes only)
};

// The figures of timed grid operations: the step itself with the screen's
// cells read as the view paints them (the work that grows with the table,
// if anything does), and the step with the repaint, as the user sees it.
struct Steps {
  double totalMs = 0;     // steps with their repaints
  double slowestMs = 0;
  double stepTotalMs = 0;  // the steps alone
  double stepSlowestMs = 0;
  int count = 0;
  template <typename F>
  void time(korvel::ui::DBGrid& grid, F&& step) {
    QElapsedTimer one;
    one.start();
    step();
    readScreen(grid);
    const double stepMs = one.nsecsElapsed() / 1e6;
    grid.viewport()->repaint();
    const double ms = one.nsecsElapsed() / 1e6;
    stepTotalMs += stepMs;
    stepSlowestMs = std::max(stepSlowestMs, stepMs);
    totalMs += ms;
    slowestMs = std::max(slowestMs, ms);
    ++count;
  }
  static void readScreen(korvel::ui::DBGrid& grid) {
    const QAbstractItemModel* shown = grid.QTableView::model();
    for (int r = 0; r < shown->rowCount(); ++r)
      for (int c = 0; c < shown->columnCount(); ++c) shown->index(r, c).data();
  }
  double average() const { return totalMs / std::max(count, 1); }
  double stepAverage() const { return stepTotalMs / std::max(count, 1); }
  QString figures() const {
    return QStringLiteral("%1 ms a step (slowest %2), with repaint %3 ms (slowest %4)")
        .arg(stepAverage(), 0, 'f', 2)
        .arg(stepSlowestMs, 0, 'f', 2)
        .arg(average(), 0, 'f', 2)
        .arg(slowestMs, 0, 'f', 2);
  }
};

// The ID shown in the grid's first column at the top of the screen.
int topId(korvel::ui::DBGrid& grid) {
  const QModelIndex cell = grid.model()->index(grid.rowAt(1), 0);
  return grid.model()->data(cell).toInt();
}

int measure(const Setup& setup, const QString& aliasText, const QString& folder) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  const QString aliases = writeAliases(aliasText, folder);
  if (aliases.isEmpty()) return 1;

  int argc = 1;
  char name[] = "bench_db_browse";
  char* argv[] = {name, nullptr};
  QApplication app(argc, argv);
  Engine::instance().loadAliases();
  QFile::remove(aliases);
  if (setup.label.startsWith(u"PG") && !makePostgres(setup.rows)) return 1;
  const long baseline = peakKilobytes();
  const int rows = setup.rows;

  // The window and its grid exist before a table is opened in it.
  korvel::ui::DataSource source;
  korvel::ui::DBGrid grid;
  grid.resize(1000, 700);
  grid.setDataSource(&source);
  grid.show();
  app.processEvents();
  QScrollBar* bar = grid.verticalScrollBar();

  QElapsedTimer timer;
  QElapsedTimer countTimer;
  timer.start();
  countTimer.start();
  Table table;
  table.setDatabaseName(QStringLiteral("BENCH"));
  table.setTableName(setup.table);
  table.open();
  source.setDataSet(&table);
  grid.viewport()->repaint();
  const double firstMs = msSince(timer);
  const bool firstOk = !setup.keyValues || topId(grid) == 1;

  // The thumb dragged to the middle at once, before the count has got
  // there (the range is what has been counted so far).
  Steps cold;
  cold.time(grid, [&] { bar->setValue(bar->maximum() / 2); });
  const bool coldMiddleOk = !setup.keyValues || topId(grid) == grid.topRow() + 1;

  // The count beside the window, taken as the window's event loop runs.
  while (table.knownRowCount() < 0 && table.countingRows()) app.processEvents(QEventLoop::WaitForMoreEvents, 50);
  const double countMs = countTimer.nsecsElapsed() / 1e6;
  const bool countOk = table.recordCount() == rows && bar->maximum() + bar->pageStep() == rows;
  app.processEvents();

  // The thumb dragged to the middle and to the end.
  Steps middle;
  middle.time(grid, [&] { bar->setValue(rows / 2 + 7); });
  const bool middleOk = !setup.keyValues || topId(grid) == rows / 2 + 8;
  Steps end;
  end.time(grid, [&] { bar->setValue(bar->maximum()); });
  const QRect lastRow = grid.visualRect(grid.model()->index(rows - 1, 0));
  const bool endOk = lastRow.isValid() && grid.viewport()->rect().contains(lastRow) &&
                     (!setup.keyValues || grid.model()->data(grid.model()->index(rows - 1, 0)).toInt() == rows);

  // Ctrl+End: the last record becomes current and the grid shows it.
  Steps last;
  bar->setValue(0);
  last.time(grid, [&] {
    QKeyEvent key(QEvent::KeyPress, Qt::Key_End, Qt::ControlModifier);
    QCoreApplication::sendEvent(&grid, &key);
  });
  const bool atLast = table.recNo() == rows - 1 && grid.currentIndex().row() == rows - 1 &&
                      grid.visualRect(grid.currentIndex()).isValid() &&
                      (!setup.keyValues || table.field(0).asString() == QString::number(rows));

  // 200 steps of the thumb over the whole table, as a user dragging it.
  Steps drag;
  const int step = std::max(1, bar->maximum() / 200);
  bool dragOk = true;
  for (int r = 0; r <= bar->maximum() && drag.count < 200; r += step) {
    drag.time(grid, [&] { bar->setValue(r); });
    if (setup.keyValues && topId(grid) != r + 1) dragOk = false;
  }

  // From a third of the way down: 200 rows scrolled one at a time (the
  // wheel and the bar's arrows), then 200 PageDown keys moving the cursor.
  bar->setValue(rows / 3);
  Steps lines;
  for (int i = 0; i < 200; ++i) lines.time(grid, [&] { bar->triggerAction(QAbstractSlider::SliderSingleStepAdd); });
  const bool linesOk = !setup.keyValues || topId(grid) == rows / 3 + 201;
  table.moveTo(rows / 3);
  Steps pages;
  for (int i = 0; i < 200; ++i)
    pages.time(grid, [&] {
      QKeyEvent key(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
      QCoreApplication::sendEvent(&grid, &key);
    });
  const bool pagesOk = table.recNo() > rows / 3 + 200 && grid.visualRect(grid.currentIndex()).isValid();

  std::printf("%-10s %11d rows, grid: first screen %6.1f ms (%s) | thumb to middle before the count %6.1f ms (%s) | "
              "count beside %8.1f ms (%s) | thumb to middle %5.1f ms (%s) | to end %5.1f ms (%s) | Ctrl+End %5.1f ms (%s)\n"
              "%-10s %11d rows, grid: 200 thumb steps %s (%s)\n"
              "%-10s %11d rows, grid: 200 line steps %s (%s)\n"
              "%-10s %11d rows, grid: 200 PageDown keys %s (%s) | peak memory %6.1f MB (before opening %6.1f MB)\n",
              qPrintable(setup.label), rows, firstMs, firstOk ? "ok" : "WRONG ROW", cold.totalMs,
              coldMiddleOk ? "ok" : "WRONG ROW", countMs, countOk ? "ok" : "WRONG COUNT", middle.totalMs,
              middleOk ? "ok" : "WRONG ROW", end.totalMs, endOk ? "ok" : "WRONG ROW", last.totalMs,
              atLast ? "ok" : "WRONG ROW", qPrintable(setup.label), rows, qPrintable(drag.figures()),
              dragOk ? "ok" : "WRONG ROW", qPrintable(setup.label), rows, qPrintable(lines.figures()),
              linesOk ? "ok" : "WRONG ROW", qPrintable(setup.label), rows, qPrintable(pages.figures()),
              pagesOk ? "ok" : "WRONG ROW", peakKilobytes() / 1024.0,
              baseline / 1024.0);
  std::fflush(stdout);
  bool ok = firstOk && coldMiddleOk && countOk && middleOk && endOk && atLast && dragOk && linesOk && pagesOk;
  if (!setup.walks) return ok ? 0 : 1;

  // Walk every row through the dataset, as a copy or export does.
  timer.restart();
  source.setDataSet(nullptr);
  long long sum = 0;
  for (table.first(); !table.eof(); table.next()) sum += table.field(0).value().toLongLong();
  const double walkMs = msSince(timer);
  const bool walkedAll = !setup.keyValues || sum == static_cast<long long>(rows) * (rows + 1) / 2;

  Query query;
  query.setDatabaseName(QStringLiteral("BENCH"));
  query.setSql(QStringLiteral("SELECT ID, NAME FROM %1 WHERE ID > 0").arg(setup.table));
  query.open();
  long long querySum = 0;
  for (; !query.eof(); query.next()) querySum += query.field(0).value().toLongLong();
  const double queryWalkMs = msSince(timer);
  const bool queryWalkedAll = querySum == static_cast<long long>(rows) * (rows + 1) / 2;
  std::printf("%-10s %11d rows: walk table %8.1f ms (%s, %.0f rows/s) | walk query %8.1f ms (%s) | "
              "peak memory %6.1f MB\n",
              qPrintable(setup.label), rows, walkMs, walkedAll ? "ok" : "WRONG SUM", rows / (walkMs / 1000),
              queryWalkMs, queryWalkedAll ? "ok" : "WRONG SUM", peakKilobytes() / 1024.0);
  std::fflush(stdout);
  return ok && walkedAll && queryWalkedAll ? 0 : 1;
}

// The engine alone, without a window: the scroll steps are jumps to 200
// positions spread over the table, each reading a screen of 30 rows.
int measureEngine(const Setup& setup, const QString& aliasText, const QString& folder) {
  const QString aliases = writeAliases(aliasText, folder);
  if (aliases.isEmpty()) return 1;
  int argc = 1;
  char name[] = "bench_db_browse";
  char* argv[] = {name, nullptr};
  QCoreApplication app(argc, argv);
  Engine::instance().loadAliases();
  QFile::remove(aliases);
  if (setup.label.startsWith(u"PG") && !makePostgres(setup.rows)) return 1;
  const long baseline = peakKilobytes();
  const int rows = setup.rows;
  // Moves to `first` and reads the texts of a screen of rows; gives the
  // first row's ID.
  const auto readScreen = [](Table& table, int first) {
    table.moveTo(first);
    const int id = table.field(0).value().toInt();
    for (int i = 0; i < 30 && !table.eof(); ++i, table.next())
      for (int c = 0; c < table.fieldCount(); ++c) table.field(c).asString();
    return id;
  };

  QElapsedTimer timer;
  timer.start();
  Table table;
  table.setDatabaseName(QStringLiteral("BENCH"));
  table.setTableName(setup.table);
  table.open();
  readScreen(table, 0);
  const double firstMs = msSince(timer);
  while (table.knownRowCount() < 0 && table.countingRows()) app.processEvents(QEventLoop::WaitForMoreEvents, 50);
  const double countMs = msSince(timer);
  bool ok = table.recordCount() == rows;
  timer.restart();
  const int step = std::max(1, rows / 200);
  int steps = 0;
  double slowest = 0;
  QElapsedTimer one;
  for (int r = step / 2; r < rows && steps < 200; r += step, ++steps) {
    one.start();
    const int id = readScreen(table, r);
    slowest = std::max(slowest, one.nsecsElapsed() / 1e6);
    if (setup.keyValues && id != r + 1) ok = false;
  }
  const double scrollMs = msSince(timer);
  table.moveTo(rows - 1);
  ok = ok && (!setup.keyValues || table.field(0).value().toInt() == rows);
  std::printf("%-10s %11d rows, engine only: first screen %6.1f ms | count beside %8.1f ms (%s) | "
              "200 jumps of a screen %7.1f ms (%.2f ms a step, slowest %.2f ms) | peak memory %6.1f MB "
              "(before opening %6.1f MB)\n",
              qPrintable(setup.label), rows, firstMs, countMs, ok ? "ok" : "WRONG", scrollMs,
              scrollMs / std::max(steps, 1), slowest, peakKilobytes() / 1024.0, baseline / 1024.0);
  std::fflush(stdout);
  return ok ? 0 : 1;
}

// A query without key: the rows of big_nokey joined with a table of twelve
// rows, so no row can be sought by key or address. Screens of 30 rows read
// at jumps over the whole result, forward and then back.
int measureQuery(const QString& aliasText, const QString& folder) {
  const QString aliases = writeAliases(aliasText, folder);
  if (aliases.isEmpty()) return 1;
  int argc = 1;
  char name[] = "bench_db_browse";
  char* argv[] = {name, nullptr};
  QCoreApplication app(argc, argv);
  Engine::instance().loadAliases();
  QFile::remove(aliases);
  if (!makePostgres(kPgRows)) return 1;
  const long baseline = peakKilobytes();
  const int rows = kPgRows;
  const auto readScreen = [](Query& query, int first) {
    query.moveTo(first);
    const int id = query.field(0).value().toInt();
    for (int i = 0; i < 30 && !query.eof(); ++i, query.next())
      for (int c = 0; c < query.fieldCount(); ++c) query.field(c).asString();
    return id;
  };
  bool ok = true;
  const auto timed = [&](Query& query, int first) {
    QElapsedTimer one;
    one.start();
    if (readScreen(query, first) != first + 1) ok = false;
    return one.nsecsElapsed() / 1e6;
  };
  QElapsedTimer timer;
  timer.start();
  Query query;
  query.setDatabaseName(QStringLiteral("BENCH"));
  query.setSql(QStringLiteral("SELECT b.ID, b.NAME, b.AMOUNT, b.DAY, m.LABEL FROM big_nokey b "
                              "JOIN bench_months m ON m.MONTH = EXTRACT(MONTH FROM b.DAY)"));
  query.open();
  readScreen(query, 0);
  const double firstMs = msSince(timer);
  const double middleMs = timed(query, rows / 2);
  const double endMs = timed(query, rows - 30);
  const double backMs = timed(query, rows / 2 + 1000);
  // 200 jumps down the result, then back up it; a run that goes past a
  // minute stops there (reading by position costs a scan a jump).
  const int step = rows / 200;
  int steps = 0;
  double slowest = 0;
  timer.restart();
  for (int i = 0; i < 200 && timer.elapsed() < 60000; ++i, ++steps) {
    const int first = i < 100 ? step / 2 + 2 * i * step : rows - step / 2 - 2 * (i - 100) * step - 30;
    slowest = std::max(slowest, timed(query, first));
  }
  const double stepsMs = msSince(timer);
  std::printf("%-10s %11d rows, query without key, engine only: first screen %6.1f ms | jump to middle %7.1f ms | "
              "to end %7.1f ms | back to middle %7.1f ms | %d jumps down and up %8.1f ms (%.2f ms a jump, slowest "
              "%.1f ms) (%s) | peak memory %6.1f MB (before opening %6.1f MB)\n",
              "PG query", rows, firstMs, middleMs, endMs, backMs, steps, stepsMs, stepsMs / std::max(steps, 1),
              slowest, ok ? "ok" : "WRONG ROW", peakKilobytes() / 1024.0, baseline / 1024.0);
  std::fflush(stdout);
  return ok ? 0 : 1;
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
  const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/tmp");
  if (argc > 2 && QByteArray(argv[2]) == "query") {
    if (qEnvironmentVariableIsEmpty("KORVEL_TEST_PG")) return 1;
    return inChild([&] { return measureQuery(pgAliasSection(), folder); });
  }
  std::vector<int> sizes;
  for (int i = 2; i < argc; ++i) sizes.push_back(std::atoi(argv[i]));
  if (sizes.empty()) sizes = {10000, 1000000, 10000000};
  int failures = 0;
  for (int rows : sizes) {
    const QString file = QStringLiteral("%1/korvel-bench-%2.sqlite").arg(folder).arg(rows);
    inChild([&] {
      makeSqlite(file, rows);
      return 0;
    });
    const Setup setup{QStringLiteral("SQLite"), QStringLiteral("BIG"), rows, true, rows <= 1000000};
    const QString alias = QStringLiteral("[BENCH]\nTYPE=SQLITE\nPATH=%1\n").arg(file);
    failures += inChild([&] { return measureEngine(setup, alias, folder); });
    failures += inChild([&] { return measure(setup, alias, folder); });
  }
  if (qEnvironmentVariableIsEmpty("KORVEL_TEST_PG")) {
    std::printf("KORVEL_TEST_PG is not set: PostgreSQL not measured\n");
  } else {
    for (const QString& table : {QStringLiteral("big"), QStringLiteral("big_nokey")}) {
      const Setup setup{table == u"big" ? QStringLiteral("PG key") : QStringLiteral("PG no key"), table, kPgRows,
                        table == u"big", false};
      failures += inChild([&] { return measureEngine(setup, pgAliasSection(), folder); });
      failures += inChild([&] { return measure(setup, pgAliasSection(), folder); });
    }
    failures += inChild([&] { return measureQuery(pgAliasSection(), folder); });
  }
  return failures == 0 ? 0 : 1;
}
