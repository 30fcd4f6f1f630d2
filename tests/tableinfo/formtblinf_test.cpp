// The table information window on SQLite: loading fields and indexes, the
// comment table, the clipboard texts, the name/comment swap, conversion
// parameter files, the script writer and the generator window.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QFile>

#include "../common/sjis.h"
#include "common/datetime.h"
#include "db/tablecomments.h"
#include "generator/formsmake.h"
#include "tblinf_fixture.h"

using namespace korvel;
using namespace korvel::tableinfo;

namespace {

class TblInfLite : public TblInfTest {
 protected:
  void SetUp() override {
    TblInfTest::SetUp();
    alias = sqliteAlias({
        QStringLiteral("CREATE TABLE ORDERS (SHOP VARCHAR(10) NOT NULL, NO INTEGER NOT NULL, PRICE NUMERIC(9,2), "
                       "NOTE TEXT, ODATE DATE, PRIMARY KEY (SHOP, NO))"),
        QStringLiteral("CREATE INDEX ORDERS_DATE ON ORDERS (ODATE, NOTE)"),
        QStringLiteral("CREATE TABLE T2 (A INTEGER PRIMARY KEY, B VARCHAR(4))"),
    });
    listed = {QStringLiteral("ORDERS"), QStringLiteral("T2")};
  }

  QByteArray fileBytes(const QString& name) {
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
  }
  void writeFile(const QString& name, const char* utf8) {
    QFile f(name);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray::fromStdString(sj(utf8)));
  }
};

TEST_F(TblInfLite, LoadsFieldsIndexesAndType) {
  ASSERT_TRUE(load(QStringLiteral("ORDERS")));
  EXPECT_EQ(form->windowTitle(), QStringLiteral("LITE:ORDERS フィールド、インデックス情報"));
  EXPECT_EQ(form->Edit_TableName->text(), QStringLiteral("ORDERS"));
  EXPECT_EQ(form->Label_TableType->text(), QStringLiteral("SQLITE"));
  EXPECT_EQ(form->Query1->databaseName(), alias);
  ASSERT_EQ(form->ComboGrid1->RowCount(), 6);
  EXPECT_EQ(row(0), QStringLiteral(" No|項  目  名|型|サイズ|文字表示位置| Index|表示幅|コ　メ　ン　ト|桁数|小数"));
  EXPECT_EQ(row(1), QStringLiteral(" 1|SHOP|TStringField|11|左寄せ|Index|10||10|0"));
  EXPECT_EQ(row(2), QStringLiteral(" 2|NO|TIntegerField|4|右寄せ|Index|11||0|0"));
  EXPECT_EQ(row(3), QStringLiteral(" 3|PRICE|TBCDField|34|右寄せ||20||9|2"));
  EXPECT_EQ(row(4), QStringLiteral(" 4|NOTE|TMemoField|0|左寄せ||10||0|0"));
  EXPECT_EQ(row(5), QStringLiteral(" 5|ODATE|TDateField|4|左寄せ||10||0|0"));
  // The primary index first (SQLite gives it no name of its own).
  EXPECT_EQ(form->IndexLines(), (QStringList{QStringLiteral(" 1:(Key項目数=2) , 1:SHOP, 2:NO"),
                                             QStringLiteral(" 2:ORDERS_DATE(Key項目数=2) , 5:ODATE, 4:NOTE")}));
  EXPECT_FALSE(table->active());

  // Field units count fields from 1.
  table->open();
  EXPECT_EQ(GetFieldUnits(*table, 3).precision, 9);
  EXPECT_EQ(GetFieldUnits(*table, 1).precision, 10);
  EXPECT_THROW(GetFieldUnits(*table, 0), db::EngineError);
  EXPECT_THROW(GetFieldUnits(*table, 6), db::EngineError);
  table->close();

  // Another table replaces rows and index lines.
  ASSERT_TRUE(load(QStringLiteral("T2")));
  EXPECT_EQ(form->ComboGrid1->RowCount(), 3);
  EXPECT_EQ(form->IndexLines(), QStringList{QStringLiteral(" 1:(Key項目数=1) , 1:A")});
}

