// SQL over a directory of table files: Paradox and CSV tables as virtual
// tables of one SQLite connection. Joins, counts, paging by key and offset,
// transactions with savepoints, records patched where they stand, refused
// values, and files changed by another program while open.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <QDate>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "db/local/csvtable.h"
#include "db/local/localdirectory.h"
#include "db/local/paradoxpatch.h"
#include "db/local/paradoxreader.h"

using namespace korvel::db;
using namespace korvel::db::local;

namespace {

using Rows = std::vector<QStringList>;

class LocalSql : public ::testing::Test {
 protected:
  void TearDown() override { closeDb(); }

  QString path(const QString& name) const { return dir_.filePath(name); }

  void writeTable(const QString& name, const LocalTableDef& def, const std::vector<LocalRow>& rows) {
    auto writer = createLocalWriter(path(name), localFileKindOf(name), def);
    for (size_t i = 0; i < rows.size(); ++i) writer->append(rows[i], static_cast<int64_t>(i));
    writer->commit();
  }
  // CUSTOMER.DB keyed by K with n rows: K = 10, 20, ..., NAME = "名前<K>".
  void writeCustomers(int n) {
    LocalTableDef def{{{QStringLiteral("K"), FieldKind::Integer, 0}, {QStringLiteral("NAME"), FieldKind::String, 20},
                       {QStringLiteral("BORN"), FieldKind::Date, 0}},
                      1};
    std::vector<LocalRow> rows;
    for (int i = 1; i <= n; ++i) rows.push_back({i * 10, QStringLiteral("名前%1").arg(i * 10), QDate(1890, 1, 1).addDays(i)});
    writeTable(QStringLiteral("CUSTOMER.DB"), def, rows);
  }

  void openDb() {
    closeDb();
    ASSERT_EQ(sqlite3_open(":memory:", &db_), SQLITE_OK);
    directory_ = std::make_shared<LocalDirectory>(dir_.path());
    QString why;
    ASSERT_TRUE(directory_->attach(db_, &why)) << why.toStdString();
  }
  void closeDb() {
    if (db_) sqlite3_close(db_);
    db_ = nullptr;
    directory_.reset();
  }

  // The rows of a statement, or its error message as the only row.
  Rows run(const QString& sql) {
    Rows rows;
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare16_v2(db_, sql.utf16(), -1, &stmt, nullptr) != SQLITE_OK)
      return {{QStringLiteral("ERROR: ") + QString::fromUtf8(sqlite3_errmsg(db_))}};
    int result;
    while ((result = sqlite3_step(stmt)) == SQLITE_ROW) {
      QStringList row;
      for (int i = 0; i < sqlite3_column_count(stmt); ++i)
        row << (sqlite3_column_type(stmt, i) == SQLITE_NULL
                    ? QStringLiteral("NULL")
                    : QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, i))));
      rows.push_back(row);
    }
    if (result != SQLITE_DONE) rows = {{QStringLiteral("ERROR: ") + QString::fromUtf8(sqlite3_errmsg(db_))}};
    sqlite3_finalize(stmt);
    return rows;
  }
  QString one(const QString& sql) {
    const Rows rows = run(sql);
    return rows.empty() ? QStringLiteral("(none)") : rows[0].join(u'|');
  }
  QStringList column(const QString& sql) {
    QStringList values;
    for (const QStringList& row : run(sql)) values << row.join(u'|');
    return values;
  }
  QByteArray bytes(const QString& name) const {
    QFile file(path(name));
    file.open(QIODevice::ReadOnly);
    return file.readAll();
  }
  static ino_t inode(const QString& file) {
    struct stat st {};
    ::stat(QFile::encodeName(file).constData(), &st);
    return st.st_ino;
  }

  QTemporaryDir dir_;
  sqlite3* db_ = nullptr;
  std::shared_ptr<LocalDirectory> directory_;
};

