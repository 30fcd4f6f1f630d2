#include "sqleditor/sqlreformat.h"

#include <gtest/gtest.h>

#include "cp932.h"

namespace {

using korvel::sqleditor::reformatSql;
using Lines = std::vector<std::string>;

TEST(SqlReformat, LongLineSplitsBeforeTheFirstListedKeywordOnly) {
  const std::string line = "SELECT A, B FROM T WHERE X = 1 AND Y = 2 ORDER BY A, B, C, D";
  ASSERT_GT(line.size(), 55u);
  EXPECT_EQ(reformatSql({line}, false),
            (Lines{"SELECT A, B ", "FROM T WHERE X = 1 AND Y = 2 ORDER BY A, B, C, D"}));
}

TEST(SqlReformat, KeywordPriorityBeatsTheLeftmostKeyword) {
  const std::string line = "SELECT X AND Y OR Z FROM TABLE_NAME_THAT_IS_LONG WHERE A = 1";
  const Lines out = reformatSql({line}, false);
  ASSERT_GE(out.size(), 2u);
  EXPECT_EQ(out[0], "SELECT X AND Y OR Z ");  // before FROM, not before AND
  EXPECT_EQ(out[1], "FROM TABLE_NAME_THAT_IS_LONG WHERE A = 1");
}

TEST(SqlReformat, ShortLinesStayAndEmptyLinesGo) {
  EXPECT_EQ(reformatSql({"SELECT A, B FROM T", "", " FROM X"}, false),
            (Lines{"SELECT A, B FROM T", " FROM X"}));
}

TEST(SqlReformat, LongListWithoutKeywordsSplitsAtCommasFromByte55) {
  std::string line;
  for (int i = 0; i < 20; ++i) line += "COL" + std::to_string(10 + i) + ",";
  line += "LAST";  // 20 * 6 + 4 = 124 bytes
  const Lines out = reformatSql({line}, false);
  // First comma at or after byte 55 is byte 60; then the rest (64 bytes) once more.
  EXPECT_EQ(out, (Lines{line.substr(0, 60), line.substr(60, 60), line.substr(120)}));
}

TEST(SqlReformat, ACommaAsTheLastByteDoesNotSplit) {
  const std::string line = std::string(60, 'A') + ",";
  EXPECT_EQ(reformatSql({line}, false), (Lines{line}));
  EXPECT_EQ(reformatSql({"A,"}, true), (Lines{"A,"}));
}

TEST(SqlReformat, CommaOptionSplitsEveryKeywordAndComma) {
  EXPECT_EQ(reformatSql({"SELECT A,B FROM T WHERE X=1 AND Y=2"}, true),
            (Lines{"SELECT A,", "B ", "FROM T ", "WHERE X=1 ", "AND Y=2"}));
}

TEST(SqlReformat, KeywordsAndCommasInsideLiteralsAndQuotedNamesAreNoBreakPoints) {
  const std::string line =
      "SELECT 'X FROM Y AND Z' AS NOTE, CODE FROM ITEMS WHERE NAME = 'A,B' AND CODE = 1";
  const Lines once = reformatSql({line}, false);
  EXPECT_EQ(once, (Lines{"SELECT 'X FROM Y AND Z' AS NOTE, CODE ",
                         "FROM ITEMS WHERE NAME = 'A,B' AND CODE = 1"}));
  EXPECT_EQ(reformatSql(once, false), once);

  const Lines commas = reformatSql(
      {"SELECT 'A,B', \"C,D (E)\" FROM T WHERE X = 'P AND Q' OR Y = 'IT''S, (OK)'"}, true);
  EXPECT_EQ(commas, (Lines{"SELECT 'A,B',", " \"C,D (E)\" ", "FROM T ", "WHERE X = 'P AND Q' ",
                           "OR Y = 'IT''S, (OK)'"}));
  EXPECT_EQ(reformatSql(commas, true), commas);

  // A long literal with commas past byte 55 stays whole; the comma after it breaks.
  const std::string list = "VALUES ('" + std::string(50, 'A') + ", B, C', 2, 3)";
  EXPECT_EQ(reformatSql({list}, false),
            (Lines{"VALUES ", "('" + std::string(50, 'A') + ", B, C',", " 2, 3)"}));
}

TEST(SqlReformat, DoubleByteTextIsNeverCut) {
  const std::string line =
      sj("SELECT 社員番号, 社員氏名, 所属部署名称, 入社年月日 FROM 社員マスタ WHERE 在籍区分 = 1");
  const Lines out = reformatSql({line}, false);
  std::string joined;
  for (const auto& part : out) {
    joined += part;
    EXPECT_FALSE(korvel::fromCp932(part).contains(QChar(0xFFFD)));
  }
  EXPECT_EQ(joined, line);
  EXPECT_GT(out.size(), 1u);
}

TEST(SqlReformat, ReformattingTwiceGivesTheSameAsOnce) {
  const Lines inputs[] = {
      {"SELECT A, B FROM T WHERE X = 1 AND Y = 2 ORDER BY A, B, C, D"},
      {"SELECT EMPNO, ENAME, JOB, MGR, HIREDATE, SAL, COMM, DEPTNO, LOC, DNAME, GRADE "
       "FROM EMP E, DEPT D WHERE E.DEPTNO = D.DEPTNO AND (E.SAL > 1000 OR E.COMM IS NULL) "
       "GROUP BY EMPNO, ENAME"},
      {"", "  SELECT 1 FROM DUAL  ", std::string(80, 'Q')},
  };
  for (bool commas : {false, true}) {
    for (const Lines& input : inputs) {
      const Lines once = reformatSql(input, commas);
      EXPECT_EQ(reformatSql(once, commas), once);
    }
  }
}

}  // namespace
