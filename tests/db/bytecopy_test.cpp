// The batch copy's byte path between CSV files and SQLite tables: it must
// store and write exactly what the row by row copy stores and writes, keep
// the copy's promises (errors naming file and line, a stop or an error
// leaving the destination as it was), and serve only the pairs it is for.

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include "common/codepage.h"
#include "db/batchmove.h"
#include "db/batchprogress.h"
#include "db/batchrows.h"
#include "db/bytecopy.h"
#include "db/local/localfile.h"
#include "db/query.h"
#include "db/table.h"
#include "dbtestenv.h"
#include "ui/scriptedprompt.h"

namespace korvel::db::test {
namespace {

const char* kEveryKindSchema =
    "KORVEL CSV SCHEMA 1\n"
    "ENCODING %1\n"
    "LINEBREAK CRLF\n"
    "KEY 1\n"
    "COLUMN INTEGER 0 CODE\n"
    "COLUMN STRING 20 名前\n"
    "COLUMN SMALLINT 0 SMALL\n"
    "COLUMN CURRENCY 0 PRICE\n"
    "COLUMN FLOAT 0 RATE\n"
    "COLUMN DECIMAL 0 AMOUNT\n"
    "COLUMN DATE 0 BORN\n"
    "COLUMN TIME 0 AT\n"
    "COLUMN DATETIME 0 STAMP\n"
    "COLUMN BOOLEAN 0 OK\n"
    "COLUMN MEMO 0 NOTE\n";

// Records over every column kind: Japanese and half-width text, quotes,
// commas and line breaks (CR LF and LF) inside quotes, an empty text ("")
// beside NULLs (empty fields), numbers in the forms the reader takes (a '+',
// blanks, exponents, the edges of each integer type), dates before 1900 and
// in both separators, every digit of an exact decimal. Each is a key and
// the rest of its record.
const std::pair<const char*, const char*> kEveryKindRecords[] = {
    {"1", "山田太郎,-32768,1234.5,0.1,12345678901234567890.123456789,1868/10/23,10:30:00,1899/12/31 23:59:59.500,TRUE,"
          "\"短い, \"\"メモ\"\"\r\n二行目\""},
    {"2", "\"\",32767, 7 ,+5,-0.000,0001-01-01,00:00,2024-02-29T08:09,f,\"a\nb\""},
    {"3", ",,,,,,,,,"},
    {"9223372036854775807", "\" lead\",1,1e3,1E-7,1.50,1899/12/30,23:59:59.999,2024/01/31,yes,ｶﾅ半角"},
    {"2147483648", "ASCII only,0,-0.25,-1e300,0,2024/2/3,1:02:03,2024/01/31 00:00:00,0,plain"},
    {"-5", "\"a,b\",+12,0.1e1,  2.5  ,-1E2,2024/12/31,12:00:00.5,2000-01-01 12:00,NO,\"\""},
};
const char* kEveryKindHeader = "CODE,名前,SMALL,PRICE,RATE,AMOUNT,BORN,AT,STAMP,OK,NOTE\r\n";

// The records above, or `repeats` rounds of them keyed 0, 1, 2 ...
QByteArray everyKindCsv(int repeats = 0) {
  QByteArray text = kEveryKindHeader;
  const int records = static_cast<int>(std::size(kEveryKindRecords));
  for (int i = 0; i < (repeats > 0 ? repeats * records : records); ++i) {
    const auto& record = kEveryKindRecords[i % records];
    text += (repeats > 0 ? QByteArray::number(i) : QByteArray(record.first)) + ',' + record.second + "\r\n";
  }
  return text;
}

class ByteCopyTest : public EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    ASSERT_TRUE(QDir().mkpath(tables()));
    sqliteAlias({}, QStringLiteral("LITE"));
    writeAliases(QStringLiteral("[FILES]\nTYPE=PARADOX\nPATH=%1\n[LITE]\nTYPE=SQLITE\nPATH=%2\n")
                     .arg(tables(), path(QStringLiteral("LITE.sqlite"))) +
                 (pgConnectionString().isEmpty() ? QString() : pgAliasSection(QStringLiteral("PG"))));
  }
  QString tables() const { return path(QStringLiteral("tables")); }
  QString tableFile(const QString& name) const { return tables() + u'/' + name; }
  void writeFile(const QString& name, const QByteArray& bytes) {
    QFile file(tableFile(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
  }
  // Text of this source file (UTF-8) in code page 932.
  static QByteArray cp932(const char* utf8) { return QByteArray::fromStdString(toCp932(QString::fromUtf8(utf8))); }
  QByteArray bytes(const QString& name) const {
    QFile f(tableFile(name));
    f.open(QIODevice::ReadOnly);
    return f.readAll();
  }
  BatchMoveOutcome copy(const QString& fromAlias, const QString& from, const QString& toAlias, const QString& to,
                        BatchMoveWay way = BatchMoveWay::Fastest, const BatchMoveProgress& progress = {}) {
    Table source, destination;
    source.setDatabaseName(fromAlias);
    source.setTableName(from);
    destination.setDatabaseName(toAlias);
    destination.setTableName(to);
    if (toAlias == u"FILES" && to.endsWith(u".csv")) destination.setTableType(TableType::Ascii);
    return batchMove(source, destination, progress, way);
  }
  void exec(const QString& sql, const QString& alias = QStringLiteral("LITE")) {
    Query q;
    q.setDatabaseName(alias);
    q.setSql(sql);
    q.execSql();
  }
  // Every stored value of `table` with its SQLite type, row by row.
  QStringList stored(const QString& table) {
    Query q;
    q.setDatabaseName(QStringLiteral("LITE"));
    q.setSql(QStringLiteral("SELECT * FROM %1 ORDER BY rowid").arg(table));
    q.open();
    const int columns = q.fieldCount();
    QStringList selects;
    for (int c = 0; c < columns; ++c)
      selects << QStringLiteral("typeof(\"%1\") || ':' || quote(\"%1\")").arg(q.field(c).fieldName());
    q.close();
    q.setSql(QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid").arg(selects.join(QStringLiteral(" || ' | ' || ")), table));
    q.open();
    QStringList rows;
    for (; !q.eof(); q.next()) rows << q.field(0).value().toString();
    return rows;
  }
  int count(const QString& table) {
    Query q;
    q.setDatabaseName(QStringLiteral("LITE"));
    q.setSql(QStringLiteral("SELECT COUNT(*) FROM ") + table);
    q.open();
    return q.field(0).value().toInt();
  }
  QStringList leftovers() const {
    return QDir(tables()).entryList(QDir::Files | QDir::Hidden).filter(QRegularExpression(QStringLiteral("^\\.")));
  }
  ScriptedPrompt prompt_;
};

TEST_F(ByteCopyTest, ImportStoresWhatTheRowByRowCopyStores) {
  writeFile(QStringLiteral("sj.csv"), cp932(everyKindCsv().constData()));
  writeFile(QStringLiteral("sj.schema"), cp932(kEveryKindSchema).replace("%1", "CP932"));
  // The same records as UTF-8 with a byte-order mark and LF line breaks.
  writeFile(QStringLiteral("u8.csv"), "\xEF\xBB\xBF" + everyKindCsv().replace("\r\n", "\n"));
  writeFile(QStringLiteral("u8.schema"), cp932(kEveryKindSchema).replace("%1", "UTF-8"));
  // Enough of them for the rows to go in groups, and a group left over.
  writeFile(QStringLiteral("many.csv"), cp932(everyKindCsv(150).constData()));
  writeFile(QStringLiteral("many.schema"), cp932(kEveryKindSchema).replace("%1", "CP932"));
  ASSERT_EQ(copy(QStringLiteral("FILES"), QStringLiteral("many.csv"), QStringLiteral("LITE"), QStringLiteral("many_bytes")).rows, 900);
  ASSERT_EQ(copy(QStringLiteral("FILES"), QStringLiteral("many.csv"), QStringLiteral("LITE"), QStringLiteral("many_rows"),
                 BatchMoveWay::RowByRow).rows, 900);
  EXPECT_EQ(stored(QStringLiteral("many_bytes")), stored(QStringLiteral("many_rows")));
  for (const QString& name : {QStringLiteral("sj"), QStringLiteral("u8")}) {
    SCOPED_TRACE(name.toStdString());
    ASSERT_EQ(copy(QStringLiteral("FILES"), name + QStringLiteral(".csv"), QStringLiteral("LITE"), name + QStringLiteral("_bytes")).rows, 6);
    ASSERT_EQ(copy(QStringLiteral("FILES"), name + QStringLiteral(".csv"), QStringLiteral("LITE"), name + QStringLiteral("_rows"), BatchMoveWay::RowByRow).rows, 6);
    const QStringList bytePath = stored(name + QStringLiteral("_bytes"));
    EXPECT_EQ(bytePath, stored(name + QStringLiteral("_rows")));
    ASSERT_EQ(bytePath.size(), 6);
    // What both must hold, not only the same as each other.
    EXPECT_TRUE(bytePath[1].startsWith(QStringLiteral("integer:1 | text:'山田太郎' | integer:-32768 | real:1234.5 | real:0.1")))
        << bytePath[1].toStdString();
    EXPECT_TRUE(bytePath[1].contains(QStringLiteral("text:'1868-10-23'"))) << bytePath[1].toStdString();
    EXPECT_TRUE(bytePath[1].contains(QStringLiteral("text:'短い, \"メモ\"\r\n二行目'")) ||
                (name == u"u8" && bytePath[1].contains(QStringLiteral("text:'短い, \"メモ\"\n二行目'"))))
        << bytePath[1].toStdString();
    EXPECT_TRUE(bytePath[2].startsWith(QStringLiteral("integer:2 | text:'' | integer:32767 | integer:7 | real:5.0")))
        << bytePath[2].toStdString();  // "" is an empty text, not NULL
    EXPECT_TRUE(bytePath[2].endsWith(QStringLiteral("text:'a\nb'"))) << bytePath[2].toStdString();
    EXPECT_EQ(bytePath[3], QStringLiteral("integer:3") + QStringLiteral(" | null:NULL").repeated(10));
    EXPECT_TRUE(bytePath[5].startsWith(QStringLiteral("integer:9223372036854775807 | text:' lead'"))) << bytePath[5].toStdString();
    EXPECT_TRUE(bytePath[5].contains(QStringLiteral("text:'ｶﾅ半角'"))) << bytePath[5].toStdString();
    EXPECT_TRUE(bytePath[0].endsWith(QStringLiteral("text:''"))) << bytePath[0].toStdString();
  }
}

// A table holding each kind in the storage classes SQLite gives it: numbers
// that read back as integers in currency columns, doubles at the edges of
// their digits, dates that are and are not "YYYY-MM-DD", text that needs
// quoting, Japanese text, an empty text beside NULL.
TEST_F(ByteCopyTest, ExportWritesTheBytesTheRowByRowCopyWrites) {
  exec(QStringLiteral("CREATE TABLE src (K INTEGER PRIMARY KEY, T VARCHAR(20), S SMALLINT, C CURRENCY, F DOUBLE, "
                      "D NUMERIC, DAY DATE, AT TIME, STAMP DATETIME, OK BOOLEAN, M TEXT)"));
  exec(QString::fromUtf8(
      "INSERT INTO src VALUES "
      "(1, 'plain', 1, 1234.5, 0.1, 12345678901234567890, '2024-01-31', '10:30:00', '2024-02-29 08:09:10.250', 1, 'memo'),"
      "(2, '', -32768, 2, 1e-300, 1.5, '1868-10-23', '23:59:59.5', '1899-12-31T23:59:59', 0, ''),"
      "(3, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL),"
      "(4, 'a,b', 32767, 1e22, -1.5e20, 0.1, '0999-12-31', '00:00:00', '2024-01-31 10:00:00+09:00', 'yes', '改行' || char(13, 10) || 'あり'),"
      "(5, 'say \"hi\"', 0, 1e-7, 5, -7, '2024-02-29', '1:02:03', '2024-01-31', 2, ' lead'),"
      "(6, ' lead', 7, -0.0, -0.25, 0, '2024-01-31 10:00:00', '12:00', '0001-01-01 00:00:00', 'no', 'trail '),"
      "(7, '山田太郎', -1, 123456789.125, 123456789012345680000, 1e300, '1999-12-31', '10:30:00.123', '2024-12-01 23:00', NULL, 'ｶﾅ'),"
      "(8, 'line\nbreak', 2, 1e300, 2.5e-5, '12.30', '2024-01-05 00:00:00.000', '07:08:09', '2024-01-31 10:00', 'T', '\"'),"
      "(9, 'x', 3, 123456789012345680000, 9007199254740993, 0.30000000000000004, NULL, NULL, NULL, NULL, NULL),"
      "(10, 'y', 4, 2251799813685248.5, 0.30000000000000004, -2251799813685248.5, NULL, NULL, NULL, NULL, NULL)"));
  ASSERT_EQ(copy(QStringLiteral("LITE"), QStringLiteral("src"), QStringLiteral("FILES"), QStringLiteral("bytes.csv")).rows, 10);
  ASSERT_EQ(copy(QStringLiteral("LITE"), QStringLiteral("src"), QStringLiteral("FILES"), QStringLiteral("rows.csv"),
                 BatchMoveWay::RowByRow).rows, 10);
  const QByteArray written = bytes(QStringLiteral("bytes.csv"));
  EXPECT_EQ(written, bytes(QStringLiteral("rows.csv")));
  EXPECT_EQ(bytes(QStringLiteral("bytes.schema")), bytes(QStringLiteral("rows.schema")));
  const QList<QByteArray> lines = written.split('\n');
  ASSERT_GE(lines.size(), 5);
  EXPECT_EQ(lines[1], "1,plain,1,1234.5,0.1,12345678901234567000,2024/01/31,10:30:00,2024/02/29 08:09:10.250,TRUE,memo\r");
  EXPECT_EQ(lines[2], "2,\"\",-32768,2,1e-300,1.5,1868/10/23,23:59:59.500,1899/12/31 23:59:59,FALSE,\"\"\r");
  EXPECT_EQ(lines[3], "3,,,,,,,,,,\r");
  EXPECT_TRUE(written.contains("10000000000000000000000,-1.5e+20,")) << written.toStdString();
  EXPECT_TRUE(written.contains("\"say \"\"hi\"\"\",0,0.0000001,5,")) << written.toStdString();
  EXPECT_TRUE(written.contains(cp932("7,山田太郎,-1,123456789.125,"))) << written.toStdString();
  EXPECT_TRUE(written.contains(cp932("\"改行\r\nあり\""))) << written.toStdString();
  EXPECT_TRUE(written.contains("9,x,3,123456789012345680000,9007199254740992,0.30000000000000004,")) << written.toStdString();
  EXPECT_EQ(leftovers(), QStringList());

  // Values the CSV writer cannot write fail the same way on both paths;
  // those it can, it writes the same.
  const auto outcome = [&](BatchMoveWay way) {
    prompt_.messageAnswers = {PromptYes};
    try {
      copy(QStringLiteral("LITE"), QStringLiteral("odd"), QStringLiteral("FILES"), QStringLiteral("odd.csv"), way);
      return QString::fromLatin1(bytes(QStringLiteral("odd.csv")));
    } catch (const EngineError& e) {
      return e.entries().join(u'\n');
    }
  };
  for (const char* values : {"'2023-02-29', 'x'", "'2024-1-5', 20240131", "2024.5, x'41'", "'x', 'caf\u00e9'",
                             "NULL, x'e5b1b1'"}) {
    SCOPED_TRACE(values);
    exec(QStringLiteral("DROP TABLE IF EXISTS odd"));
    exec(QStringLiteral("CREATE TABLE odd (DAY DATE, T VARCHAR(5))"));
    exec(QStringLiteral("INSERT INTO odd VALUES (%1)").arg(QString::fromUtf8(values)));
    EXPECT_EQ(outcome(BatchMoveWay::Fastest), outcome(BatchMoveWay::RowByRow));
  }
  // An integer key holding what SQLite lets it hold: NULL, a fraction, text.
  for (const char* keys : {"(3), (NULL), (1), (2.5), ('7')", "(2), (1), ('x'), (-9223372036854775808)", "(5), (6)"}) {
    SCOPED_TRACE(keys);
    exec(QStringLiteral("DROP TABLE IF EXISTS odd"));
    exec(QStringLiteral("CREATE TABLE odd (K SMALLINT PRIMARY KEY)"));
    exec(QStringLiteral("INSERT INTO odd VALUES %1").arg(QLatin1String(keys)));
    EXPECT_EQ(outcome(BatchMoveWay::Fastest), outcome(BatchMoveWay::RowByRow));
  }
}

// A quoted empty field is an empty text and an empty field NULL, whichever
// way the rows go: straight into SQLite, or row by row into PostgreSQL (and
// back into a CSV file from either).
TEST_F(ByteCopyTest, AnEmptyTextStaysApartFromNull) {
  writeFile(QStringLiteral("empty.csv"), "ID,T\r\n1,\"\"\r\n2,\r\n3,x\r\n");
  writeFile(QStringLiteral("empty.schema"), "KORVEL CSV SCHEMA 1\nKEY 1\nCOLUMN INTEGER 0 ID\nCOLUMN STRING 5 T\n");
  QStringList aliases{QStringLiteral("LITE")};
  if (!pgConnectionString().isEmpty()) aliases << QStringLiteral("PG");
  for (const QString& alias : aliases) {
    SCOPED_TRACE(alias.toStdString());
    exec(QStringLiteral("DROP TABLE IF EXISTS empty_copy"), alias);
    ASSERT_EQ(copy(QStringLiteral("FILES"), QStringLiteral("empty.csv"), alias, QStringLiteral("empty_copy")).rows, 3);
    Query q;
    q.setDatabaseName(alias);
    q.setSql(QStringLiteral("SELECT \"ID\" FROM empty_copy WHERE \"T\" = '' "
                            "UNION ALL SELECT -\"ID\" FROM empty_copy WHERE \"T\" IS NULL"));
    q.open();
    QStringList got;
    for (; !q.eof(); q.next()) got << q.field(0).value().toString();
    q.close();
    EXPECT_EQ(got, (QStringList{QStringLiteral("1"), QStringLiteral("-2")}));
    prompt_.messageAnswers = {PromptYes};
    ASSERT_EQ(copy(alias, QStringLiteral("empty_copy"), QStringLiteral("FILES"), QStringLiteral("back.csv")).rows, 3);
    EXPECT_EQ(bytes(QStringLiteral("back.csv")), "ID,T\r\n1,\"\"\r\n2,\r\n3,x\r\n");
  }
}

// A table name with a quote, a dot and a semicolon is the name of one
// table on the byte path both ways: nothing else is created or dropped.
TEST_F(ByteCopyTest, AHostileTableNameNamesOnlyItsOwnTable) {
  writeFile(QStringLiteral("h.csv"), "ID,T\r\n1,\"a;b\"\r\n2,\r\n");
  writeFile(QStringLiteral("h.schema"), "KORVEL CSV SCHEMA 1\nKEY 1\nCOLUMN INTEGER 0 ID\nCOLUMN STRING 5 T\n");
  exec(QStringLiteral("CREATE TABLE victim (x INTEGER)"));
  exec(QStringLiteral("INSERT INTO victim VALUES (7)"));
  const QString hostile = QStringLiteral("h\"y.t; DROP TABLE victim; --");
  ASSERT_EQ(copy(QStringLiteral("FILES"), QStringLiteral("h.csv"), QStringLiteral("LITE"), hostile).rows, 2);
  EXPECT_EQ(count(QStringLiteral("\"h\"\"y.t; DROP TABLE victim; --\"")), 2);
  EXPECT_EQ(count(QStringLiteral("victim")), 1);
  ASSERT_EQ(copy(QStringLiteral("LITE"), hostile, QStringLiteral("FILES"), QStringLiteral("h_back.csv")).rows, 2);
  EXPECT_EQ(bytes(QStringLiteral("h_back.csv")), "ID,T\r\n1,a;b\r\n2,\r\n");
  EXPECT_EQ(count(QStringLiteral("victim")), 1);
}

// Damaged files are named with their line, and neither a damaged file nor a
// stop leaves the destination altered.
TEST_F(ByteCopyTest, DamageAndStopsLeaveTheDestinationAsItWas) {
  exec(QStringLiteral("CREATE TABLE old (A INTEGER)"));
  exec(QStringLiteral("INSERT INTO old VALUES (7)"));
  const QByteArray head = "ID,T\r\n1,a\r\n2,b\r\n";
  const struct {
    QByteArray tail;
    const char* what;
  } damaged[] = {
      {"3,\"never closed\r\n4,d\r\n", "line 4"},
      {"3,c,extra\r\n", "line 4"},
      {"3,\"x\r\ny\"\r\n4,c,extra\r\n", "line 6"},
      {"3,\x81\x20\r\n", "line 4"},
      {"3,\"ok\"junk\r\n", "line 4"},
  };
  for (const auto& file : damaged) {
    SCOPED_TRACE(file.tail.toStdString());
    writeFile(QStringLiteral("bad.csv"), head + file.tail);
    prompt_.messageAnswers = {PromptYes};
    try {
      copy(QStringLiteral("FILES"), QStringLiteral("bad.csv"), QStringLiteral("LITE"), QStringLiteral("old"));
      ADD_FAILURE() << "no error";
    } catch (const EngineError& e) {
      const QString message = e.entries().join(u'\n');
      EXPECT_TRUE(message.contains(tableFile(QStringLiteral("bad.csv")))) << message.toStdString();
      EXPECT_TRUE(message.contains(QLatin1String(file.what))) << message.toStdString();
    }
    EXPECT_EQ(count(QStringLiteral("old WHERE A = 7")), 1);
    EXPECT_EQ(count(QStringLiteral("old")), 1);
  }

  // A row SQLite refuses, deep inside a group of rows inserted at once, is
  // named by its number; no row of the copy is kept.
  QByteArray twice = "ID,T\r\n";
  for (int i = 1; i <= 1000; ++i) twice += QByteArray::number(i == 700 ? 5 : i) + ",r\r\n";
  writeFile(QStringLiteral("twice.csv"), twice);
  writeFile(QStringLiteral("twice.schema"), "KORVEL CSV SCHEMA 1\nKEY 1\nCOLUMN INTEGER 0 ID\nCOLUMN STRING 5 T\n");
  prompt_.messageAnswers = {PromptYes};
  try {
    copy(QStringLiteral("FILES"), QStringLiteral("twice.csv"), QStringLiteral("LITE"), QStringLiteral("old"));
    ADD_FAILURE() << "no error";
  } catch (const EngineError& e) {
    EXPECT_TRUE(e.lastMessage().startsWith(u"row 700: UNIQUE constraint failed")) << e.lastMessage().toStdString();
  }
  EXPECT_EQ(count(QStringLiteral("old WHERE A = 7")), 1);

  QByteArray many = "ID,T\r\n";
  for (int i = 0; i < 5000; ++i) many += QByteArray::number(i) + ",row " + QByteArray::number(i) + "\r\n";
  writeFile(QStringLiteral("many.csv"), many);
  int64_t lastTotal = 0;
  const auto stopAt1000 = [&](int64_t copied, int64_t total) {
    lastTotal = total;
    return copied < 1000;
  };
  prompt_.messageAnswers = {PromptYes};
  EXPECT_EQ(copy(QStringLiteral("FILES"), QStringLiteral("many.csv"), QStringLiteral("LITE"), QStringLiteral("old"),
                 BatchMoveWay::Fastest, stopAt1000).result,
            BatchMoveResult::Stopped);
  EXPECT_EQ(count(QStringLiteral("old")), 1);
  ASSERT_EQ(copy(QStringLiteral("FILES"), QStringLiteral("many.csv"), QStringLiteral("LITE"), QStringLiteral("many")).rows, 5000);

  // SQLite -> CSV: a stop, and a character code page 932 has no form for.
  const QByteArray oldFile = "ID,T\r\n7,old\r\n";
  writeFile(QStringLiteral("out.csv"), oldFile);
  prompt_.messageAnswers = {PromptYes};
  EXPECT_EQ(copy(QStringLiteral("LITE"), QStringLiteral("many"), QStringLiteral("FILES"), QStringLiteral("out.csv"),
                 BatchMoveWay::Fastest, stopAt1000).result,
            BatchMoveResult::Stopped);
  EXPECT_EQ(lastTotal, 5000);
  EXPECT_EQ(bytes(QStringLiteral("out.csv")), oldFile);
  exec(QStringLiteral("UPDATE many SET T = 'caf\u00e9' WHERE ID = 4000"));
  prompt_.messageAnswers = {PromptYes};
  try {
    copy(QStringLiteral("LITE"), QStringLiteral("many"), QStringLiteral("FILES"), QStringLiteral("out.csv"));
    ADD_FAILURE() << "no error";
  } catch (const EngineError& e) {
    EXPECT_TRUE(e.lastMessage().contains(u"row 4001, column T")) << e.lastMessage().toStdString();
  }
  EXPECT_EQ(bytes(QStringLiteral("out.csv")), oldFile);
  EXPECT_EQ(leftovers(), QStringList());
}

// The byte path takes the pairs it is for, and leaves every other pair to
// the row by row copy before anything is written.
TEST_F(ByteCopyTest, OnlyCsvAndSqliteTablesTakeTheBytePath) {
  writeFile(QStringLiteral("in.csv"), "ID,T\r\n1,a\r\n");
  exec(QStringLiteral("CREATE TABLE lite (ID INTEGER, T VARCHAR(5))"));
  exec(QStringLiteral("INSERT INTO lite VALUES (1, 'a')"));
  const auto tried = [&](const QString& fromAlias, const QString& from, const QString& toAlias, const QString& to) {
    Table source, destination;
    source.setDatabaseName(fromAlias);
    source.setTableName(from);
    destination.setDatabaseName(toAlias);
    destination.setTableName(to);
    std::unique_ptr<RowReader> reader = openRowReader(source);
    const local::LocalTableDef def{reader->columns(), 0};
    std::unique_ptr<RowWriter> writer = createRowWriter(destination, def, false);
    ProgressTeller teller({}, -1);
    const std::optional<BatchMoveOutcome> outcome = copyBytes(*reader, *writer, def, {0, 1}, teller);
    if (outcome) {
      EXPECT_EQ(outcome->rows, 1);
    }
    return outcome.has_value();
  };
  EXPECT_TRUE(tried(QStringLiteral("FILES"), QStringLiteral("in.csv"), QStringLiteral("LITE"), QStringLiteral("fresh")));
  EXPECT_TRUE(tried(QStringLiteral("LITE"), QStringLiteral("lite"), QStringLiteral("FILES"), QStringLiteral("out.csv")));
  EXPECT_FALSE(tried(QStringLiteral("LITE"), QStringLiteral("lite"), QStringLiteral("FILES"), QStringLiteral("OUT")));
  EXPECT_FALSE(tried(QStringLiteral("FILES"), QStringLiteral("in.csv"), QStringLiteral("FILES"), QStringLiteral("copy.csv")));
  EXPECT_FALSE(tried(QStringLiteral("LITE"), QStringLiteral("lite"), QStringLiteral("LITE"), QStringLiteral("again")));
  EXPECT_EQ(leftovers(), QStringList());  // the writers left uncommitted removed their files
}

}  // namespace
}  // namespace korvel::db::test
