// Directory aliases through the engine: the table list, tables created
// from field definitions with their primary index, browsing, editing and
// key search on Paradox and CSV tables, and SQL over the directory with the
// Paradox literal forms.

#include <QDate>
#include <QDir>
#include <QFile>

#include "common/sqlliterals.h"
#include "db/local/csvtable.h"
#include "db/local/paradoxreader.h"
#include "db/query.h"
#include "db/table.h"
#include "db/writerun.h"
#include "dbtestenv.h"

namespace korvel::db::test {
namespace {

using local::LocalRow;

class DirectoryTest : public EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    ASSERT_TRUE(QDir().mkpath(dataDir()));
    writeAliases(QStringLiteral("[FILES]\nTYPE=PARADOX\nPATH=%1\n").arg(dataDir()));
  }
  QString dataDir() const { return path(QStringLiteral("tables")); }
  QString file(const QString& name) const { return dataDir() + u'/' + name; }

  // Creates CUSTOMER.DB through the engine: a key, a text, a date, a time.
  void createCustomers(const QString& alias = QStringLiteral("FILES")) {
    Table t;
    t.setDatabaseName(alias);
    t.setTableName(QStringLiteral("CUSTOMER"));
    t.addFieldDef(QStringLiteral("CODE"), FieldKind::Integer, 0, false);
    t.addFieldDef(QStringLiteral("NAME"), FieldKind::String, 20, false);
    t.addFieldDef(QStringLiteral("BORN"), FieldKind::Date, 0, false);
    t.addFieldDef(QStringLiteral("AT"), FieldKind::Time, 0, false);
    t.addIndex(QString(), QStringLiteral("CODE"), ixPrimary | ixUnique);
    t.createTable();
  }
  void appendCustomer(Table& t, int code, const QString& name) {
    t.append();
    t.fieldByName(QStringLiteral("CODE")).setEditText(QString::number(code));
    t.fieldByName(QStringLiteral("NAME")).setEditText(name);
    t.post();
  }
  void openTable(Table& t, const QString& name, const QString& alias = QStringLiteral("FILES")) {
    t.setDatabaseName(alias);
    t.setTableName(name);
    t.open();
  }
  QVariant scalar(const QString& sql) {
    Query q;
    q.setDatabaseName(QStringLiteral("FILES"));
    q.setSql(sql);
    q.open();
    return q.field(0).value();
  }
  int exec(const QString& sql) {
    Query q;
    q.setDatabaseName(QStringLiteral("FILES"));
    q.setSql(sql);
    return q.execSql();
  }
};

TEST_F(DirectoryTest, CreateBrowseEditSearchAndDelete) {
  createCustomers();
  EXPECT_TRUE(QFile::exists(file(QStringLiteral("CUSTOMER.DB"))));
  EXPECT_TRUE(QFile::exists(file(QStringLiteral("CUSTOMER.PX"))));
  Table t;
  openTable(t, QStringLiteral("CUSTOMER"));
  EXPECT_EQ(t.driverName(), QStringLiteral("PARADOX"));
  ASSERT_EQ(t.fieldCount(), 4);
  EXPECT_EQ(t.field(0).className(), QStringLiteral("TIntegerField"));
  EXPECT_EQ(t.field(1).className(), QStringLiteral("TStringField"));
  EXPECT_EQ(t.field(1).size(), 20);
  EXPECT_EQ(t.field(2).className(), QStringLiteral("TDateField"));
  EXPECT_EQ(t.field(3).className(), QStringLiteral("TTimeField"));
  EXPECT_TRUE(t.field(0).isIndexField());
  appendCustomer(t, 30, QStringLiteral("山田"));
  appendCustomer(t, 10, QStringLiteral("O'Neil"));
  t.append();
  t.fieldByName(QStringLiteral("CODE")).setEditText(QStringLiteral("20"));
  t.fieldByName(QStringLiteral("BORN")).setEditText(QStringLiteral("1868/10/23"));
  t.fieldByName(QStringLiteral("AT")).setEditText(QStringLiteral("10:30:00"));
  t.post();
  EXPECT_EQ(t.recordCount(), 3);
  t.first();
  EXPECT_EQ(t.field(1).asString(), QStringLiteral("O'Neil"));  // key order
  t.next();
  EXPECT_EQ(t.field(2).value().toDate(), QDate(1868, 10, 23));
  EXPECT_EQ(t.field(3).value().toTime(), QTime(10, 30));
  t.edit();
  t.fieldByName(QStringLiteral("NAME")).setEditText(QStringLiteral("鈴木"));
  t.post();
  t.setKey();
  t.fieldByName(QStringLiteral("CODE")).setEditText(QStringLiteral("30"));
  ASSERT_TRUE(t.gotoKey());
  EXPECT_EQ(t.recNo(), 2);
  EXPECT_EQ(t.field(1).asString(), QStringLiteral("山田"));
  t.setKey();
  t.fieldByName(QStringLiteral("CODE")).setEditText(QStringLiteral("31"));
  EXPECT_FALSE(t.gotoKey());
  t.deleteRecord();
  EXPECT_EQ(t.recordCount(), 2);
  // A key violation is the engine's error, the edit stays pending.
  t.append();
  t.fieldByName(QStringLiteral("CODE")).setEditText(QStringLiteral("10"));
  EXPECT_THROW(t.post(), EngineError);
  t.cancel();
  // Only the primary index is kept; asking for another says so and changes nothing.
  try {
    t.addIndex(QStringLiteral("BY_NAME"), QStringLiteral("NAME"), 0);
    ADD_FAILURE() << "a secondary index was accepted";
  } catch (const EngineError& e) {
    EXPECT_TRUE(e.lastMessage().contains(QStringLiteral("secondary indexes"))) << e.lastMessage().toStdString();
  }
  EXPECT_EQ(t.recordCount(), 2);
  t.close();

  local::ParadoxReader reader(file(QStringLiteral("CUSTOMER.DB")));
  ASSERT_EQ(reader.rowCount(), 2);
  EXPECT_EQ(reader.row(0)[1].toString(), QStringLiteral("O'Neil"));
  EXPECT_EQ(reader.row(1)[1].toString(), QStringLiteral("鈴木"));
  EXPECT_EQ(reader.row(1)[2].toDate(), QDate(1868, 10, 23));
}

