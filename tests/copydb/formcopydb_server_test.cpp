// The table data copy window with a PostgreSQL server on either side.

#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>

#include "copywindow_fixture.h"

namespace {

const QString kSqliteKinds = QStringLiteral(
    "(ID INTEGER PRIMARY KEY, NAME VARCHAR(40), NOTE TEXT, BORN DATE, STAMP DATETIME, AT_TIME TIME, "
    "FLAG BOOLEAN, BIG BIGINT, PRICE NUMERIC(12,3), RATE DOUBLE)");
const QString kPgKinds = QStringLiteral(
    "(\"ID\" INTEGER PRIMARY KEY, \"NAME\" VARCHAR(40), \"NOTE\" TEXT, \"BORN\" DATE, \"STAMP\" TIMESTAMP, "
    "\"AT_TIME\" TIME, \"FLAG\" BOOLEAN, \"BIG\" BIGINT, \"PRICE\" NUMERIC(12,3), \"RATE\" DOUBLE PRECISION)");
const QString kPgRows = QStringLiteral(
    "SELECT \"ID\", \"NAME\", \"NOTE\" = E'一行目\\r\\n二行目\\r\\n' OR \"NOTE\" = E'a\\nb', \"BORN\"::text, "
    "\"STAMP\"::text, \"AT_TIME\"::text, \"FLAG\"::text, \"BIG\"::text, \"PRICE\"::text, \"RATE\"::text "
    "FROM copy_kinds ORDER BY \"ID\"");
const QStringList kExpected = {
    QStringLiteral("1|O'Neil 山田|true|1996-01-05|1996-01-05 10:30:45|09:07:03|true|9223372036854775807|12345.678|0.1"),
    QStringLiteral("2|---|true|2030-04-01|2024-02-29 23:59:59|00:00:00|false|-9223372036854775808|-0.500|1.5e-07"),
    QStringLiteral("3||NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL")};

class FormCopyDBServerTest : public CopyWindowTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(FormCopyDBServerTest, SqliteToPostgresCarriesEveryFieldKind) {
  REQUIRE_SERVER();
  writeAliases(true);
  const QString server = QString::fromLatin1(GetParam());
  // The drivers' tests run at the same time on one server: a table each.
  const QString table = QStringLiteral("copy_kinds_") + server.toLower();
  exec(QStringLiteral("SRC"),
       {QStringLiteral("CREATE TABLE ") + table + u' ' + kSqliteKinds,
        QStringLiteral("INSERT INTO %1 VALUES (1, 'O''Neil 山田', '一行目' || char(13, 10) || '二行目' || char(13, 10), "
                       "'1996-01-05', '1996-01-05 10:30:45', '09:07:03', 1, 9223372036854775807, 12345.678, 0.1)").arg(table),
        QStringLiteral("INSERT INTO %1 VALUES (2, '---', 'a' || char(10) || 'b', '2030-04-01', '2024-02-29 23:59:59', "
                       "'00:00:00', 0, -9223372036854775808, -0.5, 1.5e-7)").arg(table),
        QStringLiteral("INSERT INTO %1 (ID, NAME) VALUES (3, '')").arg(table)});
  exec(QStringLiteral("PG"), {QStringLiteral("DROP TABLE IF EXISTS ") + table, QStringLiteral("CREATE TABLE ") + table + u' ' + kPgKinds});
  open();
  choose(QStringLiteral("SRC"), table, server, table);
  form->ButtonCopyClick();
  EXPECT_EQ(prompt.messageCount(), 0) << prompt.lastMessage().toStdString();
  EXPECT_EQ(form->Memo1->toPlainText(), QString());
  EXPECT_EQ(form->LabelKensu->text(), QStringLiteral("3件書き込みしました"));
  EXPECT_EQ(rows(QStringLiteral("PG"), QString(kPgRows).replace(QStringLiteral("copy_kinds"), table)), kExpected);
  exec(QStringLiteral("PG"), {QStringLiteral("DROP TABLE ") + table});
}

TEST_P(FormCopyDBServerTest, PostgresToSqliteCarriesEveryFieldKind) {
  REQUIRE_SERVER();
  writeAliases(true);
  const QString server = QString::fromLatin1(GetParam());
  const QString table = QStringLiteral("copy_from_") + server.toLower();
  exec(QStringLiteral("PG"),
       {QStringLiteral("DROP TABLE IF EXISTS ") + table,
        QStringLiteral("CREATE TABLE %1 (id INTEGER PRIMARY KEY, name VARCHAR(40), note TEXT, born DATE, "
                       "stamp TIMESTAMP, at_time TIME, flag BOOLEAN, big BIGINT, amount NUMERIC(30,10), rate DOUBLE PRECISION)").arg(table),
        QStringLiteral("INSERT INTO %1 VALUES (1, 'O''Neil 山田', E'行\\r\\n', '1996-01-05', '1996-01-05 10:30:45', "
                       "'09:07:03', true, 9223372036854775807, 12345678901234567890.0123456789, 0.1), "
                       "(2, '---', E'a\\nb', '2030-04-01', '2024-02-29 23:59:59', '00:00:00', false, "
                       "-9223372036854775808, -0.5, 1.5e-7), (3, '', NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL)").arg(table)});
  exec(QStringLiteral("DST"),
       {QStringLiteral("CREATE TABLE %1 (id INTEGER PRIMARY KEY, name VARCHAR(40), note TEXT, born DATE, "
                       "stamp DATETIME, at_time TIME, flag BOOLEAN, big BIGINT, amount TEXT, rate DOUBLE)").arg(table)});
  open();
  choose(server, table, QStringLiteral("DST"), table);
  form->ButtonCopyClick();
  EXPECT_EQ(prompt.messageCount(), 0) << prompt.lastMessage().toStdString();
  EXPECT_EQ(rows(QStringLiteral("DST"),
                 QStringLiteral("SELECT id, name, hex(note), born, stamp, at_time, flag, big, amount, rate = 0.1, rate = 1.5e-7 "
                                "FROM %1 ORDER BY id").arg(table)),
            (QStringList{QStringLiteral("1|O'Neil 山田|E8A18C0D0A|1996-01-05|1996-01-05 10:30:45|09:07:03|1|"
                                        "9223372036854775807|12345678901234567890.0123456789|1|0"),
                         QStringLiteral("2|---|610A62|2030-04-01|2024-02-29 23:59:59|00:00:00|0|-9223372036854775808|"
                                        "-0.5000000000|0|1"),
                         QStringLiteral("3|||NULL|NULL|NULL|NULL|NULL|NULL|NULL|NULL")}));  // hex(NULL) is empty
  exec(QStringLiteral("PG"), {QStringLiteral("DROP TABLE ") + table});
}

INSTANTIATE_TEST_SUITE_P(Drivers, FormCopyDBServerTest, ::testing::Values("PG", "ODBCPG"));

// Source and destination on one connection: the rows are read through a
// server cursor while the batches are written and committed.
TEST_F(CopyWindowTest, PostgresToPostgresOnOneConnectionWithRefusals) {
  REQUIRE_SERVER();
  writeAliases(true);
  exec(QStringLiteral("PG"),
       {QStringLiteral("DROP TABLE IF EXISTS copy_pg_a"), QStringLiteral("DROP TABLE IF EXISTS copy_pg_b"),
        QStringLiteral("CREATE TABLE copy_pg_a (id INTEGER PRIMARY KEY, amount NUMERIC(30,10), stamp TIMESTAMP, note TEXT)"),
        QStringLiteral("INSERT INTO copy_pg_a SELECT g, g * 1234567.0123456789, TIMESTAMP '2024-01-01' + g * INTERVAL '1 second', "
                       "'行' || g FROM generate_series(1, 2500) g"),
        QStringLiteral("CREATE TABLE copy_pg_b (LIKE copy_pg_a INCLUDING ALL)"),
        QStringLiteral("INSERT INTO copy_pg_b VALUES (700, 0, NULL, 'kept'), (1800, 0, NULL, 'kept')")});
  open();
  choose(QStringLiteral("PG"), QStringLiteral("copy_pg_a"), QStringLiteral("PG"), QStringLiteral("copy_pg_b"));
  form->CheckBoxApperr->setChecked(true);
  form->ButtonCopyClick();
  EXPECT_EQ(prompt.messageCount(), 0) << prompt.lastMessage().toStdString();
  EXPECT_EQ(form->LabelKensu->text(), QStringLiteral("2498件書き込みしました"));
  EXPECT_EQ(form->Memo1->toPlainText().split(u'\n').size(), 2);
  EXPECT_EQ(rows(QStringLiteral("PG"),
                 QStringLiteral("SELECT COUNT(*) FROM copy_pg_a a JOIN copy_pg_b b USING (id) "
                                "WHERE a.amount = b.amount AND a.stamp = b.stamp AND a.note = b.note")),
            QStringList{QStringLiteral("2498")});
  // The cursor is gone and the connection is free.
  EXPECT_EQ(rows(QStringLiteral("PG"), QStringLiteral("SELECT COUNT(*) FROM pg_cursors")), QStringList{QStringLiteral("0")});
  exec(QStringLiteral("PG"), {QStringLiteral("DROP TABLE copy_pg_a"), QStringLiteral("DROP TABLE copy_pg_b")});
}

}  // namespace
