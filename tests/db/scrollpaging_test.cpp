// A PostgreSQL query without key, read by position through a scroll cursor
// on a second connection: every position right, the statement run once
// however the window jumps, a reader the server ended replaced without an
// error, rows others added seen after a refresh, and a text hiding a second
// statement refused.

#include <QSqlQuery>
#include <algorithm>
#include <random>

#include "db/driver.h"
#include "db/engineerror.h"
#include "db/query.h"
#include "db/scrollreader.h"
#include "dbtestenv.h"

namespace korvel::db::test {
namespace {

constexpr int kRows = 6000;

class ScrollPagingTest : public EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    if (pgConnectionString().isEmpty()) return;
    // Names of this test's own: the tests may run side by side on the one
    // server, and one's DROP would wait on another's open reader.
    const QString test = QString::fromUtf8(::testing::UnitTest::GetInstance()->current_test_info()->name());
    suffix_ = QStringLiteral("_%1").arg(qHash(test) % 1000000);
    writeAliases(pgAliasSection(QStringLiteral("DB")));
    exec(QStringLiteral("DROP TABLE IF EXISTS scroll_rows"));
    exec(QStringLiteral("CREATE TABLE scroll_rows (a INTEGER, b VARCHAR(20))"));
    exec(QStringLiteral("INSERT INTO scroll_rows SELECT n, 'r' || n FROM generate_series(1, %1) n").arg(kRows));
    // Counts its calls in the session that runs it: the n-th row a session
    // produces carries n.
    exec(QStringLiteral(
        "CREATE OR REPLACE FUNCTION korvel_tick() RETURNS integer VOLATILE LANGUAGE sql AS $$ "
        "SELECT set_config('korvel.ticks', (COALESCE(NULLIF(current_setting('korvel.ticks', true), ''), '0')::int "
        "+ 1)::text, false)::int $$"));
  }
  void TearDown() override {
    if (!suffix_.isEmpty()) {
      exec(QStringLiteral("DROP TABLE IF EXISTS scroll_rows"));
      exec(QStringLiteral("DROP FUNCTION IF EXISTS korvel_tick()"));
    }
    EngineFixture::TearDown();
  }
  // The statement with this test's own table and function names.
  QString named(QString sql) const {
    return sql.replace(QStringLiteral("scroll_rows"), QStringLiteral("scroll_rows") + suffix_)
        .replace(QStringLiteral("korvel_tick"), QStringLiteral("korvel_tick") + suffix_);
  }
  void exec(const QString& sql) {
    Query q;
    q.setDatabaseName(QStringLiteral("DB"));
    q.setSql(named(sql));
    q.execSql();
  }
  int value(const QString& sql) {
    Query q;
    q.setDatabaseName(QStringLiteral("DB"));
    q.setSql(named(sql));
    q.open();
    return q.field(0).asString().toInt();
  }
  int readers() {
    return value(QStringLiteral("SELECT COUNT(*) FROM pg_stat_activity WHERE application_name = 'korvel scroll reader of ' || pg_backend_pid()"));
  }
  void open(Query& q, const QString& sql) {
    q.setDatabaseName(QStringLiteral("DB"));
    q.setSql(named(sql));
    q.open();
  }
  // Positions across the result out of order, both ends and page edges.
  static std::vector<int> jumbledPositions(int rows) {
    std::vector<int> positions{rows - 1, 0, 99, 100, 1999, 2000, 101, rows / 2, 1};
    for (int p = 0; p < rows; p += 37) positions.push_back(p);
    std::shuffle(positions.begin() + 9, positions.end(), std::mt19937(11));
    return positions;
  }

  QString suffix_;  // this test's, after its table's and function's names
};

// The query's own ORDER BY and LIMIT hold, a trailing comment after the
// semicolon taken off stays harmless, and every row is where reading by
// position puts it: reached by jumps either way, and page by page backward
// from the end (short steps back are taken backward, long ones from the
// start).
TEST_F(ScrollPagingTest, EveryPositionReadsAsByPosition) {
  KORVEL_REQUIRE_PG();
  constexpr int kLimit = kRows - 100;
  Query q;
  open(q, QStringLiteral("SELECT x.a, y.b FROM scroll_rows x JOIN scroll_rows y ON y.a = x.a "
                         "ORDER BY x.a DESC LIMIT %1 -- newest first\n;").arg(kLimit));
  const auto expectRow = [&](int p) {
    ASSERT_EQ(q.rowText(p, 0), QString::number(kRows - p)) << p;
    ASSERT_EQ(q.rowText(p, 1), QStringLiteral("r%1").arg(kRows - p)) << p;
  };
  for (int p : jumbledPositions(kLimit)) expectRow(p);
  EXPECT_EQ(q.rowValue(kLimit, 0), QVariant());
  EXPECT_EQ(q.recordCount(), kLimit);
  q.refresh();
  for (int p = kLimit - 1; p >= 0; p -= 50) expectRow(p);
  EXPECT_GE(readers(), 1);
  q.close();
  EXPECT_EQ(readers(), 0);  // closing the dataset ends its reader
}

