#pragma once
// A copy window over aliases in a temporary folder, which is also the
// current directory (the error log is written there), with the scripted
// prompt. SQLite aliases SRC and DST, the Paradox directory alias FILES; PG
// and ODBCPG (the same server through ODBC) when KORVEL_TEST_PG names a server.

#include <gtest/gtest.h>

#include <QDir>
#include <QSqlQuery>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <ostream>

#include "../db/dbtestenv.h"
#include "copydb/formcopydb.h"
#include "ui/scriptedprompt.h"

class CopyWindowTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  QString path(const QString& name) const { return dir_.filePath(name); }
  // SQLite databases SRC (src.sqlite) and DST (dst.sqlite), the directory
  // FILES (tables/), with the server aliases when asked; the alias file is
  // written and loaded. withDemo: the DEMO database as alias DEMO.
  void writeAliases(bool withServer = false, bool withDemo = false);
  // Runs statements on an alias's connection; fails the test on an error.
  void exec(const QString& alias, const QStringList& statements);
  // Every row of a query, each value as text ("NULL" for NULL), joined by "|".
  QStringList rows(const QString& alias, const QString& sql);
  qint64 count(const QString& alias, const QString& table);
  // SQLite table `name` on the alias with ids 1..n (NAME "n<id>").
  void numbered(const QString& alias, const QString& name, int n);

  // Creates the window as the program does.
  TFormCopyDB* open();
  // Chooses the aliases and tables as the operator would.
  void choose(const QString& sourceAlias, const QString& sourceTable, const QString& destinationAlias,
              const QString& destinationTable);
  // Shows the window and has the operator press 中断 as soon as progress
  // shows; the press is a mouse click the copy takes with its other messages.
  void abortOnFirstProgress();
  // The error log's lines.
  QStringList logLines() const;
  QStringList memoLines() const;

  korvel::ScriptedPrompt prompt;
  std::unique_ptr<TFormCopyDB> form;

 private:
  QTemporaryDir dir_;
  QString previousDir_;
};

#define REQUIRE_SERVER()                                                                 \
  do {                                                                                   \
    if (qEnvironmentVariableIsEmpty("KORVEL_TEST_PG")) {                                 \
      if (qgetenv("CI") == "true") FAIL() << "KORVEL_TEST_PG is not set under CI";       \
      GTEST_SKIP() << "KORVEL_TEST_PG is not set: PostgreSQL tests skipped";             \
    }                                                                                    \
  } while (0)
