// Rows posted one after another at the end of a table, as test data
// generation does, and inserts whose key sorts elsewhere: positions, counts
// and the values read back must be those of the file.

#include <QDateTime>
#include <QSqlError>
#include <QSqlQuery>

#include "db/query.h"
#include "db/repeatedstatement.h"
#include "db/sqlitedriver.h"
#include "db/table.h"
#include "dbtestenv.h"

namespace korvel::db::test {
namespace {

class AppendTest : public EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    sqliteAlias({QStringLiteral("CREATE TABLE GEN (ID INTEGER PRIMARY KEY, NAME VARCHAR(20),"
                                " NOTE VARCHAR(10) DEFAULT 'dflt')"),
                 QStringLiteral("CREATE TABLE WORDS (W VARCHAR(10) PRIMARY KEY, N INTEGER)"),
                 QStringLiteral("CREATE TABLE PLAIN (V INTEGER)")});
  }
  void open(Table& t, const QString& name) {
    t.setDatabaseName(QStringLiteral("LITE"));
    t.setTableName(name);
    t.open();
  }
  // The loop of test data generation: append, assign, post, next.
  void appendRows(Table& t, int from, int to, int step) {
    t.last();
    for (int id = from; id <= to; id += step) {
      t.append();
      t.fieldByName(QStringLiteral("ID")).setEditText(QString::number(id));
      t.fieldByName(QStringLiteral("NAME")).setEditText(QStringLiteral("n%1").arg(id));
      t.post();
      ASSERT_EQ(t.fieldByName(QStringLiteral("ID")).asString(), QString::number(id));
      t.next();
      ASSERT_TRUE(t.eof());
    }
  }
  QList<int> walk(Table& t) {
    QList<int> ids;
    for (t.first(); !t.eof(); t.next()) ids << t.fieldByName(QStringLiteral("ID")).value().toInt();
    return ids;
  }
  int countInFile(const QString& table) {
    Query q;
    q.setDatabaseName(QStringLiteral("LITE"));
    q.setSql(QStringLiteral("SELECT COUNT(*) FROM ") + table);
    q.open();
    return q.field(0).value().toInt();
  }
};

TEST_F(AppendTest, RowsAppendedAtTheEndAreCountedWalkedAndReadBackFromTheFile) {
  Table t;
  open(t, QStringLiteral("GEN"));
  appendRows(t, 1, 450, 1);
  EXPECT_EQ(t.knownRowCount(), 450);  // kept up to date, not counted again
  EXPECT_EQ(t.recordCount(), countInFile(QStringLiteral("GEN")));
  EXPECT_EQ(t.recNo(), 449);
  QList<int> expected;
  for (int id = 1; id <= 450; ++id) expected << id;
  EXPECT_EQ(walk(t), expected);
  t.last();
  EXPECT_EQ(t.fieldByName(QStringLiteral("ID")).asString(), QStringLiteral("450"));
  // Values the database supplied itself are read back, not guessed.
  EXPECT_EQ(t.fieldByName(QStringLiteral("NOTE")).asString(), QStringLiteral("dflt"));
  t.moveTo(299);
  EXPECT_EQ(t.fieldByName(QStringLiteral("NAME")).asString(), QStringLiteral("n300"));

  // Reopened, the appended rows continue after those already in the file.
  t.close();
  open(t, QStringLiteral("GEN"));
  appendRows(t, 451, 460, 1);
  EXPECT_EQ(t.recordCount(), 460);
  t.prior();
  EXPECT_EQ(t.fieldByName(QStringLiteral("ID")).asString(), QStringLiteral("459"));
}

TEST_F(AppendTest, AKeyThatSortsBeforeTheLastRowLandsInItsPlace) {
  Table t;
  open(t, QStringLiteral("GEN"));
  appendRows(t, 1, 301, 2);  // 151 odd keys
  t.append();
  t.fieldByName(QStringLiteral("ID")).setEditText(QStringLiteral("100"));
  t.post();
  EXPECT_EQ(t.recNo(), 50);  // after 1, 3 ... 99
  EXPECT_EQ(t.fieldByName(QStringLiteral("ID")).asString(), QStringLiteral("100"));
  t.next();
  EXPECT_EQ(t.fieldByName(QStringLiteral("ID")).asString(), QStringLiteral("101"));
  EXPECT_EQ(t.recordCount(), 152);

  // A row inserted before the first record but keyed last goes to the end.
  t.first();
  t.insert();
  t.fieldByName(QStringLiteral("ID")).setEditText(QStringLiteral("1000"));
  t.post();
  EXPECT_EQ(t.recNo(), 152);
  t.prior();
  EXPECT_EQ(t.fieldByName(QStringLiteral("ID")).asString(), QStringLiteral("301"));
  t.append();  // a key below every row
  t.fieldByName(QStringLiteral("ID")).setEditText(QStringLiteral("-5"));
  t.post();
  EXPECT_EQ(t.recNo(), 0);
  const QList<int> ids = walk(t);
  ASSERT_EQ(ids.size(), 154);
  EXPECT_TRUE(std::is_sorted(ids.begin(), ids.end()));
  EXPECT_EQ(ids.back(), 1000);
}