TEST_F(LocalSql, JoinsAParadoxTableWithACsvTableAndCounts) {
  writeCustomers(3);
  LocalTableDef orders{{{QStringLiteral("ID"), FieldKind::Integer, 0}, {QStringLiteral("CUST"), FieldKind::Integer, 0},
                        {QStringLiteral("AMOUNT"), FieldKind::Float, 0}},
                       0};
  writeTable(QStringLiteral("orders.csv"), orders, {{1, 10, 1.5}, {2, 30, 2.0}, {3, 10, 4.0}, {4, 99, 8.0}});
  openDb();
  EXPECT_EQ(column(QStringLiteral("SELECT c.NAME, SUM(o.AMOUNT) FROM CUSTOMER c JOIN \"orders.csv\" o ON o.CUST = c.K "
                                  "GROUP BY c.NAME ORDER BY c.NAME")),
            (QStringList{QStringLiteral("名前10|5.5"), QStringLiteral("名前30|2.0")}));
  EXPECT_EQ(one(QStringLiteral("SELECT COUNT(*) FROM CUSTOMER")), QStringLiteral("3"));
  EXPECT_EQ(one(QStringLiteral("SELECT COUNT(*) FROM \"orders.csv\" WHERE AMOUNT > 1.9")), QStringLiteral("3"));
  EXPECT_EQ(one(QStringLiteral("SELECT BORN FROM CUSTOMER WHERE K = 20")), QStringLiteral("1890-01-03"));
  // Tables are files: SQL cannot make or drop tables of the directory.
  EXPECT_TRUE(one(QStringLiteral("CREATE TABLE X (A INTEGER)")).startsWith(u"ERROR"));
  EXPECT_TRUE(one(QStringLiteral("DROP TABLE CUSTOMER")).startsWith(u"ERROR"));
  EXPECT_EQ(one(QStringLiteral("SELECT COUNT(*) FROM CUSTOMER")), QStringLiteral("3"));
}

TEST_F(LocalSql, PagesByOffsetAndKeyRangesAnywhereInTheTable) {
  writeCustomers(20000);
  openDb();
  EXPECT_EQ(column(QStringLiteral("SELECT K FROM CUSTOMER ORDER BY K LIMIT 3 OFFSET 15000")),
            (QStringList{QStringLiteral("150010"), QStringLiteral("150020"), QStringLiteral("150030")}));
  EXPECT_EQ(column(QStringLiteral("SELECT K FROM CUSTOMER WHERE K > 199975 ORDER BY K")),
            (QStringList{QStringLiteral("199980"), QStringLiteral("199990"), QStringLiteral("200000")}));
  EXPECT_EQ(one(QStringLiteral("SELECT COUNT(*) FROM CUSTOMER WHERE K < 12345")), QStringLiteral("1234"));
  EXPECT_EQ(one(QStringLiteral("SELECT NAME FROM CUSTOMER WHERE K = 777770")), QStringLiteral("(none)"));
  EXPECT_EQ(one(QStringLiteral("SELECT NAME FROM CUSTOMER WHERE K = 77770")), QStringLiteral("名前77770"));
  // A value that does not compare as the key sorts narrows nothing, but
  // still finds what SQL finds.
  EXPECT_EQ(one(QStringLiteral("SELECT COUNT(*) FROM CUSTOMER WHERE K >= '199990'")), QStringLiteral("2"));
  EXPECT_EQ(one(QStringLiteral("SELECT K, rowid FROM CUSTOMER WHERE rowid = 5")), QStringLiteral("50|5"));
  EXPECT_EQ(column(QStringLiteral("SELECT * FROM (SELECT K FROM CUSTOMER) LIMIT 2 OFFSET 19999")),
            (QStringList{QStringLiteral("200000")}));
  EXPECT_EQ(one(QStringLiteral("SELECT K FROM CUSTOMER ORDER BY K DESC LIMIT 1")), QStringLiteral("200000"));
}

