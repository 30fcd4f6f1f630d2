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

TEST(LiteralAnalysis, CommentsAndStatementEndsAreCutOnlyOutsideLiterals) {
  const auto result = analyseLiteralSql({
      "'SELECT 1' + ' FROM DUAL'; // done",
      "'A' + B; 'C'",
      "'WHERE URL LIKE ''HTTP://%'' ORDER BY 1' + // note",
      "'AND NOTE = ''A;B''' + ';' ; X",
      "'//' // ';'",
  });
  EXPECT_EQ(result.lines, (Lines{" SELECT 1  FROM DUAL", " A B",
                                 " WHERE URL LIKE 'HTTP://%' ORDER BY 1",
                                 " AND NOTE = 'A;B' ;", " //"}));
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

TEST(LiteralAnalysis, TheWholeTextAfterACallIsKept) {
  const std::string tail =
      " AND DEPTNO IN (10, 20, 30, 40, 50, 60, 70, 80, 90) AND SAL BETWEEN 1000 AND 5000"
      " AND COMM IS NOT NULL ORDER BY HIREDATE, EMPNO, ENAME";
  ASSERT_GT(tail.size(), 128u);
  const auto result = analyseLiteralSql(
      {"'WHERE HIREDATE >= ' + Qz_OraSqlAddSepa(CnsOraDate, '2024/04/01') + '" + tail + "'"});
  EXPECT_EQ(result.lines,
            (Lines{" WHERE HIREDATE >=  TO_DATE( '2024/04/01', 'YYYY/MM/DD' ) " + tail}));
}

TEST(LiteralAnalysis, EveryCallOnALineIsExpanded) {
  const auto result = analyseLiteralSql({
      "'WHERE D BETWEEN ' + Qz_OraSqlAddSepa(CnsOraDate, '2024/04/01') + ' AND ' + "
      "Qz_OraSqlAddSepa(CnsOraDate, '2024/04/30') + ' AND K IN (' + "
      "Qz_AccSqlAddSepa(CnsOraChar, 'a') + ',' + Qz_AccSqlAddSepa(CnsOraChar, 'b') + ')'",
  });
  EXPECT_EQ(result.lines,
            (Lines{" WHERE D BETWEEN  TO_DATE( '2024/04/01', 'YYYY/MM/DD' )  AND "
                   " TO_DATE( '2024/04/30', 'YYYY/MM/DD' )  AND K IN ( 'A' , 'B' )"}));
}

TEST(LiteralAnalysis, CallsAreFoundOnlyOutsideLiteralsAndTheirArgumentsMayHoldPunctuation) {
  const auto result = analyseLiteralSql({
      "'SELECT ''Qz_OraSqlAddSepa(A, B)'' FROM DUAL'",
      "'WHERE NAME = ' + Qz_OraSqlAddSepa(CnsOraChar, 'Smith (Jr), John; // x')",
      // The literal a call returns names a routine: it is not expanded again.
      "Qz_OraSqlAddSepa(CnsOraChar, 'Qz_OraSqlAddSepa(CnsOraNum, 1)') + Qz_OraSqlAddSepa(X, 2)",
  });
  EXPECT_EQ(result.lines, (Lines{
                              " SELECT 'QZ_ORASQLADDSEPA(A, B)' FROM DUAL",
                              " WHERE NAME =  'SMITH (JR), JOHN; // X'",
                              " 'QZ_ORASQLADDSEPA(CNSORANUM, 1)' 2",
                          }));
}

TEST(LiteralAnalysis, ARoutineNameIsNeverMatchedFromATrailByte) {
  // "＿" is 0x81 0x51: its trail byte reads as "Q".
  const auto result = analyseLiteralSql(sjLines({"'名' + ＿Z_OraSqlAddSepa(CnsOraNum, 1)"}));
  EXPECT_EQ(result.lines, sjLines({" 名 ＿Z_ORASQLADDSEPA(CNSORANUM, 1)"}));
}

TEST(LiteralAnalysis, ACallWithoutItsPunctuationIsLeftAsItStands) {
  const auto result =
      analyseLiteralSql({"Qz_OraSqlAddSepa", "x Qz_AccSqlAddSepa(y", "Qz_OraSqlAddSepa(a, 1"});
  EXPECT_EQ(result.lines, (Lines{" QZ_ORASQLADDSEPA", " X QZ_ACCSQLADDSEPA(Y",
                                 " QZ_ORASQLADDSEPA(A, 1"}));
}

TEST(LiteralAnalysis, ATimeTheRoutineCannotReadStopsTheAnalysisAtItsLine) {
  const auto time = analyseLiteralSql(
      {"//[DataSource]ora1", "'SELECT 1'", "'WHERE T = ' + Qz_OraSqlAddSepa(CnsOraTime, '25:99')"});
  ASSERT_TRUE(time.failure);
  EXPECT_EQ(time.failure->line, 3);
  EXPECT_NE(time.failure->message.find("25:99"), std::string::npos) << time.failure->message;
  EXPECT_TRUE(time.lines.empty());
  EXPECT_FALSE(time.alias);

  const auto stamp = analyseLiteralSql(
      {"'WHERE T = ' + Qz_AccSqlAddSepa(CnsOraDateTime, '2024/04/01 24:00:00')"});
  ASSERT_TRUE(stamp.failure);
  EXPECT_EQ(stamp.failure->line, 1);
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