TEST_F(TblInfLite, TableThatCannotBeOpenedIsReported) {
  ASSERT_TRUE(load(QStringLiteral("ORDERS")));
  EXPECT_FALSE(load(QStringLiteral("NO_SUCH")));
  EXPECT_EQ(prompt.messageCount(), 1);
  EXPECT_TRUE(form->IndexLines().isEmpty());
  EXPECT_FALSE(table->active());
}

// Comments live in the alias's SysComment: the first "コメント設定" creates
// it; rows of other tables stay; quotes and statement text are plain data.
TEST_F(TblInfLite, CommentTableRoundTrip) {
  ASSERT_TRUE(load(QStringLiteral("ORDERS")));
  EXPECT_TRUE(form->Edit_TableComment->text().isEmpty());
  form->Edit_TableComment->setText(QStringLiteral("受注'; DROP TABLE ORDERS; --"));
  setComment(1, QStringLiteral("店舗"));
  setComment(3, QStringLiteral("It's \"price\""));
  form->BitBtn_CommentClick();
  EXPECT_EQ(prompt.messageCount(), 0) << prompt.lastMessage().toStdString();
  EXPECT_EQ(value("SELECT COUNT(*) FROM SysComment"), QStringLiteral("3"));
  exec("INSERT INTO SysComment VALUES ('T2', 'A', 'other table')");

  setComment(1, QStringLiteral("店舗コード"));  // an update of an existing row
  form->BitBtn_CommentClick();
  EXPECT_EQ(value("SELECT COUNT(*) FROM SysComment"), QStringLiteral("4"));

  form->Edit_TableComment->clear();
  ASSERT_TRUE(load(QStringLiteral("ORDERS")));
  EXPECT_EQ(form->Edit_TableComment->text(), QStringLiteral("受注'; DROP TABLE ORDERS; --"));
  EXPECT_EQ(cell(kColComment, 1), QStringLiteral("店舗コード"));
  EXPECT_EQ(cell(kColComment, 2), QString());
  EXPECT_EQ(cell(kColComment, 3), QStringLiteral("It's \"price\""));
  ASSERT_TRUE(load(QStringLiteral("T2")));
  EXPECT_EQ(cell(kColComment, 1), QStringLiteral("other table"));
  EXPECT_EQ(cell(kColComment, 2), QString());

  // The same comments for a table named as the table list shows it.
  const db::TableComments byText = db::readTableComments(alias, QStringLiteral("orders"));
  EXPECT_EQ(byText.table, QStringLiteral("受注'; DROP TABLE ORDERS; --"));
  EXPECT_EQ(byText.columns.value(QStringLiteral("SHOP")), QStringLiteral("店舗コード"));
  EXPECT_EQ(byText.columns.size(), 2);
  EXPECT_TRUE(db::readTableComments(alias, QStringLiteral("NO_SUCH")).columns.isEmpty());
}

