// Batch copy between aliases: Paradox -> CSV -> SQLite -> PostgreSQL and
// back with identical rows; replacing a destination that holds rows only
// when the user says so; a copy stopped or refused part way leaves the
// destination as it was.

#include <QDate>
#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include "db/batchmove.h"
#include "db/local/localfile.h"
#include "db/local/paradoxreader.h"
#include "db/query.h"
#include "db/table.h"
#include "dbtestenv.h"
#include "ui/scriptedprompt.h"

namespace korvel::db::test {
namespace {

using local::LocalColumn;
using local::LocalRow;

std::vector<LocalColumn> everyKind() {
  return {{QStringLiteral("CODE"), FieldKind::Integer, 0},   {QStringLiteral("名前"), FieldKind::String, 20},
          {QStringLiteral("SMALL"), FieldKind::Smallint, 0}, {QStringLiteral("PRICE"), FieldKind::Currency, 0},
          {QStringLiteral("RATE"), FieldKind::Float, 0},     {QStringLiteral("BORN"), FieldKind::Date, 0},
          {QStringLiteral("AT"), FieldKind::Time, 0},        {QStringLiteral("STAMP"), FieldKind::DateTime, 0},
          {QStringLiteral("OK"), FieldKind::Boolean, 0},     {QStringLiteral("NOTE"), FieldKind::Memo, 20}};
}

std::vector<LocalRow> everyKindRows() {
  return {
      {1, QStringLiteral("山田太郎"), -32767, 1234.5, 0.1, QDate(1868, 10, 23), QTime(10, 30, 0),
       QDateTime(QDate(1899, 12, 31), QTime(23, 59, 59, 500)), true, QStringLiteral("短いメモ")},
      {2, QStringLiteral("O'Neil, \"x\""), 32767, -0.25, -1e300, QDate(1, 1, 1), QTime(0, 0, 0),
       QDateTime(QDate(2024, 2, 29), QTime(0, 0)), false, QString(300, QChar(u'メ')) + QStringLiteral("\r\nend")},
      {3, {}, {}, {}, {}, {}, {}, {}, {}, {}},
  };
}

class BatchMoveTest : public EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    ASSERT_TRUE(QDir().mkpath(tables()));
    aliases_ = QStringLiteral("[FILES]\nTYPE=PARADOX\nPATH=%1\n").arg(tables());
    sqliteAlias({}, QStringLiteral("LITE"));
    aliases_ += QStringLiteral("[LITE]\nTYPE=SQLITE\nPATH=%1\n").arg(path(QStringLiteral("LITE.sqlite")));
    if (!pgConnectionString().isEmpty())
      aliases_ += pgAliasSection(QStringLiteral("PG")) + pgAliasSection(QStringLiteral("PG2"));
    writeAliases(aliases_);
  }
  QString tables() const { return path(QStringLiteral("tables")); }
  QString tableFile(const QString& name) const { return tables() + u'/' + name; }

  void writeParadox(const QString& name, const std::vector<LocalColumn>& columns, const std::vector<LocalRow>& rows,
                    int keys = 1) {
    auto writer = local::createLocalWriter(tableFile(name), local::LocalFileKind::Paradox, {columns, keys});
    for (size_t i = 0; i < rows.size(); ++i) writer->append(rows[i], static_cast<int64_t>(i));
    writer->commit();
  }
  BatchMoveOutcome copy(const QString& fromAlias, const QString& from, const QString& toAlias, const QString& to,
                        const BatchMoveProgress& progress = {}) {
    Table source, destination;
    source.setDatabaseName(fromAlias);
    source.setTableName(from);
    destination.setDatabaseName(toAlias);
    destination.setTableName(to);
    return batchMove(source, destination, progress);
  }
  int count(const QString& alias, const QString& table) {
    Query q;
    q.setDatabaseName(alias);
    q.setSql(QStringLiteral("SELECT COUNT(*) FROM ") + table);
    q.open();
    return q.field(0).value().toInt();
  }
  void exec(const QString& alias, const QString& sql) {
    Query q;
    q.setDatabaseName(alias);
    q.setSql(sql);
    q.execSql();
  }
  QByteArray bytes(const QString& name) const {
    QFile f(tableFile(name));
    f.open(QIODevice::ReadOnly);
    return f.readAll();
  }

