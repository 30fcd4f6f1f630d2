// Table, column and index names a hostile or careless user may choose: each
// must reach exactly its own table through every statement the engine
// builds (SELECT, COUNT, INSERT, UPDATE, DELETE, key search, CREATE and DROP
// TABLE, CREATE INDEX, catalog lookups), and never run anything else.
// Run on SQLite, on PostgreSQL and on PostgreSQL through ODBC.

#include "db/driver.h"
#include "db/query.h"
#include "db/table.h"
#include "dbtestenv.h"

namespace korvel::db::test {
namespace {

const QStringList& hostileNames() {
  static const QStringList names = {
      QStringLiteral(R"("x" ; DROP TABLE victim; --)"),
      QStringLiteral(R"("a" WHERE 0 UNION SELECT 9,sql FROM sqlite_master --)"),
      QStringLiteral("a[x]"),
      QStringLiteral("s.t"),
      QStringLiteral("a.b"),
      QStringLiteral(R"("q)"),
      QStringLiteral("x'y"),
  };
  return names;
}

// Columns as hostile as the tables: the key, a value and one more.
const QString kKey = QStringLiteral(R"("k)");
const QString kValue = QStringLiteral(R"(v'"x])");
const QString kOther = QStringLiteral(R"(n;--)");

QString quoted(const QString& name) { return quoteIdentifier(u'"', name); }

class HostileNamesTest : public EngineFixture, public ::testing::WithParamInterface<const char*> {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    const QString kind = QString::fromLatin1(GetParam());
    if (kind == u"SQLITE") {
      sqliteAlias({}, QStringLiteral("H"));
    } else {
      if (pgConnectionString().isEmpty()) return;
      writeAliases(aliasOnOwnDatabase(kind));
      exec(QStringLiteral("DROP SCHEMA IF EXISTS public CASCADE"));
      exec(QStringLiteral("DROP SCHEMA IF EXISTS s CASCADE"));
      exec(QStringLiteral("DROP SCHEMA IF EXISTS a CASCADE"));
      exec(QStringLiteral("CREATE SCHEMA public"));
    }
    // The tables a hostile name would reach if it were not one name.
    exec(QStringLiteral("CREATE TABLE victim (id INTEGER PRIMARY KEY, note VARCHAR(10))"));
    exec(QStringLiteral("INSERT INTO victim VALUES (1, 'safe')"));
    for (const char* decoy : {"a", "x", "q", "t", "b"}) {
      exec(QStringLiteral("CREATE TABLE %1 (id INTEGER PRIMARY KEY, secret VARCHAR(10))").arg(QLatin1String(decoy)));
      exec(QStringLiteral("INSERT INTO %1 VALUES (9, 'decoy')").arg(QLatin1String(decoy)));
    }
  }

  bool postgres() const { return QString::fromLatin1(GetParam()) != u"SQLITE"; }

  // Each test and server variant works in its own database, so that tests
  // run in parallel do not meet.
  QString aliasOnOwnDatabase(const QString& kind) {
    const QString test = QString::fromLatin1(::testing::UnitTest::GetInstance()->current_test_info()->name());
    const QString database =
        QStringLiteral("korvel_hostile_%1_%2").arg(kind, test.section(u'/', 0, 0)).toLower().left(63);
    writeAliases(pgAliasSection(QStringLiteral("ADMIN")));
    Query admin;
    admin.setDatabaseName(QStringLiteral("ADMIN"));
    admin.setSql(QStringLiteral("SELECT count(*) FROM pg_database WHERE datname = '%1'").arg(database));
    admin.open();
    const bool exists = admin.field(0).value().toInt() > 0;
    admin.close();
    if (!exists) {
      admin.setSql(QStringLiteral("CREATE DATABASE %1").arg(database));
      admin.execSql();
    }
    Engine::instance().closeConnections();
    const QString dbname = pgParameters().value(QStringLiteral("dbname"));
    QString section = kind == u"ODBC" ? odbcAliasSection(QStringLiteral("H")) : pgAliasSection(QStringLiteral("H"));
    section.replace(QStringLiteral("=%1\n").arg(dbname), QStringLiteral("=%1\n").arg(database));
    section.replace(QStringLiteral("DATABASE=%1;").arg(dbname), QStringLiteral("DATABASE=%1;").arg(database));
    return section;
  }

  void exec(const QString& sql) {
    Query q;
    q.setDatabaseName(QStringLiteral("H"));
    q.setSql(sql);
    q.execSql();
  }
  QString text(const QString& sql) {
    Query q;
    q.setDatabaseName(QStringLiteral("H"));
    q.setSql(sql);
    q.open();
    return q.eof() ? QStringLiteral("(none)") : q.field(0).asString();
  }
  // The victim and the decoys hold exactly what SetUp gave them.
  void expectUntouched() {
    EXPECT_EQ(text(QStringLiteral("SELECT note FROM victim")), QStringLiteral("safe"));
    for (const char* decoy : {"a", "x", "q", "t", "b"})
      EXPECT_EQ(text(QStringLiteral("SELECT secret || COUNT(*) FROM %1 GROUP BY secret").arg(QLatin1String(decoy))),
                QStringLiteral("decoy1"))
          << decoy;
  }

