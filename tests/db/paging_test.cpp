// Reaching rows by position in tables of any size: pages sought by key, row
// id or row address from anchors, the count beside the window and its
// cancel, and positions that stay right while rows are inserted, deleted and
// moved. Run on SQLite and on PostgreSQL.

#include <QElapsedTimer>
#include <QSqlQuery>
#include <QThread>
#include <algorithm>
#include <random>

#include "db/datasetmodel.h"
#include "db/query.h"
#include "db/rowanchors.h"
#include "db/rowcounter.h"
#include "db/sqlitedriver.h"
#include "db/table.h"
#include "dbtestenv.h"

namespace korvel::db::test {
namespace {

// A name that must stay one quoted name in every statement the paging builds.
const QString kHostile = QStringLiteral(R"(p"g.s;t)");
const QString kQuotedHostile = QStringLiteral(R"("p""g.s;t")");

// The rowsCounted() signals a dataset sends, as a view hears them.
struct CountHeard {
  explicit CountHeard(Dataset& ds) {
    QObject::connect(&ds, &Dataset::rowsCounted, &ds, [this](int rows, bool final) {
      ++heard;
      lastRows = rows;
      lastFinal = final;
    });
  }
  int heard = 0;
  int lastRows = -1;
  bool lastFinal = false;
};

class PagingTest : public EngineFixture, public ::testing::WithParamInterface<const char*> {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    if (postgres()) {
      if (pgConnectionString().isEmpty()) return;
      writeAliases(pgAliasSection(QStringLiteral("DB")));
    } else {
      sqliteAlias({}, QStringLiteral("DB"));
    }
  }
  bool postgres() const { return QString::fromLatin1(GetParam()) == u"POSTGRESQL"; }
  void exec(const QString& sql) {
    Query q;
    q.setDatabaseName(QStringLiteral("DB"));
    q.setSql(sql);
    q.execSql();
  }
  // The first column of every row of `sql`, read in one go past the paging.
  QStringList column(const QString& sql) {
    Query q;
    q.setDatabaseName(QStringLiteral("DB"));
    q.setSql(sql);
    q.open();
    QStringList values;
    for (; !q.eof(); q.next()) values << q.field(0).asString();
    return values;
  }
  // A table of `rows` rows keyed by 3 * n + 1 (gaps between the keys), in
  // an order other than the key's so that no physical order gives it away.
  void makeKeyed(const QString& quotedName, int rows) {
    exec(QStringLiteral("DROP TABLE IF EXISTS %1").arg(quotedName));
    exec(QStringLiteral("CREATE TABLE %1 (ID INTEGER PRIMARY KEY, LABEL VARCHAR(20))").arg(quotedName));
    insertSeries(quotedName, rows, QStringLiteral("(%1 * 7919) % %2").arg(QStringLiteral("n")).arg(rows));
  }
  // Rows ID = 3 * f(n) + 1, LABEL 'r' || ID, for n in [0, rows).
  void insertSeries(const QString& quotedName, int rows, const QString& f) {
    const QString series = postgres()
        ? QStringLiteral("SELECT n FROM generate_series(0, %1) n").arg(rows - 1)
        : QStringLiteral("WITH RECURSIVE s(n) AS (SELECT 0 UNION ALL SELECT n + 1 FROM s WHERE n < %1) "
                         "SELECT n FROM s").arg(rows - 1);
    exec(QStringLiteral("INSERT INTO %1 SELECT 3 * (%2) + 1, 'r' || (3 * (%2) + 1) FROM (%3) g")
             .arg(quotedName, f, series));
  }
  // Opens the table and lets the walk beside make its anchors to the end.
  void open(Table& t, const QString& name, bool waitForAnchors = true) {
    t.setDatabaseName(QStringLiteral("DB"));
    t.setTableName(name);
    t.open();
    QElapsedTimer waited;
    waited.start();
    while (waitForAnchors && t.countingRows() && waited.elapsed() < 60000)
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    EXPECT_FALSE(waitForAnchors && t.countingRows());
  }
  // Every row at its position: positions visited out of order (each page
  // is then found afresh, from an anchor), both ends and the rows on either
  // side of each anchor interval.
  void expectRowsAt(Table& t, const QStringList& expected) {
    std::vector<int> positions;
    for (int p = 0; p < expected.size(); p += 37) positions.push_back(p);
    for (int edge = 0; edge < expected.size(); edge += 1000)
      for (int p : {edge - 1, edge, edge + 1, edge + 99, edge + 100})
        if (p >= 0 && p < expected.size()) positions.push_back(p);
    positions.push_back(static_cast<int>(expected.size()) - 1);
    std::shuffle(positions.begin(), positions.end(), std::mt19937(7));
    for (int p : positions) {
      t.moveTo(p);
      ASSERT_EQ(t.recNo(), p);
      ASSERT_EQ(t.field(0).asString(), expected[p]) << "at row " << p;
    }
  }
};

TEST_P(PagingTest, EveryPositionHoldsItsRowWithAndWithoutTheCount) {
  KORVEL_REQUIRE_PG();
  makeKeyed(kQuotedHostile, 4321);
  const QStringList ids = column(QStringLiteral("SELECT ID FROM %1 ORDER BY ID").arg(kQuotedHostile));
  ASSERT_EQ(ids.size(), 4321);

  // The count beside the window ends with the whole result; views hear of it.
  Table t;
  CountHeard counted(t);
  open(t, kHostile);
  EXPECT_EQ(t.field(0).asString(), QStringLiteral("1"));
  EXPECT_EQ(t.knownRowCount(), 4321);
  EXPECT_EQ(counted.lastRows, 4321);
  EXPECT_TRUE(counted.lastFinal);
  expectRowsAt(t, ids);
  EXPECT_LE(t.cachedRows(), Dataset::maxCachedRows());

  // Without the count: pages are found by position and from their neighbours.
  Table plain;
  open(plain, kHostile, false);
  plain.cancelCount();
  EXPECT_FALSE(plain.countingRows());
  expectRowsAt(plain, ids);
  int walked = 0;
  for (plain.last(); !plain.bof(); plain.prior()) ASSERT_EQ(plain.field(0).asString(), ids[4320 - walked++]);
  EXPECT_EQ(walked, 4321);
}

// A view's scroll range follows the count beside the window to the result's
// size, without the view asking for the rows.
TEST_P(PagingTest, TheGridModelGrowsWithTheCountBeside) {
  KORVEL_REQUIRE_PG();
  makeKeyed(QStringLiteral("pg_model"), 5000);
  Table t;
  DatasetModel model;
  model.setCountLimit(10);  // no count on opening: the rows are shown as read
  model.setDataset(&t);
  open(t, QStringLiteral("pg_model"), false);
  EXPECT_LT(model.rowCount(), 5000);
  QElapsedTimer waited;
  waited.start();
  while (model.rowCount() < 5000 && waited.elapsed() < 60000)
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
  EXPECT_EQ(model.rowCount(), 5000);
  EXPECT_EQ(model.data(model.index(4999, 0), Qt::DisplayRole).toString(), QStringLiteral("14998"));
}

TEST_P(PagingTest, CompositeTextKeysAreSoughtInTheDatabasesOwnOrder) {
  KORVEL_REQUIRE_PG();
  const QString name = QStringLiteral("pg_composite");
  exec(QStringLiteral("DROP TABLE IF EXISTS %1").arg(name));
  exec(QStringLiteral("CREATE TABLE %1 (A VARCHAR(10), B INTEGER, C VARCHAR(10), PRIMARY KEY (A, B))").arg(name));
  // Few distinct first values, so that anchors fall inside runs of equal A.
  const QStringList firsts = {QStringLiteral("a'b"), QStringLiteral("Z"), QStringLiteral("山"), QStringLiteral("a"),
                              QStringLiteral("\"q")};
  for (const QString& first : firsts) {
    QString literal = first;
    literal.replace(u'\'', QStringLiteral("''"));
    const QString series = postgres()
        ? QStringLiteral("SELECT n FROM generate_series(1, 700) n")
        : QStringLiteral("WITH RECURSIVE s(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM s WHERE n < 700) SELECT n FROM s");
    exec(QStringLiteral("INSERT INTO %1 SELECT '%2', n * 2, 'c' FROM (%3) g").arg(name, literal, series));
  }
  const QStringList expected =
      column(QStringLiteral("SELECT A || '/' || CAST(B AS VARCHAR(10)) FROM %1 ORDER BY A, B").arg(name));
  ASSERT_EQ(expected.size(), 3500);

  Table t;
  open(t, name);
  ASSERT_EQ(t.recordCount(), 3500);
  std::vector<int> positions = {0, 699, 700, 999, 1000, 1001, 2100, 3499};
  for (int p = 13; p < 3500; p += 211) positions.push_back(p);
  std::shuffle(positions.begin(), positions.end(), std::mt19937(3));
  for (int p : positions) {
    t.moveTo(p);
    ASSERT_EQ(t.field(0).asString() + u'/' + t.field(1).asString(), expected[p]) << "at row " << p;
  }
}

TEST_P(PagingTest, InsertsDeletesAndKeyChangesKeepEveryPositionRight) {
  KORVEL_REQUIRE_PG();
  makeKeyed(kQuotedHostile, 3200);
  Table t;
  open(t, kHostile);
  ASSERT_EQ(t.recordCount(), 3200);
  const auto expectTable = [&](int count) {
    const QStringList ids = column(QStringLiteral("SELECT ID FROM %1 ORDER BY ID").arg(kQuotedHostile));
    ASSERT_EQ(ids.size(), count);
    EXPECT_EQ(t.recordCount(), count);
    expectRowsAt(t, ids);
  };

  // An insert between the first keys: every row after it moves down one.
  t.insert();
  t.field(0).setEditText(QStringLiteral("2"));
  t.field(1).setEditText(QStringLiteral("new"));
  t.post();
  EXPECT_EQ(t.recNo(), 1);
  EXPECT_EQ(t.field(1).asString(), QStringLiteral("new"));
  expectTable(3201);

  // A delete past several anchors: the rows after it move up one.
  t.moveTo(2500);
  const QString deleted = t.field(0).asString();
  t.deleteRecord();
  EXPECT_EQ(t.recNo(), 2500);
  EXPECT_NE(t.field(0).asString(), deleted);
  expectTable(3200);

  // A key moved from the start to past the last anchor.
  t.moveTo(3);
  t.edit();
  t.field(0).setEditText(QStringLiteral("100000"));
  t.post();
  EXPECT_EQ(t.recNo(), 3199);
  EXPECT_EQ(t.field(0).asString(), QStringLiteral("100000"));
  expectTable(3200);

  // An append at the end, then the last row deleted again.
  t.append();
  t.field(0).setEditText(QStringLiteral("100001"));
  t.post();
  EXPECT_EQ(t.recNo(), 3200);
  t.deleteRecord();
  EXPECT_EQ(t.recNo(), 3199);
  expectTable(3200);
}

TEST_P(PagingTest, RowsOthersAddAreFoundAfterARefresh) {
  KORVEL_REQUIRE_PG();
  makeKeyed(QStringLiteral("pg_others"), 2500);
  Table t;
  open(t, QStringLiteral("pg_others"));
  ASSERT_EQ(t.recordCount(), 2500);
  t.moveTo(1500);
  // Another program puts 300 rows before every anchor.
  exec(QStringLiteral("INSERT INTO pg_others SELECT -ID, 'x' FROM pg_others WHERE ID < 900"));
  t.refresh();
  const QStringList ids = column(QStringLiteral("SELECT ID FROM pg_others ORDER BY ID"));
  EXPECT_EQ(t.recordCount(), 2800);
  expectRowsAt(t, ids);
  // A key search finds its row's position among the new rows.
  t.setKey();
  t.field(0).setEditText(QStringLiteral("2002"));
  ASSERT_TRUE(t.gotoKey());
  EXPECT_EQ(t.recNo(), ids.indexOf(QStringLiteral("2002")));
}

// PostgreSQL tables without a primary key are paged by row address: holes
// left by deleted rows, and rows others add at the end, are read in order.
TEST_P(PagingTest, TablesWithoutKeyArePagedByRowAddress) {
  KORVEL_REQUIRE_PG();
  const QString name = QStringLiteral("pg_nokey");
  exec(QStringLiteral("DROP TABLE IF EXISTS %1").arg(name));
  exec(QStringLiteral("CREATE TABLE %1 (ID INTEGER, LABEL VARCHAR(20))").arg(name));
  insertSeries(name, 5000, QStringLiteral("n"));
  exec(QStringLiteral("DELETE FROM %1 WHERE ID % 7 = 0 OR (ID > 6000 AND ID < 9000)").arg(name));
  const QString order = postgres() ? QStringLiteral("ctid") : QStringLiteral("rowid");
  const QStringList expected = column(QStringLiteral("SELECT ID FROM %1 ORDER BY %2").arg(name, order));

  Table t;
  open(t, name);
  EXPECT_EQ(t.recordCount(), expected.size());
  expectRowsAt(t, expected);
  int walked = 0;
  for (t.first(); !t.eof(); t.next()) ASSERT_EQ(t.field(0).asString(), expected[walked++]);
  EXPECT_EQ(walked, expected.size());

  Table uncounted;
  open(uncounted, name, false);
  uncounted.cancelCount();
  expectRowsAt(uncounted, expected);
}

TEST_P(PagingTest, CancelledAndAbandonedCountsLeaveTheDatasetWorking) {
  KORVEL_REQUIRE_PG();
  makeKeyed(QStringLiteral("pg_cancel"), 60000);
  {
    // Closed while its count runs: the count stops with it.
    Table t;
    open(t, QStringLiteral("pg_cancel"), false);
  }
  Table t;
  open(t, QStringLiteral("pg_cancel"), false);
  t.cancelCount();
  EXPECT_FALSE(t.countingRows());
  EXPECT_EQ(t.knownRowCount(), -1);
  t.moveTo(30000);
  EXPECT_EQ(t.field(0).asString(), QStringLiteral("90001"));
  // Asked again, the count runs beside once more and reaches the end.
  EXPECT_TRUE(t.countRowsAside());
  CountHeard counted(t);
  QElapsedTimer waited;
  waited.start();
  while (t.knownRowCount() < 0 && waited.elapsed() < 60000)
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
  EXPECT_EQ(t.knownRowCount(), 60000);
  EXPECT_EQ(t.countedRows(), 60000);
  EXPECT_EQ(counted.lastRows, 60000);
  EXPECT_TRUE(counted.lastFinal);
}

// A count inside a statement that would run for ever is interrupted there.
TEST_P(PagingTest, ACountStatementIsInterruptedWhereItRuns) {
  KORVEL_REQUIRE_PG();
  Query q;
  q.setDatabaseName(QStringLiteral("DB"));
  q.setSql(QStringLiteral("SELECT 1 AS ONE"));
  q.open();  // the alias's connection, which the side connection follows
  CountPlan plan;
  plan.countSql = postgres()
      ? QStringLiteral("SELECT COUNT(*) FROM (SELECT pg_sleep(600)) s")
      : QStringLiteral("WITH RECURSIVE s(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM s) SELECT COUNT(*) FROM s");
  SideConnector connector =
      Engine::instance().driver(QStringLiteral("DB")).sideConnector(Engine::instance().connection(QStringLiteral("DB")));
  ASSERT_TRUE(connector);
  RowCounter counter(connector, plan);
  counter.start();
  QThread::msleep(300);
  EXPECT_TRUE(counter.running());
  counter.cancel();
  counter.wait();  // hangs (and the test times out) when the statement runs on
  const RowCounter::Progress progress = counter.take();
  EXPECT_TRUE(progress.failed);
  EXPECT_FALSE(progress.finished);
}

// The count beside reads as the window's own session does: a search path
// the session set finds the same table on the second connection, and so do
// the pages a query without key reads there.
TEST_P(PagingTest, TheConnectionsBesideFollowTheSessionsSearchPath) {
  if (!postgres()) GTEST_SKIP() << "a PostgreSQL session setting";
  KORVEL_REQUIRE_PG();
  exec(QStringLiteral("DROP SCHEMA IF EXISTS korvel_path CASCADE"));
  exec(QStringLiteral("CREATE SCHEMA korvel_path"));
  makeKeyed(QStringLiteral("path_rows"), 100);
  makeKeyed(QStringLiteral("korvel_path.path_rows"), 3000);
  exec(QStringLiteral("SET search_path TO korvel_path, public"));
  {
    Query q;
    q.setDatabaseName(QStringLiteral("DB"));
    q.setSql(QStringLiteral("SELECT ID FROM path_rows ORDER BY ID"));
    q.open();
    QElapsedTimer waited;
    waited.start();
    while (q.countingRows() && waited.elapsed() < 60000)
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    EXPECT_EQ(q.knownRowCount(), 3000);
    q.moveTo(2999);
    EXPECT_EQ(q.field(0).asString(), QStringLiteral("8998"));
  }
  exec(QStringLiteral("SET search_path TO DEFAULT"));
  exec(QStringLiteral("DROP SCHEMA korvel_path CASCADE"));
  exec(QStringLiteral("DROP TABLE path_rows"));
}

INSTANTIATE_TEST_SUITE_P(Databases, PagingTest, ::testing::Values("SQLITE", "POSTGRESQL"));

// Anchors stay within their cap however many a walk offers, thinned evenly,
// and each keeps the bound that belongs to its row number.
TEST(RowAnchorsTest, ThinningKeepsEvenlySpacedMatchingAnchors) {
  RowAnchors anchors;
  const int offered = static_cast<int>(RowAnchors::kMaxAnchors) * 3 + 5;
  for (int i = 1; i <= offered; ++i) anchors.append(RowAnchor{i * 10, {QVariant(i * 10), QVariant(-i)}});
  EXPECT_LT(anchors.size(), RowAnchors::kMaxAnchors);
  EXPECT_GT(anchors.size(), RowAnchors::kMaxAnchors / 4);
  int previous = 0;
  for (size_t i = 0; i < anchors.size(); ++i) {
    const RowAnchor a = anchors.at(i);
    ASSERT_EQ(a.bound.value(0).toInt(), a.rowsBefore);
    ASSERT_EQ(a.bound.value(1).toInt(), -a.rowsBefore / 10);
    ASSERT_EQ(a.rowsBefore - previous, 40) << "anchor " << i;  // one in four kept, evenly
    previous = a.rowsBefore;
  }
  EXPECT_FALSE(anchors.atOrBefore(39).has_value());
  EXPECT_EQ(anchors.atOrBefore(85).value().rowsBefore, 80);
  EXPECT_EQ(anchors.atOrAfter(81).value().rowsBefore, 120);
  EXPECT_FALSE(anchors.atOrAfter(offered * 10 + 1).has_value());

  // Rows inserted before an anchor's bound push it down; removed, pull it up.
  anchors.shift(100, 1);
  EXPECT_EQ(anchors.atOrBefore(80).value().rowsBefore, 80);
  EXPECT_EQ(anchors.atOrAfter(81).value().rowsBefore, 121);
  anchors.shift(100, -1);
  EXPECT_EQ(anchors.atOrAfter(81).value().rowsBefore, 120);
}

}  // namespace
}  // namespace korvel::db::test