TEST_F(TblInfLite, ListingWithAndWithoutSpecSheetShape) {
  ASSERT_TRUE(load(QStringLiteral("T2")));
  form->Edit_TableComment->setText(QStringLiteral("表"));
  setComment(1, QStringLiteral(" 番号 "));
  const QString head = QStringLiteral(
      "LITE:T2 フィールド、インデックス情報\r\n\r\n表名：\tT2\t表\r\n\r\nインデックス名：\r\n"
      " 1:(Key項目数=1) , 1:A\r\n\r\n");
  form->CheckBoxShiyou->setChecked(true);
  form->BitBtn_CopyClick();
  EXPECT_EQ(clipboard(), head + QStringLiteral(
                                    "No\t項  目  名\t型\tIndex\tコ　メ　ン　ト\t桁数\t小数\t\r\n"
                                    "1\tA\t整数型\tIndex\t番号\t0\t0\t\r\n"
                                    "2\tB\t文字型\t\t\t4\t0\t\r\n"));
  form->CheckBoxShiyou->setChecked(false);
  form->BitBtn_CopyClick();
  EXPECT_EQ(clipboard(), head + QStringLiteral(
                                    " No\t項  目  名\t型\tサイズ\t文字表示位置\t Index\t表示幅\tコ　メ　ン　ト\t桁数\t小数\t\r\n"
                                    " 1\tA\t整数型\t4\t右寄せ\tIndex\t11\t 番号 \t0\t0\t\r\n"
                                    " 2\tB\t文字型\t5\t左寄せ\t\t4\t\t4\t0\t\r\n"));
  form->C1Click();
  EXPECT_EQ(clipboard(), QStringLiteral(
                             "LITE:T2 フィールド、インデックス情報\r\n\r\n"
                             " No\t項  目  名\t型\tサイズ\t文字表示位置\t Index\t表示幅\tコ　メ　ン　ト\t桁数\t小数\t\r\n"
                             " 1\tA\tTIntegerField\t4\t右寄せ\tIndex\t11\t 番号 \t0\t0\t\r\n"
                             " 2\tB\tTStringField\t5\t左寄せ\t\t4\t\t4\t0\t\r\n"
                             "\r\n 1:(Key項目数=1) , 1:A\r\n"));
  form->BitBtn4Click();
  EXPECT_EQ(clipboard(), QStringLiteral("SELECT A,B FROM T2"));
}

TEST_F(TblInfLite, SwapTwiceRestoresTheGrid) {
  ASSERT_TRUE(load(QStringLiteral("ORDERS")));
  setComment(2, QStringLiteral("番号"));
  QStringList before;
  for (int r = 0; r < 6; ++r) before << row(r);
  form->BitBtn3Click();
  EXPECT_EQ(cell(kColName, 2), QStringLiteral("番号"));
  EXPECT_EQ(cell(kColComment, 2), QStringLiteral("NO"));
  EXPECT_EQ(cell(kColName, 1), QString());
  EXPECT_EQ(cell(kColName, 0), QStringLiteral("項  目  名"));  // headings stay
  form->BitBtn3Click();
  QStringList after;
  for (int r = 0; r < 6; ++r) after << row(r);
  EXPECT_EQ(after, before);
}

TEST_F(TblInfLite, ConversionParameterFile) {
  ASSERT_TRUE(load(QStringLiteral("ORDERS")));
  ASSERT_FALSE(form->IndexLines().isEmpty());
  form->Edit_TableComment->setText(QStringLiteral("old"));
  const QString prm = path(QStringLiteral("orders.prm"));
  writeFile(prm,
            "title 受注 データ\r\n"
            "\r\n"
            "FLD 1,A,B,2,C,D,shop,店舗\r\n"
            "fld 2,x,y,3,z,w,No,番号\r\n"
            "FLD 9,A,B,2,C,D,MISSING,どこにもない\r\n"
            "REM FLD 1,A,B,2,C,D,ODATE,ignored\r\n");
  prompt.fileAnswers = {prm};
  form->N3Click();
  EXPECT_EQ(form->windowTitle(), QStringLiteral("テーブル情報表示 Ver 0.72A") + prm);
  EXPECT_TRUE(form->IndexLines().isEmpty());
  EXPECT_EQ(form->Edit_TableComment->text(), QStringLiteral("受注データ"));
  EXPECT_EQ(cell(kColComment, 1), QStringLiteral("店舗"));
  EXPECT_EQ(cell(kColComment, 2), QStringLiteral("番号"));
  EXPECT_EQ(cell(kColComment, 5), QString());
  EXPECT_EQ(form->StatusPanel->text(), QString());

  // A file that cannot be opened is reported by the reader; nothing changes.
  prompt.clear();
  form->LoadConversionParams(path(QStringLiteral("none.prm")));
  EXPECT_EQ(prompt.messageCount(), 1);
  EXPECT_EQ(form->Edit_TableComment->text(), QStringLiteral("受注データ"));
  EXPECT_EQ(cell(kColComment, 1), QStringLiteral("店舗"));
}

