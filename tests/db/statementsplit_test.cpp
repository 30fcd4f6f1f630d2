// Splitting an editor script into the statements to run.

#include <gtest/gtest.h>

#include "db/statementsplit.h"
#include "dbtestenv.h"

using korvel::db::isTransactionControl;
using korvel::db::splitStatements;

namespace {

QStringList texts(const QString& script) {
  QStringList out;
  for (const auto& s : splitStatements(script)) out << s.text;
  return out;
}

TEST(StatementSplit, SemicolonsInsideQuotesCommentsAndDollarBodiesDoNotSplit) {
  const QString script = QStringLiteral(
      "INSERT INTO T VALUES ('a;b', \"x;y\");\n"
      "-- a comment; with a semicolon\n"
      "UPDATE T SET N = 'it''s; fine' /* ; */ WHERE K = 1;\n"
      "CREATE FUNCTION f() RETURNS int AS $body$ SELECT 1; $body$ LANGUAGE sql;\n"
      "SELECT $1, 'x' ;  ;\n"
      "DELETE FROM [a;b]");
  const auto statements = splitStatements(script);
  ASSERT_EQ(statements.size(), 5u);
  EXPECT_EQ(statements[0].text, "INSERT INTO T VALUES ('a;b', \"x;y\")");
  EXPECT_EQ(statements[0].line, 1);
  EXPECT_EQ(statements[1].text, "UPDATE T SET N = 'it''s; fine' /* ; */ WHERE K = 1");
  EXPECT_EQ(statements[1].line, 3);  // where its first token stands
  EXPECT_EQ(statements[2].text, "CREATE FUNCTION f() RETURNS int AS $body$ SELECT 1; $body$ LANGUAGE sql");
  EXPECT_EQ(statements[3].text, "SELECT $1, 'x'");
  EXPECT_EQ(statements[4].text, "DELETE FROM [a;b]");
  EXPECT_EQ(statements[4].line, 6);
}

TEST(StatementSplit, BlankAndCommentOnlyScriptsHoldNoStatement) {
  EXPECT_TRUE(texts(QStringLiteral("")).isEmpty());
  EXPECT_TRUE(texts(QStringLiteral(" ;\n; -- nothing\n/* */ ;")).isEmpty());
  EXPECT_EQ(texts(QStringLiteral("DELETE FROM T")), QStringList{"DELETE FROM T"});
  // An unclosed quote runs to the end rather than splitting inside it.
  EXPECT_EQ(texts(QStringLiteral("SELECT 'a;b")), QStringList{"SELECT 'a;b"});
}

TEST(StatementSplit, TriggerAndBlockBodiesKeepTheirSemicolons) {
  const QString trigger = QStringLiteral(
      "CREATE TRIGGER trg AFTER INSERT ON T BEGIN\n"
      "  UPDATE U SET n = CASE WHEN NEW.a > 0 THEN 1 ELSE 2 END;\n"
      "  DELETE FROM V;\n"
      "END;\n"
      "INSERT INTO T VALUES (1);");
  EXPECT_EQ(texts(trigger),
            (QStringList{"CREATE TRIGGER trg AFTER INSERT ON T BEGIN\n"
                         "  UPDATE U SET n = CASE WHEN NEW.a > 0 THEN 1 ELSE 2 END;\n"
                         "  DELETE FROM V;\n"
                         "END;",
                         "INSERT INTO T VALUES (1)"}));
  // An anonymous block with IF ... END IF inside.
  EXPECT_EQ(texts(QStringLiteral("BEGIN IF x THEN y; END IF; z; END;\nSELECT 1 FROM DUAL;")),
            (QStringList{"BEGIN IF x THEN y; END IF; z; END;", "SELECT 1 FROM DUAL"}));
  // A word BEGIN in an ordinary statement is no block.
  EXPECT_EQ(texts(QStringLiteral("SELECT begin FROM t; SELECT 2")), (QStringList{"SELECT begin FROM t", "SELECT 2"}));
  // A transaction's BEGIN is a statement of its own.
  EXPECT_EQ(texts(QStringLiteral("BEGIN; DELETE FROM T; COMMIT;")), (QStringList{"BEGIN", "DELETE FROM T", "COMMIT"}));
}

TEST(StatementSplit, DeclarationsRunToASlashLineOrTheEnd) {
  const QString script = QStringLiteral(
      "CREATE OR REPLACE PROCEDURE p IS\n"
      "  v NUMBER;\n"
      "BEGIN\n"
      "  v := 1;\n"
      "END;\n"
      "/\n"
      "DECLARE n NUMBER; BEGIN n := 2; END;\n"
      "  /  \n"
      "CREATE TYPE mood AS ENUM ('a', 'b');\n"
      "DELETE FROM T;");
  const auto statements = splitStatements(script);
  ASSERT_EQ(statements.size(), 4u);
  EXPECT_TRUE(statements[0].text.startsWith("CREATE OR REPLACE PROCEDURE p IS"));
  EXPECT_TRUE(statements[0].text.endsWith("END;"));
  EXPECT_EQ(statements[1].text, "DECLARE n NUMBER; BEGIN n := 2; END;");
  EXPECT_EQ(statements[1].line, 7);
  EXPECT_EQ(statements[2].text, "CREATE TYPE mood AS ENUM ('a', 'b')");
  EXPECT_EQ(statements[3].text, "DELETE FROM T");
  // Without a slash line the declarations run to the end of the script.
  EXPECT_EQ(texts(QStringLiteral("DECLARE n NUMBER; BEGIN NULL; END;\nSELECT 1 FROM DUAL;")).size(), 1);
}

TEST(StatementSplit, TransactionControlStatementsAreRecognised) {
  for (const char* s : {"BEGIN", "begin transaction", "BEGIN IMMEDIATE", "COMMIT", "rollback to x", "END",
                        "SAVEPOINT a", "RELEASE a", "START TRANSACTION", "VACUUM", "ATTACH 'x' AS y",
                        "PREPARE TRANSACTION 'x'", "  -- note\n  COMMIT"})
    EXPECT_TRUE(isTransactionControl(QString::fromUtf8(s))) << s;
  for (const char* s : {"BEGIN x := 1; END;", "DELETE FROM T", "PREPARE q AS SELECT 1", "SELECT 'COMMIT'",
                        "CREATE TABLE \"COMMIT\" (a int)"})
    EXPECT_FALSE(isTransactionControl(QString::fromUtf8(s))) << s;
}

}  // namespace