TEST_F(LocalSql, ChangesStayInTheTransactionUntilCommit) {
  writeCustomers(1000);
  openDb();
  const QByteArray before = bytes(QStringLiteral("CUSTOMER.DB"));
  EXPECT_EQ(one(QStringLiteral("BEGIN")), QStringLiteral("(none)"));
  run(QStringLiteral("INSERT INTO CUSTOMER (K, NAME) VALUES (15, '挿入')"));
  run(QStringLiteral("UPDATE CUSTOMER SET NAME = '変更' WHERE K = 20"));
  run(QStringLiteral("DELETE FROM CUSTOMER WHERE K = 30"));
  EXPECT_EQ(column(QStringLiteral("SELECT K, NAME FROM CUSTOMER ORDER BY K LIMIT 4")),
            (QStringList{QStringLiteral("10|名前10"), QStringLiteral("15|挿入"), QStringLiteral("20|変更"),
                         QStringLiteral("40|名前40")}));
  EXPECT_EQ(column(QStringLiteral("SELECT K FROM CUSTOMER ORDER BY K LIMIT 2 OFFSET 1")),
            (QStringList{QStringLiteral("15"), QStringLiteral("20")}));
  run(QStringLiteral("SAVEPOINT s1"));
  run(QStringLiteral("DELETE FROM CUSTOMER WHERE K < 100"));
  EXPECT_EQ(one(QStringLiteral("SELECT COUNT(*) FROM CUSTOMER")), QStringLiteral("991"));
  run(QStringLiteral("ROLLBACK TO s1"));
  EXPECT_EQ(one(QStringLiteral("SELECT COUNT(*) FROM CUSTOMER")), QStringLiteral("1000"));
  EXPECT_EQ(bytes(QStringLiteral("CUSTOMER.DB")), before);  // nothing written yet
  run(QStringLiteral("ROLLBACK"));
  EXPECT_EQ(one(QStringLiteral("SELECT NAME FROM CUSTOMER WHERE K = 20")), QStringLiteral("名前20"));
  EXPECT_EQ(bytes(QStringLiteral("CUSTOMER.DB")), before);

  run(QStringLiteral("BEGIN"));
  run(QStringLiteral("INSERT INTO CUSTOMER (K, NAME) VALUES (15, '挿入')"));
  run(QStringLiteral("UPDATE CUSTOMER SET K = 5 WHERE K = 30"));
  EXPECT_EQ(one(QStringLiteral("COMMIT")), QStringLiteral("(none)"));
  ParadoxReader reader(path(QStringLiteral("CUSTOMER.DB")));
  ASSERT_EQ(reader.rowCount(), 1001);
  EXPECT_EQ(reader.row(0)[0].toInt(), 5);
  EXPECT_EQ(reader.row(1)[0].toInt(), 10);
  EXPECT_EQ(reader.row(2)[1].toString(), QStringLiteral("挿入"));
  EXPECT_EQ(reader.row(3)[0].toInt(), 20);
  reader.checkBlocks();
}

TEST_F(LocalSql, AnEditThatKeepsTheKeyIsWrittenWhereTheRecordStands) {
  writeCustomers(20000);
  openDb();
  const ino_t before = inode(path(QStringLiteral("CUSTOMER.DB")));
  const QByteArray old = bytes(QStringLiteral("CUSTOMER.DB"));
  EXPECT_EQ(one(QStringLiteral("UPDATE CUSTOMER SET NAME = '書換え', BORN = '1868-10-23' WHERE K = 123450")),
            QStringLiteral("(none)"));
  EXPECT_EQ(inode(path(QStringLiteral("CUSTOMER.DB"))), before);
  const QByteArray now = bytes(QStringLiteral("CUSTOMER.DB"));
  ASSERT_EQ(now.size(), old.size());
  int differing = 0;
  for (qsizetype i = 0; i < now.size(); ++i) differing += now[i] != old[i];
  EXPECT_GT(differing, 0);
  EXPECT_LE(differing, 28);  // within one record
  EXPECT_FALSE(QFile::exists(ParadoxPatch::journalPath(path(QStringLiteral("CUSTOMER.DB")))));
  EXPECT_EQ(one(QStringLiteral("SELECT NAME, BORN FROM CUSTOMER WHERE K = 123450")), QStringLiteral("書換え|1868-10-23"));
  // An added row rewrites the table through a new file.
  run(QStringLiteral("INSERT INTO CUSTOMER (K) VALUES (1)"));
  EXPECT_NE(inode(path(QStringLiteral("CUSTOMER.DB"))), before);
  EXPECT_EQ(one(QStringLiteral("SELECT COUNT(*), MIN(K) FROM CUSTOMER")), QStringLiteral("20001|1"));
}

TEST_F(LocalSql, AJournalLeftByACrashIsPlayedBack) {
  writeCustomers(500);
  const QString table = path(QStringLiteral("CUSTOMER.DB"));
  const QByteArray original = bytes(QStringLiteral("CUSTOMER.DB"));
  {
    ParadoxReader reader(table);
    ParadoxPatch patch(reader);
    LocalRow row = reader.row(7);
    row[1] = QStringLiteral("途中");
    ASSERT_TRUE(patch.add(7, row));
    patch.apply();
    // The crash: the journal survives, the table holds the new bytes.
    ASSERT_TRUE(QFile::copy(ParadoxPatch::journalPath(table), path(QStringLiteral("saved-journal"))));
    patch.commit();
  }
  ASSERT_NE(bytes(QStringLiteral("CUSTOMER.DB")), original);
  ASSERT_TRUE(QFile::rename(path(QStringLiteral("saved-journal")), ParadoxPatch::journalPath(table)));
  openDb();
  EXPECT_EQ(one(QStringLiteral("SELECT NAME FROM CUSTOMER WHERE K = 80")), QStringLiteral("名前80"));
  EXPECT_EQ(bytes(QStringLiteral("CUSTOMER.DB")), original);
  EXPECT_FALSE(QFile::exists(ParadoxPatch::journalPath(table)));
}

