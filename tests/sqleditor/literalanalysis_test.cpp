#include "sqleditor/literalanalysis.h"

#include <gtest/gtest.h>

#include "cp932.h"

namespace {

using korvel::sqleditor::analyseLiteralSql;
using Lines = std::vector<std::string>;

TEST(LiteralAnalysis, LiteralsJoinAndCommentsAndStatementEndsAreCut) {
  const auto result = analyseLiteralSql({"'SELECT * FROM EMP' + // all", "'WHERE ID = ' + X;"});
  EXPECT_EQ(result.lines, (Lines{" SELECT * FROM EMP", " WHERE ID =  X"}));
}

TEST(LiteralAnalysis, EmptyLinesDoubledQuotesAndUpperCase) {
  const auto result = analyseLiteralSql({"", "'IT''S'", "'where name = ''x'''", "   "});
  EXPECT_EQ(result.lines, (Lines{" ---", " IT'S", " WHERE NAME = 'X'"}));
}

TEST(LiteralAnalysis, CutsAtTheFirstSemicolonEvenInsideALiteral) {
  const auto result = analyseLiteralSql({"'SELECT 1' + ' FROM DUAL'; // done", "'A' + B; 'C'"});
  EXPECT_EQ(result.lines, (Lines{" SELECT 1  FROM DUAL", " A B"}));
}

TEST(LiteralAnalysis, HeaderLinesSetAliasAndTableAndProduceNoOutput) {
  const auto result =
      analyseLiteralSql({"//[DataSource]ora1", "//[TableName]", "'SELECT 1'", "//[TableName]emp"});
  EXPECT_EQ(result.lines, (Lines{" SELECT 1"}));
  ASSERT_TRUE(result.alias);
  EXPECT_EQ(*result.alias, "ORA1");
  ASSERT_TRUE(result.tableName);  // the empty header was ignored, the later one counts
  EXPECT_EQ(*result.tableName, "EMP");

  const auto bare = analyseLiteralSql({"//[DataSource"});  // no "]": the whole line
  ASSERT_TRUE(bare.alias);
  EXPECT_EQ(*bare.alias, "//[DATASOURCE");
  EXPECT_TRUE(bare.lines.empty());

  const auto none = analyseLiteralSql({"//[Other]x", "'SELECT 2'"});
  EXPECT_FALSE(none.alias);
  EXPECT_FALSE(none.tableName);
  EXPECT_EQ(none.lines, (Lines{" SELECT 2"}));
}

TEST(LiteralAnalysis, HeaderValueIsCutTo512BytesWithoutSplittingACharacter) {
  const std::string longName = std::string(511, 'A') + sj("表");
  const auto result = analyseLiteralSql({"//[TableName]" + longName});
  ASSERT_TRUE(result.tableName);
  EXPECT_EQ(result.tableName->size(), 512u);
  EXPECT_EQ(*result.tableName, std::string(511, 'A') + " ");
}

TEST(LiteralAnalysis, RoutineCallsBecomeTheLiteralTheyReturn) {
  const auto result = analyseLiteralSql({
      "'WHERE HIREDATE >= ' + Qz_OraSqlAddSepa(CnsOraDate, '2024/04/01') + ...;",
      "'AND NAME = ' + QZ_ACCSQLADDSEPA( cnsOraChar , 'O''Neil' )",
      "'AND CODE = ' + Qz_ParaSqlAddSepa(CnsOraChar, 'ab')",
      "'AND N = ' + Qz_OraSqlAddSepa(CnsOraNum, '1,234')",
  });
  EXPECT_EQ(result.lines, (Lines{
                              " WHERE HIREDATE >=  TO_DATE( '2024/04/01', 'YYYY/MM/DD' ) ...",
                              " AND NAME =  'O''NEIL'",
                              " AND CODE =  'AB'",
                              " AND N =  1234",
                          }));
}

TEST(LiteralAnalysis, TextAfterACallIsKeptUpTo128Bytes) {
  const auto result =
      analyseLiteralSql({"Qz_OraSqlAddSepa(CnsOraNum, '5') + " + std::string(200, 'Y')});
  ASSERT_EQ(result.lines.size(), 1u);
  // The 128 bytes after ")" are " + " and 125 Y.
  EXPECT_EQ(result.lines[0], " 5 " + std::string(125, 'Y'));
}

TEST(LiteralAnalysis, ACallWithoutItsPunctuationDoesNotFail) {
  const auto result = analyseLiteralSql({"Qz_OraSqlAddSepa", "x Qz_AccSqlAddSepa(y"});
  EXPECT_EQ(result.lines.size(), 2u);
}

TEST(LiteralAnalysis, TypeConstantsMapToTypeCodes) {
  using korvel::sqleditor::typeCodeOfConstant;
  EXPECT_EQ(typeCodeOfConstant("CnsOraBool"), "BL");
  EXPECT_EQ(typeCodeOfConstant("CnsOraDate"), "DA");
  EXPECT_EQ(typeCodeOfConstant("CNSORADATETIME"), "DT");
  EXPECT_EQ(typeCodeOfConstant("cnsoratime"), "TI");
  EXPECT_EQ(typeCodeOfConstant("CnsOraChar"), "CH");
  EXPECT_EQ(typeCodeOfConstant("CnsOraNum"), "NU");
  EXPECT_EQ(typeCodeOfConstant(""), "NU");
}

// A statement as a program builds it, pasted from the first quote after ":=".
TEST(LiteralAnalysis, RealWorldSourceWithEveryRoutineAndTypeConstant) {
  const auto result = analyseLiteralSql(sjLines({
      "//[DataSource]Ora_Prod",
      "'SELECT EMPNO, ENAME, HIREDATE FROM EMP ' +   // 社員の一覧",
      "'WHERE HIREDATE >= ' + Qz_OraSqlAddSepa(CnsOraDate, '2024/04/01') +",
      "'  AND UPDATED < ' + Qz_OraSqlAddSepa(CnsOraDateTime, '2024/04/01 10:30:00') +",
      "'  AND START_AT = ' + Qz_OraSqlAddSepa(CnsOraTime, '10:30:00') +",
      "'  AND ENAME = ' + Qz_AccSqlAddSepa(CnsOraChar, 'O''Neil') +",
      "'  AND ACTIVE = ' + Qz_OraSqlAddSepa(CnsOraBool, 'y') +",
      "'  AND SAL > ' + Qz_ParaSqlAddSepa(CnsOraNum, '1,234') +",
      "'  AND DEPT = ' + Qz_ParaSqlAddSepa(cnsOraChar, '営業') +",
      "'  AND LOGIN = ' + Qz_AccSqlAddSepa(CnsOraDate, '2024/4/1') +",
      "'  ORDER BY EMPNO';  // 終わり",
  }));
  EXPECT_EQ(result.lines, sjLines({
                              " SELECT EMPNO, ENAME, HIREDATE FROM EMP ",
                              " WHERE HIREDATE >=  TO_DATE( '2024/04/01', 'YYYY/MM/DD' )",
                              "   AND UPDATED <  TO_DATE( '2024/04/01 10:30:00', 'YYYY/MM/DD HH24:MI:SS' )",
                              "   AND START_AT =  TO_DATE( '10:30:00', 'HH24:MI:SS' )",
                              "   AND ENAME =  'O''NEIL'",
                              "   AND ACTIVE =  1",
                              "   AND SAL >  1234",
                              "   AND DEPT =  '営業'",
                              "   AND LOGIN =  #2024/04/01#",
                              "   ORDER BY EMPNO",
                          }));
  ASSERT_TRUE(result.alias);
  EXPECT_EQ(*result.alias, "ORA_PROD");
}

}  // namespace
