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
  EXPECT_EQ(s.table, (TableName{QStringLiteral("sch"), QStringLiteral("tab")}));
  EXPECT_EQ(s.tableRef, QStringList{QStringLiteral("t")});
  ASSERT_EQ(s.items.size(), 4);
  EXPECT_EQ(plainColumn(s.items[1]), QStringLiteral("B c"));
  EXPECT_EQ(plainColumn(s.items[2]), QStringLiteral("d"));
  EXPECT_EQ(plainColumn(s.items[3]), QString());
  EXPECT_EQ(analyzeSelect(QStringLiteral("select * from EMP where x = 1")).tableRef, QStringList{QStringLiteral("EMP")});
}

// A quoted name is one name whatever it holds: doubled quotes, dots,
// keywords, comment marks.
TEST(SqlShape, QuotedNamesAreOneNameEach) {
  const SelectShape s = analyzeSelect(QStringLiteral(
      R"(SELECT "a""b", "x.y" FROM "s.t"."""x"" ; DROP TABLE victim; --" WHERE 1 = 1)"));
  EXPECT_TRUE(s.singleTable) << s.notLocatable.toStdString();
  EXPECT_EQ(s.table, (TableName{QStringLiteral("s.t"), QStringLiteral("\"x\" ; DROP TABLE victim; --")}));
  EXPECT_EQ(s.tableRef, (QStringList{QStringLiteral("s.t"), QStringLiteral("\"x\" ; DROP TABLE victim; --")}));
  EXPECT_EQ(plainColumn(s.items[0]), QStringLiteral("a\"b"));
  EXPECT_EQ(plainColumn(s.items[1]), QStringLiteral("x.y"));
  const SelectShape keyword = analyzeSelect(QStringLiteral(R"(SELECT * FROM "UNION" "WHERE")"));
  EXPECT_TRUE(keyword.singleTable) << keyword.notLocatable.toStdString();
  EXPECT_EQ(keyword.table.name, QStringLiteral("UNION"));
  EXPECT_EQ(keyword.tableRef, QStringList{QStringLiteral("WHERE")});
}

TEST(Identifiers, QuotedByWrappingAndDoublingTheQuote) {
  EXPECT_EQ(quoteIdentifier(u'"', QStringLiteral(R"("x" ; DROP TABLE victim; --)")),
            QStringLiteral(R"("""x"" ; DROP TABLE victim; --")"));
  EXPECT_EQ(quoteIdentifier(u'"', QStringLiteral("\"q")), QStringLiteral(R"("""q")"));
  EXPECT_EQ(quoteIdentifier(u'`', QStringLiteral("a`b\"c")), QStringLiteral("`a``b\"c`"));
  EXPECT_EQ(quoteTableName(u'"', {QStringLiteral("s"), QStringLiteral("a.b")}), QStringLiteral(R"("s"."a.b")"));
  EXPECT_EQ(quoteTableName(u'"', {QString(), QStringLiteral("a[x]")}), QStringLiteral(R"("a[x]")"));
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
