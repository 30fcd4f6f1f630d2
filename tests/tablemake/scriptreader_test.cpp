// Script files as people keep them, read through the text-file reader, and
// the comment reader of the table information window.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "../common/sjis.h"
#include "common/codepage.h"
#include "tablemake/scriptreader.h"
#include "ui/scriptedprompt.h"

using namespace korvel;

namespace {

using Texts = std::vector<std::string>;

class ScriptFileTest : public ::testing::Test {
 protected:
  // Writes the UTF-8 text as CP932 with the given line break.
  QString write(const char* utf8, const char* lineBreak = "\r\n", const QString& name = "t.sql") {
    std::string bytes;
    for (char c : sj(utf8)) {
      if (c == '\n') bytes += lineBreak;
      else bytes += c;
    }
    const QString path = dir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
    return path;
  }

  QTemporaryDir dir;
  ScriptedPrompt prompt;
};

std::vector<std::string> names(const ScriptDefinition& def) {
  std::vector<std::string> out;
  for (const auto& c : def.columns) out.push_back(c.definition.name + ' ' + c.definition.typeWord + '(' +
                                                  c.definition.digits + ',' + c.definition.decimals + ')');
  return out;
}

// An export of Oracle SQL Developer: quoted names, tabs, BYTE lengths, the
// last column without comma, storage clauses, the key and the index as
// statements of their own, comments as COMMENT ON.
const char* kOracleExport =
    "--------------------------------------------------------\n"
    "--  DDL for Table EMP\n"
    "--------------------------------------------------------\n"
    "\n"
    "  CREATE TABLE \"SCOTT\".\"EMP\" \n"
    "   (\t\"EMPNO\" NUMBER(4,0), \n"
    "\t\"ENAME\" VARCHAR2(10 BYTE), \n"
    "\t\"HIREDATE\" DATE, \n"
    "\t\"SAL\" NUMBER(7,2), \n"
    "\t\"DEPTNO\" NUMBER(2,0)\n"
    "   ) SEGMENT CREATION IMMEDIATE \n"
    "  PCTFREE 10 PCTUSED 40 INITRANS 1 MAXTRANS 255 \n"
    " NOCOMPRESS LOGGING\n"
    "  STORAGE(INITIAL 65536 NEXT 1048576 MINEXTENTS 1 MAXEXTENTS 2147483645\n"
    "  PCTINCREASE 0 FREELISTS 1 FREELIST GROUPS 1\n"
    "  BUFFER_POOL DEFAULT FLASH_CACHE DEFAULT CELL_FLASH_CACHE DEFAULT)\n"
    "  TABLESPACE \"USERS\" ;\n"
    "\n"
    "   COMMENT ON COLUMN \"SCOTT\".\"EMP\".\"ENAME\" IS '社員 名';\n"
    "   COMMENT ON TABLE \"SCOTT\".\"EMP\"  IS '社員';\n"
    "--------------------------------------------------------\n"
    "--  DDL for Index PK_EMP\n"
    "--------------------------------------------------------\n"
    "\n"
    "  CREATE UNIQUE INDEX \"SCOTT\".\"PK_EMP\" ON \"SCOTT\".\"EMP\" (\"EMPNO\") \n"
    "  PCTFREE 10 INITRANS 2 MAXTRANS 255 COMPUTE STATISTICS \n"
    "  TABLESPACE \"USERS\" ;\n"
    "--------------------------------------------------------\n"
    "--  Constraints for Table EMP\n"
    "--------------------------------------------------------\n"
    "\n"
    "  ALTER TABLE \"SCOTT\".\"EMP\" ADD CONSTRAINT \"PK_EMP\" PRIMARY KEY (\"EMPNO\")\n"
    "  USING INDEX PCTFREE 10 INITRANS 2 MAXTRANS 255 COMPUTE STATISTICS \n"
    "  TABLESPACE \"USERS\"  ENABLE;\n"
    "  ALTER TABLE \"SCOTT\".\"EMP\" MODIFY (\"EMPNO\" NOT NULL ENABLE);\n";

// Hand-kept, lower case, comma first, comments with blanks, a sequence first.
const char* kHandKept =
    "-- 受注明細\n"
    "create sequence order_line_seq;\n"
    "\n"
    "create table sales.order_line\n"
    "(\n"
    "    order_no    number(10)       not null   -- 受注 番号\n"
    "  , line_no     number(3)        not null   -- 行番号\n"
    "  , item_cd     varchar2(20)                -- 品目コード\n"
    "  , qty         number(9,3)  default 0      -- 数量\n"
    "  , price       number(12,2)                -- 単価 (税抜, 円)\n"
    "  , memo        varchar2(200)\n"
    "  , constraint order_line_pk primary key (order_no, line_no)\n"
    ");\n"
    "create index order_line_item on sales.order_line (item_cd);\n";

}  // namespace

