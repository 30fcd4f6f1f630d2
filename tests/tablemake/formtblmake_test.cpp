// The table creation window on SQLite and PostgreSQL: reading a script,
// building the table, its comment rows and its indexes, rebuilding in place.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSqlQuery>
#include <QStatusBar>
#include <QTest>

#include "../common/sjis.h"
#include "../db/dbtestenv.h"
#include "controls/combogrid.h"
#include "db/engine.h"
#include "db/table.h"
#include "tablemake/formtblmake.h"
#include "ui/scriptedprompt.h"

using namespace korvel;
using korvel::db::Engine;
using korvel::db::FieldKind;

namespace {

const char* kScript =
    "-- 社員\n"
    "DROP TABLE %1 CASCADE CONSTRAINTS;\n"
    "CREATE TABLE %1\n"
    "(\n"
    "  EMPNO    NUMBER(4) NOT NULL, -- 社員番号\n"
    "  ENAME    VARCHAR2(10),       -- 社員名\n"
    "  SAL      NUMBER(7,2),        -- 給与\n"
    "  BIG      NUMBER(12),\n"
    "  HUGE     NUMBER(15),\n"
    "  ANY_NUM  NUMBER,\n"
    "  HIREDATE DATE,               -- 入社日\n"
    "  DEPTNO   NUMBER(2)           -- 部門\n"
    "  , CONSTRAINT %1_PK PRIMARY KEY (EMPNO)\n"
    "  , CONSTRAINT %1_DEPT UNIQUE (DEPTNO, ENAME)\n"
    ");\n";

class FormTblMakeTest : public db::test::EngineFixture {
 protected:
  // A window on `alias` with the script for `table` read in.
  std::unique_ptr<TFormTblMake> windowWithScript(const QString& alias, const QString& table) {
    auto w = std::make_unique<TFormTblMake>();
    w->ComboBox_Alias->setCurrentIndex(w->ComboBox_Alias->findText(alias));
    QFile file(path(QStringLiteral("t.sql")));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(QByteArray::fromStdString(sj(QString::fromUtf8(kScript).arg(table).toUtf8().constData())));
    file.close();
    prompt.fileAnswers.push_back(file.fileName());
    w->O1Click();
    return w;
  }

  QVariant value(const QString& alias, const QString& sql) {
    QSqlQuery q(Engine::instance().connection(alias));
    EXPECT_TRUE(q.exec(sql)) << sql.toStdString();
    return q.next() ? q.value(0) : QVariant();
  }
  void exec(const QString& alias, const QString& sql) {
    QSqlQuery q(Engine::instance().connection(alias));
    EXPECT_TRUE(q.exec(sql)) << sql.toStdString();
  }
  QString comment(const QString& alias, const QString& table, const QString& field) {
    return value(alias, QStringLiteral("SELECT \"Comment\" FROM \"SysComment\" WHERE \"File Name\" = '%1' "
                                       "AND \"Field Name\" = '%2'")
                            .arg(table, field))
        .toString();
  }

  // Field kinds (and string sizes) of the table as the engine reads it back.
  QStringList kinds(const QString& alias, const QString& table) {
    db::Table t;
    t.setDatabaseName(alias);
    t.setTableName(table);
    t.open();
    QStringList out;
    for (int i = 0; i < t.fieldCount(); ++i) {
      db::Field& f = t.field(i);
      out << f.fieldName() + u' ' + f.className() + (f.kind() == FieldKind::String ? QString::number(f.size()) : QString());
    }
    return out;
  }

  // The whole scenario on one alias: read, build, rebuild with and without
  // the user's consent, comments updated in place, indexes.
  void buildAndRebuild(const QString& alias, const QString& table);