TEST_F(LocalSql, RefusedValuesNameTheFieldAndChangeNothing) {
  writeCustomers(10);
  openDb();
  const QByteArray before = bytes(QStringLiteral("CUSTOMER.DB"));
  EXPECT_TRUE(one(QStringLiteral("INSERT INTO CUSTOMER (K) VALUES (10)")).contains(u"key violation"));
  EXPECT_TRUE(one(QStringLiteral("UPDATE CUSTOMER SET K = 20 WHERE K = 10")).contains(u"key violation"));
  const QString tooLong = one(QStringLiteral("UPDATE CUSTOMER SET NAME = 'あいうえおかきくけこさ' WHERE K = 10"));
  EXPECT_TRUE(tooLong.contains(u"NAME") && tooLong.contains(u"do not fit")) << tooLong.toStdString();
  const QString notDate = one(QStringLiteral("UPDATE CUSTOMER SET BORN = 1996 WHERE K = 10"));
  EXPECT_TRUE(notDate.contains(u"BORN") && notDate.contains(u"not a date")) << notDate.toStdString();
  // A statement that fails part way undoes its own rows only.
  run(QStringLiteral("BEGIN"));
  run(QStringLiteral("INSERT INTO CUSTOMER (K) VALUES (1)"));
  EXPECT_TRUE(one(QStringLiteral("INSERT INTO CUSTOMER (K) SELECT K + 1 FROM CUSTOMER WHERE K >= 10 UNION ALL SELECT 10"))
                  .startsWith(u"ERROR"));
  EXPECT_EQ(one(QStringLiteral("SELECT COUNT(*) FROM CUSTOMER")), QStringLiteral("11"));
  run(QStringLiteral("ROLLBACK"));
  EXPECT_EQ(bytes(QStringLiteral("CUSTOMER.DB")), before);
}

TEST_F(LocalSql, AFileChangedByAnotherProgramNeverCrashes) {
  writeCustomers(3000);
  openDb();
  EXPECT_EQ(one(QStringLiteral("SELECT COUNT(*) FROM CUSTOMER")), QStringLiteral("3000"));
  // Replaced by a smaller table of the same fields: read anew.
  writeCustomers(5);
  EXPECT_EQ(one(QStringLiteral("SELECT COUNT(*) FROM CUSTOMER")), QStringLiteral("5"));
  // Cut short in place: an error that names the file.
  {
    QFile file(path(QStringLiteral("CUSTOMER.DB")));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    file.resize(300);
  }
  const QString cut = one(QStringLiteral("SELECT * FROM CUSTOMER"));
  EXPECT_TRUE(cut.startsWith(u"ERROR") && cut.contains(u"CUSTOMER.DB")) << cut.toStdString();
  // Changes pending while another program writes the table are not written.
  writeCustomers(5);
  EXPECT_EQ(one(QStringLiteral("SELECT COUNT(*) FROM CUSTOMER")), QStringLiteral("5"));
  run(QStringLiteral("BEGIN"));
  run(QStringLiteral("UPDATE CUSTOMER SET NAME = 'mine' WHERE K = 10"));
  writeCustomers(6);
  const QString refused = one(QStringLiteral("COMMIT"));
  EXPECT_TRUE(refused.contains(u"another program")) << refused.toStdString();
  run(QStringLiteral("ROLLBACK"));
  EXPECT_EQ(one(QStringLiteral("SELECT COUNT(*) FROM CUSTOMER")), QStringLiteral("6"));
}

TEST_F(LocalSql, CsvTablesAreRewrittenWholeAndKeepTheirSchema) {
  LocalTableDef def{{{QStringLiteral("CODE"), FieldKind::Integer, 0}, {QStringLiteral("名前"), FieldKind::String, 10},
                     {QStringLiteral("AT"), FieldKind::Time, 0}},
                    1};
  writeTable(QStringLiteral("items.csv"), def, {{1, QStringLiteral("一"), QTime(10, 30)}, {3, QStringLiteral("三"), {}}});
  openDb();
  run(QStringLiteral("INSERT INTO \"items.csv\" VALUES (2, '二', '08:15:00')"));
  EXPECT_EQ(column(QStringLiteral("SELECT CODE, 名前, AT FROM \"items.csv\"")),
            (QStringList{QStringLiteral("1|一|10:30:00"), QStringLiteral("2|二|08:15:00"), QStringLiteral("3|三|NULL")}));
  CsvReader reader(path(QStringLiteral("items.csv")));
  ASSERT_EQ(reader.rowCount(), 3);
  EXPECT_EQ(reader.row(1)[2].toTime(), QTime(8, 15));
  EXPECT_EQ(reader.schema().keyColumns, 1);
  const QString tooLong = one(QStringLiteral("UPDATE \"items.csv\" SET 名前 = '12345678901' WHERE CODE = 1"));
  EXPECT_TRUE(tooLong.contains(u"名前")) << tooLong.toStdString();
  QDir dir(dir_.path());
  EXPECT_EQ(dir.entryList(QDir::Files | QDir::Hidden).size(), 2);  // no temporary file left
}