TEST_F(ScriptFileTest, OracleExportWithCrLfAndWithLf) {
  for (const char* lineBreak : {"\r\n", "\n"}) {
    int lines = 0;
    const auto def = ReadScriptDefinition(write(kOracleExport, lineBreak), [&](int result, int length) {
      EXPECT_EQ(result, 0);
      EXPECT_GE(length, 0);
      ++lines;
    });
    ASSERT_TRUE(def);
    EXPECT_EQ(lines, 35);
    EXPECT_EQ(def->tableName, "EMP");
    EXPECT_EQ(def->tableComment, sj("社員"));
    EXPECT_EQ(names(*def), (Texts{"EMPNO NUMBER(4,0)", "ENAME VARCHAR2(10,)", "HIREDATE DATE(,)", "SAL NUMBER(7,2)",
                                  "DEPTNO NUMBER(2,0)"}));
    EXPECT_EQ(def->columns[1].definition.comment, sj("社員名"));
    EXPECT_EQ(def->keyEntries, (Texts{"PK_EMP,EMPNO"}));
    EXPECT_EQ(def->unreadText, (Texts{"ALTER TABLE \"SCOTT\".\"EMP\" MODIFY (\"EMPNO\" NOT NULL ENABLE)"}));
    EXPECT_EQ(prompt.messageCount(), 0);
  }
}

TEST_F(ScriptFileTest, HandKeptScript) {
  const auto def = ReadScriptDefinition(write(kHandKept));
  ASSERT_TRUE(def);
  EXPECT_EQ(def->tableName, "ORDER_LINE");
  EXPECT_EQ(def->tableComment, sj("受注明細"));
  EXPECT_EQ(names(*def), (Texts{"ORDER_NO NUMBER(10,)", "LINE_NO NUMBER(3,)", "ITEM_CD VARCHAR2(20,)",
                                "QTY NUMBER(9,3)", "PRICE NUMBER(12,2)", "MEMO VARCHAR2(200,)"}));
  EXPECT_EQ(def->columns[0].definition.comment, sj("受注番号"));
  EXPECT_EQ(def->columns[0].definition.constraintText, "NOT NULL");
  EXPECT_EQ(def->columns[3].definition.constraintText, "DEFAULT 0");
  EXPECT_EQ(def->columns[4].definition.comment, sj("単価(税抜,円)"));
  EXPECT_EQ(def->columns[5].definition.comment, "");
  EXPECT_EQ(def->keyEntries, (Texts{"ORDER_LINE_PK,ORDER_NO; LINE_NO", "ORDER_LINE_ITEM,ITEM_CD"}));
  EXPECT_TRUE(def->unreadText.empty());
}

TEST_F(ScriptFileTest, MissingFileIsReportedByTheReader) {
  EXPECT_FALSE(ReadScriptDefinition(dir.filePath("none.sql")));
  EXPECT_EQ(prompt.messageCount(), 1);
  EXPECT_TRUE(prompt.lastMessage().startsWith(QStringLiteral("*E:ファイルが存在しません。")));
}

namespace {

// The table information window as the comment reader sees it.
struct FakeInfoWindow : CommentDefinitionTarget {
  QStringList statusTexts, indexLines, tables;
  QString comment, name, type = QStringLiteral("SQLITE");
  int shown = -1;
  QStringList gridNames;  // row 1 .. n
  std::map<int, QString> gridComments;