// Each row is produced once per open: a walk jumping backward and forward
// sees no row the reader's session produced twice. Read by position, every
// jump would run the join (and the counter) again from the first row.
TEST_F(ScrollPagingTest, JumpsDoNotRunTheStatementAgain) {
  KORVEL_REQUIRE_PG();
  Query q;
  open(q, QStringLiteral("SELECT x.a, korvel_tick() AS tick FROM scroll_rows x JOIN scroll_rows y ON y.a = x.a"));
  int highest = 0;
  for (int p : {2000, 150, 5500, 300, 5999, 5700, 120, 1000, 5900, 100}) {
    for (int row = p; row < std::min(p + 100, kRows); row += 9)
      highest = std::max(highest, q.rowText(row, 1).toInt());
  }
  EXPECT_GT(highest, 0);
  EXPECT_LE(highest, kRows);
}

// A reader whose backend the server ended gives way: the page is read by
// position and the next one from a new reader, with no error.
TEST_F(ScrollPagingTest, PagesComeRightAfterTheServerEndedTheReader) {
  KORVEL_REQUIRE_PG();
  Query q;
  open(q, QStringLiteral("SELECT x.a FROM scroll_rows x JOIN scroll_rows y ON y.a = x.a ORDER BY x.a"));
  ASSERT_EQ(q.rowText(500, 0), QStringLiteral("501"));
  ASSERT_GE(readers(), 1);
  EXPECT_GE(value(QStringLiteral("SELECT COUNT(pg_terminate_backend(pid)) FROM pg_stat_activity "
                                 "WHERE application_name = 'korvel scroll reader of ' || pg_backend_pid()")), 1);
  for (int p : {1200, 300, 5999, 5500, 700}) EXPECT_EQ(q.rowText(p, 0), QString::number(p + 1)) << p;
  EXPECT_GE(readers(), 1);  // a new reader serves again
}

// Rows another program adds are not in the reader's snapshot; a refresh
// opens a new one that sees them.
TEST_F(ScrollPagingTest, RefreshSeesRowsAddedByOthers) {
  KORVEL_REQUIRE_PG();
  Query q;
  open(q, QStringLiteral("SELECT x.a FROM scroll_rows x JOIN scroll_rows y ON y.a = x.a ORDER BY x.a"));
  ASSERT_EQ(q.rowText(2400, 0), QStringLiteral("2401"));
  {
    QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("other program"));
    const auto p = pgParameters();
    other.setHostName(p.value(QStringLiteral("host")));
    other.setPort(p.value(QStringLiteral("port")).toInt());
    other.setDatabaseName(p.value(QStringLiteral("dbname")));
    other.setUserName(p.value(QStringLiteral("user")));
    ASSERT_TRUE(other.open());
    EXPECT_TRUE(QSqlQuery(other).exec(named(
        QStringLiteral("INSERT INTO scroll_rows SELECT n, 'n' || n FROM generate_series(%1, %2) n").arg(kRows + 1).arg(kRows + 150))));
    other.close();
  }
  QSqlDatabase::removeDatabase(QStringLiteral("other program"));
  q.refresh();
  EXPECT_EQ(q.recordCount(), kRows + 150);
  EXPECT_EQ(q.rowText(kRows + 149, 0), QString::number(kRows + 150));
  EXPECT_EQ(q.rowText(1300, 0), QStringLiteral("1301"));
}

// Inside a transaction of the dataset's own connection a second connection
// would not see the rows written in it: the rows are read there instead.
TEST_F(ScrollPagingTest, RowsWrittenInAnOpenTransactionAreSeen) {
  KORVEL_REQUIRE_PG();
  exec(QStringLiteral("BEGIN"));
  exec(QStringLiteral("INSERT INTO scroll_rows VALUES (%1, 'uncommitted')").arg(kRows + 1));
  Query q;
  open(q, QStringLiteral("SELECT x.a, x.b FROM scroll_rows x JOIN scroll_rows y ON y.a = x.a ORDER BY x.a"));
  EXPECT_EQ(q.rowText(kRows, 1), QStringLiteral("uncommitted"));
  EXPECT_EQ(q.rowText(3000, 0), QStringLiteral("3001"));
  EXPECT_EQ(readers(), 0);
  q.close();
  exec(QStringLiteral("ROLLBACK"));
}

// The cursor takes the statement as given; a second statement hidden
// behind a semicolon is refused by the server, never run.
TEST_F(ScrollPagingTest, AHiddenSecondStatementIsRefused) {
  KORVEL_REQUIRE_PG();
  QSqlDatabase own = Engine::instance().connection(QStringLiteral("DB"));
  const SideConnector connector = Engine::instance().driver(QStringLiteral("DB")).sideConnector(own);
  ASSERT_TRUE(connector);
  const auto readRow = [](QSqlQuery& query) { return QVector<QVariant>{query.value(0)}; };
  for (const char* text : {"SELECT 1; UPDATE scroll_rows SET b = 'x'",
                           "SELECT 1; COMMIT; UPDATE scroll_rows SET b = 'x'"}) {
    EXPECT_THROW(ScrollReader(connector, own, named(QString::fromLatin1(text)), readRow), EngineError) << text;
  }
  EXPECT_EQ(value(QStringLiteral("SELECT COUNT(*) FROM scroll_rows WHERE b = 'x'")), 0);
  ScrollReader reader(connector, own, named(QStringLiteral("SELECT a FROM scroll_rows ORDER BY a")), readRow);
  const auto rows = reader.read(kRows - 10, 100);
  ASSERT_EQ(rows.size(), 10u);
  EXPECT_EQ(rows.front().value(0).toInt(), kRows - 9);
  EXPECT_EQ(reader.read(5, 1).front().value(0).toInt(), 6);  // back from past the end
}

}  // namespace
}  // namespace korvel::db::test
