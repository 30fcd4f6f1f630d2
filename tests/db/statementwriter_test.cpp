// Independent statements written as the rows of one unit of work, on
// SQLite, PostgreSQL (its own driver) and ODBC (each statement commits).

#include <QSqlQuery>

#include "db/engine.h"
#include "db/statementwriter.h"
#include "dbtestenv.h"

namespace korvel::db::test {
namespace {

class StatementWriterTest : public EngineFixture, public ::testing::WithParamInterface<const char*> {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    const QString kind = QString::fromLatin1(GetParam());
    if (kind == u"SQLITE") {
      sqliteAlias({}, QStringLiteral("W"));
    } else {
      if (pgConnectionString().isEmpty()) return;
      writeAliases(kind == u"POSTGRESQL" ? pgAliasSection(QStringLiteral("W")) : odbcAliasSection(QStringLiteral("W")));
    }
    ready_ = true;
    exec(named(QStringLiteral("DROP TABLE IF EXISTS %TABLE%")));
    exec(named(QStringLiteral("CREATE TABLE %TABLE% (id INTEGER PRIMARY KEY, v VARCHAR(20))")));
  }
  void TearDown() override {
    if (ready_) exec(named(QStringLiteral("DROP TABLE IF EXISTS %TABLE%")));
    EngineFixture::TearDown();
  }
  bool skip() const { return !ready_; }
  bool transactional() const { return QString::fromLatin1(GetParam()) != u"ODBC"; }

  void exec(const QString& sql) {
    QSqlQuery q(Engine::instance().connection(QStringLiteral("W")));
    ASSERT_TRUE(q.exec(sql)) << sql.toStdString();
  }
  QList<int> ids() {
    QSqlQuery q(Engine::instance().connection(QStringLiteral("W")));
    EXPECT_TRUE(q.exec(named(QStringLiteral("SELECT id FROM %TABLE% ORDER BY id"))));
    QList<int> found;
    while (q.next()) found << q.value(0).toInt();
    return found;
  }
  QString insert(int id, const QString& v = QStringLiteral("x")) {
    return named(QStringLiteral("INSERT INTO %TABLE% (id, v) VALUES (%1, '%2')")).arg(id).arg(v);
  }

  // The statement with this test's table: the tests run at the same time
  // on one server, each on a table of its own (driver and test name).
  QString named(QString sql) const {
    const char* test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    const QString table = QStringLiteral("writer_rows_%1_%2")
                              .arg(QString::fromLatin1(GetParam()).toLower())
                              .arg(qHash(QByteArray(test)) % 1000000);
    return sql.replace(QStringLiteral("%TABLE%"), table);
  }