TEST_F(AppendTest, AppendsAfterADeleteAndOnTextOrRowidKeysFindTheirPlace) {
  Table t;
  open(t, QStringLiteral("GEN"));
  appendRows(t, 10, 30, 10);
  t.last();
  t.deleteRecord();  // 30 is gone: the next key after 20 still goes last
  appendRows(t, 25, 25, 1);
  EXPECT_EQ(walk(t), (QList<int>{10, 20, 25}));

  // A key left to the database is the one it gave the row.
  for (int i = 0; i < 3; ++i) {
    t.append();
    t.fieldByName(QStringLiteral("NAME")).setEditText(QStringLiteral("auto"));
    t.post();
    EXPECT_EQ(t.recNo(), 3 + i);
    EXPECT_EQ(t.fieldByName(QStringLiteral("ID")).asString(), QString::number(26 + i));
  }
  EXPECT_EQ(t.recordCount(), 6);

  // Text keys sort by the database's rules, whatever the order of posting.
  Table words;
  open(words, QStringLiteral("WORDS"));
  for (const char* w : {"b", "a", "c", "B"}) {
    words.append();
    words.field(0).setEditText(QString::fromLatin1(w));
    words.post();
  }
  QStringList seen;
  for (words.first(); !words.eof(); words.next()) seen << words.field(0).asString();
  EXPECT_EQ(seen, (QStringList{"B", "a", "b", "c"}));

  // Without a key, rows are placed by rowid.
  Table plain;
  open(plain, QStringLiteral("PLAIN"));
  for (int v : {7, 3, 5}) {
    plain.append();
    plain.field(0).setEditText(QString::number(v));
    plain.post();
    EXPECT_EQ(plain.field(0).asString(), QString::number(v));
  }
  EXPECT_EQ(plain.recNo(), 2);
  EXPECT_EQ(plain.recordCount(), 3);
}

TEST_F(AppendTest, TheInsertKeptForTheNextPostFollowsTheColumnsAndHoldsNoLock) {
  Table t;
  open(t, QStringLiteral("GEN"));
  appendRows(t, 1, 3, 1);
  t.append();  // other columns assigned: another statement
  t.fieldByName(QStringLiteral("ID")).setEditText(QStringLiteral("4"));
  t.fieldByName(QStringLiteral("NOTE")).setEditText(QStringLiteral("own"));
  t.post();
  t.append();
  t.fieldByName(QStringLiteral("ID")).setEditText(QStringLiteral("4"));
  t.fieldByName(QStringLiteral("NOTE")).setEditText(QStringLiteral("again"));
  QString signalled;
  QObject::connect(&t, &Dataset::postError, [&](const QString& message) { signalled = message; });
  try {
    t.post();  // key violation; the record stays pending
    ADD_FAILURE() << "a duplicate key was posted";
  } catch (const EngineError& e) {
    EXPECT_EQ(e.entries(), (QStringList{"Cannot insert the record", "Unable to fetch row",
                                        "UNIQUE constraint failed: GEN.ID"}));
    EXPECT_EQ(signalled, e.lastMessage());
  }
  EXPECT_EQ(t.state(), DatasetState::Insert);
  t.fieldByName(QStringLiteral("ID")).setEditText(QStringLiteral("5"));
  t.post();
  appendRows(t, 6, 6, 1);
  QStringList notes;
  for (t.first(); !t.eof(); t.next()) notes << t.fieldByName(QStringLiteral("NOTE")).asString();
  EXPECT_EQ(notes, (QStringList{"dflt", "dflt", "dflt", "own", "again", "dflt"}));

  // Another program may change the table while the statement is kept.
  const QString file = path(QStringLiteral("LITE.sqlite"));
  {
    QSqlDatabase other = SqliteDriver::openFile(file, QStringLiteral("other"));
    QSqlQuery q(other);
    EXPECT_TRUE(q.exec(QStringLiteral("DROP TABLE GEN"))) << q.lastError().text().toStdString();
  }
  QSqlDatabase::removeDatabase(QStringLiteral("other"));
}

