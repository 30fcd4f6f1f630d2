// The texts the table information window makes without a database: the
// CREATE TABLE script and its reading back, conversion parameter lines and
// index lines.
#include <gtest/gtest.h>

#include "../common/sjis.h"
#include "db/table.h"
#include "tableinfo/convparams.h"
#include "tableinfo/createscript.h"
#include "tableinfo/fieldrows.h"
#include "tablemake/scriptparser.h"

using namespace korvel;
using namespace korvel::tableinfo;

namespace {

QStringList lines(const QString& script) {
  EXPECT_TRUE(script.endsWith(QStringLiteral("\r\n")));
  QStringList out = script.split(QStringLiteral("\r\n"));
  out.removeLast();
  return out;
}

ScriptSource employee() {
  return {QStringLiteral("EMP"),
          QStringLiteral("社員マスタ"),
          {{QStringLiteral("EMPNO"), QStringLiteral("TIntegerField"), QStringLiteral("4"), QStringLiteral("社員番号")},
           {QStringLiteral("ENAME"), QStringLiteral("TStringField"), QStringLiteral("11"), QStringLiteral("社員名")},
           {QStringLiteral("HIREDATE"), QStringLiteral("TDateTimeField"), QStringLiteral("8"), QStringLiteral("入社日")},
           {QStringLiteral("SAL"), QStringLiteral("TCurrencyField"), QStringLiteral("8"), QString()}}};
}

}  // namespace

TEST(CreateScript, LinesInOrder) {
  const QStringList got = lines(BuildCreateTableScript(employee(), QStringLiteral("2024/05/06 07:08")));
  const QStringList want{
      QStringLiteral("-- 2024/05/06 07:08"),
      QStringLiteral("-- 社員マスタ"),
      QStringLiteral("DROP   TABLE EMP CASCADE CONSTRAINTS;"),
      QStringLiteral("CREATE TABLE EMP ("),
      QStringLiteral("        EMPNO         NUMBER(4),  -- 社員番号"),
      QStringLiteral("        ENAME         VARCHAR2(10),  -- 社員名"),
      QStringLiteral("        HIREDATE         DATE,  -- 入社日"),
      QStringLiteral("        SAL         NUMBER(8),  -- "),
      QStringLiteral("CONSTRAINT EMP_PRIMARY_KEY PRIMARY KEY (  )"),
      QStringLiteral(");"),
  };
  EXPECT_EQ(got, want);
}

TEST(CreateScript, EdgesOfTheTypePartAndEmptyInput) {
  EXPECT_EQ(ScriptTypePart("TStringField", ""), " VARCHAR2(1),  -- ");     // size not a number: 2
  EXPECT_EQ(ScriptTypePart("TStringField", "abc"), " VARCHAR2(1),  -- ");
  EXPECT_EQ(ScriptTypePart("tstringfield", " 21 "), " VARCHAR2(20),  -- ");
  EXPECT_EQ(ScriptTypePart("TDateField", "4"), " DATE,  -- ");
  EXPECT_EQ(ScriptTypePart("TTimeField", "4"), " NUMBER(4),  -- ");
  EXPECT_EQ(ScriptTypePart("TMemoField", ""), " NUMBER(),  -- ");
  const QStringList empty = lines(BuildCreateTableScript({QStringLiteral("T"), QString(), {}}, QStringLiteral("x")));
  ASSERT_EQ(empty.size(), 6);
  EXPECT_EQ(empty[1], QStringLiteral("-- "));
  EXPECT_EQ(empty[4], QStringLiteral("CONSTRAINT T_PRIMARY_KEY PRIMARY KEY (  )"));
  // No table loaded: the name stays empty rather than becoming a quoted "".
  const QStringList unnamed = lines(BuildCreateTableScript({QString(), QString(), {}}, QStringLiteral("x")));
  ASSERT_EQ(unnamed.size(), 6);
  EXPECT_EQ(unnamed[2], QStringLiteral("DROP   TABLE  CASCADE CONSTRAINTS;"));
  EXPECT_EQ(unnamed[3], QStringLiteral("CREATE TABLE  ("));
}

// A name that is no plain identifier is quoted, so the script neither
// breaks nor runs a statement hidden in a name; a comment's line breaks
// would start new script lines and become blanks.
TEST(CreateScript, HostileNamesAndMultiLineComments) {
  ScriptSource source{QStringLiteral("x; DROP TABLE y"),
                      QStringLiteral("one\ntwo"),
                      {{QStringLiteral("a \"b\""), QStringLiteral("TIntegerField"), QStringLiteral("4"),
                        QStringLiteral("line1\r\nline2")},
                       {QStringLiteral("名前"), QStringLiteral("TStringField"), QStringLiteral("5"), QString()}}};
  const QStringList got = lines(BuildCreateTableScript(source, QStringLiteral("s")));
  ASSERT_EQ(got.size(), 8);
  EXPECT_EQ(got[1], QStringLiteral("-- one two"));
  EXPECT_EQ(got[2], QStringLiteral("DROP   TABLE \"x; DROP TABLE y\" CASCADE CONSTRAINTS;"));
  EXPECT_EQ(got[4], QStringLiteral("        \"a \"\"b\"\"\"         NUMBER(4),  -- line1  line2"));
  EXPECT_EQ(got[5], QStringLiteral("        名前         VARCHAR2(4),  -- "));
  EXPECT_EQ(got[6], QStringLiteral("CONSTRAINT \"x; DROP TABLE y_PRIMARY_KEY\" PRIMARY KEY (  )"));
}

