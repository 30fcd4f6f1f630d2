// Reading whole definition scripts: the form the CREATE TABLE writer
// produces, and scripts in the styles people keep.
#include <gtest/gtest.h>

#include <random>

#include "../common/sjis.h"
#include "common/strings.h"
#include "tablemake/scriptparser.h"

using namespace korvel;

namespace {

ScriptDefinition parse(const char* utf8) { return ParseScriptText(sj(utf8)); }

// "NAME TYPE digits,decimals [constraint] comment" of every column, for compact expectations.
std::vector<std::string> columnsOf(const ScriptDefinition& def) {
  std::vector<std::string> out;
  for (const auto& column : def.columns) {
    const ColumnDefinition& c = column.definition;
    std::string text = c.name + ' ' + c.typeWord;
    if (!c.digits.empty() || !c.decimals.empty()) text += ' ' + c.digits + ',' + c.decimals;
    if (!c.constraintText.empty()) text += " [" + c.constraintText + ']';
    if (!c.comment.empty()) text += ' ' + c.comment;
    out.push_back(text);
  }
  return out;
}

using Texts = std::vector<std::string>;

}  // namespace

TEST(ScriptParser, TheWritersOwnScriptReadsBack) {
  // The writer's form, with names and comments that hold the keywords.
  const ScriptDefinition def = parse(
      "-- 2024/01/05 10:00\r\n"
      "-- 作成ログ, CONSTRAINT 付き\r\n"
      "DROP   TABLE CREATED_LOG CASCADE CONSTRAINTS;\r\n"
      "CREATE TABLE CREATED_LOG (\r\n"
      "        CONSTRAINT_NO         NUMBER(4),  -- 制約番号, CONSTRAINT\r\n"
      "        CREATED         DATE,  -- \r\n"
      "        NOTE         VARCHAR2(10),  -- 備考 (CREATE TABLE)\r\n"
      "CONSTRAINT CREATED_LOG_PRIMARY_KEY PRIMARY KEY (  )\r\n"
      ");\r\n");
  EXPECT_TRUE(def.sawCreate);
  EXPECT_EQ(def.tableName, "CREATED_LOG");
  EXPECT_EQ(def.tableComment, sj("作成ログ, CONSTRAINT 付き"));
  EXPECT_EQ(def.spacedTableComment, def.tableComment);
  EXPECT_EQ(columnsOf(def), (Texts{"CONSTRAINT_NO NUMBER 4, " + sj("制約番号,CONSTRAINT"), "CREATED DATE",
                                   "NOTE VARCHAR2 10, " + sj("備考(CREATETABLE)")}));
  EXPECT_EQ(def.keyEntries, (Texts{"CREATED_LOG_PRIMARY_KEY,  "}));
  EXPECT_EQ(def.keysWithoutColumns, 0);
  EXPECT_TRUE(def.unreadText.empty());
  EXPECT_EQ(def.columns[0].sourceText, sj("        CONSTRAINT_NO         NUMBER(4),  -- 制約番号, CONSTRAINT"));
}

TEST(ScriptParser, TableNamesAndTableComments) {
  EXPECT_EQ(parse("create table scott.emp (\n a date,\n);\n").tableName, "EMP");
  EXPECT_EQ(parse("CREATE TABLE \"SCOTT\".\"EMP\"(A DATE);").tableName, "EMP");
  EXPECT_EQ(parse("CREATE TABLE EMP( -- TABLE OF CREATE\nA DATE);").tableName, "EMP");
  EXPECT_EQ(parse("CREATE TABLE IF NOT EXISTS emp (a date);").tableName, "EMP");
  EXPECT_EQ(parse("CREATE GLOBAL TEMPORARY TABLE TMP (A DATE);").tableName, "TMP");
  EXPECT_EQ(parse("CREATE\nTABLE\nEMP\n(\nA DATE\n);").tableName, "EMP");
  // The last comment line before CREATE wins; "--text" counts only for the creation reader.
  const ScriptDefinition tight = parse("-- first\n--second\nCREATE TABLE T (A DATE);\n-- after\n");
  EXPECT_EQ(tight.tableComment, "SECOND");
  EXPECT_EQ(tight.spacedTableComment, "FIRST");
  // No comment line before CREATE: empty; a banner's dash rules are not comments.
  EXPECT_EQ(parse("CREATE TABLE T (A DATE); -- x\n").tableComment, "");
  EXPECT_EQ(parse("------\n--  DDL for Table T\n------\nCREATE TABLE T (A DATE);").tableComment, "DDL FOR TABLE T");
  // No CREATE TABLE at all.
  const ScriptDefinition none = parse("-- nothing\nSELECT * FROM T;\nCREATE SEQUENCE S;\n");
  EXPECT_FALSE(none.sawCreate);
  EXPECT_TRUE(none.columns.empty());
}