  ScriptedPrompt prompt_;
  QString aliases_;
};

TEST_F(BatchMoveTest, RowsGoThroughEveryDriverAndComeBackIdentical) {
  writeParadox(QStringLiteral("ALL.DB"), everyKind(), everyKindRows());
  const bool pg = !pgConnectionString().isEmpty();
  if (pg) {
    exec(QStringLiteral("PG"), QStringLiteral("DROP TABLE IF EXISTS \"all_copy\""));
  }
  EXPECT_EQ(copy(QStringLiteral("FILES"), QStringLiteral("ALL"), QStringLiteral("FILES"), QStringLiteral("all.csv")).rows, 3);
  EXPECT_TRUE(QFile::exists(tableFile(QStringLiteral("all.schema"))));
  EXPECT_EQ(copy(QStringLiteral("FILES"), QStringLiteral("all.csv"), QStringLiteral("LITE"), QStringLiteral("all_copy")).rows, 3);
  QString last = QStringLiteral("LITE");
  if (pg) {
    EXPECT_EQ(copy(QStringLiteral("LITE"), QStringLiteral("all_copy"), QStringLiteral("PG"), QStringLiteral("all_copy")).rows, 3);
    last = QStringLiteral("PG");
  }
  EXPECT_EQ(copy(last, QStringLiteral("all_copy"), QStringLiteral("FILES"), QStringLiteral("BACK")).rows, 3);
  EXPECT_TRUE(prompt_.records.isEmpty());  // no destination held rows

  local::ParadoxReader reader(tableFile(QStringLiteral("BACK.DB")));
  ASSERT_EQ(reader.rowCount(), 3);
  EXPECT_EQ(reader.keyFields(), 1);
  ASSERT_EQ(reader.columns().size(), everyKind().size());
  for (size_t c = 0; c < everyKind().size(); ++c) {
    EXPECT_EQ(reader.columns()[c].name, everyKind()[c].name);
    EXPECT_EQ(reader.columns()[c].kind, everyKind()[c].kind) << c;
  }
  EXPECT_EQ(reader.columns()[1].size, 20);
  const std::vector<LocalRow> want = everyKindRows();
  for (int64_t r = 0; r < 3; ++r) {
    const LocalRow got = reader.row(r);
    for (int c = 0; c < got.size(); ++c) {
      const QVariant& expected = want[static_cast<size_t>(r)][c];
      if (expected.isNull()) EXPECT_TRUE(got[c].isNull()) << r << "/" << c;
      else EXPECT_EQ(got[c], expected) << r << "/" << c << " " << got[c].toString().toStdString();
    }
  }
}

TEST_F(BatchMoveTest, ReplacingRowsIsAskedFirstAndNoKeepsThem) {
  writeParadox(QStringLiteral("ALL.DB"), everyKind(), everyKindRows());
  exec(QStringLiteral("LITE"), QStringLiteral("CREATE TABLE target (A INTEGER)"));
  exec(QStringLiteral("LITE"), QStringLiteral("INSERT INTO target VALUES (42)"));
  prompt_.messageAnswers = {PromptNo};
  EXPECT_EQ(copy(QStringLiteral("FILES"), QStringLiteral("ALL"), QStringLiteral("LITE"), QStringLiteral("target")).result,
            BatchMoveResult::Declined);
  ASSERT_EQ(prompt_.messageCount(), 1);
  EXPECT_TRUE(prompt_.lastMessage().contains(u"1 件")) << prompt_.lastMessage().toStdString();
  EXPECT_EQ(promptDefaultOf(prompt_.records.last().buttons), PromptNo);
  EXPECT_EQ(count(QStringLiteral("LITE"), QStringLiteral("target")), 1);
  prompt_.messageAnswers = {PromptYes};
  EXPECT_EQ(copy(QStringLiteral("FILES"), QStringLiteral("ALL"), QStringLiteral("LITE"), QStringLiteral("target")).result,
            BatchMoveResult::Copied);
  EXPECT_EQ(count(QStringLiteral("LITE"), QStringLiteral("target")), 3);
  // An empty destination is replaced without a question.
  exec(QStringLiteral("LITE"), QStringLiteral("DELETE FROM target"));
  prompt_.clear();
  copy(QStringLiteral("FILES"), QStringLiteral("ALL"), QStringLiteral("LITE"), QStringLiteral("target"));
  EXPECT_EQ(prompt_.messageCount(), 0);
}