TEST_F(DirectoryTest, TableListsTypesAndADirectoryTypedAsTheAlias) {
  createCustomers();
  {
    QFile csv(file(QStringLiteral("items.csv")));
    ASSERT_TRUE(csv.open(QIODevice::WriteOnly));
    csv.write("CODE,NAME\r\n1,a\r\n2,b\r\n");
  }
  QFile::copy(file(QStringLiteral("items.csv")), file(QStringLiteral("CUSTOMER.csv")));
  Engine& engine = Engine::instance();
  EXPECT_EQ(engine.tableNames(QStringLiteral("FILES"), false, false),
            (QStringList{QStringLiteral("CUSTOMER"), QStringLiteral("CUSTOMER.csv"), QStringLiteral("items.csv")}));
  EXPECT_EQ(engine.tableNames(QStringLiteral("FILES"), true, false),
            (QStringList{QStringLiteral("CUSTOMER.DB"), QStringLiteral("CUSTOMER.csv"), QStringLiteral("items.csv")}));
  // The listed texts with extension open the tables they stand for.
  Table t;
  openTable(t, QStringLiteral("items.csv"));
  EXPECT_EQ(t.driverName(), QStringLiteral("ASCIIDRV"));
  EXPECT_EQ(t.recordCount(), 2);
  t.close();
  openTable(t, QStringLiteral("CUSTOMER.DB"));
  EXPECT_EQ(t.driverName(), QStringLiteral("PARADOX"));
  t.close();
  // The directory itself in place of an alias name.
  EXPECT_EQ(engine.aliasType(dataDir()), QStringLiteral("PARADOX"));
  openTable(t, QStringLiteral("items.csv"), dataDir());
  EXPECT_EQ(t.recordCount(), 2);
  t.close();
  // A file that appears later is listed without reconnecting.
  QFile::copy(file(QStringLiteral("items.csv")), file(QStringLiteral("later.csv")));
  EXPECT_TRUE(engine.tableNames(QStringLiteral("FILES"), false, false).contains(QStringLiteral("later.csv")));
  // A name without extension is a Paradox table: "items" is not items.csv.
  t.setTableName(QStringLiteral("items"));
  EXPECT_THROW(t.open(), EngineError);
}

