// A copy ended by SIGKILL in the middle leaves the destination with the
// rows of a prefix of the source, each whole, and nothing else.

#include <signal.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QThread>

#include "copywindow_fixture.h"

namespace {

constexpr int kRows = 600000;

class CopyCrashTest : public CopyWindowTest, public ::testing::WithParamInterface<const char*> {
 protected:
  // The committed rows of the destination, read on a connection of its own.
  qint64 committed(const QString& alias, const QString& table) {
    korvel::db::Engine::instance().closeConnections();
    return count(alias, table);
  }
};

TEST_P(CopyCrashTest, AKilledCopyLeavesAConsistentPrefix) {
  const QString destination = QString::fromLatin1(GetParam());
  if (destination == u"PG") REQUIRE_SERVER();
  writeAliases(destination == u"PG");
  exec(QStringLiteral("SRC"),
       {QStringLiteral("CREATE TABLE crash_rows (id INTEGER PRIMARY KEY, name TEXT, stamp DATETIME, amount NUMERIC(12,2))"),
        QStringLiteral("WITH RECURSIVE k(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM k WHERE i < %1) "
                       "INSERT INTO crash_rows SELECT i, '名前' || i, datetime(1700000000 + i, 'unixepoch'), i / 4.0 FROM k")
            .arg(kRows)});
  const QString table = QStringLiteral("crash_rows");
  if (destination == u"PG")
    exec(QStringLiteral("PG"), {QStringLiteral("DROP TABLE IF EXISTS crash_rows"),
                                QStringLiteral("CREATE TABLE crash_rows (id INTEGER PRIMARY KEY, name TEXT, stamp TIMESTAMP, "
                                               "amount NUMERIC(12,2))")});
  else
    exec(QStringLiteral("DST"), {QStringLiteral("CREATE TABLE crash_rows (id INTEGER PRIMARY KEY, name TEXT, stamp DATETIME, "
                                                "amount NUMERIC(12,2))")});
  korvel::db::Engine::instance().closeConnections();

  QProcess child;
  child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  child.start(QStringLiteral(KORVEL_COPY_CHILD),
              {path(QString()), QStringLiteral("SRC"), table, destination, table});
  ASSERT_TRUE(child.waitForStarted());
  // Killed once some rows are committed, long before the copy can end.
  QElapsedTimer waited;
  waited.start();
  qint64 seen = 0;
  while (seen == 0 && waited.elapsed() < 60000 && child.state() == QProcess::Running) {
    QThread::msleep(50);
    seen = committed(destination, table);
  }
  ASSERT_EQ(child.state(), QProcess::Running) << "the copy ended before it could be killed";
  ::kill(static_cast<pid_t>(child.processId()), SIGKILL);
  child.waitForFinished();
  ASSERT_GT(seen, 0);

  const qint64 kept = committed(destination, table);
  EXPECT_GE(kept, seen);
  EXPECT_LT(kept, kRows);
  const QString check = destination == u"PG"
      ? QStringLiteral("SELECT COUNT(*), MIN(id), MAX(id), SUM(CASE WHEN name = '名前' || id AND "
                       "stamp = TIMESTAMP '1970-01-01' + (1700000000 + id) * INTERVAL '1 second' AND "
                       "amount = ROUND(id / 4.0, 2) THEN 1 ELSE 0 END) FROM crash_rows")
      : QStringLiteral("SELECT COUNT(*), MIN(id), MAX(id), SUM(name = '名前' || id AND "
                       "stamp = datetime(1700000000 + id, 'unixepoch') AND amount = id / 4.0) FROM crash_rows");
  EXPECT_EQ(rows(destination, check), QStringList{QStringLiteral("%1|1|%1|%1").arg(kept)});
  if (destination == u"PG") exec(QStringLiteral("PG"), {QStringLiteral("DROP TABLE crash_rows")});
}

INSTANTIATE_TEST_SUITE_P(Destinations, CopyCrashTest, ::testing::Values("DST", "PG"));

}  // namespace