  ScriptedPrompt prompt;
};

void FormTblMakeTest::buildAndRebuild(const QString& alias, const QString& table) {
  auto w = windowWithScript(alias, table);
  // The script in the grid and the key list.
  EXPECT_EQ(w->EditTableName->text(), table);
  EXPECT_EQ(w->Edit_TableComment->text(), QStringLiteral("社員"));
  EXPECT_EQ(w->ComboGrid1->Cells(1, 2), QStringLiteral("ENAME"));
  EXPECT_EQ(w->ComboGrid1->Cells(2, 2), QStringLiteral("VARCHAR2"));
  EXPECT_EQ(w->ComboGrid1->Cells(3, 3) + u',' + w->ComboGrid1->Cells(4, 3), QStringLiteral("7,2"));
  EXPECT_EQ(w->ComboGrid1->Cells(5, 1), QStringLiteral("NOT NULL"));
  EXPECT_EQ(w->ComboGrid1->Cells(8, 8), QStringLiteral("部門"));
  EXPECT_EQ(w->ComboGrid1->Cells(1, 9), QString());
  ASSERT_EQ(w->ListBox1->count(), 2);
  EXPECT_EQ(w->ListBox1->item(0)->text(), table + QStringLiteral("_PK,EMPNO"));
  EXPECT_EQ(w->ListBox1->item(1)->text(), table + QStringLiteral("_DEPT,DEPTNO; ENAME"));
  EXPECT_EQ(prompt.messageCount(), 0) << prompt.lastMessage().toStdString();

  w->ButtonTableIndexClick();
  EXPECT_EQ(prompt.messageCount(), 0) << prompt.lastMessage().toStdString();
  EXPECT_FALSE(w->ButtonTableMake->isHidden());
  EXPECT_FALSE(w->ButtonIdxMake->isHidden());
  EXPECT_EQ(kinds(alias, table),
            (QStringList{"EMPNO TIntegerField", "ENAME TStringField10", "SAL TFloatField", "BIG TCurrencyField",
                         "HUGE TFloatField", "ANY_NUM TFloatField", "HIREDATE TDateField", "DEPTNO TIntegerField"}));
  db::Table t;
  t.setDatabaseName(alias);
  t.setTableName(table);
  t.updateIndexDefs();
  ASSERT_EQ(t.indexDefs().size(), 2u);
  EXPECT_EQ(t.indexDefs()[0].fields, QStringLiteral("EMPNO"));
  EXPECT_TRUE(t.indexDefs()[0].options & db::ixPrimary);
  EXPECT_EQ(t.indexDefs()[1].name, table + QStringLiteral("_DEPT"));
  EXPECT_EQ(t.indexDefs()[1].fields, QStringLiteral("DEPTNO;ENAME"));
  EXPECT_TRUE(t.indexDefs()[1].options & db::ixDescending);
  EXPECT_EQ(comment(alias, table, QStringLiteral("TableComment")), QStringLiteral("社員"));
  EXPECT_EQ(comment(alias, table, QStringLiteral("ENAME")), QStringLiteral("社員名"));
  EXPECT_EQ(comment(alias, table, QStringLiteral("BIG")), QString());
  const auto commentRows = [&] {
    return value(alias, QStringLiteral("SELECT COUNT(*) FROM \"SysComment\" WHERE \"File Name\" = '%1'").arg(table)).toInt();
  };
  EXPECT_EQ(commentRows(), 9);

  // The table holds a row: rebuilding asks first, No (the default) keeps everything.
  exec(alias, QStringLiteral("INSERT INTO \"%1\" (\"EMPNO\", \"ENAME\") VALUES (1, 'A')").arg(table));
  w->ComboGrid1->SetCells(8, 2, QStringLiteral("氏名"));
  prompt.clear();
  w->ButtonTableMakeClick();
  ASSERT_EQ(prompt.messageCount(), 1);
  EXPECT_EQ(prompt.records[0].buttons, PromptYes | PromptNo | promptDefault(PromptNo));
  EXPECT_TRUE(prompt.records[0].text.contains(QStringLiteral("1 件のデータ")));
  EXPECT_EQ(value(alias, QStringLiteral("SELECT COUNT(*) FROM \"%1\"").arg(table)).toInt(), 1);
  EXPECT_EQ(comment(alias, table, QStringLiteral("ENAME")), QStringLiteral("社員名"));
  EXPECT_FALSE(w->ButtonTableMake->isHidden());

  // Yes: the table is built anew, empty; its comment rows are updated in place.
  prompt.messageAnswers.push_back(PromptYes);
  w->ButtonTableMakeClick();
  EXPECT_EQ(prompt.messageCount(), 2);
  EXPECT_EQ(value(alias, QStringLiteral("SELECT COUNT(*) FROM \"%1\"").arg(table)).toInt(), 0);
  EXPECT_EQ(comment(alias, table, QStringLiteral("ENAME")), QStringLiteral("氏名"));
  EXPECT_EQ(commentRows(), 9);
  EXPECT_TRUE(w->StatusBar1->currentMessage().contains(QStringLiteral("更新 9")))
      << w->StatusBar1->currentMessage().toStdString();

  // An empty table is replaced without a question.
  prompt.clear();
  w->ButtonTableMakeClick();
  EXPECT_EQ(prompt.messageCount(), 0);

  // A type word the build does not know: nothing is built or replaced.
  exec(alias, QStringLiteral("INSERT INTO \"%1\" (\"EMPNO\") VALUES (2)").arg(table));
  w->ComboGrid1->SetCells(2, 2, QStringLiteral("CHAR"));
  w->ComboGrid1->SetCells(8, 1, QStringLiteral("changed"));
  w->ButtonTableIndexClick();
  EXPECT_EQ(prompt.lastMessage(), QStringLiteral("*E:データタイプ未定義(列No:2:CHAR)"));
  EXPECT_EQ(prompt.messageCount(), 1);
  EXPECT_EQ(value(alias, QStringLiteral("SELECT COUNT(*) FROM \"%1\"").arg(table)).toInt(), 1);
  EXPECT_EQ(comment(alias, table, QStringLiteral("EMPNO")), QStringLiteral("社員番号"));
  EXPECT_FALSE(w->ButtonTableMake->isHidden());
  EXPECT_FALSE(w->ButtonTableIndex->isHidden());
}

}  // namespace

