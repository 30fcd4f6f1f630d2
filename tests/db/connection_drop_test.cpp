// A server connection that drops (its backend terminated, the server
// restarted): errors keep the server's message and the next use reconnects.

#include "db/query.h"
#include "db/table.h"
#include "dbtestenv.h"

namespace korvel::db::test {
namespace {

class ConnectionDropTest : public EngineFixture, public ::testing::WithParamInterface<const char*> {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    if (pgConnectionString().isEmpty()) return;
    const bool odbc = QString::fromLatin1(GetParam()) == u"ODBC";
    const QStringList problems = writeAliases(
        (odbc ? odbcAliasSection(QStringLiteral("SRV")) : pgAliasSection(QStringLiteral("SRV"))) +
        pgAliasSection(QStringLiteral("KILLER")));
    ASSERT_TRUE(problems.isEmpty()) << problems.join(u'\n').toStdString();
  }
  QVariant value(const QString& alias, const QString& sql) {
    Query q;
    q.setDatabaseName(alias);
    q.setSql(sql);
    q.open();
    return q.field(0).value();
  }
  // Ends the server process behind SRV's connection from another connection.
  void killSrvBackend() {
    const QVariant pid = value(QStringLiteral("SRV"), QStringLiteral("SELECT pg_backend_pid()"));
    ASSERT_TRUE(value(QStringLiteral("KILLER"),
                      QStringLiteral("SELECT pg_terminate_backend(%1)").arg(pid.toInt())).toBool());
  }
};

// The message of the error `action` raises; empty when it raises none.
template <typename Action>
QString errorOf(Action action) {
  try {
    action();
  } catch (const EngineError& e) {
    return e.lastMessage();
  }
  return {};
}

TEST_P(ConnectionDropTest, ErrorsKeepTheServerMessageAndTheNextOpenReconnects) {
  KORVEL_REQUIRE_PG();
  const QString table = QStringLiteral("drop_") + QString::fromLatin1(GetParam()).toLower();
  Query setup;
  setup.setDatabaseName(QStringLiteral("SRV"));
  setup.setSql(QStringLiteral("DROP TABLE IF EXISTS %1").arg(table));
  setup.execSql();
  setup.setSql(QStringLiteral("CREATE TABLE %1 (id INTEGER PRIMARY KEY, name VARCHAR(20))").arg(table));
  setup.execSql();
  setup.setSql(QStringLiteral("INSERT INTO %1 SELECT i, 'row ' || i FROM generate_series(1, 250) AS i").arg(table));
  setup.execSql();
  Table open;
  open.setDatabaseName(QStringLiteral("SRV"));
  open.setTableName(table);
  open.open();
  ASSERT_EQ(open.field(1).asString(), QStringLiteral("row 1"));

  killSrvBackend();
  // The first statement after the drop fails with what the server said.
  const QString first = errorOf([&] { value(QStringLiteral("SRV"), QStringLiteral("SELECT 1")); });
  EXPECT_TRUE(first.contains(QStringLiteral("terminating connection"))) << first.toStdString();
  // The table still open on the lost connection fails with a message too,
  // when it reads a page it does not hold and when it posts.
  const QString paging = errorOf([&] { open.moveTo(200); });
  EXPECT_FALSE(paging.trimmed().isEmpty());
  const QString posting = errorOf([&] {
    open.first();
    open.edit();
    open.field(1).setEditText(QStringLiteral("changed"));
    open.post();
  });
  EXPECT_FALSE(posting.trimmed().isEmpty());

  // The next open gets a new connection; the table on the old one is closed.
  EXPECT_EQ(value(QStringLiteral("SRV"), QStringLiteral("SELECT 41 + 1")).toInt(), 42);
  EXPECT_FALSE(open.active());
  open.open();
  open.moveTo(199);
  EXPECT_EQ(open.field(1).asString(), QStringLiteral("row 200"));
  open.first();
  EXPECT_EQ(open.field(1).asString(), QStringLiteral("row 1"));  // the failed post wrote nothing
  // Later errors carry the server's own message again.
  const QString syntax = errorOf([&] { value(QStringLiteral("SRV"), QStringLiteral("SELEC 1")); });
  EXPECT_TRUE(syntax.contains(QStringLiteral("syntax error"))) << syntax.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Drivers, ConnectionDropTest, ::testing::Values("POSTGRESQL", "ODBC"));

}  // namespace
}  // namespace korvel::db::test
