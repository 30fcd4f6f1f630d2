// Tables and queries on SQLite files: field descriptions, navigation,
// editing, key search, definitions, live results and paging.

#include <QDate>
#include <QSet>
#include <QSqlQuery>

#include "common/formats.h"
#include "db/datasetimpl.h"
#include "db/demodatabase.h"
#include "db/query.h"
#include "db/sqlitedriver.h"
#include "db/table.h"
#include "dbtestenv.h"

namespace korvel::db::test {
namespace {

class SqliteTest : public EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    const QString file = path(QStringLiteral("demo.sqlite"));
    createDemoDatabase(file);
    writeAliases(QStringLiteral("[LITE]\nTYPE=SQLITE\nPATH=%1\n").arg(file));
  }
  void open(Table& t, const QString& name) {
    t.setDatabaseName(QStringLiteral("LITE"));
    t.setTableName(name);
    t.open();
  }
  // Reads one value straight from the file, past the engine.
  QVariant direct(const QString& sql) {
    QVariant v;
    {
      QSqlDatabase db = SqliteDriver::openFile(path(QStringLiteral("demo.sqlite")), QStringLiteral("direct"));
      QSqlQuery q(db);
      EXPECT_TRUE(q.exec(sql)) << sql.toStdString();
      if (q.next()) v = q.value(0);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("direct"));
    return v;
  }
  void directExec(const QString& sql) { direct(sql); }
};

TEST_F(SqliteTest, FieldsOfTheEmployeeTable) {
  Table t;
  open(t, QStringLiteral("employee"));  // the name resolves regardless of case
  const QStringList expected = {"TIntegerField", "TStringField", "TStringField", "TSmallintField",
                                "TDateField", "TDateTimeField", "TIntegerField", "TCurrencyField",
                                "TFloatField", "TBooleanField", "TMemoField"};
  ASSERT_EQ(t.fieldCount(), expected.size());
  for (int i = 0; i < t.fieldCount(); ++i)
    EXPECT_EQ(t.field(i).className(), expected[i]) << t.field(i).fieldName().toStdString();
  EXPECT_EQ(t.field(1).fieldName(), QStringLiteral("EMP_NAME"));
  EXPECT_EQ(t.field(1).size(), 20);
  EXPECT_EQ(t.field(1).displayWidth(), 20);
  EXPECT_TRUE(t.field(1).required());
  EXPECT_EQ(t.field(6).precision(), 9);
  EXPECT_TRUE(t.field(0).isIndexField());
  EXPECT_FALSE(t.field(1).isIndexField());
  EXPECT_EQ(t.fieldByName(QStringLiteral("emp_kana")).index(), 2);
  EXPECT_EQ(t.findField(QStringLiteral("NOPE")), nullptr);
  EXPECT_THROW(t.fieldByName(QStringLiteral("NOPE")), EngineError);
  EXPECT_EQ(t.driverName(), QStringLiteral("SQLITE"));
  t.field(1).setDisplayLabel(QStringLiteral("氏名"));
  EXPECT_EQ(t.field(1).displayName(), QStringLiteral("氏名"));
}