TEST_F(BatchMoveTest, AStoppedOrRefusedCopyLeavesTheDestinationAsItWas) {
  std::vector<LocalRow> many;
  for (int i = 0; i < 2000; ++i) many.push_back({i, QStringLiteral("r%1").arg(i)});
  const std::vector<LocalColumn> columns = {{QStringLiteral("K"), FieldKind::Integer, 0},
                                            {QStringLiteral("T"), FieldKind::String, 10}};
  writeParadox(QStringLiteral("MANY.DB"), columns, many);
  writeParadox(QStringLiteral("OLD.DB"), columns, {{7, QStringLiteral("old")}});
  exec(QStringLiteral("LITE"), QStringLiteral("CREATE TABLE old (K INTEGER)"));
  exec(QStringLiteral("LITE"), QStringLiteral("INSERT INTO old VALUES (7)"));
  const QByteArray oldFile = bytes(QStringLiteral("OLD.DB"));
  const QStringList filesBefore = QDir(tables()).entryList(QDir::Files | QDir::Hidden);
  int64_t lastTotal = 0;
  const auto stopAt1000 = [&](int64_t copied, int64_t total) {
    lastTotal = total;
    return copied < 1000;
  };
  prompt_.messageAnswers = {PromptYes, PromptYes};
  EXPECT_EQ(copy(QStringLiteral("FILES"), QStringLiteral("MANY"), QStringLiteral("FILES"), QStringLiteral("OLD"), stopAt1000).result,
            BatchMoveResult::Stopped);
  EXPECT_EQ(lastTotal, 2000);
  EXPECT_EQ(bytes(QStringLiteral("OLD.DB")), oldFile);
  EXPECT_EQ(QDir(tables()).entryList(QDir::Files | QDir::Hidden), filesBefore);  // no temporary file left
  EXPECT_EQ(copy(QStringLiteral("FILES"), QStringLiteral("MANY"), QStringLiteral("LITE"), QStringLiteral("old"), stopAt1000).result,
            BatchMoveResult::Stopped);
  EXPECT_EQ(count(QStringLiteral("LITE"), QStringLiteral("old")), 1);

  // A value Paradox cannot hold stops the copy with an error naming the row.
  exec(QStringLiteral("LITE"), QStringLiteral("CREATE TABLE accents (K INTEGER PRIMARY KEY, T VARCHAR(10))"));
  exec(QStringLiteral("LITE"), QStringLiteral("INSERT INTO accents VALUES (1, 'a'), (2, 'caf\u00e9')"));
  prompt_.messageAnswers = {PromptYes};
  try {
    copy(QStringLiteral("LITE"), QStringLiteral("accents"), QStringLiteral("FILES"), QStringLiteral("OLD"));
    ADD_FAILURE() << "no error";
  } catch (const EngineError& e) {
    EXPECT_TRUE(e.lastMessage().contains(u"row 2")) << e.lastMessage().toStdString();
  }
  EXPECT_EQ(bytes(QStringLiteral("OLD.DB")), oldFile);
}

