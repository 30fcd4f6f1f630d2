// The top-level look at SELECT statements that decides liveness and the
// COUNT(*) column name.

#include <gtest/gtest.h>

#include "db/sqlshape.h"

namespace korvel::db {
namespace {

TEST(SqlShape, SingleTableSelects) {
  const SelectShape s = analyzeSelect(QStringLiteral(
      "SELECT a, \"B c\", t.d, f(x, y) AS z FROM sch.tab t WHERE a IN (SELECT a FROM o, p) AND b = 'x, GROUP BY' ORDER BY a, b"));
  EXPECT_TRUE(s.isSelect);
  EXPECT_TRUE(s.singleTable) << s.notLocatable.toStdString();
  EXPECT_EQ(s.table, QStringLiteral("sch.tab"));
  EXPECT_EQ(s.tableRef, QStringLiteral("t"));
  ASSERT_EQ(s.items.size(), 4);
  EXPECT_EQ(plainColumn(s.items[1]), QStringLiteral("B c"));
  EXPECT_EQ(plainColumn(s.items[2]), QStringLiteral("d"));
  EXPECT_EQ(plainColumn(s.items[3]), QString());
  EXPECT_EQ(analyzeSelect(QStringLiteral("select * from EMP where x = 1")).tableRef, QStringLiteral("EMP"));
}

TEST(SqlShape, ResultsWhoseRowsCannotBeLocated) {
  for (const char* sql : {"SELECT a FROM t1 JOIN t2 ON t1.a = t2.a", "SELECT a FROM t1, t2",
                          "SELECT a FROM t GROUP BY a", "SELECT DISTINCT a FROM t",
                          "SELECT count(*) FROM t", "SELECT a FROM t UNION SELECT b FROM u",
                          "SELECT a FROM (SELECT a FROM t) q", "WITH q AS (SELECT 1) SELECT * FROM q",
                          "UPDATE t SET a = 1", "SELECT 1"}) {
    const SelectShape s = analyzeSelect(QString::fromLatin1(sql));
    EXPECT_FALSE(s.singleTable) << sql;
    if (!s.singleTable) {
      EXPECT_FALSE(s.notLocatable.isEmpty()) << sql;
    }
  }
  EXPECT_FALSE(analyzeSelect(QStringLiteral("UPDATE t SET a = 1")).isSelect);
  EXPECT_TRUE(analyzeSelect(QStringLiteral("WITH q AS (SELECT 1) SELECT * FROM q")).isSelect);
}

TEST(SqlShape, CountStarAndStatementTrimming) {
  EXPECT_TRUE(isCountStar(QStringLiteral("count( * )")));
  EXPECT_FALSE(isCountStar(QStringLiteral("COUNT(a)")));
  EXPECT_EQ(trimStatement(QStringLiteral("  SELECT 1 ;; \n")), QStringLiteral("SELECT 1"));
}

}  // namespace
}  // namespace korvel::db
