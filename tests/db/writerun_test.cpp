// Writing many rows in one run: a refused row undoes only itself, the rows
// before and after it are kept, and a refused commit is reported with
// nothing kept. On SQLite, on PostgreSQL (where a failed statement aborts
// the transaction) and through ODBC (rows commit one by one).

#include <QCoreApplication>

#include "db/query.h"
#include "db/table.h"
#include "db/writerun.h"
#include "dbtestenv.h"

namespace korvel::db::test {
namespace {

const QString kAlias = QStringLiteral("RUN");

class WriteRunTest : public EngineFixture, public ::testing::WithParamInterface<const char*> {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    if (server() && pgConnectionString().isEmpty()) return;
    if (driver() == u"SQLITE")
      sqliteAlias({}, kAlias);
    else
      writeAliases(driver() == u"POSTGRESQL" ? pgAliasSection(kAlias) : odbcAliasSection(kAlias));
    // Tests run side by side in processes of their own: each uses its own table.
    table_ = QStringLiteral("run_%1_%2").arg(driver().toLower()).arg(QCoreApplication::applicationPid());
    exec(QStringLiteral("DROP TABLE IF EXISTS %1").arg(table_));
    exec(QStringLiteral("DROP TABLE IF EXISTS %1_parent").arg(table_));
  }
  void TearDown() override {
    if (!table_.isEmpty()) {
      exec(QStringLiteral("DROP TABLE IF EXISTS %1").arg(table_));
      exec(QStringLiteral("DROP TABLE IF EXISTS %1_parent").arg(table_));
    }
    EngineFixture::TearDown();
  }

  QString driver() const { return QString::fromLatin1(GetParam()); }
  bool server() const { return driver() != u"SQLITE"; }
  void exec(const QString& sql) {
    Query q;
    q.setDatabaseName(kAlias);
    q.setSql(sql);
    q.execSql();
  }
  QString ids() {
    Query q;
    q.setDatabaseName(kAlias);
    q.setSql(QStringLiteral("SELECT id FROM %1 ORDER BY id").arg(table_));
    q.open();
    QStringList out;
    for (; !q.eof(); q.next()) out << q.field(0).asString();
    return out.join(u',');
  }
  // Appends a row through the dataset inside the run; false when refused
  // (the record is then dropped, as a user would).
  bool appendRow(Table& t, WriteRun& run, int id, int qty) {
    t.append();
    t.fieldByName(QStringLiteral("id")).setEditText(QString::number(id));
    t.fieldByName(QStringLiteral("qty")).setEditText(QString::number(qty));
    try {
      run.row([&] { t.post(); });
      return true;
    } catch (const EngineError&) {
      t.cancel();
      return false;
    }
  }
  void openTable(Table& t) {
    t.setDatabaseName(kAlias);
    t.setTableName(table_);
    t.open();
  }