TEST_F(TblInfLite, ScriptWriterStopsAtTheFirstEmptyNameAndKeepsAGoodFile) {
  ASSERT_TRUE(load(QStringLiteral("T2")));
  form->Edit_TableComment->setText(QStringLiteral("二番"));
  setComment(1, QStringLiteral("番号"));
  const ScopedNow clock(encodeDate(2024, 1, 2) + encodeTime(3, 4, 5, 0));
  const QString out = path(QStringLiteral("t2.sql"));
  prompt.fileAnswers = {out};
  form->BitBtn_MkSQLClick();
  EXPECT_EQ(form->windowTitle(), QStringLiteral("テーブル情報表示 Ver 0.72A") + out);
  const QByteArray good = fileBytes(out);
  EXPECT_EQ(good, QByteArray::fromStdString(sj("-- 2024/01/02 03:04\r\n-- 二番\r\n"
                                                "DROP   TABLE T2 CASCADE CONSTRAINTS;\r\n"
                                                "CREATE TABLE T2 (\r\n"
                                                "        A         NUMBER(4),  -- 番号\r\n"
                                                "        B         VARCHAR2(4),  -- \r\n"
                                                "CONSTRAINT T2_PRIMARY_KEY PRIMARY KEY (  )\r\n);\r\n")));

  // A text the code page cannot hold: reported, the earlier script stays whole.
  form->ComboGrid1->SetCells(kColName, 1, QString());
  setComment(2, QStringLiteral("emoji \U0001F600"));
  prompt.fileAnswers = {out};
  form->BitBtn_MkSQLClick();
  EXPECT_EQ(prompt.messageCount(), 0);  // row 1 has no name: the script ends before row 2
  EXPECT_TRUE(fileBytes(out).contains("CREATE TABLE T2 (\r\nCONSTRAINT"));
  form->ComboGrid1->SetCells(kColName, 1, QStringLiteral("A"));
  const QByteArray noColumns = fileBytes(out);
  prompt.fileAnswers = {out};
  form->BitBtn_MkSQLClick();
  ASSERT_EQ(prompt.messageCount(), 1);
  EXPECT_TRUE(prompt.lastMessage().startsWith(QStringLiteral("*E:書込ファイル") + out + QStringLiteral("が作成できません")));
  EXPECT_EQ(prompt.records.last().icon, PromptIcon::Error);
  EXPECT_EQ(prompt.records.last().buttons, PromptYes);
  EXPECT_EQ(fileBytes(out), noColumns);

  // A file that cannot be made (its folder is a file): reported, nothing written.
  prompt.clear();
  prompt.fileAnswers = {out + QStringLiteral("/inside.sql")};
  setComment(2, QString());
  form->BitBtn_MkSQLClick();
  EXPECT_EQ(prompt.messageCount(), 1);
  EXPECT_EQ(fileBytes(out), noColumns);

  // A cancelled dialog does nothing.
  prompt.clear();
  form->BitBtn_MkSQLClick();
  EXPECT_EQ(prompt.messageCount(), 0);
}

// The script comment reader picks the script's table from the main window's
// list, loads it, and sets the comments of the script.
TEST_F(TblInfLite, ScriptCommentsForTheTableTheScriptNames) {
  ASSERT_TRUE(load(QStringLiteral("T2")));
  const QString script = path(QStringLiteral("orders.sql"));
  writeFile(script,
            "-- 受注\r\n"
            "create table orders (\r\n"
            "  shop varchar2(10), -- 店舗\r\n"
            "  price number(9,2), -- 価格\r\n"
            "CONSTRAINT PK PRIMARY KEY (SHOP, NO)\r\n"
            ");\r\n");
  prompt.fileAnswers = {script};
  form->Open2Click();
  EXPECT_EQ(prompt.messageCount(), 0) << prompt.lastMessage().toStdString();
  EXPECT_EQ(shownIndex, 0);
  EXPECT_EQ(form->Edit_TableName->text(), QStringLiteral("ORDERS"));
  EXPECT_EQ(form->Edit_TableComment->text(), QStringLiteral("受注"));
  EXPECT_EQ(cell(kColComment, 1), QStringLiteral("店舗"));
  EXPECT_EQ(cell(kColComment, 3), QStringLiteral("価格"));
  // The table's index lines, then one line per column of the script.
  const QStringList lines = form->IndexLines();
  ASSERT_EQ(lines.size(), 4);
  EXPECT_TRUE(lines[2].endsWith(QStringLiteral(",SHOP,VARCHAR2(10),店舗"))) << lines[2].toStdString();
}