TEST_F(SqliteTest, NavigationAndDisplayTexts) {
  Table t;
  open(t, QStringLiteral("EMPLOYEE"));
  EXPECT_EQ(t.recordCount(), 5);
  EXPECT_EQ(t.fieldByName(QStringLiteral("EMP_NAME")).asString(), QStringLiteral("山田 太郎"));
  EXPECT_EQ(t.fieldByName(QStringLiteral("BIRTH_DATE")).asString(), QStringLiteral("1980/04/12"));
  EXPECT_EQ(t.fieldByName(QStringLiteral("BIRTH_DATE")).value().toDate(), QDate(1980, 4, 12));
  EXPECT_EQ(t.fieldByName(QStringLiteral("HIRED_AT")).asString(), QStringLiteral("2003/04/01 9:00:00"));
  EXPECT_EQ(t.fieldByName(QStringLiteral("ACTIVE")).asString(), QStringLiteral("True"));
  EXPECT_EQ(t.fieldByName(QStringLiteral("ALLOWANCE")).asString(), QStringLiteral("15000.5"));
  int rows = 0;
  for (t.first(); !t.eof(); t.next()) ++rows;
  EXPECT_EQ(rows, 5);
  EXPECT_EQ(t.recNo(), 4);
  t.last();
  EXPECT_TRUE(t.eof());
  EXPECT_EQ(t.fieldByName(QStringLiteral("EMP_NO")).asString(), QStringLiteral("1005"));
  t.prior();
  EXPECT_EQ(t.fieldByName(QStringLiteral("EMP_NO")).asString(), QStringLiteral("1004"));
  t.first();
  t.prior();
  EXPECT_TRUE(t.bof());
}

TEST_F(SqliteTest, TextsFollowTheRuntimeFormatSettings) {
  Table t;
  open(t, QStringLiteral("EMPLOYEE"));
  Field& allowance = t.fieldByName(QStringLiteral("ALLOWANCE"));
  Field& hired = t.fieldByName(QStringLiteral("HIRED_AT"));
  struct Restore {
    ~Restore() { resetFormatSettings(); }
  } restore;
  formatSettings().currencyDecimals = 2;
  EXPECT_EQ(allowance.asString(), QStringLiteral("15000.5"));
  EXPECT_TRUE(allowance.displayText().endsWith(QStringLiteral("15,000.50"))) << allowance.displayText().toStdString();
  formatSettings().shortDateFormat = "dd-mm-yyyy";
  formatSettings().dateSeparator = '-';
  EXPECT_EQ(hired.asString(), QStringLiteral("01-04-2003 9:00:00"));
  t.edit();
  hired.setEditText(QStringLiteral("2004/05/06"));  // the unambiguous year-first form is always read
  EXPECT_EQ(hired.editText(), QStringLiteral("06-05-2004"));  // midnight: the date alone
  t.post();
  resetFormatSettings();
  EXPECT_EQ(hired.asString(), QStringLiteral("2004/05/06"));
  EXPECT_EQ(direct(QStringLiteral("SELECT HIRED_AT FROM EMPLOYEE WHERE EMP_NO=1001")).toString(), QStringLiteral("2004-05-06 00:00:00"));
}

TEST_F(SqliteTest, PostWritesOnlyTheChangedFields) {
  Table t;
  open(t, QStringLiteral("EMPLOYEE"));
  // Another user changes the kana after the row was read.
  directExec(QStringLiteral("UPDATE EMPLOYEE SET EMP_KANA='ヤマダ' WHERE EMP_NO=1001"));
  t.edit();
  t.fieldByName(QStringLiteral("NOTE")).setEditText(QStringLiteral("更新"));
  t.fieldByName(QStringLiteral("BIRTH_DATE")).setEditText(QStringLiteral("1981/05/06"));
  EXPECT_EQ(t.state(), DatasetState::Edit);
  t.post();
  EXPECT_EQ(t.state(), DatasetState::Browse);
  EXPECT_EQ(direct(QStringLiteral("SELECT EMP_KANA FROM EMPLOYEE WHERE EMP_NO=1001")).toString(), QStringLiteral("ヤマダ"));
  EXPECT_EQ(direct(QStringLiteral("SELECT NOTE FROM EMPLOYEE WHERE EMP_NO=1001")).toString(), QStringLiteral("更新"));
  EXPECT_EQ(direct(QStringLiteral("SELECT BIRTH_DATE FROM EMPLOYEE WHERE EMP_NO=1001")).toString(), QStringLiteral("1981-05-06"));
  EXPECT_EQ(t.fieldByName(QStringLiteral("NOTE")).asString(), QStringLiteral("更新"));
}