  bool ready_ = false;
};

#define SKIP_WITHOUT_SERVER() \
  if (skip()) GTEST_SKIP() << "KORVEL_TEST_PG is not set: server writer tests skipped"

TEST_P(StatementWriterTest, ARefusedStatementStopsTheRunAndTakesNoEarlierRowWithIt) {
  SKIP_WITHOUT_SERVER();
  auto writer = openStatementWriter(QStringLiteral("W"));
  EXPECT_EQ(writer->transactional(), transactional());
  QString refusal;
  EXPECT_EQ(writer->run({insert(1), insert(2), insert(1), insert(3)}, &refusal), 2);
  EXPECT_FALSE(refusal.isEmpty());
  // The statement after the refused one did not run: it is given again.
  refusal.clear();
  EXPECT_EQ(writer->run({insert(3)}, &refusal), 1);
  EXPECT_TRUE(refusal.isEmpty());
  // Every statement refused alone, one after another, loses nothing.
  for (int i = 1; i <= 3; ++i) EXPECT_EQ(writer->run({insert(i)}, &refusal), 0);
  writer->commit();
  EXPECT_EQ(ids(), (QList<int>{1, 2, 3}));
}

TEST_P(StatementWriterTest, ARefusalDeepInALargeBatchKeepsExactlyTheRowsBeforeIt) {
  SKIP_WITHOUT_SERVER();
  exec(insert(700));
  auto writer = openStatementWriter(QStringLiteral("W"));
  writer->setCommonInsert(named(QStringLiteral("INSERT INTO %TABLE% (id, v) VALUES ")), {{}, named(QStringLiteral("%TABLE%"))});
  QStringList batch;
  for (int i = 0; i < 1000; ++i) batch << insert(i, QStringLiteral("r%1").arg(i));
  QString refusal;
  EXPECT_EQ(writer->run(batch, &refusal), 700);
  writer->commit();
  const QList<int> found = ids();
  ASSERT_EQ(found.size(), 701);
  for (int i = 0; i <= 700; ++i) EXPECT_EQ(found[i], i);
}

TEST_P(StatementWriterTest, RowsNotCommittedAreGoneWithTheWriter) {
  SKIP_WITHOUT_SERVER();
  {
    auto writer = openStatementWriter(QStringLiteral("W"));
    QString refusal;
    ASSERT_EQ(writer->run({insert(1), insert(2)}, &refusal), 2);
    writer->commit();
    ASSERT_EQ(writer->run({insert(3)}, &refusal), 1);
  }
  EXPECT_EQ(ids(), transactional() ? QList<int>({1, 2}) : QList<int>({1, 2, 3}));
  // The connection is free for other work afterwards.
  exec(insert(9));
}

TEST_P(StatementWriterTest, OneTextNeverRunsASecondStatement) {
  SKIP_WITHOUT_SERVER();
  if (QString::fromLatin1(GetParam()) == u"ODBC") GTEST_SKIP() << "ODBC sends the text as the driver takes it";
  auto writer = openStatementWriter(QStringLiteral("W"));
  QString refusal;
  EXPECT_EQ(writer->run({insert(1) + named(QStringLiteral("; DROP TABLE %TABLE%"))}, &refusal), 0);
  writer->commit();
  EXPECT_EQ(ids(), QList<int>{});
}

// Rows sent as one INSERT must not change what a trigger of the table
// sees: with one, every statement runs on its own.
TEST_P(StatementWriterTest, ATableWithATriggerGetsEveryStatementOnItsOwn) {
  SKIP_WITHOUT_SERVER();
  if (QString::fromLatin1(GetParam()) != u"POSTGRESQL") GTEST_SKIP() << "PostgreSQL statement triggers";
  exec(QStringLiteral("DROP TABLE IF EXISTS writer_statements"));
  exec(QStringLiteral("CREATE TABLE writer_statements (n INTEGER)"));
  exec(QStringLiteral("CREATE OR REPLACE FUNCTION writer_count() RETURNS trigger LANGUAGE plpgsql AS "
                      "$$BEGIN INSERT INTO writer_statements VALUES (1); RETURN NULL; END$$"));
  exec(named(QStringLiteral("CREATE TRIGGER writer_each AFTER INSERT ON %TABLE% FOR EACH STATEMENT EXECUTE FUNCTION writer_count()")));
  auto writer = openStatementWriter(QStringLiteral("W"));
  writer->setCommonInsert(named(QStringLiteral("INSERT INTO %TABLE% (id, v) VALUES ")), {{}, named(QStringLiteral("%TABLE%"))});
  QString refusal;
  EXPECT_EQ(writer->run({insert(1), insert(2), insert(3)}, &refusal), 3);
  writer->commit();
  QSqlQuery q(Engine::instance().connection(QStringLiteral("W")));
  ASSERT_TRUE(q.exec(QStringLiteral("SELECT COUNT(*) FROM writer_statements")) && q.next());
  EXPECT_EQ(q.value(0).toInt(), 3);
  exec(QStringLiteral("DROP TABLE writer_statements"));
}

INSTANTIATE_TEST_SUITE_P(Drivers, StatementWriterTest, ::testing::Values("SQLITE", "POSTGRESQL", "ODBC"));

// SQLite ends the whole transaction itself on a conflict clause ROLLBACK:
// the rows since the last commit are written again, only the refused one
// is missing.
TEST_F(EngineFixture, SqliteWriterKeepsTheRowsWhenARefusalEndsTheTransaction) {
  sqliteAlias({QStringLiteral("CREATE TABLE t (id INTEGER, UNIQUE (id) ON CONFLICT ROLLBACK)")},
              QStringLiteral("W"));
  auto writer = openStatementWriter(QStringLiteral("W"));
  QString refusal;
  EXPECT_EQ(writer->run({QStringLiteral("INSERT INTO t VALUES (1)"), QStringLiteral("INSERT INTO t VALUES (2)"),
                         QStringLiteral("INSERT INTO t VALUES (1)")},
                        &refusal),
            2);
  EXPECT_EQ(writer->run({QStringLiteral("INSERT INTO t VALUES (3)")}, &refusal), 1);
  writer->commit();
  QSqlQuery q(Engine::instance().connection(QStringLiteral("W")));
  ASSERT_TRUE(q.exec(QStringLiteral("SELECT group_concat(id) FROM (SELECT id FROM t ORDER BY id)")) && q.next());
  EXPECT_EQ(q.value(0).toString(), QStringLiteral("1,2,3"));
}

}  // namespace
}  // namespace korvel::db::test
