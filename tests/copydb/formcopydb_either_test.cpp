// The copy window's refusals, question, abort and "Try Again" with a SQLite
// destination and with a PostgreSQL one: the rows go in batches inside one
// transaction on SQLite and pipelined inside savepoints on PostgreSQL, and
// either way the rows written, refused, logged and shown must be those of
// one statement per row. Through ODBC each statement runs on its own.

#include <algorithm>
#include <numeric>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "copywindow_fixture.h"

namespace {

const QString kQuestion = QStringLiteral("*E:２重登録?、処理を中断します。");

class CopyToEitherTest : public CopyWindowTest, public ::testing::WithParamInterface<const char*> {
 protected:
  void SetUp() override {
    CopyWindowTest::SetUp();
    if (onServer()) REQUIRE_SERVER();
  }

  QString destination() const { return QString::fromLatin1(GetParam()); }
  bool onServer() const { return destination() != u"DST"; }
  // A table name of this test's own (the drivers' tests share one server).
  QString table(const QString& base) const { return base + u'_' + destination().toLower(); }
  // A column as CREATE TABLE writes it for an upper-case field name.
  QString column(const QString& name) const { return onServer() ? u'"' + name + u'"' : name; }

  // Destination table `name` (ID, NAME) holding the ids given, NAME 'kept'.
  void keyed(const QString& name, const QList<int>& kept) {
    QStringList statements = {QStringLiteral("DROP TABLE IF EXISTS ") + name,
                              QStringLiteral("CREATE TABLE %1 (%2 INTEGER PRIMARY KEY, %3 VARCHAR(20))")
                                  .arg(name, column(QStringLiteral("ID")), column(QStringLiteral("NAME")))};
    for (int id : kept) statements << QStringLiteral("INSERT INTO %1 VALUES (%2, 'kept')").arg(name).arg(id);
    exec(destination(), statements);
  }
  // The statement the copy writes for source row `id` of a numbered table.
  QString statement(const QString& name, int id) const {
    return QStringLiteral("INSERT INTO %1 ( %2,%3 ) VALUES ( %4,'n%4' )")
        .arg(name, column(QStringLiteral("ID")), column(QStringLiteral("NAME")))
        .arg(id);
  }
  int questions() const {
    int asked = 0;
    for (const auto& r : prompt.records) asked += r.text == kQuestion;
    return asked;
  }
  void drop(const QString& name) {
    if (onServer()) exec(destination(), {QStringLiteral("DROP TABLE ") + name});
  }
};

// Copying DEMO's EMPLOYEE into a table that already holds one of its keys:
// the row is refused and shown, corrected in Edit2 and sent again.
TEST_P(CopyToEitherTest, DemoEmployeesWithADuplicateKeyThenTryAgain) {
  writeAliases(onServer(), true);
  const QString name = table(QStringLiteral("copy_employee"));
  const QString columns = onServer()
      ? QStringLiteral("(\"EMP_NO\" INTEGER PRIMARY KEY, \"EMP_NAME\" VARCHAR(20) NOT NULL, \"EMP_KANA\" VARCHAR(40), "
                       "\"DEPT_CODE\" SMALLINT, \"BIRTH_DATE\" DATE, \"HIRED_AT\" TIMESTAMP, \"SALARY\" NUMERIC(9,0), "
                       "\"ALLOWANCE\" NUMERIC(15,4), \"HEIGHT\" DOUBLE PRECISION, \"ACTIVE\" BOOLEAN, \"NOTE\" TEXT)")
      : rows(QStringLiteral("DEMO"), QStringLiteral("SELECT substr(sql, instr(sql, '(')) FROM sqlite_master "
                                                   "WHERE name = 'EMPLOYEE'")).value(0);
  exec(destination(), {QStringLiteral("DROP TABLE IF EXISTS ") + name, QStringLiteral("CREATE TABLE ") + name + columns,
                       QStringLiteral("INSERT INTO %1 (%2, %3) VALUES (1003, '先客')")
                           .arg(name, column(QStringLiteral("EMP_NO")), column(QStringLiteral("EMP_NAME")))});
  open();
  choose(QStringLiteral("DEMO"), QStringLiteral("EMPLOYEE"), destination(), name);
  prompt.messageAnswers = {korvel::PromptNo};
  form->ButtonCopyClick();

  EXPECT_EQ(questions(), 1);
  EXPECT_EQ(form->LabelKensu->text(), QStringLiteral("4件書き込みしました"));
  const QStringList refused = memoLines();
  ASSERT_EQ(refused.size(), 1);
  EXPECT_TRUE(refused[0].startsWith(QStringLiteral("INSERT INTO ") + name)) << refused[0].toStdString();
  EXPECT_TRUE(refused[0].contains(QStringLiteral("VALUES ( 1003,'鈴木 一郎'"))) << refused[0].toStdString();
  EXPECT_EQ(logLines(), refused);

  // The operator gives the row another key and sends it again; a second
  // press is refused (the key now exists) and a third with yet another
  // key still runs: a refusal leaves the connection usable.
  form->show();
  form->Edit2->setText(QString(refused[0]).replace(QStringLiteral("( 1003,"), QStringLiteral("( 1006,")));
  QTest::mouseClick(form->Button1, Qt::LeftButton);
  prompt.clear();
  QTest::mouseClick(form->Button1, Qt::LeftButton);
  EXPECT_EQ(prompt.messageCount(), 1);
  form->Edit2->setText(form->Edit2->text().replace(QStringLiteral("( 1006,"), QStringLiteral("( 1007,")));
  QTest::mouseClick(form->Button1, Qt::LeftButton);
  EXPECT_EQ(prompt.messageCount(), 1) << prompt.lastMessage().toStdString();

  // Every value as DEMO holds it; 1006 and 1007 are 1003 again.
  const QString demoRows = QStringLiteral(
      "SELECT EMP_NO, EMP_NAME, EMP_KANA, DEPT_CODE, BIRTH_DATE, HIRED_AT, SALARY, ALLOWANCE, HEIGHT, ACTIVE, NOTE "
      "FROM EMPLOYEE ORDER BY EMP_NO");
  const QString copiedRows =
      onServer() ? QStringLiteral("SELECT \"EMP_NO\", \"EMP_NAME\", \"EMP_KANA\", \"DEPT_CODE\", \"BIRTH_DATE\"::text, "
                                  "\"HIRED_AT\"::text, \"SALARY\"::text, \"ALLOWANCE\"::float8, \"HEIGHT\", \"ACTIVE\"::int, "
                                  "\"NOTE\" FROM %1 WHERE \"EMP_NO\" <> 1003 ORDER BY \"EMP_NO\"")
                 : QStringLiteral("SELECT EMP_NO, EMP_NAME, EMP_KANA, DEPT_CODE, BIRTH_DATE, HIRED_AT, SALARY, ALLOWANCE, "
                                  "HEIGHT, ACTIVE, NOTE FROM %1 WHERE EMP_NO <> 1003 ORDER BY EMP_NO");
  QStringList expected = rows(QStringLiteral("DEMO"), demoRows);
  ASSERT_EQ(expected.size(), 5);
  const QString third = expected.takeAt(2);
  expected << QString(third).replace(0, 4, QStringLiteral("1006")) << QString(third).replace(0, 4, QStringLiteral("1007"));
  EXPECT_EQ(rows(destination(), copiedRows.arg(name)), expected);
  drop(name);
}

// "No" goes on after the refused row, "Yes" stops at the row asked about:
// no row after it is written, though the batch it came in held more.
TEST_P(CopyToEitherTest, NoGoesOnAndYesStopsAtTheRowAskedAbout) {
  writeAliases(onServer());
  numbered(QStringLiteral("SRC"), QStringLiteral("T"), 3000);
  const QString name = table(QStringLiteral("copy_question"));
  keyed(name, {150, 1700});
  open();
  choose(QStringLiteral("SRC"), QStringLiteral("T"), destination(), name);
  prompt.messageAnswers = {korvel::PromptNo, korvel::PromptYes};
  form->ButtonCopyClick();

  EXPECT_EQ(questions(), 2);
  const QStringList refused = {statement(name, 150), statement(name, 1700)};
  EXPECT_EQ(memoLines(), refused);
  EXPECT_EQ(logLines(), refused);
  EXPECT_EQ(form->Edit2->text(), refused.last());
  EXPECT_EQ(form->LabelKensu->text(), QStringLiteral("1698件書き込みしました"));
  EXPECT_EQ(rows(destination(), QStringLiteral("SELECT COUNT(*), SUM(%2), MAX(%2) FROM %1")
                                    .arg(name, column(QStringLiteral("ID")))),
            QStringList{QStringLiteral("1700|1445850|1700")});
  EXPECT_EQ(rows(destination(), QStringLiteral("SELECT %2 FROM %1 WHERE %3 = 'kept' ORDER BY %2")
                                    .arg(name, column(QStringLiteral("ID")), column(QStringLiteral("NAME")))),
            (QStringList{QStringLiteral("150"), QStringLiteral("1700")}));
  drop(name);
}

// With "Append ERR無視", refusals at the first and last rows and scattered
// through every batch: exactly those rows are listed, in source order.
TEST_P(CopyToEitherTest, RefusalsAnywhereInTheBatchesAreTheRowsOfARowByRowCopy) {
  writeAliases(onServer());
  numbered(QStringLiteral("SRC"), QStringLiteral("T"), 5000);
  const QString name = table(QStringLiteral("copy_scattered"));
  QList<int> kept = {1, 2, 4999, 5000};
  for (int id = 97; id < 4999; id += 97) kept << id;
  std::sort(kept.begin(), kept.end());
  keyed(name, kept);
  open();
  choose(QStringLiteral("SRC"), QStringLiteral("T"), destination(), name);
  form->CheckBoxApperr->setChecked(true);
  form->ButtonCopyClick();

  QStringList refused;
  for (int id : kept) refused << statement(name, id);
  EXPECT_EQ(questions(), 0);
  EXPECT_EQ(memoLines(), refused);
  EXPECT_EQ(logLines(), refused);
  EXPECT_EQ(form->LabelKensu->text(), QString::number(5000 - kept.size()) + QStringLiteral("件書き込みしました"));
  EXPECT_EQ(rows(destination(), QStringLiteral("SELECT COUNT(*), SUM(%2) FROM %1 WHERE %3 = 'n' || %2")
                                    .arg(name, column(QStringLiteral("ID")), column(QStringLiteral("NAME")))),
            QStringList{QStringLiteral("%1|%2").arg(5000 - kept.size()).arg(
                5000 * 5001 / 2 - std::accumulate(kept.begin(), kept.end(), 0))});
  drop(name);
}

TEST_P(CopyToEitherTest, AbortLeavesExactlyTheRowsCounted) {
  writeAliases(onServer());
  numbered(QStringLiteral("SRC"), QStringLiteral("T"), 200000);
  const QString name = table(QStringLiteral("copy_abort"));
  keyed(name, {});
  open();
  choose(QStringLiteral("SRC"), QStringLiteral("T"), destination(), name);
  abortOnFirstProgress();
  form->ButtonCopyClick();

  const QString label = form->LabelKensu->text();
  ASSERT_TRUE(label.endsWith(QStringLiteral("件書き込みしました"))) << label.toStdString();
  const qint64 written = label.chopped(QStringLiteral("件書き込みしました").size()).toLongLong();
  EXPECT_GT(written, 0);
  EXPECT_LT(written, 200000);
  EXPECT_EQ(rows(destination(), QStringLiteral("SELECT COUNT(*), MIN(%2), MAX(%2) FROM %1")
                                    .arg(name, column(QStringLiteral("ID")))),
            QStringList{QStringLiteral("%1|1|%1").arg(written)});
  EXPECT_EQ(prompt.messageCount(), 0) << prompt.lastMessage().toStdString();
  drop(name);
}

INSTANTIATE_TEST_SUITE_P(Destinations, CopyToEitherTest, ::testing::Values("DST", "PG", "ODBCPG"));

}  // namespace