TEST_F(LocalSql, JapaneseKeysSortAndCompareInCodePage932Order) {
  LocalTableDef def{{{QStringLiteral("K"), FieldKind::String, 10}, {QStringLiteral("V"), FieldKind::Integer, 0}}, 1};
  // Code page 932 order: あ 82A0, 亜 889F, 一 88EA, ｱ B1; Unicode puts 一 before 亜.
  writeTable(QStringLiteral("KANA.DB"), def,
             {{QStringLiteral("一"), 1}, {QStringLiteral("亜"), 2}, {QStringLiteral("あ"), 3}, {QStringLiteral("ｱ"), 4}});
  openDb();
  EXPECT_EQ(column(QStringLiteral("SELECT V FROM KANA ORDER BY K")),
            (QStringList{QStringLiteral("3"), QStringLiteral("2"), QStringLiteral("1"), QStringLiteral("4")}));
  EXPECT_EQ(column(QStringLiteral("SELECT V FROM KANA WHERE K > '亜'")), (QStringList{QStringLiteral("1"), QStringLiteral("4")}));
  EXPECT_EQ(column(QStringLiteral("SELECT V FROM KANA WHERE K < '一' ORDER BY V")), (QStringList{QStringLiteral("2"), QStringLiteral("3")}));
  EXPECT_EQ(one(QStringLiteral("SELECT V FROM KANA WHERE K = '一'")), QStringLiteral("1"));
  run(QStringLiteral("INSERT INTO KANA VALUES ('い', 5)"));
  EXPECT_EQ(column(QStringLiteral("SELECT V FROM KANA ORDER BY K")),
            (QStringList{QStringLiteral("3"), QStringLiteral("5"), QStringLiteral("2"), QStringLiteral("1"), QStringLiteral("4")}));
}

}  // namespace

namespace {

TEST_F(LocalSql, RowIdsOfATableWithoutKeySurviveItsRewriting) {
  LocalTableDef def{{{QStringLiteral("V"), FieldKind::Integer, 0}}, 0};
  std::vector<LocalRow> rows;
  for (int i = 1; i <= 10; ++i) rows.push_back({i});
  writeTable(QStringLiteral("LOG.DB"), def, rows);
  openDb();
  run(QStringLiteral("BEGIN"));
  run(QStringLiteral("DELETE FROM LOG WHERE V = 3"));
  run(QStringLiteral("INSERT INTO LOG (V) VALUES (11)"));
  const QString added = one(QStringLiteral("SELECT last_insert_rowid()"));
  EXPECT_EQ(one(QStringLiteral("COMMIT")), QStringLiteral("(none)"));
  EXPECT_EQ(one(QStringLiteral("SELECT V FROM LOG WHERE rowid = 7")), QStringLiteral("7"));
  EXPECT_EQ(one(QStringLiteral("SELECT V FROM LOG WHERE rowid = %1").arg(added)), QStringLiteral("11")) << added.toStdString();
  EXPECT_EQ(column(QStringLiteral("SELECT V FROM LOG WHERE rowid > 8 ORDER BY rowid")),
            (QStringList{QStringLiteral("9"), QStringLiteral("10"), QStringLiteral("11")}));
  EXPECT_EQ(one(QStringLiteral("SELECT COUNT(*) FROM LOG WHERE rowid < 5")), QStringLiteral("3"));
  run(QStringLiteral("UPDATE LOG SET V = 70 WHERE rowid = 7"));
  EXPECT_EQ(column(QStringLiteral("SELECT V FROM LOG ORDER BY rowid LIMIT 3 OFFSET 4")),
            (QStringList{QStringLiteral("6"), QStringLiteral("70"), QStringLiteral("8")}));
  ParadoxReader reader(path(QStringLiteral("LOG.DB")));
  EXPECT_EQ(reader.rowCount(), 10);
  EXPECT_EQ(reader.row(5)[0].toInt(), 70);
}

}  // namespace