TEST(ScriptParser, ColumnsWithoutCommaOrBrokenOverLines) {
  EXPECT_EQ(columnsOf(parse("CREATE TABLE T (\n A DATE,\n B DATE\n);")), (Texts{"A DATE", "B DATE"}));
  EXPECT_EQ(columnsOf(parse("CREATE TABLE T (\n A DATE,\n B DATE -- b\n)")), (Texts{"A DATE", "B DATE B"}));
  // A column whose comma was left out, then the next column.
  EXPECT_EQ(columnsOf(parse("CREATE TABLE T (\n B DATE\n C DATE,\n);")), (Texts{"B DATE", "C DATE"}));
  // The comma only in the comment: still two columns, the comment whole.
  EXPECT_EQ(columnsOf(parse("CREATE TABLE T (\n B DATE -- day, time\n C DATE,\n);")),
            (Texts{"B DATE DAY,TIME", "C DATE"}));
  // One column over several lines.
  EXPECT_EQ(columnsOf(parse("CREATE TABLE T (\n B\n  DATE, -- b\n C DATE);")), (Texts{"B DATE B", "C DATE"}));
  EXPECT_EQ(columnsOf(parse("CREATE TABLE T (\n B DATE -- b\n   DEFAULT SYSDATE\n   NOT NULL,\n C DATE);")),
            (Texts{"B DATE [DEFAULT SYSDATE NOT NULL] B", "C DATE"}));
  EXPECT_EQ(columnsOf(parse("CREATE TABLE T (\n AMT NUMBER(10,\n 2) -- amount\n);")), (Texts{"AMT NUMBER 10,2 AMOUNT"}));
  EXPECT_EQ(columnsOf(parse("CREATE TABLE T (\n AMT NUMBER\n (10, 2),\n X DOUBLE\n PRECISION);")),
            (Texts{"AMT NUMBER 10,2", "X DOUBLE [PRECISION]"}));
}

TEST(ScriptParser, ListLayouts) {
  const Texts expected{"A NUMBER 4, A", "B VARCHAR2 10, B"};
  // "(" alone on the next line, the usual export style.
  EXPECT_EQ(columnsOf(parse("CREATE TABLE T\n(\n A NUMBER(4), -- a\n B VARCHAR2(10) -- b\n);")), expected);
  // The first column on the "(" line.
  EXPECT_EQ(columnsOf(parse("CREATE TABLE T\n( A NUMBER(4), -- a\n  B VARCHAR2(10) -- b\n);")), expected);
  // Comma first.
  EXPECT_EQ(columnsOf(parse("CREATE TABLE T\n( A NUMBER(4)     -- a\n, B VARCHAR2(10)  -- b\n)\n;")), expected);
  // All on one line; the comment goes to the column the line ends with.
  EXPECT_EQ(columnsOf(parse("CREATE TABLE T (A NUMBER(4), B VARCHAR2(10)); -- b")), (Texts{"A NUMBER 4,", "B VARCHAR2 10, B"}));
  // A comment line inside the list belongs to no column.
  EXPECT_EQ(columnsOf(parse("CREATE TABLE T (\n-- the key\n A NUMBER(4), -- a\n   -- more\n B VARCHAR2(10) -- b\n);")),
            expected);
}

TEST(ScriptParser, Keys) {
  // Two CONSTRAINT lines: two entries, named after their constraints.
  const ScriptDefinition two = parse(
      "CREATE TABLE T (\n A DATE,\n B DATE,\n"
      "CONSTRAINT T_PK PRIMARY KEY (A, B)\n,CONSTRAINT T_B UNIQUE (B)\n);");
  EXPECT_EQ(two.keyEntries, (Texts{"T_PK,A; B", "T_B,B"}));
  // A key spread over several lines is one entry with all its columns.
  const ScriptDefinition spread = parse(
      "CREATE TABLE T (\n A DATE,\n B DATE,\n CONSTRAINT T_PK\n   PRIMARY KEY\n (\n  A,\n  B\n )\n);");
  ASSERT_EQ(spread.keyEntries.size(), 1u);
  EXPECT_EQ(Qz_DelBlanks(spread.keyEntries[0]), "T_PK,A;B");
  // A key after a column whose comma was left out still ends that column.
  EXPECT_EQ(columnsOf(parse("CREATE TABLE T (\n A DATE\n CONSTRAINT T_PK PRIMARY KEY (A)\n);")), (Texts{"A DATE"}));
  // An inline primary key keeps its column and the columns after it; it is the first key.
  const ScriptDefinition inl = parse(
      "CREATE TABLE T (\n NAME VARCHAR2(6) UNIQUE,\n ID VARCHAR2(6) CONSTRAINT T_PK PRIMARY KEY, -- id\n"
      " D DATE -- d\n);");
  EXPECT_EQ(columnsOf(inl), (Texts{"NAME VARCHAR2 6, [UNIQUE]", "ID VARCHAR2 6, [CONSTRAINT T_PK PRIMARY KEY] ID", "D DATE D"}));
  EXPECT_EQ(inl.keyEntries, (Texts{"T_PK,ID", ",NAME"}));
  // A quoted name's comma would end the name part early: it is left out.
  EXPECT_EQ(parse("CREATE TABLE T (\n \"A,B\" DATE,\n CONSTRAINT \"PK,X\" PRIMARY KEY (\"A,B\"));").keyEntries,
            (Texts{"PKX,A,B"}));
  // A key clause without a column list is still an entry (empty), and counted.
  const ScriptDefinition bare = parse("CREATE TABLE T (\n A DATE,\n CONSTRAINT PK PRIMARY KEY\n);");
  EXPECT_EQ(bare.keyEntries, (Texts{","}));
  EXPECT_EQ(bare.keysWithoutColumns, 1);
  // A check is no key: it is reported as unread.
  const ScriptDefinition check = parse("CREATE TABLE T (\n A NUMBER(3),\n CONSTRAINT CK CHECK (A > 0)\n);");
  EXPECT_TRUE(check.keyEntries.empty());
  EXPECT_EQ(check.unreadText, (Texts{"CONSTRAINT CK CHECK (A > 0)"}));
}