  // CREATE TABLE (replacing the table: DROP TABLE), then its primary key
  // (ALTER TABLE, or on SQLite a rebuild of the table), through the engine.
  void create(const QString& name) {
    Table t;
    t.setDatabaseName(QStringLiteral("H"));
    t.setTableName(name);
    t.addFieldDef(kKey, FieldKind::Integer, 0, true);
    t.addFieldDef(kValue, FieldKind::String, 20, false);
    t.addFieldDef(kOther, FieldKind::String, 20, false);
    t.createTable();
    t.addIndex(QString(), kKey, ixPrimary | ixUnique);
  }
};

#define REQUIRE_SERVER_IF_ANY()        \
  do {                                 \
    if (postgres()) KORVEL_REQUIRE_PG(); \
  } while (0)

TEST_P(HostileNamesTest, EveryStatementReachesOnlyItsOwnTable) {
  REQUIRE_SERVER_IF_ANY();
  for (const QString& name : hostileNames()) {
    SCOPED_TRACE(name.toStdString());
    create(name);
    EXPECT_TRUE(Engine::instance().tableNames(QStringLiteral("H"), false, false).contains(name));

    Table t;
    t.setDatabaseName(QStringLiteral("H"));
    t.setTableName(name);
    t.open();
    ASSERT_EQ(t.fieldCount(), 3);
    EXPECT_EQ(t.field(0).fieldName(), kKey);
    EXPECT_TRUE(t.field(0).isIndexField());
    EXPECT_EQ(t.recordCount(), 0);
    for (int k = 1; k <= 3; ++k) {  // INSERT, and COUNT for the row's place
      t.append();
      t.fieldByName(kKey).setEditText(QString::number(k));
      t.fieldByName(kValue).setEditText(QStringLiteral("row %1").arg(k));
      t.post();
    }
    EXPECT_EQ(t.recordCount(), 3);
    t.first();
    t.edit();  // UPDATE
    t.fieldByName(kOther).setEditText(QStringLiteral("edited"));
    t.post();
    t.setKey();  // key search
    t.fieldByName(kKey).setEditText(QStringLiteral("3"));
    ASSERT_TRUE(t.gotoKey());
    EXPECT_EQ(t.fieldByName(kValue).asString(), QStringLiteral("row 3"));
    t.deleteRecord();  // DELETE
    EXPECT_EQ(t.recordCount(), 2);
    t.close();

    t.addIndex(QStringLiteral("ix ") + name, kValue, ixUnique);  // CREATE INDEX
    t.updateIndexDefs();
    ASSERT_EQ(t.indexDefs().size(), 2u);
    EXPECT_EQ(t.indexDefs()[0].fields, kKey);
    EXPECT_EQ(t.indexDefs()[1].name, QStringLiteral("ix ") + name);
    EXPECT_EQ(t.indexDefs()[1].fields, kValue);

    // A live query on the table, its rows located by the key.
    Query live;
    live.setDatabaseName(QStringLiteral("H"));
    live.setRequestLive(true);
    live.setSql(QStringLiteral("SELECT * FROM %1 WHERE %2 = 2").arg(quoted(name), quoted(kKey)));
    live.open();
    ASSERT_TRUE(live.live());
    live.edit();
    live.fieldByName(kValue).setEditText(QStringLiteral("by query"));
    live.post();
    live.close();
    EXPECT_EQ(text(QStringLiteral("SELECT %1 FROM %2 WHERE %3 = 1").arg(quoted(kOther), quoted(name), quoted(kKey))),
              QStringLiteral("edited"));
    EXPECT_EQ(text(QStringLiteral("SELECT %1 FROM %2 WHERE %3 = 2").arg(quoted(kValue), quoted(name), quoted(kKey))),
              QStringLiteral("by query"));

    create(name);  // DROP TABLE and CREATE TABLE again
    t.open();
    EXPECT_EQ(t.recordCount(), 0);
    t.close();
    expectUntouched();
  }
}

// Without a key SQLite locates rows by rowid, qualified by the table's name
// in a live query.
TEST_P(HostileNamesTest, RowsWithoutKeyAreLocatedThroughTheQuotedName) {
  if (postgres()) GTEST_SKIP() << "rowid is SQLite's";
  for (const QString& name : hostileNames()) {
    SCOPED_TRACE(name.toStdString());
    exec(QStringLiteral("CREATE TABLE %1 (%2 VARCHAR(10))").arg(quoted(name), quoted(kValue)));
    exec(QStringLiteral("INSERT INTO %1 VALUES ('old')").arg(quoted(name)));
    Query live;
    live.setDatabaseName(QStringLiteral("H"));
    live.setRequestLive(true);
    live.setSql(QStringLiteral("SELECT %1 FROM %2").arg(quoted(kValue), quoted(name)));
    live.open();
    ASSERT_TRUE(live.live());
    live.edit();
    live.field(0).setEditText(QStringLiteral("new"));
    live.post();
    live.close();
    Table t;
    t.setDatabaseName(QStringLiteral("H"));
    t.setTableName(name);
    t.open();
    EXPECT_EQ(t.field(0).asString(), QStringLiteral("new"));
    t.deleteRecord();
    EXPECT_EQ(t.recordCount(), 0);
    expectUntouched();
  }
}

