// The line splitters of definition scripts.
#include <gtest/gtest.h>

#include "../common/sjis.h"
#include "tablemake/scriptsplit.h"
#include "tablemake/typewords.h"

using namespace korvel;

TEST(SplitColumnDefinition, NameTypeDigitsDecimalsConstraintAndComment) {
  const ColumnDefinition c = SplitColumnDefinition(sj("ID NUMBER(10,2) NOT NULL, -- 社員 番号"));
  EXPECT_EQ(c.name, "ID");
  EXPECT_EQ(c.typeWord, "NUMBER");
  EXPECT_EQ(c.digits, "10");
  EXPECT_EQ(c.decimals, "2");
  EXPECT_EQ(c.constraintText, "NOT NULL");
  EXPECT_EQ(c.comment, sj("社員番号"));
  EXPECT_EQ(c.typeText, "NUMBER(10,2) NOT NULL");

  const ColumnDefinition d = SplitColumnDefinition("DT DATE,");
  EXPECT_EQ(d.typeWord, "DATE");
  EXPECT_EQ(d.digits + d.decimals + d.constraintText + d.comment, "");
}

TEST(SplitColumnDefinition, TypeTextsPeopleWrite) {
  // Tabs between the parts, the constraint's tabs as blanks.
  const ColumnDefinition tabs = SplitColumnDefinition("\tENAME\t\tVARCHAR2(20)\tDEFAULT\t'A,B',");
  EXPECT_EQ(tabs.name, "ENAME");
  EXPECT_EQ(tabs.digits, "20");
  EXPECT_EQ(tabs.constraintText, "DEFAULT 'A,B'");
  // A length in bytes or characters is its number.
  EXPECT_EQ(SplitColumnDefinition("ENAME VARCHAR2(10 BYTE),").digits, "10");
  EXPECT_EQ(SplitColumnDefinition("ENAME VARCHAR2( 10 CHAR ),").digits, "10");
  // A check after the type does not reach digits or decimals.
  const ColumnDefinition check = SplitColumnDefinition("K NUMBER(3) CHECK (K IN (1,2)),");
  EXPECT_EQ(check.digits, "3");
  EXPECT_EQ(check.decimals, "");
  EXPECT_EQ(check.constraintText, "CHECK (K IN (1,2))");
  // A "(" further on is not the type's: DATE stays DATE.
  const ColumnDefinition later = SplitColumnDefinition("D DATE DEFAULT SYSDATE CHECK (D > 0),");
  EXPECT_EQ(later.typeWord, "DATE");
  EXPECT_EQ(later.constraintText, "DEFAULT SYSDATE CHECK (D > 0)");
  // A double-quoted name loses its quotes; a name never holds the comma.
  EXPECT_EQ(SplitColumnDefinition("\"EMPNO\" NUMBER(4),").name, "EMPNO");
  EXPECT_EQ(SplitColumnDefinition("EMPNO, -- x").name, "EMPNO");
  // Without comment mark and comma nothing of the type is lost.
  EXPECT_EQ(SplitColumnDefinition("HIREDATE DATE").typeWord, "DATE");
  // Double-byte names and comments pass whole.
  const ColumnDefinition kanji = SplitColumnDefinition(sj("社員名 VARCHAR2(10), -- 名前（漢字）"));
  EXPECT_EQ(kanji.name, sj("社員名"));
  EXPECT_EQ(kanji.comment, sj("名前（漢字）"));
}