  void setStatusText(const QString& text) override { statusTexts << text; }
  void clearIndexList() override { indexLines.clear(); }
  void addIndexLine(const QString& line) override { indexLines << line; }
  QString tableComment() const override { return comment; }
  void setTableComment(const QString& c) override { comment = c; }
  void setTableName(const QString& n) override { name = n; }
  QString tableType() const override { return type; }
  QStringList tableNames() const override { return tables; }
  void showTable(int index) override {
    // Loading the table's information replaces the comment and the grid.
    shown = index;
    comment = QStringLiteral("from the table");
    gridNames = {QStringLiteral("EMPNO"), QStringLiteral("ename"), QStringLiteral("ENAME"), QString()};
  }
  int fieldRowCount() const override { return static_cast<int>(gridNames.size()); }
  QString fieldName(int row) const override { return gridNames.value(row - 1); }
  void setFieldComment(int row, const QString& c) override { gridComments[row] = c; }
};

const char* kCommentScript =
    "--tight comment\n"
    "-- 社員\n"
    "--tight again\n"
    "CREATE TABLE EMP (\n"
    "        EMPNO         NUMBER(4),  -- 社員番号\n"
    "        ENAME         VARCHAR2(10),  -- 社員 名\n"
    "        NOTE         VARCHAR2(10),\n"
    "CONSTRAINT EMP_PRIMARY_KEY PRIMARY KEY (  )\n"
    ");\n";

}  // namespace

TEST_F(ScriptFileTest, CommentReaderSetsTheCommentsOfTheTableShown) {
  FakeInfoWindow w;
  w.tables = {QStringLiteral("DEPT"), QStringLiteral("emp"), QStringLiteral("EMP")};
  w.indexLines = {QStringLiteral("old")};
  ASSERT_TRUE(LoadCommentDefinition(write(kCommentScript), w));
  EXPECT_EQ(w.shown, 1);                           // the first entry equal but for case
  EXPECT_EQ(w.comment, QStringLiteral("社員"));    // "-- " lines only; kept over the table's own
  EXPECT_EQ(w.gridComments, (std::map<int, QString>{{1, QStringLiteral("社員番号")}, {2, QStringLiteral("社員名")}}));
  EXPECT_EQ(w.indexLines, (QStringList{
                              QStringLiteral("        EMPNO         NUMBER(4),  -- 社員番号,EMPNO,NUMBER(4),社員番号"),
                              QStringLiteral("        ENAME         VARCHAR2(10),  -- 社員 名,ENAME,VARCHAR2(10),社員名"),
                              QStringLiteral("        NOTE         VARCHAR2(10),,NOTE,VARCHAR2(10),")}));
  EXPECT_EQ(w.statusTexts, (QStringList{QStringLiteral("SQL定義文読込中"), QString()}));
  EXPECT_EQ(prompt.messageCount(), 0);
}

TEST_F(ScriptFileTest, CommentReaderFindsParadoxTablesByTheirExtension) {
  FakeInfoWindow w;
  w.type = QStringLiteral("Paradox");
  w.tables = {QStringLiteral("DEPT.DB"), QStringLiteral("emp.db")};
  ASSERT_TRUE(LoadCommentDefinition(write(kCommentScript), w));
  EXPECT_EQ(w.shown, 1);
  EXPECT_EQ(w.name, QStringLiteral("EMP"));
  // Not a Paradox table type: the extension does not match.
  FakeInfoWindow other;
  other.tables = w.tables;
  EXPECT_FALSE(LoadCommentDefinition(write(kCommentScript), other));
  EXPECT_EQ(other.shown, -1);
  EXPECT_EQ(prompt.lastMessage(), QStringLiteral("*E:指定されたファイル(EMP)に対応するテーブルが存在しません。\r\n"
                                                 "　　予めテーブルを作成してから実行して下さい。"));
  EXPECT_EQ(other.comment, QStringLiteral("社員"));
  EXPECT_EQ(other.statusTexts.last(), QString());
}

TEST_F(ScriptFileTest, CommentReaderWithoutCreateTable) {
  FakeInfoWindow w;
  w.comment = QStringLiteral("before");
  EXPECT_FALSE(LoadCommentDefinition(write("-- only\nSELECT 1 FROM DUAL;\n"), w));
  EXPECT_EQ(prompt.lastMessage(), QStringLiteral("*E:指定されたファイルには CREATE TABLE 文がありません。\r\n"
                                                 "　　SQL文を確認して下さい。"));
  EXPECT_EQ(prompt.records.last().buttons, PromptYes);
  EXPECT_EQ(w.comment, QStringLiteral("ONLY"));
  EXPECT_TRUE(w.gridComments.empty());
}