TEST_F(SqliteTest, CancelDiscardsAndBadTextIsRefused) {
  Table t;
  open(t, QStringLiteral("EMPLOYEE"));
  t.edit();
  t.fieldByName(QStringLiteral("EMP_NAME")).setEditText(QStringLiteral("変更"));
  EXPECT_EQ(t.fieldByName(QStringLiteral("EMP_NAME")).asString(), QStringLiteral("変更"));
  t.cancel();
  EXPECT_EQ(t.fieldByName(QStringLiteral("EMP_NAME")).asString(), QStringLiteral("山田 太郎"));
  EXPECT_THROW(t.fieldByName(QStringLiteral("EMP_NAME")).setEditText(QStringLiteral("x")), EngineError);  // not editing
  t.edit();
  for (const auto& [field, text] : std::vector<std::pair<QString, QString>>{
           {"BIRTH_DATE", "2024/13/45"}, {"DEPT_CODE", "99999"}, {"ACTIVE", "maybe"},
           {"EMP_NAME", QString(21, u'x')}}) {
    try {
      t.fieldByName(field).setEditText(text);
      ADD_FAILURE() << field.toStdString() << " took " << text.toStdString();
    } catch (const EngineError& e) {
      EXPECT_TRUE(e.lastMessage().contains(field)) << e.lastMessage().toStdString();
    }
  }
  t.fieldByName(QStringLiteral("EMP_NAME")).setEditText(QString(10, u'x') + QStringLiteral("𠮷𠮷𠮷𠮷𠮷𠮷𠮷𠮷𠮷𠮷"));  // 20 characters
  t.cancel();
  EXPECT_EQ(direct(QStringLiteral("SELECT BIRTH_DATE FROM EMPLOYEE WHERE EMP_NO=1001")).toString(), QStringLiteral("1980-04-12"));
}

TEST_F(SqliteTest, PostErrorIsSignalledBeforeTheError) {
  Table t;
  open(t, QStringLiteral("EMPLOYEE"));
  QStringList seen;
  QObject::connect(&t, &Dataset::postError, [&](const QString& m) { seen << m; });
  t.edit();
  t.fieldByName(QStringLiteral("EMP_NAME")).clear();  // NOT NULL
  try {
    t.post();
    FAIL() << "posted a NULL into a NOT NULL column";
  } catch (const EngineError& e) {
    ASSERT_EQ(seen.size(), 1);
    EXPECT_EQ(seen[0], e.lastMessage());
    EXPECT_TRUE(e.lastMessage().contains(QStringLiteral("NOT NULL"))) << e.lastMessage().toStdString();
    EXPECT_GE(e.count(), 2);
  }
  EXPECT_EQ(t.state(), DatasetState::Edit);
  t.cancel();
}