TEST_F(FormTblMakeTest, BuildsAndRebuildsOnSqlite) {
  buildAndRebuild(sqliteAlias({}), QStringLiteral("EMP"));
}

// Through Qt's PostgreSQL driver and through the PostgreSQL ODBC driver, one
// after the other (they share the server's comment table).
TEST_F(FormTblMakeTest, BuildsAndRebuildsOnPostgresAndOdbc) {
  KORVEL_REQUIRE_PG();
  writeAliases(db::test::pgAliasSection(QStringLiteral("PG")) + db::test::odbcAliasSection(QStringLiteral("ODBC")));
  for (const QString& alias : {QStringLiteral("PG"), QStringLiteral("ODBC")}) {
    SCOPED_TRACE(alias.toStdString());
    const QString table = QStringLiteral("TM_EMP_") + alias;
    exec(alias, QStringLiteral("DROP TABLE IF EXISTS \"%1\"").arg(table));
    exec(alias, QStringLiteral("CREATE TABLE IF NOT EXISTS \"SysComment\" (\"File Name\" VARCHAR(30), "
                               "\"Field Name\" VARCHAR(30), \"Comment\" VARCHAR(50), "
                               "PRIMARY KEY (\"File Name\", \"Field Name\"))"));
    exec(alias, QStringLiteral("DELETE FROM \"SysComment\" WHERE \"File Name\" = '%1'").arg(table));
    buildAndRebuild(alias, table);
    prompt.clear();
  }
}

// A directory typed into the alias box: the table and SysComment are Paradox
// table files there.
TEST_F(FormTblMakeTest, BuildsParadoxTablesInADirectory) {
  writeAliases(QString());
  QDir().mkpath(path(QStringLiteral("pdx")));
  TFormTblMake w;
  prompt.clear();
  w.ComboBox_Alias->setEditText(path(QStringLiteral("pdx")));
  w.SelectAlias();
  QFile file(path(QStringLiteral("staff.sql")));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(QByteArray::fromStdString(sj("-- 職員\n"
                                          "CREATE TABLE STAFF (\n"
                                          "  ID NUMBER(6),        -- 職員番号\n"
                                          "  NAME VARCHAR2(20),   -- 氏名\n"
                                          "  PAY NUMBER(9,2),     -- 給与\n"
                                          "  JOINED DATE          -- 入社日\n"
                                          "  , CONSTRAINT STAFF_PK PRIMARY KEY (ID)\n"
                                          ");\n")));
  file.close();
  prompt.fileAnswers.push_back(file.fileName());
  w.O1Click();
  w.ButtonTableIndexClick();
  EXPECT_EQ(prompt.messageCount(), 0) << prompt.lastMessage().toStdString();
  EXPECT_TRUE(QFile::exists(path(QStringLiteral("pdx/STAFF.DB"))));
  EXPECT_TRUE(QFile::exists(path(QStringLiteral("pdx/SysComment.DB"))));
  const QString alias = w.ComboBox_Alias->currentText();
  EXPECT_EQ(kinds(alias, QStringLiteral("STAFF")),
            (QStringList{"ID TIntegerField", "NAME TStringField20", "PAY TFloatField", "JOINED TDateField"}));
  db::Table t;
  t.setDatabaseName(alias);
  t.setTableName(QStringLiteral("STAFF"));
  t.updateIndexDefs();
  ASSERT_EQ(t.indexDefs().size(), 1u);
  EXPECT_EQ(t.indexDefs()[0].fields, QStringLiteral("ID"));
  EXPECT_EQ(comment(alias, QStringLiteral("STAFF"), QStringLiteral("NAME")), QStringLiteral("氏名"));
  EXPECT_EQ(comment(alias, QStringLiteral("STAFF"), QStringLiteral("TableComment")), QStringLiteral("職員"));

  // Rebuilt over its rows only when the user says so; the comment rows are updated in place.
  exec(alias, QStringLiteral("INSERT INTO STAFF (ID, NAME) VALUES (1, 'A')"));
  w.ComboGrid1->SetCells(8, 2, QStringLiteral("名前"));
  prompt.messageAnswers.push_back(PromptYes);
  w.ButtonTableMakeClick();
  EXPECT_EQ(prompt.messageCount(), 1);
  EXPECT_EQ(value(alias, QStringLiteral("SELECT COUNT(*) FROM STAFF")).toInt(), 0);
  EXPECT_EQ(comment(alias, QStringLiteral("STAFF"), QStringLiteral("NAME")), QStringLiteral("名前"));
  EXPECT_EQ(value(alias, QStringLiteral("SELECT COUNT(*) FROM \"SysComment\"")).toInt(), 5);
}