TEST_F(DirectoryTest, SqlOverTheDirectoryWithParadoxLiterals) {
  createCustomers();
  {
    QFile csv(file(QStringLiteral("orders.csv")));
    ASSERT_TRUE(csv.open(QIODevice::WriteOnly));
    csv.write("ID,CUST,AMOUNT\r\n1,10,100\r\n2,10,50\r\n3,20,7\r\n");
  }
  const auto literal = [](const char* type, const char* value) {
    return QString::fromStdString(Qz_ParaSqlAddSepa(type, value));
  };
  EXPECT_EQ(literal("DA", "1996/1/5"), QStringLiteral("CAST( '1996/01/05' AS DATE )"));
  EXPECT_EQ(exec(QStringLiteral("INSERT INTO CUSTOMER (CODE, NAME, BORN, AT) VALUES (10, %1, %2, %3)")
                     .arg(literal("CH", "First"), literal("DA", "1996/01/05"), literal("TI", "10:30:00"))),
            1);
  exec(QStringLiteral("INSERT INTO CUSTOMER (CODE, BORN) VALUES (20, %1)").arg(literal("DT", "1899/12/31 23:59:58")));
  {
    local::ParadoxReader reader(file(QStringLiteral("CUSTOMER.DB")));
    ASSERT_EQ(reader.rowCount(), 2);
    EXPECT_EQ(reader.row(0)[2].toDate(), QDate(1996, 1, 5));
    EXPECT_EQ(reader.row(0)[3].toTime(), QTime(10, 30));
    EXPECT_EQ(reader.row(1)[2].toDate(), QDate(1899, 12, 31));
  }
  // A date the literal cannot be read as is an error, never a number.
  EXPECT_THROW(exec(QStringLiteral("INSERT INTO CUSTOMER (CODE, BORN) VALUES (30, CAST( 'soon' AS DATE ))")), EngineError);

  Query count;
  count.setDatabaseName(QStringLiteral("FILES"));
  count.setSql(QStringLiteral("SELECT COUNT(*) FROM CUSTOMER"));
  count.open();
  EXPECT_EQ(count.field(0).fieldName(), QStringLiteral("COUNT(*)"));
  EXPECT_EQ(count.field(0).value().toInt(), 2);
  EXPECT_EQ(count.driverName(), QStringLiteral("PARADOX"));

  Query join;
  join.setDatabaseName(QStringLiteral("FILES"));
  join.setSql(QStringLiteral("SELECT c.NAME, SUM(o.AMOUNT) AS TOTAL FROM CUSTOMER c JOIN \"orders.csv\" o ON o.CUST = c.CODE "
                             "GROUP BY c.CODE, c.NAME ORDER BY c.CODE"));
  join.open();
  EXPECT_EQ(join.recordCount(), 2);
  EXPECT_EQ(join.field(0).asString(), QStringLiteral("First"));
  join.next();
  EXPECT_EQ(join.field(1).value().toDouble(), 7.0);
  EXPECT_EQ(scalar(QStringLiteral("SELECT BORN FROM CUSTOMER WHERE BORN = CAST( '1996/01/05' AS DATE )")).toString(),
            QStringLiteral("1996-01-05"));

  // A live query edits the file.
  Query live;
  live.setDatabaseName(QStringLiteral("FILES"));
  live.setRequestLive(true);
  live.setSql(QStringLiteral("SELECT * FROM CUSTOMER WHERE CODE = 20"));
  live.open();
  ASSERT_TRUE(live.live());
  live.edit();
  live.fieldByName(QStringLiteral("NAME")).setEditText(QStringLiteral("二番"));
  live.post();
  EXPECT_EQ(scalar(QStringLiteral("SELECT NAME FROM CUSTOMER WHERE CODE = 20")).toString(), QStringLiteral("二番"));
  // Tables are files: SQL cannot make one in memory.
  EXPECT_THROW(exec(QStringLiteral("CREATE TABLE X (A INTEGER)")), EngineError);
}

TEST_F(DirectoryTest, AsciiTablesAreCreatedAndEditedThroughTheEngine) {
  Table t;
  t.setDatabaseName(dataDir());
  t.setTableName(QStringLiteral("notes.txt"));
  t.setTableType(TableType::Ascii);
  t.addFieldDef(QStringLiteral("ID"), FieldKind::Integer, 0, false);
  t.addFieldDef(QStringLiteral("TEXT"), FieldKind::Memo, 0, false);
  t.createTable();
  EXPECT_TRUE(QFile::exists(file(QStringLiteral("notes.txt"))));
  EXPECT_TRUE(QFile::exists(file(QStringLiteral("notes.schema"))));
  t.open();
  EXPECT_EQ(t.driverName(), QStringLiteral("ASCIIDRV"));
  t.append();
  t.field(0).setEditText(QStringLiteral("1"));
  t.field(1).setEditText(QStringLiteral("改行\nを含む, \"引用\""));
  t.post();
  t.close();
  local::CsvReader reader(file(QStringLiteral("notes.txt")));
  ASSERT_EQ(reader.rowCount(), 1);
  EXPECT_EQ(reader.row(0)[1].toString(), QStringLiteral("改行\nを含む, \"引用\""));
}