TEST_F(TblInfLite, ObjectCopiesTheGridIntoTheGenerator) {
  ASSERT_TRUE(load(QStringLiteral("ORDERS")));
  setComment(4, QStringLiteral("備考"));
  TFormSMake generator;
  FormSMake = &generator;
  generator.ComboGrid1->SetCells(1, 9, QStringLiteral("left over"));
  QString seen;
  prompt.onModal = [&](QWidget* w) {
    if (w == &generator)
      seen = generator.ComboGrid1->Cells(1, 4) + u'/' + generator.ComboGrid1->Cells(2, 4) + u'/' +
             generator.ComboGrid1->Cells(7, 4) + u'/' + generator.ComboGrid1->Cells(1, 9);
    return 0;
  };
  form->BitBtn2Click();
  FormSMake = nullptr;
  EXPECT_EQ(seen, QStringLiteral("NOTE/TMemoField/備考/"));
}

}  // namespace

namespace {

// A directory alias of Paradox files: the Paradox digit rule, and comments in
// SysComment.DB keyed by the table name without its extension.
class TblInfParadox : public TblInfTest {
 protected:
  void SetUp() override {
    TblInfTest::SetUp();
    ASSERT_TRUE(QDir().mkpath(path(QStringLiteral("tables"))));
    writeAliases(QStringLiteral("[FILES]\nTYPE=PARADOX\nPATH=%1\n").arg(path(QStringLiteral("tables"))));
    alias = QStringLiteral("FILES");
    db::Table t;
    t.setDatabaseName(alias);
    t.setTableName(QStringLiteral("CUSTOMER"));
    t.addFieldDef(QStringLiteral("CODE"), db::FieldKind::Integer, 0, false);
    t.addFieldDef(QStringLiteral("NAME"), db::FieldKind::String, 20, false);
    t.addFieldDef(QStringLiteral("BORN"), db::FieldKind::Date, 0, false);
    t.addIndex(QString(), QStringLiteral("CODE"), db::ixPrimary | db::ixUnique);
    t.createTable();
  }
};

TEST_F(TblInfParadox, DigitsRuleAndCommentTable) {
  ASSERT_TRUE(load(QStringLiteral("CUSTOMER.DB")));
  EXPECT_EQ(form->Label_TableType->text(), QStringLiteral("PARADOX"));
  EXPECT_TRUE(isParadoxTableType(form->Label_TableType->text()));
  // Text fields show their length, others their data size; no decimals.
  EXPECT_EQ(row(1), QStringLiteral(" 1|CODE|TIntegerField|4|右寄せ|Index|11||4|0"));
  EXPECT_EQ(row(2), QStringLiteral(" 2|NAME|TStringField|21|左寄せ||20||20|0"));
  EXPECT_EQ(row(3), QStringLiteral(" 3|BORN|TDateField|4|左寄せ||10||4|0"));

  form->Edit_TableComment->setText(QStringLiteral("顧客"));
  setComment(2, QStringLiteral("氏名"));
  form->BitBtn_CommentClick();
  EXPECT_EQ(prompt.messageCount(), 0) << prompt.lastMessage().toStdString();
  EXPECT_TRUE(QFile::exists(path(QStringLiteral("tables/SysComment.DB"))));
  EXPECT_EQ(value("SELECT \"Comment\" FROM \"SysComment\" WHERE \"File Name\" = 'CUSTOMER' AND "
                  "\"Field Name\" = 'TableComment'"),
            QStringLiteral("顧客"));

  form->Edit_TableComment->clear();
  ASSERT_TRUE(load(QStringLiteral("CUSTOMER")));
  EXPECT_EQ(form->Edit_TableComment->text(), QStringLiteral("顧客"));
  EXPECT_EQ(cell(kColComment, 2), QStringLiteral("氏名"));
}

}  // namespace
