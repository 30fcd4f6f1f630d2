#pragma once
// Shared set-up for the engine tests: an alias file in a temporary folder,
// the application object Qt SQL and the views need, and the PostgreSQL test
// server from KORVEL_TEST_PG.

#include <gtest/gtest.h>

#include <QApplication>
#include <QMap>
#include <QString>
#include <QTemporaryDir>
#include <ostream>

#include "db/engine.h"

// Readable QString values in failure messages.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace korvel::db::test {

inline void ensureApplication() {
  if (QCoreApplication::instance()) return;
  static int argc = 1;
  static char name[] = "test_db";
  static char* argv[] = {name, nullptr};
  new QApplication(argc, argv);
}

// A temporary folder holding the alias file (KORVEL_ALIASES) and the data
// and configuration folders; the engine reads it afresh.
class EngineFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ensureApplication();
    ASSERT_TRUE(dir_.isValid());
    qputenv("XDG_DATA_HOME", dir_.filePath(QStringLiteral("data")).toUtf8());
    qputenv("XDG_CONFIG_HOME", dir_.filePath(QStringLiteral("config")).toUtf8());
    qputenv("KORVEL_ALIASES", aliasPath().toUtf8());
  }
  void TearDown() override { Engine::instance().closeConnections(); }

  QString path(const QString& name) const { return dir_.filePath(name); }
  QString aliasPath() const { return dir_.filePath(QStringLiteral("aliases.ini")); }
  // Writes the alias file (UTF-8 text is fine for ASCII content) and loads it.
  QStringList writeAliases(const QString& text);
  // An alias SQLITE on a new database file holding `statements`.
  QString sqliteAlias(const QStringList& statements, const QString& name = QStringLiteral("LITE"));

  QTemporaryDir dir_;
};

// "host=... port=... dbname=... user=..." of the test server, or empty.
QString pgConnectionString();
QMap<QString, QString> pgParameters();
// Alias file lines for a PostgreSQL and an ODBC alias on the test server.
QString pgAliasSection(const QString& alias);
QString odbcAliasSection(const QString& alias);

}  // namespace korvel::db::test

// Skips (locally) or fails (under CI=true) a test that needs the server.
#define KORVEL_REQUIRE_PG()                                                        \
  do {                                                                             \
    if (::korvel::db::test::pgConnectionString().isEmpty()) {                      \
      if (qgetenv("CI") == "true") FAIL() << "KORVEL_TEST_PG is not set under CI"; \
      GTEST_SKIP() << "KORVEL_TEST_PG is not set: PostgreSQL tests skipped";       \
    }                                                                              \
  } while (0)