TEST_F(FormTblMakeTest, CommentTableIsCreatedWithItsKeyOnFirstUse) {
  const QString alias = sqliteAlias({});
  auto w = windowWithScript(alias, QStringLiteral("T1"));
  w->ButtonTableMakeClick();
  EXPECT_EQ(prompt.messageCount(), 0) << prompt.lastMessage().toStdString();
  db::Table t;
  t.setDatabaseName(alias);
  t.setTableName(QStringLiteral("SysComment"));
  t.updateIndexDefs();
  ASSERT_FALSE(t.indexDefs().empty());
  EXPECT_EQ(t.indexDefs()[0].fields, QStringLiteral("File Name;Field Name"));
  EXPECT_EQ(kinds(alias, QStringLiteral("SysComment")),
            (QStringList{"File Name TStringField30", "Field Name TStringField30", "Comment TStringField50"}));
  // A second table's rows join the same comment table. A comment longer
  // than the comment field is refused and said; the rows after it are written.
  w->EditTableName->setText(QStringLiteral("T2"));
  w->ComboGrid1->SetCells(8, 2, QString(51, QChar(u'長')));
  w->ButtonTableMakeClick();
  EXPECT_EQ(value(alias, QStringLiteral("SELECT COUNT(DISTINCT \"File Name\") FROM \"SysComment\"")).toInt(), 2);
  EXPECT_EQ(value(alias, QStringLiteral("SELECT COUNT(*) FROM \"SysComment\" WHERE \"File Name\" = 'T2'")).toInt(), 8);
  EXPECT_EQ(comment(alias, QStringLiteral("T2"), QStringLiteral("DEPTNO")), QStringLiteral("部門"));
  ASSERT_EQ(prompt.messageCount(), 1);
  EXPECT_TRUE(prompt.lastMessage().startsWith(QStringLiteral("*E:SysComment に書き込めなかったコメントがあります。\r\n  ENAME: ")))
      << prompt.lastMessage().toStdString();
  EXPECT_TRUE(w->ButtonTableMake->isHidden());
}