TEST_F(SqliteTest, AppendInsertDeleteAndKeySearch) {
  Table t;
  open(t, QStringLiteral("EMPLOYEE"));
  int stateChanges = 0;
  QObject::connect(&t, &Dataset::stateChanged, [&] { ++stateChanges; });
  t.append();
  EXPECT_EQ(t.state(), DatasetState::Insert);
  EXPECT_TRUE(t.isPendingRow(5));
  EXPECT_EQ(t.displayRowCount(), 6);
  t.fieldByName(QStringLiteral("EMP_NO")).setEditText(QStringLiteral("1003"));
  t.fieldByName(QStringLiteral("EMP_NAME")).setEditText(QStringLiteral("重複"));
  EXPECT_THROW(t.post(), EngineError);  // key violation
  t.fieldByName(QStringLiteral("EMP_NO")).setEditText(QStringLiteral("1002"));
  t.fieldByName(QStringLiteral("EMP_NO")).setEditText(QStringLiteral("1500"));
  t.post();
  EXPECT_GE(stateChanges, 2);
  EXPECT_EQ(t.recordCount(), 6);
  EXPECT_EQ(t.recNo(), 5);
  EXPECT_EQ(t.fieldByName(QStringLiteral("EMP_NAME")).asString(), QStringLiteral("重複"));

  t.first();
  t.insert();  // before the first record; posted, it sorts by its key
  t.fieldByName(QStringLiteral("EMP_NO")).setEditText(QStringLiteral("1003"));
  t.cancel();
  EXPECT_EQ(t.recNo(), 0);
  EXPECT_EQ(t.displayRowCount(), 6);

  t.setKey();
  t.fieldByName(QStringLiteral("EMP_NO")).setEditText(QStringLiteral("1004"));
  EXPECT_TRUE(t.gotoKey());
  EXPECT_EQ(t.recNo(), 3);
  EXPECT_EQ(t.fieldByName(QStringLiteral("EMP_NAME")).asString(), QStringLiteral("高橋 美咲"));
  t.setKey();
  t.fieldByName(QStringLiteral("EMP_NO")).setEditText(QStringLiteral("9999"));
  EXPECT_FALSE(t.gotoKey());
  EXPECT_EQ(t.recNo(), 3);
  EXPECT_EQ(t.state(), DatasetState::Browse);

  t.deleteRecord();
  EXPECT_EQ(t.recordCount(), 5);
  EXPECT_EQ(t.fieldByName(QStringLiteral("EMP_NO")).asString(), QStringLiteral("1005"));
  EXPECT_EQ(direct(QStringLiteral("SELECT COUNT(*) FROM EMPLOYEE WHERE EMP_NO=1004")).toInt(), 0);
}

TEST_F(SqliteTest, TableWithoutPrimaryKeyIsWrittenByRowid) {
  Query view;
  view.setDatabaseName(QStringLiteral("LITE"));
  view.setSql(QStringLiteral("CREATE VIEW LOG_VIEW AS SELECT MESSAGE FROM DEPT_LOG"));
  view.execSql();
  Table v;  // a view has no rowid: read only
  open(v, QStringLiteral("LOG_VIEW"));
  EXPECT_EQ(v.recordCount(), 4);
  EXPECT_FALSE(v.canModify());

  Table t;
  open(t, QStringLiteral("DEPT_LOG"));
  EXPECT_EQ(t.fieldCount(), 3);  // the rowid stays hidden
  EXPECT_TRUE(t.canModify());
  EXPECT_THROW(t.setKey(), EngineError);
  t.next();
  t.edit();
  t.fieldByName(QStringLiteral("MESSAGE")).setEditText(QStringLiteral("二行目"));
  t.post();
  EXPECT_EQ(direct(QStringLiteral("SELECT MESSAGE FROM DEPT_LOG WHERE rowid=2")).toString(), QStringLiteral("二行目"));
  EXPECT_EQ(direct(QStringLiteral("SELECT COUNT(*) FROM DEPT_LOG WHERE MESSAGE='二行目'")).toInt(), 1);
}

TEST_F(SqliteTest, TextOutsideCodePage932SurvivesBrowseEditPost) {
  const QString odd = QStringLiteral("𠮷野家 ☃ Ω≠ é");
  Table t;
  open(t, QStringLiteral("EMPLOYEE"));
  t.edit();
  t.fieldByName(QStringLiteral("NOTE")).setEditText(odd);
  t.post();
  t.close();
  open(t, QStringLiteral("EMPLOYEE"));
  EXPECT_EQ(t.fieldByName(QStringLiteral("NOTE")).editText(), odd);
  // Editing another field leaves it as it is.
  t.edit();
  t.fieldByName(QStringLiteral("DEPT_CODE")).setEditText(QStringLiteral("40"));
  t.post();
  EXPECT_EQ(direct(QStringLiteral("SELECT NOTE FROM EMPLOYEE WHERE EMP_NO=1001")).toString(), odd);
}