  QString table_;
};

TEST_P(WriteRunTest, ARefusedRowUndoesOnlyItself) {
  if (server()) KORVEL_REQUIRE_PG();
  exec(QStringLiteral("CREATE TABLE %1 (id INTEGER PRIMARY KEY, qty INTEGER CHECK (qty < 100))").arg(table_));
  Table t;
  openTable(t);
  {
    WriteRun run(kAlias);
    EXPECT_TRUE(appendRow(t, run, 1, 1));
    EXPECT_TRUE(appendRow(t, run, 2, 2));
    EXPECT_FALSE(appendRow(t, run, 3, 500));  // the check refuses it
    EXPECT_FALSE(appendRow(t, run, 1, 4));    // a duplicate key
    EXPECT_TRUE(appendRow(t, run, 5, 5));
    // The edit of a posted row in the same run.
    t.first();
    t.edit();
    t.fieldByName(QStringLiteral("qty")).setEditText(QStringLiteral("7"));
    run.row([&] { t.post(); });
    ASSERT_TRUE(run.open());
    run.commit();
  }
  EXPECT_EQ(ids(), QStringLiteral("1,2,5"));
  EXPECT_EQ(t.recordCount(), 3);
  Engine::instance().closeConnections();  // what another connection sees
  EXPECT_EQ(ids(), QStringLiteral("1,2,5"));
}

TEST_P(WriteRunTest, ARunNotCommittedKeepsNothing) {
  if (server()) KORVEL_REQUIRE_PG();
  if (driver() == u"ODBC") GTEST_SKIP() << "through ODBC each row commits as it is posted";
  exec(QStringLiteral("CREATE TABLE %1 (id INTEGER PRIMARY KEY, qty INTEGER)").arg(table_));
  Table t;
  openTable(t);
  {
    WriteRun run(kAlias);
    EXPECT_TRUE(appendRow(t, run, 1, 1));
  }
  EXPECT_EQ(ids(), QString());
}

// Records edited one after another as a paste writes them, over more than
// one page of rows: a key given its own value again (in another spelling)
// leaves its record in place and the walk goes on to the next; a new key
// moves the record to where it sorts.
TEST_P(WriteRunTest, RecordsKeepTheirPlaceUnlessTheirKeyChanges) {
  if (server()) KORVEL_REQUIRE_PG();
  exec(QStringLiteral("CREATE TABLE %1 (id INTEGER PRIMARY KEY, qty INTEGER)").arg(table_));
  QStringList rows;
  for (int id = 1; id <= 250; ++id) rows << QStringLiteral("(%1, 0)").arg(id);
  exec(QStringLiteral("INSERT INTO %1 VALUES %2").arg(table_, rows.join(u',')));
  Table t;
  openTable(t);
  WriteRun run(kAlias);
  for (int id = 1; id <= 150; ++id, t.next()) {
    ASSERT_EQ(t.fieldByName(QStringLiteral("id")).asString(), QString::number(id));
    t.edit();
    t.fieldByName(QStringLiteral("id")).setEditText(QStringLiteral("00") + QString::number(id));
    t.fieldByName(QStringLiteral("qty")).setEditText(QStringLiteral("1"));
    run.row([&] { t.post(); });
    EXPECT_EQ(t.recNo(), id - 1);
    EXPECT_EQ(t.fieldByName(QStringLiteral("qty")).asString(), QStringLiteral("1"));
  }
  ASSERT_EQ(t.fieldByName(QStringLiteral("id")).asString(), QStringLiteral("151"));
  t.edit();
  t.fieldByName(QStringLiteral("id")).setEditText(QStringLiteral("1000"));
  t.fieldByName(QStringLiteral("qty")).setEditText(QStringLiteral("2"));
  run.row([&] { t.post(); });
  EXPECT_EQ(t.recNo(), 249);
  EXPECT_EQ(t.fieldByName(QStringLiteral("id")).asString(), QStringLiteral("1000"));
  run.commit();
  t.moveTo(150);
  EXPECT_EQ(t.fieldByName(QStringLiteral("id")).asString(), QStringLiteral("152"));

  Query q;
  q.setDatabaseName(kAlias);
  q.setSql(QStringLiteral("SELECT COUNT(*), SUM(qty), MAX(id), SUM(CASE WHEN id <= 150 THEN qty END) FROM %1")
               .arg(table_));
  q.open();
  EXPECT_EQ(q.field(0).asString(), QStringLiteral("250"));
  EXPECT_EQ(q.field(1).asString(), QStringLiteral("152"));
  EXPECT_EQ(q.field(2).asString(), QStringLiteral("1000"));
  EXPECT_EQ(q.field(3).asString(), QStringLiteral("150"));
}

// A deferred foreign key is checked at the commit, which the database then
// refuses: the run reports it and none of its rows stay.
TEST_P(WriteRunTest, ARefusedCommitIsReportedAndKeepsNothing) {
  if (server()) KORVEL_REQUIRE_PG();
  if (driver() == u"ODBC") GTEST_SKIP() << "through ODBC each row commits as it is posted";
  if (!server()) exec(QStringLiteral("PRAGMA foreign_keys = ON"));
  exec(QStringLiteral("CREATE TABLE %1_parent (id INTEGER PRIMARY KEY)").arg(table_));
  exec(QStringLiteral("CREATE TABLE %1 (id INTEGER PRIMARY KEY, qty INTEGER REFERENCES %1_parent (id) "
                      "DEFERRABLE INITIALLY DEFERRED)")
           .arg(table_));
  Table t;
  openTable(t);
  WriteRun run(kAlias);
  EXPECT_TRUE(appendRow(t, run, 1, 42));
  EXPECT_THROW(run.commit(), EngineError);
  EXPECT_FALSE(run.open());
  // The connection is usable and holds no open transaction.
  exec(QStringLiteral("INSERT INTO %1_parent VALUES (42)").arg(table_));
  Engine::instance().closeConnections();
  EXPECT_EQ(ids(), QString());
  Query q;
  q.setDatabaseName(kAlias);
  q.setSql(QStringLiteral("SELECT COUNT(*) FROM %1_parent").arg(table_));
  q.open();
  EXPECT_EQ(q.field(0).asString(), QStringLiteral("1"));
}

// A conflict clause ROLLBACK makes SQLite end the whole transaction: the run
// must not claim that the rows before are kept.
TEST_P(WriteRunTest, ATransactionEndedByTheDatabaseIsReported) {
  if (server()) GTEST_SKIP() << "SQLite conflict clauses";
  exec(QStringLiteral("CREATE TABLE %1 (id INTEGER PRIMARY KEY, qty INTEGER UNIQUE ON CONFLICT ROLLBACK)")
           .arg(table_));
  Table t;
  openTable(t);
  WriteRun run(kAlias);
  EXPECT_TRUE(appendRow(t, run, 1, 1));
  t.append();
  t.fieldByName(QStringLiteral("id")).setEditText(QStringLiteral("2"));
  t.fieldByName(QStringLiteral("qty")).setEditText(QStringLiteral("1"));
  try {
    run.row([&] { t.post(); });
    FAIL() << "the conflicting row was posted";
  } catch (const EngineError& e) {
    EXPECT_TRUE(e.lastMessage().contains(QStringLiteral("not kept"))) << e.lastMessage().toStdString();
  }
  EXPECT_FALSE(run.open());
  EXPECT_EQ(ids(), QString());
}

INSTANTIATE_TEST_SUITE_P(Drivers, WriteRunTest, ::testing::Values("SQLITE", "POSTGRESQL", "ODBC"));

}  // namespace
}  // namespace korvel::db::test
