// The alias file: first start, malformed lines, bad aliases.

#include <QFile>
#include <QFileInfo>

#include "db/engine.h"
#include "db/query.h"
#include "db/table.h"
#include "dbtestenv.h"
#include "ui/scriptedprompt.h"

namespace korvel::db::test {
namespace {

using AliasTest = EngineFixture;

TEST_F(AliasTest, FirstStartWritesDemoAliasAndDatabase) {
  QFile::remove(aliasPath());
  const QStringList problems = Engine::instance().loadAliases();
  EXPECT_TRUE(problems.isEmpty()) << problems.join(u'\n').toStdString();
  ASSERT_TRUE(QFileInfo::exists(aliasPath()));
  EXPECT_EQ(Engine::instance().aliasNames(), QStringList{QStringLiteral("DEMO")});
  const QString demoPath = path(QStringLiteral("data/korvel/demo.sqlite"));
  EXPECT_EQ(Engine::instance().aliasParams(QStringLiteral("DEMO")),
            (QStringList{QStringLiteral("TYPE=SQLITE"), QStringLiteral("PATH=") + demoPath}));
  EXPECT_EQ(Engine::instance().tableNames(QStringLiteral("DEMO"), true, false),
            (QStringList{QStringLiteral("DEPT_LOG"), QStringLiteral("EMPLOYEE"), QStringLiteral("ITEM")}));
  EXPECT_TRUE(Engine::instance().tableNames(QStringLiteral("DEMO"), false, true).contains(QStringLiteral("sqlite_master")));

  Table items;
  items.setDatabaseName(QStringLiteral("DEMO"));
  items.setTableName(QStringLiteral("ITEM"));
  items.open();
  EXPECT_EQ(items.recordCount(), 1000);

  // A restart reads the file it wrote.
  Engine::instance().closeConnections();
  EXPECT_TRUE(Engine::instance().loadAliases().isEmpty());
  EXPECT_EQ(Engine::instance().aliasNames(), QStringList{QStringLiteral("DEMO")});
}

TEST_F(AliasTest, MalformedLinesAreNamedAndTheRestIsUsable) {
  const QString file = path(QStringLiteral("x.sqlite"));
  sqliteAlias({QStringLiteral("CREATE TABLE T (A INTEGER)")}, QStringLiteral("GOOD"));
  const QStringList problems = writeAliases(
      QStringLiteral("[GOOD]\nTYPE=SQLITE\nPATH=%1\nthis line is wrong\n[BROKEN\n[NOTYPE]\nPATH=/tmp\n")
          .arg(path(QStringLiteral("GOOD.sqlite"))));
  ASSERT_EQ(problems.size(), 3) << problems.join(u'\n').toStdString();
  EXPECT_TRUE(problems[0].contains(QStringLiteral("line 4"))) << problems[0].toStdString();
  EXPECT_TRUE(problems[1].contains(QStringLiteral("line 5"))) << problems[1].toStdString();
  EXPECT_TRUE(problems[2].contains(QStringLiteral("NOTYPE")));
  EXPECT_EQ(Engine::instance().tableNames(QStringLiteral("GOOD"), false, false), QStringList{QStringLiteral("T")});
}

TEST_F(AliasTest, AByteOrderMarkAndEveryLineEndAreAccepted) {
  const QByteArray file = path(QStringLiteral("x.sqlite")).toUtf8();
  sqliteAlias({QStringLiteral("CREATE TABLE T (A INTEGER)")}, QStringLiteral("x"));
  QFile ini(aliasPath());
  ASSERT_TRUE(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
  // UTF-8 with its mark; CR LF, then CR alone, then LF lines.
  ini.write("\xEF\xBB\xBF[FIRST]\r\nTYPE=SQLITE\r\nPATH=" + file + "\r\n\r\n[SECOND]\rTYPE=SQLITE\rPATH=" +
            file + "\r[\xE5\x90\x8D\xE5\x89\x8D]\nTYPE=SQLITE\nPATH=" + file + "\n");
  ini.close();
  const QStringList problems = Engine::instance().loadAliases();
  EXPECT_TRUE(problems.isEmpty()) << problems.join(u'\n').toStdString();
  EXPECT_EQ(Engine::instance().aliasNames(),
            (QStringList{QStringLiteral("FIRST"), QStringLiteral("SECOND"), QStringLiteral("名前")}));
  for (const QString& alias : Engine::instance().aliasNames())
    EXPECT_EQ(Engine::instance().tableNames(alias, false, false), QStringList{QStringLiteral("T")});
}

TEST_F(AliasTest, AnAliasDefinedTwiceIsReportedAndKeepsItsFirstDefinition) {
  const QString good = path(QStringLiteral("D.sqlite"));
  sqliteAlias({QStringLiteral("CREATE TABLE T (A INTEGER)")}, QStringLiteral("D"));
  // ア and ヂ differ only in a trail byte that looks like "A" against "a".
  const QStringList problems = writeAliases(
      QStringLiteral("[D]\nTYPE=SQLITE\nPATH=%1\n\n[d]\nTYPE=POSTGRESQL\nPORT=1\n"
                     "[ア]\nTYPE=SQLITE\nPATH=%1\nPATH=%1\n[ヂ]\nTYPE=SQLITE\nPATH=%1\n")
          .arg(good));
  ASSERT_EQ(problems.size(), 2) << problems.join(u'\n').toStdString();
  EXPECT_TRUE(problems[0].contains(QStringLiteral("line 5")) && problems[0].contains(QStringLiteral("line 1")) &&
              problems[0].contains(QStringLiteral(" d ")))
      << problems[0].toStdString();
  EXPECT_TRUE(problems[1].contains(QStringLiteral("line 11")) && problems[1].contains(QStringLiteral("PATH")))
      << problems[1].toStdString();
  EXPECT_EQ(Engine::instance().aliasNames(),
            (QStringList{QStringLiteral("D"), QStringLiteral("ア"), QStringLiteral("ヂ")}));
  EXPECT_EQ(Engine::instance().aliasParams(QStringLiteral("d")),
            (QStringList{QStringLiteral("TYPE=SQLITE"), QStringLiteral("PATH=") + good}));
  EXPECT_EQ(Engine::instance().tableNames(QStringLiteral("d"), false, false), QStringList{QStringLiteral("T")});
  EXPECT_EQ(Engine::instance().aliasParams(QStringLiteral("ヂ")).size(), 2);
}

TEST_F(AliasTest, MissingSqliteFileIsAnErrorAndNotCreated) {
  const QString missing = path(QStringLiteral("nothere.sqlite"));
  writeAliases(QStringLiteral("[GONE]\nTYPE=SQLITE\nPATH=%1\n").arg(missing));
  try {
    Engine::instance().tableNames(QStringLiteral("GONE"), false, false);
    FAIL() << "no error";
  } catch (const EngineError& e) {
    EXPECT_GE(e.count(), 2);
    EXPECT_TRUE(e.lastMessage().contains(missing)) << e.lastMessage().toStdString();
  }
  EXPECT_FALSE(QFileInfo::exists(missing));
}

TEST_F(AliasTest, NotADatabaseUnknownAliasAndUnknownType) {
  const QString junk = path(QStringLiteral("junk.sqlite"));
  QFile f(junk);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(QByteArray(4096, 'x'));
  f.close();
  writeAliases(QStringLiteral("[JUNK]\nTYPE=SQLITE\nPATH=%1\n[ODD]\nTYPE=DBASE\n").arg(junk));
  EXPECT_THROW(Engine::instance().tableNames(QStringLiteral("JUNK"), false, false), EngineError);
  EXPECT_THROW(Engine::instance().tableNames(QStringLiteral("NOSUCH"), false, false), EngineError);
  EXPECT_THROW(Engine::instance().tableNames(QStringLiteral("ODD"), false, false), EngineError);
  // The engine stays usable after the failures.
  EXPECT_THROW(Engine::instance().tableNames(QStringLiteral("JUNK"), false, false), EngineError);
}

TEST_F(AliasTest, CloseConnectionsClosesOpenDatasetsAndSeesNewTables) {
  const QString alias = sqliteAlias({QStringLiteral("CREATE TABLE A (X INTEGER)")});
  Table a;
  a.setDatabaseName(alias);
  a.setTableName(QStringLiteral("A"));
  a.open();
  Query ddl;
  ddl.setDatabaseName(alias);
  ddl.setSql(QStringLiteral("CREATE TABLE B (Y INTEGER)"));
  ddl.execSql();
  Engine::instance().closeConnections();
  EXPECT_FALSE(a.active());
  EXPECT_EQ(Engine::instance().tableNames(alias, false, false),
            (QStringList{QStringLiteral("A"), QStringLiteral("B")}));
}

}  // namespace
}  // namespace korvel::db::test