TEST_F(FormTblMakeTest, MakeIndexWithAndWithoutKeyEntries) {
  const QString alias = sqliteAlias({QStringLiteral("CREATE TABLE T (A INTEGER, B TEXT)")});
  TFormTblMake w;
  w.ComboBox_Alias->setCurrentIndex(w.ComboBox_Alias->findText(alias));
  w.EditTableName->setText(QStringLiteral("T"));
  w.ButtonIdxMakeClick();
  EXPECT_EQ(prompt.messageCount(), 0);
  EXPECT_EQ(w.StatusBar1->currentMessage(), QStringLiteral("インデックス 0件を作成しました"));
  db::Table t;
  t.setDatabaseName(alias);
  t.setTableName(QStringLiteral("T"));
  t.updateIndexDefs();
  EXPECT_TRUE(t.indexDefs().empty());

  // The writer's empty primary key is passed over and said; the next entry is an index.
  w.ListBox1->addItems({QStringLiteral("T_PRIMARY_KEY,  "), QStringLiteral("T_B,B")});
  w.ButtonIdxMakeClick();
  EXPECT_EQ(prompt.messageCount(), 0);
  EXPECT_EQ(w.StatusBar1->currentMessage(), QStringLiteral("インデックス 1件を作成しました  (キー項目なし: T_PRIMARY_KEY)"));
  t.updateIndexDefs();
  ASSERT_EQ(t.indexDefs().size(), 1u);
  EXPECT_EQ(t.indexDefs()[0].name, QStringLiteral("T_B"));
  EXPECT_FALSE(w.ButtonIdxMake->isHidden());

  // A field the table does not have is refused before anything is made.
  w.ListBox1->clear();
  w.ListBox1->addItems({QStringLiteral("PK,A"), QStringLiteral("T_X,B; NOPE")});
  w.ButtonIdxMakeClick();
  EXPECT_EQ(prompt.lastMessage(), QStringLiteral("*E:インデックス T_X の項目 NOPE はテーブル T にありません"));
  t.updateIndexDefs();
  EXPECT_EQ(t.indexDefs().size(), 1u);
  EXPECT_FALSE(w.ButtonIdxMake->isHidden());

  // An index the engine refuses (its name is taken): the error is shown, the button stays hidden.
  w.ListBox1->clear();
  w.ListBox1->addItems({QStringLiteral("PK,A"), QStringLiteral("T_B,B")});
  prompt.clear();
  w.ButtonIdxMakeClick();
  EXPECT_EQ(prompt.messageCount(), 1);
  EXPECT_TRUE(w.ButtonIdxMake->isHidden());
  t.updateIndexDefs();
  EXPECT_EQ(t.indexDefs()[0].fields, QStringLiteral("A"));  // the primary index was made before
}

TEST_F(FormTblMakeTest, ScriptProblemsAreReportedAfterReading) {
  const QString alias = sqliteAlias({});
  TFormTblMake w;
  std::string script = "CREATE TABLE WIDE (\n";
  for (int i = 1; i <= 201; ++i) script += "  C" + std::to_string(i) + " DATE,\n";
  script += "  CONSTRAINT CK CHECK (C1 > C2),\n  CONSTRAINT PK PRIMARY KEY\n);\n";
  QFile file(path(QStringLiteral("wide.sql")));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(script.data(), qint64(script.size()));
  file.close();
  prompt.fileAnswers.push_back(file.fileName());
  w.O1Click();
  EXPECT_EQ(w.ComboGrid1->Cells(1, 199), QStringLiteral("C199"));
  QStringList messages;
  for (const auto& r : prompt.records)
    if (r.kind == PromptRecord::Message) messages << r.text;
  EXPECT_EQ(messages, (QStringList{
                          QStringLiteral("KEY情報は１行で定義してね"),
                          QStringLiteral("*E:項目は199行までです。次の2項目は読み込んでいません。\r\n  C200\r\n  C201"),
                          QStringLiteral("*E:SQL定義文の次の部分は読み取っていません。\r\n  CONSTRAINT CK CHECK (C1 > C2)")}));
  // Reading another script empties the grid and takes its comment (none here).
  w.Edit_TableComment->setText(QStringLiteral("old"));
  QFile small(path(QStringLiteral("small.sql")));
  ASSERT_TRUE(small.open(QIODevice::WriteOnly));
  small.write("CREATE TABLE S (A DATE);\n");
  small.close();
  prompt.fileAnswers.push_back(small.fileName());
  w.O1Click();
  EXPECT_EQ(w.ComboGrid1->Cells(1, 2), QString());
  EXPECT_EQ(w.ComboGrid1->Cells(0, 2), QStringLiteral("2"));
  EXPECT_EQ(w.Edit_TableComment->text(), QString());
  EXPECT_EQ(w.ListBox1->count(), 0);
}