// A run of appends starts from the table as it is now, rows other programs
// added since it was read included.
TEST_F(AppendTest, AppendsCountRowsAddedByAnotherProgramBeforeTheRun) {
  Table t;
  open(t, QStringLiteral("GEN"));
  appendRows(t, 1, 5, 1);
  const QString file = path(QStringLiteral("LITE.sqlite"));
  {
    QSqlDatabase other = SqliteDriver::openFile(file, QStringLiteral("other"));
    QSqlQuery q(other);
    EXPECT_TRUE(q.exec(QStringLiteral("INSERT INTO GEN (ID, NAME) VALUES (6, 'o6'), (7, 'o7'), (40, 'o40')")));
  }
  QSqlDatabase::removeDatabase(QStringLiteral("other"));
  QCoreApplication::processEvents();  // back in the event loop: the run ends
  t.append();
  t.fieldByName(QStringLiteral("ID")).setEditText(QStringLiteral("50"));
  t.post();
  EXPECT_EQ(t.recNo(), 8);
  EXPECT_EQ(t.recordCount(), 9);
  t.append();
  t.fieldByName(QStringLiteral("ID")).setEditText(QStringLiteral("30"));
  t.post();
  EXPECT_EQ(t.recNo(), 7);
  EXPECT_EQ(walk(t), (QList<int>{1, 2, 3, 4, 5, 6, 7, 30, 40, 50}));
}

// SQLite's native statement binds, returns and fails exactly as the same
// statement run through Qt SQL.
TEST_F(AppendTest, NativeSqliteStatementMatchesQtSql) {
  QSqlDatabase db = Engine::instance().connection(QStringLiteral("LITE"));
  QSqlQuery(db).exec(QStringLiteral("CREATE TABLE MIX (ID INTEGER PRIMARY KEY, A, B TEXT, C REAL)"));
  const QString sql = QStringLiteral("INSERT INTO MIX (ID, A, B, C) VALUES (?, ?, ?, ?) "
                                     "RETURNING ID, A, typeof(A), B, typeof(B), C, typeof(C)");
  const QString context = QStringLiteral("ctx");
  SqliteDriver driver;
  const std::unique_ptr<RepeatedStatement> native = driver.prepareRepeated(db, sql, context);
  QueryRepeatedStatement viaQt(db, sql, context, driver);
  const QList<QVariantList> rows = {
      {1, QStringLiteral("text"), QString(), 1.5},
      {qlonglong(1) << 40, QByteArray("\x00\x01", 2), QStringLiteral("日本"), QVariant()},
      {3, true, 42, QStringLiteral("2.5")},
      {4, QDateTime(QDate(2024, 1, 2), QTime(3, 4, 5, 6)), QTime(7, 8, 9), QDate(2024, 5, 6)},
      {5, QByteArray(), QVariant(QMetaType::fromType<QString>()), -0.25},
  };
  for (const QVariantList& values : rows) {
    QVector<QVariant> forNative(values.begin(), values.end());
    QVector<QVariant> forQt = forNative;
    forQt[0] = forQt[0].toLongLong() + 1000;
    QVector<QVariant> fromNative = native->run(forNative);
    QVector<QVariant> fromQt = viaQt.run(forQt);
    ASSERT_EQ(fromNative.size(), 7);
    ASSERT_EQ(fromQt.size(), 7);
    EXPECT_EQ(fromQt[0].toLongLong() - fromNative[0].toLongLong(), 1000);
    for (int i = 1; i < 7; ++i) {
      EXPECT_EQ(fromNative[i].toString(), fromQt[i].toString()) << values[0].toLongLong() << ':' << i;
      EXPECT_EQ(fromNative[i].isNull(), fromQt[i].isNull()) << values[0].toLongLong() << ':' << i;
    }
  }
  QStringList nativeError, qtError;
  try {
    native->run({1, 0, 0, 0});
  } catch (const EngineError& e) {
    nativeError = e.entries();
  }
  try {
    viaQt.run({1, 0, 0, 0});
  } catch (const EngineError& e) {
    qtError = e.entries();
  }
  EXPECT_EQ(nativeError.size(), 3);
  EXPECT_EQ(nativeError, qtError);
  EXPECT_THROW(driver.prepareRepeated(db, QStringLiteral("INSERT INTO NOWHERE VALUES (?)"), context), EngineError);
}

}  // namespace
}  // namespace korvel::db::test