// A table of SQL is read in key order and written straight into a table
// file; where the database's order is not the files' order (a collation
// that ignores case), the rows are sorted after all. Either way the file
// holds every row in key order and nothing is left behind.
TEST_F(BatchMoveTest, RowsOfSqlTablesLandInKeyOrderWhateverTheDatabaseOrder) {
  QStringList aliases{QStringLiteral("LITE")};
  if (!pgConnectionString().isEmpty()) aliases << QStringLiteral("PG");
  for (const QString& alias : aliases) {
    SCOPED_TRACE(alias.toStdString());
    const bool lite = alias == QStringLiteral("LITE");
    exec(alias, QStringLiteral("DROP TABLE IF EXISTS byint"));
    exec(alias, QStringLiteral("DROP TABLE IF EXISTS bytext"));
    exec(alias, QStringLiteral("CREATE TABLE byint (K INTEGER PRIMARY KEY, T VARCHAR(10))"));
    exec(alias, QStringLiteral("INSERT INTO byint VALUES (30, 'c'), (-5, 'a'), (7, 'b'), (1000, 'd')"));
    exec(alias, lite ? QStringLiteral("CREATE TABLE bytext (K VARCHAR(5) COLLATE NOCASE PRIMARY KEY, N INTEGER)")
                     : QStringLiteral("CREATE TABLE bytext (K VARCHAR(5) PRIMARY KEY, N INTEGER)"));
    exec(alias, QStringLiteral("INSERT INTO bytext VALUES ('c', 1), ('B', 2), ('a', 3), ('あ', 4), ('D', 5)"));
    for (const QString& to : {QStringLiteral("INTS.DB"), QStringLiteral("ints.csv")}) {
      prompt_.messageAnswers = {PromptYes};
      ASSERT_EQ(copy(alias, QStringLiteral("byint"), QStringLiteral("FILES"), to).rows, 4);
      auto file = local::LocalFile::open(tableFile(to), local::localFileKindOf(to));
      QStringList got;
      LocalRow row;
      for (int64_t n = 0; file->readRow(n, row); ++n) got << row[0].toString() + row[1].toString();
      EXPECT_EQ(got, (QStringList{"-5a", "7b", "30c", "1000d"}));
    }
    for (const QString& to : {QStringLiteral("TEXTS.DB"), QStringLiteral("texts.csv")}) {
      prompt_.messageAnswers = {PromptYes};
      ASSERT_EQ(copy(alias, QStringLiteral("bytext"), QStringLiteral("FILES"), to).rows, 5);
      auto file = local::LocalFile::open(tableFile(to), local::localFileKindOf(to));
      QStringList got;
      LocalRow row;
      for (int64_t n = 0; file->readRow(n, row); ++n) got << row[0].toString() + row[1].toString();
      EXPECT_EQ(got, (QStringList{"B2", "D5", "a3", "c1", QStringLiteral("あ4")}));
    }
    // Temporary files (named with a leading dot) are all gone.
    EXPECT_EQ(QDir(tables()).entryList(QDir::Files | QDir::Hidden).filter(QRegularExpression(QStringLiteral("^\\."))),
              QStringList());
  }
}

TEST_F(BatchMoveTest, TextOfAPlainCsvFileGetsFieldsThatHoldIt) {
  {
    QFile csv(tableFile(QStringLiteral("plain.csv")));
    ASSERT_TRUE(csv.open(QIODevice::WriteOnly));
    csv.write("ID,SHORT,LONG\n1,ab," + QByteArray(300, 'x') + "\n2,abcde,y\n");
  }
  EXPECT_EQ(copy(QStringLiteral("FILES"), QStringLiteral("plain.csv"), QStringLiteral("FILES"), QStringLiteral("PLAIN")).rows, 2);
  EXPECT_THROW(copy(QStringLiteral("FILES"), QStringLiteral("plain.csv"), QStringLiteral("FILES"), QStringLiteral("plain.csv")),
               EngineError);
  local::ParadoxReader reader(tableFile(QStringLiteral("PLAIN.DB")));
  EXPECT_EQ(reader.columns()[0].kind, FieldKind::String);
  EXPECT_EQ(reader.columns()[0].size, 1);
  EXPECT_EQ(reader.columns()[1].size, 5);
  EXPECT_EQ(reader.columns()[2].kind, FieldKind::Memo);
  EXPECT_EQ(reader.row(0)[2].toString(), QString(300, u'x'));
}

