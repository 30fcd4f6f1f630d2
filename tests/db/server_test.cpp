// The PostgreSQL server through its own driver and through the PostgreSQL
// ODBC driver (KORVEL_TEST_PG names the server).

#include <QDate>

#include "db/datasetimpl.h"
#include "db/driver.h"
#include "db/query.h"
#include "db/table.h"
#include "dbtestenv.h"
#include "ui/scriptedprompt.h"

namespace korvel::db::test {
namespace {

class ServerTest : public EngineFixture, public ::testing::WithParamInterface<const char*> {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    if (pgConnectionString().isEmpty()) return;
    const QString param = QString::fromLatin1(GetParam());
    QString section = param == u"POSTGRESQL" ? pgAliasSection(QStringLiteral("SRV"))
                                             : odbcAliasSection(QStringLiteral("SRV"));
    if (param == u"ODBC_SEQUENTIAL") section += QStringLiteral("PAGING=SEQUENTIAL\n");
    const QStringList problems = writeAliases(section);
    ASSERT_TRUE(problems.isEmpty()) << problems.join(u'\n').toStdString();
  }
  void exec(const QString& sql) {
    Query q;
    q.setDatabaseName(QStringLiteral("SRV"));
    q.setSql(sql);
    q.execSql();
  }
  QVariant value(const QString& sql) {
    Query q;
    q.setDatabaseName(QStringLiteral("SRV"));
    q.setSql(sql);
    q.open();
    return q.field(0).value();
  }
  void makeEmployees(const QString& name) {
    exec(QStringLiteral("DROP TABLE IF EXISTS %1 CASCADE").arg(name));
    exec(QStringLiteral("CREATE TABLE %1 (emp_no INTEGER PRIMARY KEY, emp_name VARCHAR(20) NOT NULL, "
                        "born DATE, note TEXT)").arg(name));
    exec(QStringLiteral("INSERT INTO %1 VALUES (1, '山田', '1980-04-12', 'a'), (2, '佐藤', NULL, 'b'), "
                        "(3, '鈴木', '1990-01-31', 'c')").arg(name));
  }
  QString table(const QString& base) const {
    return base + QStringLiteral("_") + QString::fromLatin1(GetParam()).toLower();
  }
};

TEST_P(ServerTest, ColumnTypesMapToFieldClasses) {
  KORVEL_REQUIRE_PG();
  const QString name = table(QStringLiteral("types"));
  exec(QStringLiteral("DROP TABLE IF EXISTS %1").arg(name));
  exec(QStringLiteral("CREATE TABLE %1 (id INTEGER PRIMARY KEY, s VARCHAR(10), m TEXT, sm SMALLINT, "
                      "bi BIGINT, f DOUBLE PRECISION, n NUMERIC(10,2), n0 NUMERIC(9,0), c NUMERIC(19,4), "
                      "b BOOLEAN, d DATE, t TIME, ts TIMESTAMP)").arg(name));
  exec(QStringLiteral("INSERT INTO %1 VALUES (1, 'x', 'memo', 2, 3, 1.5, 12.34, 7, 99.5, true, "
                      "'2024-01-31', '13:45:10', '2024-02-01 08:09:10')").arg(name));
  Table t;
  t.setDatabaseName(QStringLiteral("SRV"));
  t.setTableName(name);
  t.open();
  const QStringList expected = {"TIntegerField", "TStringField", "TMemoField", "TSmallintField",
                                "TIntegerField", "TFloatField", "TBCDField", "TIntegerField",
                                "TCurrencyField", "TBooleanField", "TDateField", "TTimeField",
                                "TDateTimeField"};
  ASSERT_EQ(t.fieldCount(), expected.size());
  for (int i = 0; i < t.fieldCount(); ++i)
    EXPECT_EQ(t.field(i).className(), expected[i]) << t.field(i).fieldName().toStdString();
  EXPECT_EQ(t.field(1).size(), 10);
  EXPECT_EQ(t.field(6).precision(), 10);
  EXPECT_EQ(t.field(6).scale(), 2);
  EXPECT_EQ(t.field(6).asString(), QStringLiteral("12.34"));
  EXPECT_EQ(t.field(9).asString(), QStringLiteral("True"));
  EXPECT_EQ(t.field(10).asString(), QStringLiteral("2024/01/31"));
  EXPECT_EQ(t.field(11).asString(), QStringLiteral("13:45:10"));
  EXPECT_EQ(t.field(12).asString(), QStringLiteral("2024/02/01 8:09:10"));
  EXPECT_EQ(t.driverName(), QStringLiteral("POSTGRESQL"));
  EXPECT_TRUE(t.field(0).isIndexField());
  EXPECT_TRUE(Engine::instance().tableNames(QStringLiteral("SRV"), false, false).contains(name));
}

TEST_P(ServerTest, PostCancelDeleteAndKeySearch) {
  KORVEL_REQUIRE_PG();
  const QString name = table(QStringLiteral("emp"));
  makeEmployees(name);
  Table t;
  t.setDatabaseName(QStringLiteral("SRV"));
  t.setTableName(name);
  t.open();
  EXPECT_EQ(t.recordCount(), 3);
  t.next();
  exec(QStringLiteral("UPDATE %1 SET note = 'other user' WHERE emp_no = 2").arg(name));
  t.edit();
  t.fieldByName(QStringLiteral("born")).setEditText(QStringLiteral("2001/02/03"));
  t.post();
  EXPECT_EQ(value(QStringLiteral("SELECT born FROM %1 WHERE emp_no = 2").arg(name)).toDate(), QDate(2001, 2, 3));
  EXPECT_EQ(value(QStringLiteral("SELECT note FROM %1 WHERE emp_no = 2").arg(name)).toString(), QStringLiteral("other user"));

  t.edit();
  t.fieldByName(QStringLiteral("emp_name")).setEditText(QStringLiteral("取消"));
  t.cancel();
  EXPECT_EQ(t.fieldByName(QStringLiteral("emp_name")).asString(), QStringLiteral("佐藤"));

  int errors = 0;
  QObject::connect(&t, &Dataset::postError, [&] { ++errors; });
  t.append();
  t.fieldByName(QStringLiteral("emp_no")).setEditText(QStringLiteral("1"));
  t.fieldByName(QStringLiteral("emp_name")).setEditText(QStringLiteral("重複"));
  try {
    t.post();
    FAIL() << "duplicate key posted";
  } catch (const EngineError& e) {
    EXPECT_EQ(errors, 1);
    EXPECT_GE(e.count(), 2);
    EXPECT_FALSE(e.lastMessage().isEmpty());
  }
  t.fieldByName(QStringLiteral("emp_no")).setEditText(QStringLiteral("0"));
  t.post();
  EXPECT_EQ(t.recNo(), 0);
  EXPECT_EQ(t.recordCount(), 4);

  t.setKey();
  t.fieldByName(QStringLiteral("emp_no")).setEditText(QStringLiteral("3"));
  ASSERT_TRUE(t.gotoKey());
  EXPECT_EQ(t.fieldByName(QStringLiteral("emp_name")).asString(), QStringLiteral("鈴木"));
  t.deleteRecord();
  EXPECT_EQ(t.recordCount(), 3);
  t.setKey();
  t.fieldByName(QStringLiteral("emp_no")).setEditText(QStringLiteral("3"));
  EXPECT_FALSE(t.gotoKey());
}

TEST_P(ServerTest, TextOutsideCodePage932SurvivesBrowseEditPost) {
  KORVEL_REQUIRE_PG();
  const QString name = table(QStringLiteral("odd"));
  makeEmployees(name);
  const QString odd = QStringLiteral("𠮷野家 ☃ é");
  Table t;
  t.setDatabaseName(QStringLiteral("SRV"));
  t.setTableName(name);
  t.open();
  t.edit();
  t.fieldByName(QStringLiteral("note")).setEditText(odd);
  t.post();
  t.close();
  t.open();
  EXPECT_EQ(t.fieldByName(QStringLiteral("note")).editText(), odd);
  t.edit();
  t.fieldByName(QStringLiteral("emp_name")).setEditText(QStringLiteral("山田 太郎"));
  t.post();
  EXPECT_EQ(value(QStringLiteral("SELECT note FROM %1 WHERE emp_no = 1").arg(name)).toString(), odd);
}

TEST_P(ServerTest, CountStarIsNamedAsWritten) {
  KORVEL_REQUIRE_PG();
  const QString name = table(QStringLiteral("cnt"));
  makeEmployees(name);
  Query q;
  q.setDatabaseName(QStringLiteral("SRV"));
  q.setSql(QStringLiteral("SELECT COUNT(*) FROM ") + name);
  q.open();
  ASSERT_EQ(q.fieldCount(), 1);
  EXPECT_EQ(q.field(0).fieldName(), QStringLiteral("COUNT(*)"));
  EXPECT_EQ(q.field(0).asString(), QStringLiteral("3"));
}

TEST_P(ServerTest, CreateTableWithIndexes) {
  KORVEL_REQUIRE_PG();
  const QString name = table(QStringLiteral("made"));
  Table t;
  t.setDatabaseName(QStringLiteral("SRV"));
  t.setTableName(name);
  for (int round = 0; round < 2; ++round) {  // the second round replaces the table
    t.clearFieldDefs();
    t.addFieldDef(QStringLiteral("code"), FieldKind::String, 6, true);
    t.addFieldDef(QStringLiteral("price"), FieldKind::Currency, 0, false);
    t.addFieldDef(QStringLiteral("made_on"), FieldKind::DateTime, 0, false);
    t.createTable();
    t.addIndex(QString(), QStringLiteral("code"), ixPrimary | ixUnique);
    t.addIndex(name + QStringLiteral("_price"), QStringLiteral("price;made_on"), ixDescending);
    t.addIndex(name + QStringLiteral("_u"), QStringLiteral("made_on"), ixUnique);
  }
  t.updateIndexDefs();
  ASSERT_EQ(t.indexDefs().size(), 3u);
  EXPECT_EQ(t.indexDefs()[0].name, QString());
  EXPECT_EQ(t.indexDefs()[0].fields, QStringLiteral("code"));
  EXPECT_EQ(t.indexDefs()[0].options, ixPrimary | ixUnique);
  EXPECT_EQ(t.indexDefs()[1].fields, QStringLiteral("price;made_on"));
  EXPECT_EQ(t.indexDefs()[1].options, ixDescending);
  EXPECT_EQ(t.indexDefs()[2].options, ixUnique);
  t.open();
  EXPECT_EQ(t.field(1).className(), QStringLiteral("TCurrencyField"));
  EXPECT_EQ(t.field(2).className(), QStringLiteral("TDateTimeField"));
  EXPECT_TRUE(t.canModify());
}

TEST_P(ServerTest, LiveQueriesNeedTheKey) {
  KORVEL_REQUIRE_PG();
  const QString name = table(QStringLiteral("live"));
  makeEmployees(name);
  exec(QStringLiteral("DROP TABLE IF EXISTS %1_nokey").arg(name));
  exec(QStringLiteral("CREATE TABLE %1_nokey (a INTEGER)").arg(name));
  Query q;
  q.setDatabaseName(QStringLiteral("SRV"));
  q.setRequestLive(true);
  for (const QString& sql : {QStringLiteral("SELECT emp_name FROM %1").arg(name),
                             QStringLiteral("SELECT * FROM %1_nokey").arg(name),
                             QStringLiteral("SELECT e.emp_no FROM %1 e JOIN %1 f ON f.emp_no = e.emp_no").arg(name),
                             QStringLiteral("SELECT COUNT(*) FROM %1").arg(name)}) {
    q.setSql(sql);
    EXPECT_THROW(q.open(), EngineError) << sql.toStdString();
  }
  q.setSql(QStringLiteral("SELECT emp_no, emp_name FROM %1 WHERE emp_no > 1 ORDER BY emp_no").arg(name));
  q.open();
  EXPECT_TRUE(q.live());
  q.edit();
  q.field(1).setEditText(QStringLiteral("問合せ"));
  q.post();
  EXPECT_EQ(value(QStringLiteral("SELECT emp_name FROM %1 WHERE emp_no = 2").arg(name)).toString(), QStringLiteral("問合せ"));

  exec(QStringLiteral("CREATE OR REPLACE VIEW %1_view AS SELECT emp_no, emp_name FROM %1").arg(name));
  for (const QString& readOnly : {name + QStringLiteral("_nokey"), name + QStringLiteral("_view")}) {
    Table t;  // a server table without key, or a view, is read only
    t.setDatabaseName(QStringLiteral("SRV"));
    t.setTableName(readOnly);
    t.open();
    EXPECT_FALSE(t.canModify()) << readOnly.toStdString();
    EXPECT_THROW(t.edit(), EngineError);
  }
}

TEST_P(ServerTest, PagesThroughManyRows) {
  KORVEL_REQUIRE_PG();
  const QString name = table(QStringLiteral("many"));
  exec(QStringLiteral("DROP TABLE IF EXISTS %1").arg(name));
  exec(QStringLiteral("CREATE TABLE %1 AS SELECT g AS id, 'row ' || g AS label FROM generate_series(1, 2500) g").arg(name));
  exec(QStringLiteral("ALTER TABLE %1 ADD PRIMARY KEY (id)").arg(name));
  Table t;
  t.setDatabaseName(QStringLiteral("SRV"));
  t.setTableName(name);
  t.open();
  int rows = 0;
  for (t.first(); !t.eof(); t.next()) ++rows;
  EXPECT_EQ(rows, 2500);
  EXPECT_LE(t.cachedRows(), Dataset::maxCachedRows());
  EXPECT_EQ(Engine::instance().driver(QStringLiteral("SRV")).paging() == PagingStyle::Sequential,
            QString::fromLatin1(GetParam()) == u"ODBC_SEQUENTIAL");
  t.moveTo(1800);
  EXPECT_EQ(t.field(1).asString(), QStringLiteral("row 1801"));
}

// ODBC_SEQUENTIAL reads rows as from a source that cannot page by statement.
// Rows posted one after another at the end, then one keyed in the middle,
// as test data generation and a user's insert do.
TEST_P(ServerTest, AppendedRowsKeepTheirPlaceAndCount) {
  KORVEL_REQUIRE_PG();
  const QString name = table(QStringLiteral("appended"));
  exec(QStringLiteral("DROP TABLE IF EXISTS %1").arg(name));
  exec(QStringLiteral("CREATE TABLE %1 (id INTEGER PRIMARY KEY, note VARCHAR(10) DEFAULT 'dflt')").arg(name));
  Table t;
  t.setDatabaseName(QStringLiteral("SRV"));
  t.setTableName(name);
  t.open();
  t.last();
  for (int id = 2; id <= 240; id += 2) {
    t.append();
    t.field(0).setEditText(QString::number(id));
    t.post();
    ASSERT_EQ(t.field(0).asString(), QString::number(id));
    t.next();
    ASSERT_TRUE(t.eof());
  }
  EXPECT_EQ(t.recordCount(), 120);
  t.append();
  t.field(0).setEditText(QStringLiteral("101"));
  t.post();
  EXPECT_EQ(t.recNo(), 50);
  EXPECT_EQ(t.recordCount(), value(QStringLiteral("SELECT COUNT(*) FROM %1").arg(name)).toInt());
  QList<int> ids;
  for (t.first(); !t.eof(); t.next()) ids << t.field(0).value().toInt();
  ASSERT_EQ(ids.size(), 121);
  EXPECT_TRUE(std::is_sorted(ids.begin(), ids.end()));
  t.last();
  EXPECT_EQ(t.field(0).asString(), QStringLiteral("240"));
  EXPECT_EQ(t.field(1).asString(), QStringLiteral("dflt"));
}

// The count that sizes the grid on opening: exact up to its limit, -1 past
// it and where rows are read in sequence; a query's own ORDER BY and a
// trailing comment survive being counted as a subquery. (More rows than the
// first page holds, which would tell the count by itself.)
TEST_P(ServerTest, CountUpToALimit) {
  KORVEL_REQUIRE_PG();
  const QString name = table(QStringLiteral("counted"));
  exec(QStringLiteral("DROP TABLE IF EXISTS %1").arg(name));
  exec(QStringLiteral("CREATE TABLE %1 (id INTEGER PRIMARY KEY)").arg(name));
  exec(QStringLiteral("INSERT INTO %1 SELECT generate_series(1, 150)").arg(name));
  const bool sequential = QString::fromLatin1(GetParam()) == u"ODBC_SEQUENTIAL";
  Table t;
  t.setDatabaseName(QStringLiteral("SRV"));
  t.setTableName(name);
  t.open();
  EXPECT_EQ(t.countUpTo(149), -1);
  EXPECT_EQ(t.knownRowCount(), -1);
  EXPECT_EQ(t.countUpTo(150), sequential ? -1 : 150);
  EXPECT_EQ(t.knownRowCount(), sequential ? -1 : 150);
  Query q;
  q.setDatabaseName(QStringLiteral("SRV"));
  q.setSql(QStringLiteral("SELECT * FROM %1 ORDER BY id DESC -- newest first").arg(name));
  q.open();
  EXPECT_EQ(q.countUpTo(1000), sequential ? -1 : 150);
  EXPECT_EQ(q.recordCount(), 150);
  q.last();
  EXPECT_EQ(q.field(0).value().toInt(), 1);
}

INSTANTIATE_TEST_SUITE_P(Drivers, ServerTest, ::testing::Values("POSTGRESQL", "ODBC", "ODBC_SEQUENTIAL"));

using ServerLoginTest = EngineFixture;

// The test server trusts every local connection; for a real password check
// it gets a role that must give its password (scram) from 127.0.0.1.
void ensurePasswordRole(const QString& alias) {
  const auto run = [&](const QString& sql) {
    Query q;
    q.setDatabaseName(alias);
    q.setSql(sql);
    q.execSql();
  };
  run(QStringLiteral("DO $$ BEGIN IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = 'korvel_pw') "
                     "THEN CREATE ROLE korvel_pw LOGIN PASSWORD 'right-password'; END IF; END $$"));
  run(QStringLiteral(
      "DO $$ DECLARE hba text := pg_read_file(current_setting('hba_file')); BEGIN "
      "IF position('korvel_pw' in hba) = 0 THEN "
      "EXECUTE format('COPY (SELECT unnest(string_to_array(%L, E''\\n''))) TO %L', "
      "'host all korvel_pw 127.0.0.1/32 scram-sha-256' || E'\\n' || hba, current_setting('hba_file')); "
      "PERFORM pg_reload_conf(); PERFORM pg_sleep(0.5); END IF; END $$"));
}

TEST_F(ServerLoginTest, WrongPasswordIsRefusedWithTheServerMessage) {
  KORVEL_REQUIRE_PG();
  const auto p = pgParameters();
  writeAliases(pgAliasSection(QStringLiteral("ADMIN")) +
               QStringLiteral("[GUARDED]\nTYPE=POSTGRESQL\nSERVER NAME=127.0.0.1\nPORT=%1\nDATABASE NAME=%2\nUSER NAME=korvel_pw\n")
                   .arg(p.value("port"), p.value("dbname")));
  ensurePasswordRole(QStringLiteral("ADMIN"));
  ScriptedPrompt prompt;
  prompt.loginAnswers.push_back({true, QStringLiteral("korvel_pw"), QStringLiteral("wrong-password")});
  try {
    Engine::instance().tableNames(QStringLiteral("GUARDED"), false, false);
    FAIL() << "a wrong password was accepted";
  } catch (const EngineError& e) {
    EXPECT_TRUE(e.lastMessage().contains(QStringLiteral("password authentication failed")))
        << e.lastMessage().toStdString();
  }
  prompt.loginAnswers.push_back({true, QStringLiteral("korvel_pw"), QStringLiteral("right-password")});
  EXPECT_NO_THROW(Engine::instance().tableNames(QStringLiteral("GUARDED"), false, false));
}

TEST_F(ServerLoginTest, LoginIsAskedAndFailuresCarryTheDriverMessage) {
  KORVEL_REQUIRE_PG();
  const auto p = pgParameters();
  QString section = pgAliasSection(QStringLiteral("ASK"));
  section.remove(QStringLiteral("LOGIN PROMPT=FALSE\n"));
  writeAliases(section +
               QStringLiteral("[DOWN]\nTYPE=POSTGRESQL\nSERVER NAME=127.0.0.1\nPORT=1\nDATABASE NAME=x\nLOGIN PROMPT=FALSE\n") +
               QStringLiteral("[NOBODY]\nTYPE=POSTGRESQL\nSERVER NAME=%1\nPORT=%2\nDATABASE NAME=%3\nUSER NAME=no_such_user\nLOGIN PROMPT=FALSE\n")
                   .arg(p.value("host"), p.value("port"), p.value("dbname")) +
               QStringLiteral("[NODB]\nTYPE=POSTGRESQL\nSERVER NAME=%1\nPORT=%2\nDATABASE NAME=no_such_db\nUSER NAME=%3\nLOGIN PROMPT=FALSE\n")
                   .arg(p.value("host"), p.value("port"), p.value("user")));
  ScriptedPrompt prompt;
  try {
    Engine::instance().tableNames(QStringLiteral("ASK"), false, false);  // unanswered: cancelled
    FAIL();
  } catch (const EngineError& e) {
    EXPECT_EQ(e.lastMessage(), QStringLiteral("Login cancelled"));
  }
  ASSERT_EQ(prompt.records.size(), 1);
  EXPECT_EQ(prompt.records[0].kind, PromptRecord::Login);
  EXPECT_EQ(prompt.records[0].text, QStringLiteral("ASK"));
  prompt.loginAnswers.push_back({true, p.value("user"), QStringLiteral("irrelevant")});
  EXPECT_NO_THROW(Engine::instance().tableNames(QStringLiteral("ASK"), false, false));
  EXPECT_FALSE(Engine::instance().aliasParams(QStringLiteral("ASK")).join(u' ').contains(QStringLiteral("irrelevant")));

  for (const char* alias : {"DOWN", "NOBODY", "NODB"}) {
    try {
      Engine::instance().tableNames(QString::fromLatin1(alias), false, false);
      ADD_FAILURE() << alias << " connected";
    } catch (const EngineError& e) {
      EXPECT_GE(e.count(), 2) << alias;
      EXPECT_TRUE(e.lastMessage().contains(QStringLiteral("connect")) ||
                  e.lastMessage().contains(QStringLiteral("does not exist")))
          << alias << ": " << e.lastMessage().toStdString();
    }
  }
}

}  // namespace
}  // namespace korvel::db::test