TEST_F(SqliteTest, CreateTableWithIndexesAndReplaceIt) {
  Table t;
  t.setDatabaseName(QStringLiteral("LITE"));
  t.setTableName(QStringLiteral("CODES"));
  t.addFieldDef(QStringLiteral("CODE"), FieldKind::String, 6, true);
  t.addFieldDef(QStringLiteral("SUB"), FieldKind::Smallint, 0, true);
  t.addFieldDef(QStringLiteral("NAME"), FieldKind::String, 30, false);
  t.addFieldDef(QStringLiteral("PRICE"), FieldKind::Currency, 12, false);
  t.addFieldDef(QStringLiteral("ON_DATE"), FieldKind::Date, 0, false);
  t.addIndex(QString(), QStringLiteral("CODE;SUB"), ixPrimary | ixUnique);  // before the table exists
  t.createTable();
  t.addIndex(QStringLiteral("CODES_NAME"), QStringLiteral("NAME"), ixDescending);
  t.addIndex(QStringLiteral("CODES_UNIQUE"), QStringLiteral("NAME;SUB"), ixUnique);
  t.updateIndexDefs();
  ASSERT_EQ(t.indexDefs().size(), 3u);
  EXPECT_EQ(t.indexDefs()[0].name, QString());
  EXPECT_EQ(t.indexDefs()[0].fields, QStringLiteral("CODE;SUB"));
  EXPECT_EQ(t.indexDefs()[0].options, ixPrimary | ixUnique);
  EXPECT_EQ(t.indexDefs()[1].name, QStringLiteral("CODES_NAME"));
  EXPECT_EQ(t.indexDefs()[1].options, ixDescending);
  EXPECT_EQ(t.indexDefs()[2].fields, QStringLiteral("NAME;SUB"));
  EXPECT_EQ(t.indexDefs()[2].options, ixUnique);

  t.open();
  EXPECT_EQ(t.field(3).className(), QStringLiteral("TCurrencyField"));
  EXPECT_EQ(t.field(4).className(), QStringLiteral("TDateField"));
  t.append();
  t.fieldByName(QStringLiteral("CODE")).setEditText(QStringLiteral("A1"));
  t.fieldByName(QStringLiteral("SUB")).setEditText(QStringLiteral("1"));
  t.post();
  t.close();
  EXPECT_THROW(t.addIndex(QStringLiteral("X"), QString(), 0), EngineError);

  // Creating again replaces the table and its rows.
  t.clearFieldDefs();
  t.addFieldDef(QStringLiteral("ONLY"), FieldKind::Integer, 0, false);
  t.createTable();
  t.open();
  EXPECT_EQ(t.fieldCount(), 1);
  EXPECT_EQ(t.recordCount(), 0);
  EXPECT_TRUE(t.eof());
}

TEST_F(SqliteTest, PrimaryIndexAddedToAnExistingTableKeepsTheRows) {
  Query q;
  q.setDatabaseName(QStringLiteral("LITE"));
  q.setSql(QStringLiteral("CREATE TABLE LOOSE (K VARCHAR(4), V INTEGER)"));
  q.execSql();
  q.setSql(QStringLiteral("INSERT INTO LOOSE VALUES ('b', 2), ('a', 1)"));
  EXPECT_EQ(q.execSql(), 2);
  q.setSql(QStringLiteral("CREATE INDEX LOOSE_V ON LOOSE (V)"));
  q.execSql();
  Table t;
  t.setDatabaseName(QStringLiteral("LITE"));
  t.setTableName(QStringLiteral("LOOSE"));
  t.addIndex(QString(), QStringLiteral("K"), ixPrimary);
  t.updateIndexDefs();
  ASSERT_EQ(t.indexDefs().size(), 2u);
  EXPECT_EQ(t.indexDefs()[0].fields, QStringLiteral("K"));
  EXPECT_TRUE(t.indexDefs()[0].options & ixPrimary);
  EXPECT_EQ(t.indexDefs()[1].name, QStringLiteral("LOOSE_V"));
  t.open();
  EXPECT_EQ(t.recordCount(), 2);
  EXPECT_EQ(t.field(0).asString(), QStringLiteral("a"));  // now in key order
}