TEST(ScriptParser, StatementsAroundTheTable) {
  const ScriptDefinition def = parse(
      "CREATE SEQUENCE T_SEQ START WITH 1;\n"
      "-- table t\n"
      "CREATE TABLE T (\n A NUMBER(4), -- a\n B DATE\n)\nTABLESPACE USERS\nSTORAGE (INITIAL 64K NEXT 1M);\n"
      "CREATE INDEX T_B ON T (B DESC);\n"
      "CREATE INDEX OTHER_IX ON OTHER (X);\n"
      "ALTER TABLE T ADD CONSTRAINT T_PK PRIMARY KEY (A)\n  USING INDEX ENABLE;\n"
      "COMMENT ON COLUMN T.A IS 'the a';\n"
      "COMMENT ON TABLE T IS 'T''s own';\n"
      "COMMENT ON TABLE U IS 'not ours';\n"
      "CREATE TABLE U (\n X DATE,\n CONSTRAINT U_PK PRIMARY KEY (X)\n);\n"
      "ALTER TABLE T ADD (C DATE);\n");
  EXPECT_EQ(def.tableName, "T");
  EXPECT_EQ(def.tableComment, "T'S OWN");
  EXPECT_EQ(columnsOf(def), (Texts{"A NUMBER 4, THEA", "B DATE"}));
  EXPECT_EQ(def.keyEntries, (Texts{"T_PK,A", "T_B,B"}));
  EXPECT_EQ(def.unreadText, (Texts{"ALTER TABLE T ADD (C DATE)"}));
}

TEST(ScriptParser, ATableWithoutItsClosingParenthesis) {
  const ScriptDefinition def = parse("CREATE TABLE T (\n A DATE,\n B DATE\nCREATE INDEX T_A ON T (A);\n");
  EXPECT_EQ(columnsOf(def), (Texts{"A DATE", "B DATE"}));
  EXPECT_EQ(def.keyEntries, (Texts{"T_A,A"}));
  EXPECT_EQ(columnsOf(parse("CREATE TABLE T (\n A DATE,\n B DATE")), (Texts{"A DATE", "B DATE"}));
  const ScriptDefinition as = parse("CREATE TABLE T AS SELECT * FROM U;");
  EXPECT_TRUE(as.columns.empty());
  EXPECT_EQ(as.unreadText, (Texts{"AS SELECT * FROM U;"}));
}

TEST(ScriptParser, AnyMixOfScriptPiecesReadsWithoutHarm) {
  const char* pieces[] = {"CREATE", " TABLE ", "T", "(", ")", ",", ";", "--", "-- c,d", "/*", "*/", "'", "\"",
                          "\"A,B\"", "\n", "\r\n", "\r", " ", "\t", "CONSTRAINT", " PRIMARY KEY ", "UNIQUE",
                          "\x82", "\x82\xa0", "\x95\x5c", "DATE", "NUMBER(", "10", ",2)", "DEFAULT", "CHECK",
                          "COMMENT ON COLUMN T.A IS 'x'", "ALTER TABLE T ADD ", "CREATE INDEX I ON T (A)", "/"};
  std::mt19937 rng(7);
  size_t sawColumns = 0;
  for (int round = 0; round < 3000; ++round) {
    std::string text = round % 4 ? "CREATE TABLE T (\n" : "";
    for (int n = static_cast<int>(rng() % 80); n > 0; --n) text += pieces[rng() % std::size(pieces)];
    const ScriptDefinition def = ParseScriptText(text);
    for (const auto& column : def.columns) {
      EXPECT_EQ(column.definition.name.find_first_of(" \t\r\n"), std::string::npos) << text;
      EXPECT_EQ(column.definition.typeWord.find_first_of(" \t\r\n"), std::string::npos) << text;
      EXPECT_EQ(column.definition.comment.find_first_of(" \t\r\n"), std::string::npos) << text;
    }
    for (const auto& entry : def.keyEntries) EXPECT_NE(entry.find(','), std::string::npos) << text;
    sawColumns += def.columns.size();
  }
  EXPECT_GT(sawColumns, 1000u);  // the mix does reach the column list
}