// What the table creation window reads from the script: one column per
// field with its comment, the table comment of line 2, one key clause
// without key columns.
TEST(CreateScript, ReadsBackThroughTheTableCreationReader) {
  std::string bytes;
  ASSERT_TRUE(tryToCp932(BuildCreateTableScript(employee(), QStringLiteral("2024/05/06 07:08")), bytes));
  const ScriptDefinition def = ParseScriptText(bytes);
  EXPECT_TRUE(def.sawCreate);
  EXPECT_EQ(def.tableName, "EMP");
  EXPECT_EQ(def.tableComment, sj("社員マスタ"));
  ASSERT_EQ(def.columns.size(), 4u);
  EXPECT_EQ(def.columns[0].definition.name, "EMPNO");
  EXPECT_EQ(def.columns[0].definition.typeWord, "NUMBER");
  EXPECT_EQ(def.columns[0].definition.digits, "4");
  EXPECT_EQ(def.columns[0].definition.comment, sj("社員番号"));
  EXPECT_EQ(def.columns[1].definition.typeWord, "VARCHAR2");
  EXPECT_EQ(def.columns[1].definition.digits, "10");
  EXPECT_EQ(def.columns[2].definition.typeWord, "DATE");
  EXPECT_EQ(def.columns[3].definition.comment, "");
  ASSERT_EQ(def.keyEntries.size(), 1u);
  EXPECT_EQ(def.keyEntries[0], "EMP_PRIMARY_KEY,  ");  // key columns: the two blanks
}

TEST(ConversionParams, FieldAndTitleLines) {
  const ParamLine field = ReadParamLine(sj("FLD 1,A,B,2,C,D,empno,社員番号"));
  ASSERT_EQ(field.kind, ParamLine::Field);
  EXPECT_EQ(field.items.item1, 1);
  EXPECT_EQ(field.items.item2, "A");
  EXPECT_EQ(field.items.item4, 2);
  EXPECT_EQ(field.items.fieldName, "EMPNO");  // the line is upper-cased first
  EXPECT_EQ(field.items.comment, sj("社員番号"));

  const ParamLine title = ReadParamLine(sj("title 社員 マスタ\t"));
  ASSERT_EQ(title.kind, ParamLine::Title);
  EXPECT_EQ(title.tableComment, sj("社員マスタ"));

  EXPECT_EQ(ReadParamLine("").kind, ParamLine::Other);
  EXPECT_EQ(ReadParamLine(" FLD 1,a").kind, ParamLine::Other);  // the word must start the line
  EXPECT_EQ(ReadParamLine("TITLE").tableComment, "");
}

TEST(ConversionParams, ShortAndOddFieldLines) {
  const ParamLineItems odd = SplitParamLine("FLD x1,,B, 7 ,C");
  EXPECT_EQ(odd.item1, 0);  // not a number
  EXPECT_EQ(odd.item2, "");
  EXPECT_EQ(odd.item3, "B");
  EXPECT_EQ(odd.item4, 0);  // a trailing blank makes it no number
  EXPECT_EQ(odd.item5, "C");
  EXPECT_EQ(odd.fieldName, "");
  EXPECT_EQ(odd.comment, "");
  EXPECT_EQ(SplitParamLine("FLD").fieldName, "");
}

TEST(IndexLines, KeysByFieldNumberAtMostSixteen) {
  const QStringList fields{QStringLiteral("EMP_NO"), QStringLiteral("DEPT"), QStringLiteral("NAME")};
  const auto nameAt = [&](int n) { return fields[n - 1]; };
  db::IndexDef pk{QStringLiteral("PK_EMP"), QStringLiteral("EMP_NO;DEPT"), db::ixPrimary};
  EXPECT_EQ(indexLine(1, pk, fields, nameAt), QStringLiteral(" 1:PK_EMP(Key項目数=2) , 1:EMP_NO, 2:DEPT"));
  // A key that names no field (an expression) shows its own text.
  db::IndexDef expr{QStringLiteral("IX"), QStringLiteral("name;lower(x)"), 0};
  EXPECT_EQ(indexLine(12, expr, fields, nameAt), QStringLiteral("12:IX(Key項目数=2) , 3:NAME, 0:lower(x)"));

  QStringList many;
  for (int i = 0; i < 17; ++i) many << QStringLiteral("DEPT");
  const QString line = indexLine(2, {QStringLiteral("W"), many.join(u';'), 0}, fields, nameAt);
  EXPECT_TRUE(line.startsWith(QStringLiteral(" 2:W(Key項目数=17) ")));
  EXPECT_EQ(line.count(QStringLiteral(", 2:DEPT")), 16);
}

TEST(TableType, ParadoxOverTheShorterLength) {
  EXPECT_TRUE(isParadoxTableType(QStringLiteral("PARADOX")));
  EXPECT_TRUE(isParadoxTableType(QStringLiteral("Paradox 7")));
  EXPECT_FALSE(isParadoxTableType(QStringLiteral("POSTGRESQL")));
  EXPECT_FALSE(isParadoxTableType(QStringLiteral("SQLITE")));
  // An unknown type (indexes not readable) is no Paradox type.
  EXPECT_FALSE(isParadoxTableType(QString()));
}