// Exact numerics, fractions of a second, zones and BC dates reach another
// server table as they were; a CSV table keeps an exact number's digits.
TEST_F(BatchMoveTest, ExactValuesKeepEveryDigitThroughACopy) {
  KORVEL_REQUIRE_PG();
  const QString pg = QStringLiteral("PG");
  exec(pg, QStringLiteral("SET TIME ZONE 'UTC'"));
  exec(pg, QStringLiteral("DROP TABLE IF EXISTS exact_src"));
  exec(pg, QStringLiteral("DROP TABLE IF EXISTS exact_copy"));
  exec(pg, QStringLiteral("CREATE TABLE exact_src (id INTEGER PRIMARY KEY, n NUMERIC(38,10), stamp TIMESTAMP(6), "
                          "tz TIMESTAMPTZ, day DATE, cash MONEY)"));
  exec(pg, QStringLiteral("INSERT INTO exact_src VALUES (1, 1234567890123456789012345678.1234567891, "
                          "'2024-02-01 08:09:10.123456', '2024-02-01 08:09:10.5+00', '0044-03-15 BC', 12.34)"));
  const char* texts = "SELECT CAST(n AS text), CAST(stamp AS text), CAST(day AS text), CAST(cash AS numeric) FROM ";
  const auto row = [&](const QString& table) {
    Query q;
    q.setDatabaseName(pg);
    q.setSql(QLatin1String(texts) + table);
    q.open();
    QStringList values;
    for (int i = 0; i < 4; ++i) values << q.field(i).value().toString();
    return values;
  };
  const QStringList exact{QStringLiteral("1234567890123456789012345678.1234567891"),
                          QStringLiteral("2024-02-01 08:09:10.123456"), QStringLiteral("0044-03-15 BC"),
                          QStringLiteral("12.3400")};
  EXPECT_EQ(copy(pg, QStringLiteral("exact_src"), QStringLiteral("PG2"), QStringLiteral("exact_copy")).rows, 1);
  EXPECT_EQ(row(QStringLiteral("exact_copy")), exact);
  // Within one alias the rows are read whole before the copy is written.
  prompt_.messageAnswers = {PromptYes};
  EXPECT_EQ(copy(pg, QStringLiteral("exact_src"), pg, QStringLiteral("exact_copy")).rows, 1);
  EXPECT_EQ(row(QStringLiteral("exact_copy")), exact);

  exec(pg, QStringLiteral("UPDATE exact_src SET day = '2024-01-31'"));
  EXPECT_EQ(copy(pg, QStringLiteral("exact_src"), QStringLiteral("FILES"), QStringLiteral("exact.csv")).rows, 1);
  const QByteArray csv = bytes(QStringLiteral("exact.csv"));
  EXPECT_TRUE(csv.contains("1234567890123456789012345678.1234567891")) << csv.toStdString();
  EXPECT_TRUE(csv.contains("2024/01/31")) << csv.toStdString();
  EXPECT_TRUE(bytes(QStringLiteral("exact.schema")).contains("COLUMN DECIMAL"));
  // And back from the CSV table, digit for digit.
  exec(pg, QStringLiteral("DROP TABLE IF EXISTS exact_back"));
  EXPECT_EQ(copy(QStringLiteral("FILES"), QStringLiteral("exact.csv"), pg, QStringLiteral("exact_back")).rows, 1);
  EXPECT_EQ(row(QStringLiteral("exact_back")).first(), QStringLiteral("1234567890123456789012345678.1234567891"));

  // Many rows read from the server while the progress counts them.
  exec(pg, QStringLiteral("INSERT INTO exact_src (id, n) SELECT g, g * 0.5 FROM generate_series(2, 3000) AS g"));
  int64_t lastTotal = 0;
  const auto watch = [&](int64_t, int64_t total) {
    lastTotal = total;
    return true;
  };
  prompt_.messageAnswers = {PromptYes};
  EXPECT_EQ(copy(pg, QStringLiteral("exact_src"), QStringLiteral("FILES"), QStringLiteral("exact.csv"), watch).rows, 3000);
  EXPECT_EQ(lastTotal, 3000);
}