TEST_F(DirectoryTest, RowsPostedInOneRunAreWrittenOnceAndStayEditable) {
  createCustomers();
  Table t;
  openTable(t, QStringLiteral("CUSTOMER"));
  const QByteArray empty = [&] {
    QFile f(file(QStringLiteral("CUSTOMER.DB")));
    f.open(QIODevice::ReadOnly);
    return f.readAll();
  }();
  {
    WriteRun run(QStringLiteral("FILES"));
    for (int i = 1; i <= 300; ++i) run.row([&] { appendCustomer(t, i, QStringLiteral("行%1").arg(i)); });
    QFile f(file(QStringLiteral("CUSTOMER.DB")));
    f.open(QIODevice::ReadOnly);
    EXPECT_EQ(f.readAll(), empty);  // nothing written before the commit
    run.commit();
  }
  EXPECT_EQ(t.recordCount(), 300);
  t.last();
  t.edit();
  t.fieldByName(QStringLiteral("NAME")).setEditText(QStringLiteral("最後"));
  t.post();
  t.close();
  EXPECT_EQ(local::ParadoxReader(file(QStringLiteral("CUSTOMER.DB"))).row(299)[1].toString(), QStringLiteral("最後"));

  // A table without key: an appended row stays current and editable after
  // its commit rewrote the table.
  Table log;
  log.setDatabaseName(QStringLiteral("FILES"));
  log.setTableName(QStringLiteral("LOG"));
  log.addFieldDef(QStringLiteral("V"), FieldKind::Integer, 0, false);
  log.createTable();
  log.open();
  for (int i = 1; i <= 3; ++i) {
    log.append();
    log.field(0).setEditText(QString::number(i));
    log.post();
    EXPECT_EQ(log.recNo(), i - 1);
  }
  log.first();
  log.deleteRecord();
  log.last();
  log.edit();
  log.field(0).setEditText(QStringLiteral("30"));
  log.post();
  log.close();
  local::ParadoxReader reader(file(QStringLiteral("LOG.DB")));
  ASSERT_EQ(reader.rowCount(), 2);
  EXPECT_EQ(reader.row(0)[0].toInt(), 2);
  EXPECT_EQ(reader.row(1)[0].toInt(), 30);
}

// Table and field names a careless user may choose reach exactly their own
// file through every statement the engine builds.
TEST_F(DirectoryTest, HostileNamesReachOnlyTheirOwnTable) {
  createCustomers();
  Table victim;
  openTable(victim, QStringLiteral("CUSTOMER"));
  appendCustomer(victim, 1, QStringLiteral("safe"));
  victim.close();
  const QString key = QStringLiteral(R"("k)"), value = QStringLiteral(R"(v'"x])");
  for (const QString& name : {QStringLiteral(R"(x" ; DROP TABLE CUSTOMER; --)"), QStringLiteral("a.b"),
                              QStringLiteral("x'y"), QStringLiteral("a[x]")}) {
    SCOPED_TRACE(name.toStdString());
    Table t;
    t.setDatabaseName(QStringLiteral("FILES"));
    t.setTableName(name);
    t.addFieldDef(key, FieldKind::Integer, 0, false);
    t.addFieldDef(value, FieldKind::String, 10, false);
    t.addIndex(QString(), key, ixPrimary | ixUnique);
    t.createTable();
    t.open();
    for (int i = 1; i <= 3; ++i) {
      t.append();
      t.field(0).setEditText(QString::number(i));
      t.field(1).setEditText(QStringLiteral("v%1").arg(i));
      t.post();
    }
    t.setKey();
    t.field(0).setEditText(QStringLiteral("2"));
    ASSERT_TRUE(t.gotoKey());
    t.edit();
    t.field(1).setEditText(QStringLiteral("two"));
    t.post();
    t.deleteRecord();
    EXPECT_EQ(t.recordCount(), 2);
    t.close();
    EXPECT_TRUE(QFile::exists(file(name + QStringLiteral(".DB"))));
  }
  EXPECT_EQ(scalar(QStringLiteral("SELECT NAME FROM CUSTOMER")).toString(), QStringLiteral("safe"));
}

}  // namespace
}  // namespace korvel::db::test