TEST_F(SqliteTest, LiveQueriesAndTheirRefusal) {
  const QStringList refused = {
      "SELECT E.EMP_NO, D.MESSAGE FROM EMPLOYEE E JOIN DEPT_LOG D ON D.DEPT_CODE = E.DEPT_CODE",
      "SELECT E.EMP_NO FROM EMPLOYEE E, DEPT_LOG D",
      "SELECT DEPT_CODE, COUNT(*) FROM EMPLOYEE GROUP BY DEPT_CODE",
      "SELECT DISTINCT DEPT_CODE FROM EMPLOYEE",
      "SELECT MAX(EMP_NO) FROM EMPLOYEE",
      "SELECT EMP_NO FROM EMPLOYEE UNION SELECT DEPT_CODE FROM DEPT_LOG",
      "SELECT * FROM (SELECT * FROM EMPLOYEE)",
  };
  for (const auto& sql : refused) {
    Query q;
    q.setDatabaseName(QStringLiteral("LITE"));
    q.setRequestLive(true);
    q.setSql(sql);
    EXPECT_THROW(q.open(), EngineError) << sql.toStdString();
    EXPECT_FALSE(q.active());
    q.setRequestLive(false);
    q.open();  // the same statement opens read only
    EXPECT_FALSE(q.live());
    EXPECT_THROW(q.edit(), EngineError);
  }

  Query q;
  q.setDatabaseName(QStringLiteral("LITE"));
  q.setRequestLive(true);
  q.setSql(QStringLiteral("SELECT EMP_NO, EMP_NAME, SALARY * 2 AS DOUBLED\nFROM EMPLOYEE e\nWHERE DEPT_CODE = 10\nORDER BY EMP_NO DESC;"));
  q.open();
  EXPECT_TRUE(q.live());
  EXPECT_EQ(q.recordCount(), 2);
  EXPECT_EQ(q.field(0).asString(), QStringLiteral("1003"));
  EXPECT_TRUE(q.field(2).readOnly());
  q.edit();
  q.fieldByName(QStringLiteral("EMP_NAME")).setEditText(QStringLiteral("鈴木 一朗"));
  q.post();
  EXPECT_EQ(direct(QStringLiteral("SELECT EMP_NAME FROM EMPLOYEE WHERE EMP_NO=1003")).toString(), QStringLiteral("鈴木 一朗"));
  q.close();

  // Without the key among the columns the rowid locates the rows.
  q.setSql(QStringLiteral("SELECT EMP_KANA FROM EMPLOYEE WHERE EMP_NO = 1002"));
  q.open();
  EXPECT_TRUE(q.live());
  EXPECT_EQ(q.fieldCount(), 1);
  q.edit();
  q.field(0).setEditText(QStringLiteral("サトウ"));
  q.post();
  EXPECT_EQ(direct(QStringLiteral("SELECT EMP_KANA FROM EMPLOYEE WHERE EMP_NO=1002")).toString(), QStringLiteral("サトウ"));
}