// Source and destination in one alias share its connection: the
// destination's statements must not end the reading of the source, a stop
// leaves the destination as it was, and the copy holds every row as it was.
TEST_F(BatchMoveTest, ACopyWithinOneAliasReadsEveryRowAndStopsCleanly) {
  QStringList aliases{QStringLiteral("LITE")};
  if (!pgConnectionString().isEmpty()) aliases << QStringLiteral("PG");
  const QString source = QStringLiteral("src 'x'; y");
  const QString target = QStringLiteral("dst \"q\";z");
  const QString quotedSource = QStringLiteral("\"src 'x'; y\"");
  const QString quotedTarget = QStringLiteral("\"dst \"\"q\"\";z\"");
  for (const QString& alias : aliases) {
    SCOPED_TRACE(alias.toStdString());
    exec(alias, QStringLiteral("DROP TABLE IF EXISTS ") + quotedSource);
    exec(alias, QStringLiteral("DROP TABLE IF EXISTS ") + quotedTarget);
    exec(alias, QStringLiteral("CREATE TABLE ") + quotedSource + QStringLiteral(" (K INTEGER PRIMARY KEY, T VARCHAR(20))"));
    exec(alias, QStringLiteral("CREATE TABLE ") + quotedTarget + QStringLiteral(" (OLD INTEGER)"));
    exec(alias, QStringLiteral("INSERT INTO ") + quotedTarget + QStringLiteral(" VALUES (7)"));
    // 3000 rows: K = 1..3000, T = 'row K' (NULL for every tenth).
    QString insert = QStringLiteral("INSERT INTO ") + quotedSource + QStringLiteral(" VALUES ");
    for (int k = 1; k <= 3000; ++k)
      insert += QStringLiteral("%1(%2, %3)").arg(k > 1 ? QStringLiteral(",") : QString()).arg(k).arg(
          k % 10 == 0 ? QStringLiteral("NULL") : QStringLiteral("'row %1'").arg(k));
    exec(alias, insert);

    int64_t reported = 0;
    const auto stopAt1000 = [&](int64_t copied, int64_t) {
      reported = copied;
      return copied < 1000;
    };
    const auto stopAtOnce = [](int64_t, int64_t) { return false; };
    for (const BatchMoveProgress& stop : {BatchMoveProgress(stopAtOnce), BatchMoveProgress(stopAt1000)}) {
      prompt_.messageAnswers = {PromptYes};
      EXPECT_EQ(copy(alias, source, alias, target, stop).result, BatchMoveResult::Stopped);
      EXPECT_EQ(count(alias, quotedTarget), 1);
      EXPECT_EQ(count(alias, quotedTarget + QStringLiteral(" WHERE OLD = 7")), 1);
    }
    EXPECT_GE(reported, 1000);  // progress is told by time: the stop comes at the first report past 1000

    int64_t lastTotal = 0;
    const auto watch = [&](int64_t, int64_t total) {
      lastTotal = total;
      return true;
    };
    prompt_.messageAnswers = {PromptYes};
    const BatchMoveOutcome done = copy(alias, source, alias, target, watch);
    EXPECT_EQ(done.result, BatchMoveResult::Copied);
    EXPECT_EQ(done.rows, 3000);
    EXPECT_EQ(lastTotal, 3000);
    // Every row identical: the rows of either table not in the other.
    const QString differ = QStringLiteral(" t WHERE NOT EXISTS (SELECT 1 FROM %1 u WHERE u.K = t.K AND "
                                          "(u.T = t.T OR (u.T IS NULL AND t.T IS NULL)))");
    EXPECT_EQ(count(alias, quotedTarget), 3000);
    EXPECT_EQ(count(alias, quotedTarget + differ.arg(quotedSource)), 0);
    EXPECT_EQ(count(alias, quotedSource + differ.arg(quotedTarget)), 0);
    EXPECT_EQ(count(alias, quotedSource), 3000);  // the source untouched
  }
}

}  // namespace
}  // namespace korvel::db::test