TEST(SplitKeyDefinition, ColumnsAndTheConstraintsName) {
  const KeyDefinition key = SplitKeyDefinition("CONSTRAINT EMP_PK PRIMARY KEY (EMPNO, DEPTNO) -- key");
  EXPECT_TRUE(key.hasColumnList);
  EXPECT_EQ(key.keyColumns, "EMPNO; DEPTNO");
  EXPECT_EQ(key.namePart, "EMP_PK");
  EXPECT_EQ(KeyEntry(key), "EMP_PK,EMPNO; DEPTNO");
  // The form the script writer leaves for the user to complete.
  EXPECT_EQ(SplitKeyDefinition("CONSTRAINT T_PRIMARY_KEY PRIMARY KEY (  )").keyColumns, "  ");
  EXPECT_EQ(SplitKeyDefinition("CONSTRAINT \"PK_EMP\" PRIMARY KEY (\"EMPNO\")").namePart, "PK_EMP");
  EXPECT_EQ(SplitKeyDefinition("PRIMARY KEY (A)").namePart, "");
  for (const char* broken : {"CONSTRAINT PK PRIMARY KEY", "CONSTRAINT PK PRIMARY KEY (A", "CONSTRAINT PK ) ("}) {
    const KeyDefinition none = SplitKeyDefinition(broken);
    EXPECT_FALSE(none.hasColumnList) << broken;
    EXPECT_EQ(KeyEntry(none), ",") << broken;
  }
}

TEST(SplitColumnComment, NameTypeTextAndComment) {
  const ColumnComment c = SplitColumnComment(sj("  , SAL NUMBER(7,2) NOT NULL, -- 給与 額"));
  EXPECT_EQ(c.name, "SAL");
  EXPECT_EQ(c.typeText, "NUMBER(7,2) NOT NULL");
  EXPECT_EQ(c.comment, sj("給与額"));
  const ColumnComment none = SplitColumnComment("SAL NUMBER(7,2),");
  EXPECT_EQ(none.name + none.typeText + none.comment, "");
}

TEST(TypeWordTable, ExactCaseSensitiveWords) {
  EXPECT_EQ(LookupTypeWord("VARCHAR2"), TFieldType::ftString);
  EXPECT_EQ(LookupTypeWord("DATE"), TFieldType::ftDate);
  EXPECT_EQ(LookupTypeWord("TBlobField"), TFieldType::ftFmtMemo);
  EXPECT_EQ(LookupTypeWord("TAutoIncField"), TFieldType::ftAutoInc);
  for (const char* refused : {"CHAR", "NUMBER", "varchar2", "Date", "TSTRINGFIELD", ""})
    EXPECT_FALSE(LookupTypeWord(refused)) << refused;
}

TEST(FieldTypeOfWord, NumberSizesAndTypeWords) {
  using T = TFieldType;
  const auto type = [](const char* word, std::optional<int> digits, int decimals) {
    const auto choice = FieldTypeOfWord(word, digits, decimals);
    return choice ? std::make_pair(choice->type, choice->size) : std::make_pair(T::ftAutoInc, -1);
  };
  EXPECT_EQ(type("NUMBER", 9, 0), std::make_pair(T::ftInteger, 9));
  EXPECT_EQ(type("NUMBER", 10, 0), std::make_pair(T::ftCurrency, 10));
  EXPECT_EQ(type("NUMBER", 12, 0), std::make_pair(T::ftCurrency, 12));
  EXPECT_EQ(type("NUMBER", 14, 0), std::make_pair(T::ftCurrency, 14));
  EXPECT_EQ(type("NUMBER", 15, 0), std::make_pair(T::ftFloat, 15));
  EXPECT_EQ(type("NUMBER", 4, 2), std::make_pair(T::ftFloat, 4));
  EXPECT_EQ(type("NUMBER", 0, 0), std::make_pair(T::ftInteger, 0));  // a cell that is not a number
  EXPECT_EQ(type("NUMBER", std::nullopt, 0), std::make_pair(T::ftFloat, 0));  // any number, as Oracle's NUMBER
  EXPECT_EQ(type("VARCHAR2", 20, 0), std::make_pair(T::ftString, 20));
  EXPECT_EQ(type("DATE", 8, 0), std::make_pair(T::ftDate, 0));
  EXPECT_EQ(type("TDateTimeField", 8, 0), std::make_pair(T::ftDateTime, 8));
  EXPECT_EQ(type("CHAR", 1, 0).second, -1);
  EXPECT_EQ(type("number", 4, 0).second, -1);
}