TEST_F(SqliteTest, CountStarAndOracleLiterals) {
  Query q;
  q.setDatabaseName(QStringLiteral("LITE"));
  q.setSql(QStringLiteral("-- how many\nselect count(*) from ITEM -- all of them"));
  q.open();
  ASSERT_EQ(q.fieldCount(), 1);
  EXPECT_EQ(q.field(0).fieldName(), QStringLiteral("COUNT(*)"));
  EXPECT_EQ(q.field(0).asString(), QStringLiteral("1000"));
  q.close();

  q.setSql(QStringLiteral("INSERT INTO EMPLOYEE (EMP_NO, EMP_NAME, BIRTH_DATE, HIRED_AT) VALUES "
                          "(2001, 'A' || CHR(66), TO_DATE('2024/01/31','YYYY/MM/DD'), "
                          "TO_DATE('2024-02-01 13:45:10','YYYY-MM-DD HH24:MI:SS'))"));
  EXPECT_EQ(q.execSql(), 1);
  Table t;
  open(t, QStringLiteral("EMPLOYEE"));
  t.setKey();
  t.fieldByName(QStringLiteral("EMP_NO")).setEditText(QStringLiteral("2001"));
  ASSERT_TRUE(t.gotoKey());
  EXPECT_EQ(t.fieldByName(QStringLiteral("EMP_NAME")).asString(), QStringLiteral("AB"));
  EXPECT_EQ(t.fieldByName(QStringLiteral("BIRTH_DATE")).value().toDate(), QDate(2024, 1, 31));
  EXPECT_EQ(t.fieldByName(QStringLiteral("HIRED_AT")).asString(), QStringLiteral("2024/02/01 13:45:10"));
  EXPECT_EQ(t.fieldByName(QStringLiteral("HIRED_AT")).value().toDateTime(),
            QDateTime(QDate(2024, 2, 1), QTime(13, 45, 10)));

  q.setSql(QStringLiteral("SELECT TO_DATE('2024/02/30','YYYY/MM/DD')"));
  EXPECT_THROW(q.open(), EngineError);
}

TEST_F(SqliteTest, ErrorsCarryTheirEntries) {
  Query q;
  q.setDatabaseName(QStringLiteral("LITE"));
  q.setSql(QStringLiteral("SELECT * FROM NO_SUCH_TABLE"));
  try {
    q.open();
    FAIL();
  } catch (const EngineError& e) {
    EXPECT_GE(e.count(), 2);
    EXPECT_TRUE(e.lastMessage().contains(QStringLiteral("no such table"))) << e.lastMessage().toStdString();
  }
  Table t;
  t.setDatabaseName(QStringLiteral("LITE"));
  t.setTableName(QStringLiteral("NO_SUCH_TABLE"));
  EXPECT_THROW(t.open(), EngineError);
  EXPECT_FALSE(t.active());
  q.setSql(QStringLiteral("UPDATE ITEM SET PRICE = 1 WHERE 0"));
  EXPECT_THROW(q.open(), EngineError);  // no rows to show
  t.setTableName(QStringLiteral("ITEM"));
  t.setTableType(TableType::Ascii);  // comes with local directory tables
  EXPECT_THROW(t.open(), EngineError);
}

TEST_F(SqliteTest, PagingKeepsMemoryBoundedAndReadsEveryRow) {
  Table t;
  open(t, QStringLiteral("ITEM"));
  long long stock = 0;
  int rows = 0;
  for (t.first(); !t.eof(); t.next()) {
    stock += t.fieldByName(QStringLiteral("STOCK")).value().toLongLong();
    ++rows;
    ASSERT_LE(t.cachedRows(), Dataset::maxCachedRows());
  }
  EXPECT_EQ(rows, 1000);
  EXPECT_EQ(stock, direct(QStringLiteral("SELECT SUM(STOCK) FROM ITEM")).toLongLong());
  t.last();
  EXPECT_EQ(t.recNo(), 999);
  EXPECT_EQ(t.field(0).asString(), QStringLiteral("A01000"));
  t.moveTo(550);  // read backwards from the end
  EXPECT_EQ(t.field(0).asString(), QStringLiteral("A00551"));
  t.moveTo(449);
  EXPECT_EQ(t.field(0).asString(), QStringLiteral("A00450"));

  // Backwards from the end, page by page.
  t.close();
  t.open();
  t.last();
  int expected = 1000;
  for (; !t.bof(); t.prior()) {
    ASSERT_EQ(t.field(0).asString(), QStringLiteral("A%1").arg(expected, 5, 10, QLatin1Char('0')));
    --expected;
  }
  EXPECT_EQ(expected, 0);
}

