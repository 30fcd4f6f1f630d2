// The table information window on the PostgreSQL test server: fields and
// indexes from the catalog, comments written with COMMENT ON and read with
// obj_description/col_description, and the Oracle dictionary path through an
// ODBC alias that names its DBMS Oracle, over views named like the
// dictionary's in a schema of their own.
#include <gtest/gtest.h>

#include "db/tablecomments.h"
#include "tblinf_fixture.h"

using namespace korvel;
using namespace korvel::tableinfo;

namespace {

class TblInfServer : public TblInfTest {
 protected:
  void SetUp() override {
    TblInfTest::SetUp();
    if (db::test::pgConnectionString().isEmpty()) return;
    writeAliases(db::test::pgAliasSection(QStringLiteral("PG")));
    alias = QStringLiteral("PG");
  }
  void TearDown() override {
    if (!db::test::pgConnectionString().isEmpty()) {
      alias = QStringLiteral("PG");
      for (const QString& sql : cleanup) exec(sql);
    }
    TblInfTest::TearDown();
  }
  QStringList cleanup;
};

TEST_F(TblInfServer, FieldsAndIndexesFromTheCatalog) {
  KORVEL_REQUIRE_PG();
  cleanup << QStringLiteral("DROP TABLE IF EXISTS i15_orders");
  exec("DROP TABLE IF EXISTS i15_orders");
  exec("CREATE TABLE i15_orders (shop varchar(10), no integer, price numeric(9,2), at timestamp, "
       "CONSTRAINT i15_orders_pk PRIMARY KEY (shop, no))");
  exec("CREATE INDEX i15_orders_at ON i15_orders (at DESC, price)");
  ASSERT_TRUE(load(QStringLiteral("i15_orders")));
  EXPECT_EQ(form->Label_TableType->text(), QStringLiteral("POSTGRESQL"));
  EXPECT_EQ(row(1), QStringLiteral(" 1|shop|TStringField|11|左寄せ|Index|10||10|0"));
  EXPECT_EQ(row(2), QStringLiteral(" 2|no|TIntegerField|4|右寄せ|Index|11||0|0"));
  EXPECT_EQ(row(3), QStringLiteral(" 3|price|TBCDField|34|右寄せ||20||9|2"));
  EXPECT_EQ(row(4), QStringLiteral(" 4|at|TDateTimeField|8|左寄せ||19||0|0"));
  EXPECT_EQ(form->IndexLines(), (QStringList{QStringLiteral(" 1:(Key項目数=2) , 1:shop, 2:no"),
                                             QStringLiteral(" 2:i15_orders_at(Key項目数=2) , 4:at, 3:price")}));
}

// "コメント設定" writes the catalog's comments; a quote, a backslash and
// statement text in a comment are only text, and reading them back needs
// no statement built from a name.
TEST_F(TblInfServer, CatalogCommentsRoundTripWithHostileTexts) {
  KORVEL_REQUIRE_PG();
  cleanup << QStringLiteral("DROP SCHEMA IF EXISTS \"i15.s\" CASCADE");
  exec("DROP SCHEMA IF EXISTS \"i15.s\" CASCADE");
  exec("CREATE SCHEMA \"i15.s\"");
  exec("CREATE TABLE \"i15.s\".\"ta\"\"b;le\" (\"co'l\" integer PRIMARY KEY, \"x\" text)");
  exec("CREATE TABLE \"i15.s\".\"other\" (\"co'l\" integer)");
  ASSERT_TRUE(load(QStringLiteral("i15.s.ta\"b;le")));
  const QString tableComment = QStringLiteral("表'); DROP TABLE \"i15.s\".other; --");
  const QString columnComment = QStringLiteral("It's a \\ back\\slash 'quoted' 番号");
  form->Edit_TableComment->setText(tableComment);
  setComment(1, columnComment);
  form->BitBtn_CommentClick();
  EXPECT_EQ(prompt.messageCount(), 0) << prompt.lastMessage().toStdString();
  EXPECT_EQ(value("SELECT obj_description('\"i15.s\".\"ta\"\"b;le\"'::regclass, 'pg_class')"), tableComment);
  EXPECT_EQ(value("SELECT col_description('\"i15.s\".\"ta\"\"b;le\"'::regclass, 1)"), columnComment);
  EXPECT_EQ(value("SELECT count(*) FROM pg_description WHERE objoid = '\"i15.s\".other'::regclass"),
            QStringLiteral("0"));

  form->Edit_TableComment->clear();
  ASSERT_TRUE(load(QStringLiteral("i15.s.ta\"b;le")));
  EXPECT_EQ(form->Edit_TableComment->text(), tableComment);
  EXPECT_EQ(cell(kColComment, 1), columnComment);
  EXPECT_EQ(cell(kColComment, 2), QString());
  EXPECT_EQ(db::readTableComments(alias, QStringLiteral("i15.s.ta\"b;le")).table, tableComment);
}

// An alias whose DBMS is named Oracle reads the dictionary views and writes
// COMMENT statements; here the views stand over the PostgreSQL catalog.
TEST_F(TblInfServer, OracleDictionaryThroughAnOracleAlias) {
  KORVEL_REQUIRE_PG();
  cleanup << QStringLiteral("DROP SCHEMA IF EXISTS i15_ora CASCADE");
  exec("DROP SCHEMA IF EXISTS i15_ora CASCADE");
  exec("CREATE SCHEMA i15_ora");
  exec("CREATE TABLE i15_ora.\"I15_EMP\" (\"EMPNO\" integer PRIMARY KEY, \"ENAME\" varchar(10))");
  exec("CREATE VIEW i15_ora.user_tab_comments AS SELECT c.relname::text AS table_name, "
       "obj_description(c.oid, 'pg_class') AS comments FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace "
       "WHERE n.nspname = 'i15_ora' AND c.relkind = 'r'");
  exec("CREATE VIEW i15_ora.user_col_comments AS SELECT c.relname::text AS table_name, "
       "a.attname::text AS column_name, col_description(c.oid, a.attnum) AS comments FROM pg_class c "
       "JOIN pg_namespace n ON n.oid = c.relnamespace JOIN pg_attribute a ON a.attrelid = c.oid "
       "WHERE n.nspname = 'i15_ora' AND a.attnum > 0 AND NOT a.attisdropped");
  exec("COMMENT ON COLUMN i15_ora.\"I15_EMP\".\"ENAME\" IS '社員名'");

  // The alias finds the tables and the views through its search path.
  QString oracle = db::test::odbcAliasSection(QStringLiteral("ORA"));
  oracle.replace(QStringLiteral("BoolsAsChar=0"), QStringLiteral("BoolsAsChar=0;ConnSettings=SET search_path TO i15_ora"));
  writeAliases(oracle + QStringLiteral("DBMS NAME=Oracle\n") + db::test::pgAliasSection(QStringLiteral("PG")));
  alias = QStringLiteral("ORA");
  ASSERT_TRUE(load(QStringLiteral("I15_EMP"))) << prompt.lastMessage().toStdString();
  EXPECT_EQ(form->Label_TableType->text(), QStringLiteral("ORACLE"));
  // No table comment yet: the edit stays empty, the column comments come.
  EXPECT_EQ(form->Edit_TableComment->text(), QString());
  EXPECT_EQ(cell(kColComment, 1), QString());
  EXPECT_EQ(cell(kColComment, 2), QStringLiteral("社員名"));

  form->Edit_TableComment->setText(QStringLiteral("社員'マスタ?"));
  setComment(1, QStringLiteral("it's no. 1"));
  form->BitBtn_CommentClick();
  EXPECT_EQ(prompt.messageCount(), 0) << prompt.lastMessage().toStdString();
  form->Edit_TableComment->clear();
  ASSERT_TRUE(load(QStringLiteral("I15_EMP")));
  EXPECT_EQ(form->Edit_TableComment->text(), QStringLiteral("社員'マスタ?"));
  EXPECT_EQ(cell(kColComment, 1), QStringLiteral("it's no. 1"));
  EXPECT_EQ(cell(kColComment, 2), QStringLiteral("社員名"));
}

}  // namespace