TEST_F(FormTblMakeTest, HostileNamesReachTheDatabaseQuoted) {
  const QString alias = sqliteAlias({QStringLiteral("CREATE TABLE KEEP (A INTEGER)")});
  TFormTblMake w;
  w.ComboBox_Alias->setCurrentIndex(w.ComboBox_Alias->findText(alias));
  // Names that start and end with a quote, hold brackets, dots, semicolons
  // and comment marks. (A field name cannot hold ";": it separates the
  // fields of an index.)
  const QString table = QStringLiteral("\"X\"(A);DROP TABLE KEEP;--\"");
  const QString field = QStringLiteral("[A'] OR \"1\"=\"1\" --.b");
  const QString index = QStringLiteral("\"IX\"; DROP TABLE KEEP; --\"");
  w.EditTableName->setText(table);
  w.ComboGrid1->SetCells(1, 1, field);
  w.ComboGrid1->SetCells(2, 1, QStringLiteral("DATE"));
  w.ComboGrid1->SetCells(1, 2, QStringLiteral("B"));
  w.ComboGrid1->SetCells(2, 2, QStringLiteral("DATE"));
  w.ListBox1->addItems({u',' + field, index + QStringLiteral(",B")});
  w.ButtonTableIndexClick();
  EXPECT_EQ(prompt.messageCount(), 0) << prompt.lastMessage().toStdString();
  EXPECT_EQ(value(alias, QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE name = 'KEEP'")).toInt(), 1);
  EXPECT_EQ(kinds(alias, table), (QStringList{field + QStringLiteral(" TDateField"), QStringLiteral("B TDateField")}));
  db::Table t;
  t.setDatabaseName(alias);
  t.setTableName(table);
  t.updateIndexDefs();
  ASSERT_EQ(t.indexDefs().size(), 2u);
  EXPECT_EQ(t.indexDefs()[0].fields, field);
  EXPECT_EQ(t.indexDefs()[1].name, index);
  QSqlQuery q(Engine::instance().connection(alias));
  q.prepare(QStringLiteral("SELECT COUNT(*) FROM \"SysComment\" WHERE \"File Name\" = ?"));
  q.addBindValue(table);
  ASSERT_TRUE(q.exec() && q.next());
  EXPECT_EQ(q.value(0).toInt(), 3);
}

TEST_F(FormTblMakeTest, WindowControlsAndKeys) {
  const QString alias = sqliteAlias({});
  TFormTblMake w;
  EXPECT_EQ(w.windowTitle(), QStringLiteral("ＰＡＲＡＤＯＸテーブル作成"));
  EXPECT_EQ(w.ComboGrid1->ColCount(), 14);
  EXPECT_EQ(w.ComboGrid1->RowCount(), 200);
  EXPECT_EQ(w.ComboGrid1->Cells(8, 0), QStringLiteral("コメント"));
  EXPECT_EQ(w.ComboGrid2->Cells(1, 3) + w.ComboGrid2->Cells(3, 3), QStringLiteral("Comment50"));
  EXPECT_TRUE(w.ComboGrid2->isHidden());
  EXPECT_TRUE(w.Edit_TableComment->isHidden());
  // A typed alias that is no item becomes one and is selected.
  w.ComboBox_Alias->setEditText(QStringLiteral("/some/dir"));
  w.SelectAlias();
  EXPECT_EQ(w.ComboBox_Alias->currentText(), QStringLiteral("/some/dir"));
  EXPECT_EQ(w.ComboBox_Alias->count(), 2);
  w.ComboBox_Alias->setEditText(QStringLiteral("typed"));
  w.N3Click();
  EXPECT_EQ(w.StatusBar1->currentMessage(), QStringLiteral("エリアス名を指定せよ"));
  // F9 closes the window from any of its controls.
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  EXPECT_FALSE(w.ButtonTableMake->isHidden());
  QTest::keyRelease(w.ComboGrid1, Qt::Key_F9);
  EXPECT_FALSE(w.isVisible());
  // The grid fills the space down to the key list's heading.
  w.resize(900, 600);
  w.FormResize();
  EXPECT_EQ(w.ListBox1->y(), 600 - 152);
  EXPECT_LT(w.ComboGrid1->geometry().bottom(), w.ListBox1->y() - 20);
  EXPECT_EQ(w.ComboGrid1->width(), 900 - 16);
}

TEST_F(FormTblMakeTest, NoAliasIsReported) {
  writeAliases(QString());
  TFormTblMake w;
  EXPECT_EQ(prompt.lastMessage(), QStringLiteral("Aliasが見つかりません"));
  w.N3Click();
  EXPECT_EQ(w.StatusBar1->currentMessage(), QStringLiteral("エリアス名なし"));
}