TEST_F(SqliteTest, WalksATableWithACompositeKeyInKeyOrder) {
  Query q;
  q.setDatabaseName(QStringLiteral("LITE"));
  q.setSql(QStringLiteral("CREATE TABLE PAIRS (A VARCHAR(3), B INTEGER, PRIMARY KEY (A, B))"));
  q.execSql();
  QStringList values;
  for (int i = 0; i < 450; ++i) values << QStringLiteral("('%1', %2)").arg(QChar(u'a' + i % 7)).arg(i);
  q.setSql(QStringLiteral("INSERT INTO PAIRS VALUES ") + values.join(u','));
  EXPECT_EQ(q.execSql(), 450);
  Table t;
  open(t, QStringLiteral("PAIRS"));
  QStringList seen;
  for (t.first(); !t.eof(); t.next()) seen << t.field(0).asString() + u':' + t.field(1).asString().rightJustified(3, u'0');
  ASSERT_EQ(seen.size(), 450);
  QStringList sorted = seen;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(seen, sorted);
  EXPECT_EQ(QSet<QString>(seen.begin(), seen.end()).size(), 450);
  t.setKey();
  t.field(0).setEditText(QStringLiteral("c"));
  t.field(1).setEditText(QStringLiteral("9"));
  ASSERT_TRUE(t.gotoKey());
  EXPECT_EQ(t.recNo(), static_cast<int>(seen.indexOf(QStringLiteral("c:009"))));
}

TEST_F(SqliteTest, AQueryWalkedPastItsFirstPagesLeavesTheTableFreeToChange) {
  Query q;
  q.setDatabaseName(QStringLiteral("LITE"));
  q.setSql(QStringLiteral("SELECT ITEM_CODE, STOCK FROM ITEM WHERE STOCK >= 0 ORDER BY ITEM_CODE DESC"));
  q.open();
  QStringList codes;
  for (q.first(); !q.eof(); q.next()) codes << q.field(0).asString();
  ASSERT_EQ(codes.size(), 1000);
  EXPECT_EQ(codes.first(), QStringLiteral("A01000"));
  EXPECT_EQ(codes.last(), QStringLiteral("A00001"));
  q.close();
  q.open();
  for (int i = 0; i < 250; ++i) q.next();
  EXPECT_EQ(q.field(0).asString(), QStringLiteral("A00750"));
  // The read cursor left open at row 300 must not block a change of the table.
  Table t;
  t.setDatabaseName(QStringLiteral("LITE"));
  t.setTableName(QStringLiteral("ITEM"));
  t.addFieldDef(QStringLiteral("ITEM_CODE"), FieldKind::String, 8, true);
  EXPECT_NO_THROW(t.createTable());
}

TEST_F(SqliteTest, StatementsThatCannotBePagedAreReadInSequence) {
  QStringList values;
  for (int i = 1; i <= 250; ++i) values << QStringLiteral("(%1, 'v%1')").arg(i);
  Query q;
  q.setDatabaseName(QStringLiteral("LITE"));
  q.setSql(QStringLiteral("VALUES ") + values.join(u','));
  q.open();
  EXPECT_EQ(q.fieldCount(), 2);
  EXPECT_EQ(q.recordCount(), 250);
  q.moveTo(220);
  EXPECT_EQ(q.field(1).asString(), QStringLiteral("v221"));
  q.moveTo(5);  // behind the forward cursor: read again from the start
  EXPECT_EQ(q.field(0).asString(), QStringLiteral("6"));
  int rows = 0;
  for (q.first(); !q.eof(); q.next()) ++rows;
  EXPECT_EQ(rows, 250);
  EXPECT_FALSE(q.canModify());
}

}  // namespace
}  // namespace korvel::db::test