TEST_P(HostileNamesTest, ANameThatNamesNoTableFailsCleanly) {
  REQUIRE_SERVER_IF_ANY();
  for (const QString& name : hostileNames()) {
    SCOPED_TRACE(name.toStdString());
    Table t;
    t.setDatabaseName(QStringLiteral("H"));
    t.setTableName(name);
    EXPECT_FALSE(t.exists());
    EXPECT_THROW(t.open(), EngineError);
    EXPECT_FALSE(t.active());
    EXPECT_THROW(t.updateIndexDefs(), EngineError);
  }
  expectUntouched();
}

// A listed text stands for the table listed under it; a typed text is one
// name. PostgreSQL lists other schemas' tables as "schema.name", and as
// "schema"."name" when a table of public already bears that text.
TEST_P(HostileNamesTest, DottedNamesAreNeverSplit) {
  REQUIRE_SERVER_IF_ANY();
  create(QStringLiteral("a.b"));
  exec(QStringLiteral(R"(INSERT INTO "a.b" VALUES (1, 'public a.b', NULL))"));
  if (QString::fromLatin1(GetParam()) != u"POSTGRESQL") {
    Table t;
    t.setDatabaseName(QStringLiteral("H"));
    t.setTableName(QStringLiteral("a.b"));
    t.open();
    EXPECT_EQ(t.field(1).asString(), QStringLiteral("public a.b"));
    return;
  }
  exec(QStringLiteral("CREATE SCHEMA a"));
  exec(QStringLiteral("CREATE TABLE a.b (id INTEGER PRIMARY KEY, note VARCHAR(20))"));
  exec(QStringLiteral("INSERT INTO a.b VALUES (1, 'schema a, b')"));
  exec(QStringLiteral("CREATE SCHEMA s"));
  exec(QStringLiteral("CREATE TABLE s.t (id INTEGER PRIMARY KEY, note VARCHAR(20))"));
  exec(QStringLiteral("INSERT INTO s.t VALUES (1, 'schema s, t')"));

  const QStringList listed = Engine::instance().tableNames(QStringLiteral("H"), false, false);
  EXPECT_TRUE(listed.contains(QStringLiteral("a.b")));
  EXPECT_TRUE(listed.contains(QStringLiteral(R"("a"."b")")));
  EXPECT_TRUE(listed.contains(QStringLiteral("s.t")));
  EXPECT_FALSE(listed.contains(QStringLiteral("pg_catalog.pg_class")));
  const QStringList withSystem = Engine::instance().tableNames(QStringLiteral("H"), false, true);
  EXPECT_TRUE(withSystem.contains(QStringLiteral("pg_catalog.pg_class")));
  EXPECT_TRUE(withSystem.contains(QStringLiteral("information_schema.tables")));

  const auto firstNote = [](const QString& name) {
    Table t;
    t.setDatabaseName(QStringLiteral("H"));
    t.setTableName(name);
    t.open();
    return t.field(1).asString();
  };
  EXPECT_EQ(firstNote(QStringLiteral("a.b")), QStringLiteral("public a.b"));
  EXPECT_EQ(firstNote(QStringLiteral(R"("a"."b")")), QStringLiteral("schema a, b"));
  EXPECT_EQ(firstNote(QStringLiteral("s.t")), QStringLiteral("schema s, t"));

  // After the connection is closed the listing is gone: a typed "a.b" is
  // still the table of that name, and "s.t" what the list would show.
  Engine::instance().closeConnections();
  EXPECT_EQ(firstNote(QStringLiteral("a.b")), QStringLiteral("public a.b"));
  EXPECT_EQ(firstNote(QStringLiteral("s.t")), QStringLiteral("schema s, t"));
  Table system;
  system.setDatabaseName(QStringLiteral("H"));
  system.setTableName(QStringLiteral("pg_catalog.pg_namespace"));
  system.open();
  EXPECT_EQ(system.fieldByName(QStringLiteral("nspname")).fieldName(), QStringLiteral("nspname"));

  // A table given by its parts.
  Table byParts;
  byParts.setDatabaseName(QStringLiteral("H"));
  byParts.setTable({QStringLiteral("a"), QStringLiteral("b")});
  byParts.open();
  byParts.edit();
  byParts.field(1).setEditText(QStringLiteral("edited"));
  byParts.post();
  EXPECT_EQ(text(QStringLiteral("SELECT note FROM a.b")), QStringLiteral("edited"));
  EXPECT_EQ(firstNote(QStringLiteral("a.b")), QStringLiteral("public a.b"));
}

INSTANTIATE_TEST_SUITE_P(Drivers, HostileNamesTest, ::testing::Values("SQLITE", "POSTGRESQL", "ODBC"));

}  // namespace
}  // namespace korvel::db::test
