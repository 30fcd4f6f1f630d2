// The table data copy window between SQLite aliases: what is written,
// refused, logged, shown and asked.

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "controls/spbtn2.h"
#include "common/programstate.h"
#include "db/table.h"
#include "copywindow_fixture.h"

namespace {

const QString kQuestion = QStringLiteral("*E:２重登録?、処理を中断します。");

// A source and a destination table of every field kind the copy handles.
const QString kKinds = QStringLiteral(
    "(ID INTEGER PRIMARY KEY, NAME VARCHAR(40), NOTE TEXT, BORN DATE, STAMP DATETIME, AT_TIME TIME, "
    "FLAG BOOLEAN, BIG BIGINT, PRICE NUMERIC(12,3), RATE DOUBLE)");

class FormCopyDBTest : public CopyWindowTest {
 protected:
  QStringList questions() const {
    QStringList asked;
    for (const auto& r : prompt.records)
      if (r.text == kQuestion) asked << r.text;
    return asked;
  }
};

TEST_F(FormCopyDBTest, CopiesEveryFieldKindExactly) {
  writeAliases();
  exec(QStringLiteral("SRC"),
       {QStringLiteral("CREATE TABLE KINDS ") + kKinds,
        QStringLiteral("INSERT INTO KINDS VALUES (1, 'O''Neil 山田', '一行目' || char(13, 10) || '二行目' || char(13, 10), "
                       "'1996-01-05', '1996-01-05 10:30:45', '09:07:03', 1, 9223372036854775807, 12345.678, 0.1)"),
        QStringLiteral("INSERT INTO KINDS VALUES (2, '---', 'a' || char(10) || 'b', '0030-04-01', '2024-02-29 23:59:59', "
                       "'00:00:00', 0, -9223372036854775808, -0.5, 1.5e-7)"),
        QStringLiteral("INSERT INTO KINDS (ID, NAME) VALUES (3, '')")});
  exec(QStringLiteral("DST"), {QStringLiteral("CREATE TABLE KINDS ") + kKinds});
  open();
  EXPECT_EQ(form->windowTitle(), QStringLiteral("Ver 0.63A テーブルデータコピー"));
  choose(QStringLiteral("SRC"), QStringLiteral("KINDS"), QStringLiteral("DST"), QStringLiteral("KINDS"));
  form->ButtonCopyClick();

  EXPECT_EQ(prompt.messageCount(), 0) << prompt.lastMessage().toStdString();
  EXPECT_EQ(form->LabelKensu->text(), QStringLiteral("3件書き込みしました"));
  EXPECT_TRUE(form->Memo1->toPlainText().isEmpty());
  EXPECT_FALSE(form->LabelSt->text().isEmpty());
  EXPECT_FALSE(form->LabelEnd->text().isEmpty());
  EXPECT_TRUE(form->ButtonCopy->isVisibleTo(form.get()));
  EXPECT_EQ(form->Edit2->text(), Qz_LastSql);
  EXPECT_TRUE(form->Edit2->text().startsWith(QStringLiteral("INSERT INTO KINDS ( ID,NAME,NOTE,BORN,STAMP,AT_TIME,FLAG,BIG,PRICE,RATE ) VALUES ( 3,'',NULL")))
      << form->Edit2->text().toStdString();
  const QString columns = QStringLiteral(
      "SELECT ID, NAME, hex(NOTE), BORN, STAMP, AT_TIME, FLAG, typeof(FLAG), BIG, PRICE, RATE = %1, typeof(NAME) "
      "FROM KINDS ORDER BY ID");
  EXPECT_EQ(rows(QStringLiteral("DST"), columns.arg(QStringLiteral("0.1"))).value(0),
            rows(QStringLiteral("SRC"), columns.arg(QStringLiteral("0.1"))).value(0));
  EXPECT_EQ(rows(QStringLiteral("DST"), columns.arg(QStringLiteral("1.5e-7"))).mid(1),
            rows(QStringLiteral("SRC"), columns.arg(QStringLiteral("1.5e-7"))).mid(1));
  EXPECT_EQ(rows(QStringLiteral("DST"), QStringLiteral("SELECT STAMP, AT_TIME, FLAG, NAME FROM KINDS WHERE ID = 1")),
            QStringList{QStringLiteral("1996-01-05 10:30:45|09:07:03|1|O'Neil 山田")});
  EXPECT_EQ(logLines(), QStringList{});
}

// Into a Paradox table and back: booleans, dates, date-times and times
// arrive as they were.
TEST_F(FormCopyDBTest, ParadoxTablesTakeAndGiveEveryFieldKind) {
  writeAliases();
  exec(QStringLiteral("SRC"),
       {QStringLiteral("CREATE TABLE PDX (ID INTEGER PRIMARY KEY, NAME VARCHAR(30), BORN DATE, STAMP DATETIME, "
                       "AT_TIME TIME, FLAG BOOLEAN, AMOUNT DOUBLE, NOTE TEXT)"),
        QStringLiteral("INSERT INTO PDX VALUES (1, 'O''Neil 山田', '1996-01-05', '1996-01-05 10:30:45', '09:07:03', 1, 1234.5, "
                       "'一行目' || char(13, 10) || '二行目' || char(13, 10)), "
                       "(2, '---', '2030-04-01', '2024-02-29 23:59:59', '00:00:00', 0, -0.25, 'a' || char(10) || 'b'), "
                       "(3, NULL, NULL, NULL, NULL, NULL, NULL, NULL)")});
  {
    korvel::db::Table t;
    t.setDatabaseName(QStringLiteral("FILES"));
    t.setTableName(QStringLiteral("PDX"));
    t.addFieldDef(QStringLiteral("ID"), korvel::db::FieldKind::Integer, 0, false);
    t.addFieldDef(QStringLiteral("NAME"), korvel::db::FieldKind::String, 30, false);
    t.addFieldDef(QStringLiteral("BORN"), korvel::db::FieldKind::Date, 0, false);
    t.addFieldDef(QStringLiteral("STAMP"), korvel::db::FieldKind::DateTime, 0, false);
    t.addFieldDef(QStringLiteral("AT_TIME"), korvel::db::FieldKind::Time, 0, false);
    t.addFieldDef(QStringLiteral("FLAG"), korvel::db::FieldKind::Boolean, 0, false);
    t.addFieldDef(QStringLiteral("AMOUNT"), korvel::db::FieldKind::Float, 0, false);
    t.addFieldDef(QStringLiteral("NOTE"), korvel::db::FieldKind::Memo, 0, false);
    t.addIndex(QString(), QStringLiteral("ID"), korvel::db::ixPrimary | korvel::db::ixUnique);
    t.createTable();
  }
  exec(QStringLiteral("DST"), {QStringLiteral("CREATE TABLE PDX (ID INTEGER PRIMARY KEY, NAME VARCHAR(30), BORN DATE, "
                                              "STAMP DATETIME, AT_TIME TIME, FLAG BOOLEAN, AMOUNT DOUBLE, NOTE TEXT)")});
  open();
  choose(QStringLiteral("SRC"), QStringLiteral("PDX"), QStringLiteral("FILES"), QStringLiteral("PDX"));
  form->ButtonCopyClick();
  EXPECT_EQ(prompt.messageCount(), 0) << prompt.lastMessage().toStdString();
  EXPECT_EQ(form->LabelKensu->text(), QStringLiteral("3件書き込みしました"));
  EXPECT_EQ(memoLines(), QStringList());
  choose(QStringLiteral("FILES"), QStringLiteral("PDX"), QStringLiteral("DST"), QStringLiteral("PDX"));
  form->ButtonCopyClick();
  EXPECT_EQ(prompt.messageCount(), 0) << prompt.lastMessage().toStdString();
  const QString all = QStringLiteral("SELECT * FROM PDX ORDER BY ID");
  EXPECT_EQ(rows(QStringLiteral("DST"), all), rows(QStringLiteral("SRC"), all));

  // The statements the Paradox destination was given.
  prompt.clear();
  form->CheckBoxApperr->setChecked(true);
  choose(QStringLiteral("SRC"), QStringLiteral("PDX"), QStringLiteral("FILES"), QStringLiteral("PDX"));
  form->ButtonCopyClick();
  EXPECT_EQ(memoLines().value(0),
            QStringLiteral("INSERT INTO PDX ( ID,NAME,BORN,STAMP,AT_TIME,FLAG,AMOUNT,NOTE ) VALUES ( 1,'O''Neil 山田',"
                           "CAST( '1996/01/05' AS DATE ),CAST( '1996/01/05 10:30:45' AS TIMESTAMP ),"
                           "CAST( '09:07:03' AS TIME ),TRUE,1234.5,'一行目'||CHR(13)||CHR(10)||'二行目'||CHR(13)||CHR(10)||'' )"));
  // One statement per line in the log as in the window.
  EXPECT_EQ(logLines().mid(logLines().size() - 3), memoLines());
}

// Into a CSV table of a directory alias (named by its file name, which
// must be quoted) and back: every field kind arrives as it was.
TEST_F(FormCopyDBTest, CsvTablesTakeAndGiveEveryFieldKind) {
  writeAliases();
  const QString columns = QStringLiteral(
      "(ID INTEGER PRIMARY KEY, NAME VARCHAR(30), NOTE TEXT, BORN DATE, STAMP DATETIME, AT_TIME TIME, FLAG BOOLEAN, "
      "AMOUNT DOUBLE)");
  exec(QStringLiteral("SRC"),
       {QStringLiteral("CREATE TABLE KINDS ") + columns,
        QStringLiteral("INSERT INTO KINDS VALUES (1, 'O''Neil, 山田', 'a' || char(13, 10) || '\"b\"', '1996-01-05', "
                       "'1996-01-05 10:30:45', '09:07:03', 1, 1234.5), (2, '---', '', '2030-04-01', "
                       "'2024-02-29 23:59:59', '00:00:00', 0, -0.25)")});
  {
    korvel::db::Table t;
    t.setDatabaseName(QStringLiteral("FILES"));
    t.setTableName(QStringLiteral("kinds.csv"));
    t.addFieldDef(QStringLiteral("ID"), korvel::db::FieldKind::Integer, 0, false);
    t.addFieldDef(QStringLiteral("NAME"), korvel::db::FieldKind::String, 30, false);
    t.addFieldDef(QStringLiteral("NOTE"), korvel::db::FieldKind::Memo, 0, false);
    t.addFieldDef(QStringLiteral("BORN"), korvel::db::FieldKind::Date, 0, false);
    t.addFieldDef(QStringLiteral("STAMP"), korvel::db::FieldKind::DateTime, 0, false);
    t.addFieldDef(QStringLiteral("AT_TIME"), korvel::db::FieldKind::Time, 0, false);
    t.addFieldDef(QStringLiteral("FLAG"), korvel::db::FieldKind::Boolean, 0, false);
    t.addFieldDef(QStringLiteral("AMOUNT"), korvel::db::FieldKind::Float, 0, false);
    t.createTable();
  }
  exec(QStringLiteral("DST"), {QStringLiteral("CREATE TABLE KINDS ") + columns});
  open();
  choose(QStringLiteral("SRC"), QStringLiteral("KINDS"), QStringLiteral("FILES"), QStringLiteral("kinds.csv"));
  form->ButtonCopyClick();
  EXPECT_EQ(prompt.messageCount(), 0) << prompt.lastMessage().toStdString();
  EXPECT_EQ(form->LabelKensu->text(), QStringLiteral("2件書き込みしました"));
  EXPECT_TRUE(form->Edit2->text().startsWith(QStringLiteral("INSERT INTO \"kinds.csv\" ( "))) << form->Edit2->text().toStdString();
  choose(QStringLiteral("FILES"), QStringLiteral("kinds.csv"), QStringLiteral("DST"), QStringLiteral("KINDS"));
  form->ButtonCopyClick();
  EXPECT_EQ(prompt.messageCount(), 0) << prompt.lastMessage().toStdString();
  EXPECT_EQ(form->LabelKensu->text(), QStringLiteral("2件書き込みしました"));
  const QString all = QStringLiteral("SELECT ID, NAME, hex(NOTE), BORN, STAMP, AT_TIME, FLAG, AMOUNT FROM KINDS ORDER BY ID");
  EXPECT_EQ(rows(QStringLiteral("DST"), all), rows(QStringLiteral("SRC"), all));
}

TEST_F(FormCopyDBTest, WithoutAMatchingColumnEveryRowIsRefused) {
  writeAliases();
  numbered(QStringLiteral("SRC"), QStringLiteral("A"), 3);
  exec(QStringLiteral("DST"), {QStringLiteral("CREATE TABLE B (OTHER INTEGER)")});
  open();
  choose(QStringLiteral("SRC"), QStringLiteral("A"), QStringLiteral("DST"), QStringLiteral("B"));
  form->CheckBoxApperr->setChecked(true);
  form->ButtonCopyClick();

  const QString statement = QStringLiteral("INSERT INTO B (  ) VALUES (  )");
  EXPECT_EQ(memoLines(), QStringList(3, statement));
  EXPECT_EQ(logLines(), QStringList(3, statement));
  EXPECT_EQ(form->LabelKensu->text(), QStringLiteral("0件書き込みしました"));
  EXPECT_EQ(prompt.messageCount(), 0);
  EXPECT_EQ(count(QStringLiteral("DST"), QStringLiteral("B")), 0);
}

TEST_F(FormCopyDBTest, ProgressEveryHundredRows) {
  writeAliases();
  numbered(QStringLiteral("SRC"), QStringLiteral("T"), 250);
  exec(QStringLiteral("DST"), {QStringLiteral("CREATE TABLE T (ID INTEGER PRIMARY KEY, NAME VARCHAR(20))")});
  open();
  QStringList shown;
  QObject::connect(form.get(), &TFormCopyDB::progressShown, [&](const QString& t) { shown << t; });
  choose(QStringLiteral("SRC"), QStringLiteral("T"), QStringLiteral("DST"), QStringLiteral("T"));
  form->ButtonCopyClick();
  EXPECT_EQ(shown, (QStringList{QStringLiteral("100/250件書き込み"), QStringLiteral("200/250件書き込み")}));
  EXPECT_EQ(form->LabelKensu->text(), QStringLiteral("250件書き込みしました"));
  EXPECT_EQ(rows(QStringLiteral("DST"), QStringLiteral("SELECT COUNT(*), SUM(ID), MAX(NAME = 'n' || ID) FROM T")),
            QStringList{QStringLiteral("250|31375|1")});
}

TEST_F(FormCopyDBTest, DuplicateKeysAskAndStopOnYes) {
  writeAliases();
  numbered(QStringLiteral("SRC"), QStringLiteral("T"), 6);
  exec(QStringLiteral("DST"), {QStringLiteral("CREATE TABLE T (ID INTEGER PRIMARY KEY, NAME VARCHAR(20))"),
                               QStringLiteral("INSERT INTO T VALUES (2, 'kept'), (4, 'kept')")});
  open();
  choose(QStringLiteral("SRC"), QStringLiteral("T"), QStringLiteral("DST"), QStringLiteral("T"));
  prompt.messageAnswers = {korvel::PromptNo, korvel::PromptYes};
  form->ButtonCopyClick();

  EXPECT_EQ(questions().size(), 2);
  const QStringList refused = {QStringLiteral("INSERT INTO T ( ID,NAME ) VALUES ( 2,'n2' )"),
                               QStringLiteral("INSERT INTO T ( ID,NAME ) VALUES ( 4,'n4' )")};
  EXPECT_EQ(memoLines(), refused);
  EXPECT_EQ(logLines(), refused);
  EXPECT_EQ(form->Edit2->text(), refused.last());
  EXPECT_EQ(form->LabelKensu->text(), QStringLiteral("2件書き込みしました"));
  EXPECT_EQ(rows(QStringLiteral("DST"), QStringLiteral("SELECT ID, NAME FROM T ORDER BY ID")),
            (QStringList{QStringLiteral("1|n1"), QStringLiteral("2|kept"), QStringLiteral("3|n3"), QStringLiteral("4|kept")}));

  // "Append ERR無視": every row refused, no question, the copy runs to its end.
  prompt.clear();
  form->CheckBoxApperr->setChecked(true);
  exec(QStringLiteral("DST"), {QStringLiteral("INSERT INTO T VALUES (5, 'kept'), (6, 'kept')")});
  form->ButtonCopyClick();
  EXPECT_TRUE(questions().isEmpty());
  EXPECT_EQ(memoLines().size(), 6);
  EXPECT_EQ(logLines().size(), 8);  // the log holds every refusal of the run
  EXPECT_EQ(form->LabelKensu->text(), QStringLiteral("0件書き込みしました"));
}

TEST_F(FormCopyDBTest, TryAgainRunsTheCorrectedStatement) {
  writeAliases();
  numbered(QStringLiteral("SRC"), QStringLiteral("T"), 3);
  exec(QStringLiteral("DST"), {QStringLiteral("CREATE TABLE T (ID INTEGER PRIMARY KEY, NAME VARCHAR(20))"),
                               QStringLiteral("INSERT INTO T VALUES (2, 'kept')")});
  open();
  choose(QStringLiteral("SRC"), QStringLiteral("T"), QStringLiteral("DST"), QStringLiteral("T"));
  prompt.messageAnswers = {korvel::PromptYes};
  form->ButtonCopyClick();
  ASSERT_EQ(form->Edit2->text(), QStringLiteral("INSERT INTO T ( ID,NAME ) VALUES ( 2,'n2' )"));

  form->Edit2->setText(QStringLiteral("INSERT INTO T ( ID,NAME ) VALUES ( 20,'n2' )"));
  form->show();
  QTest::mouseClick(form->Button1, Qt::LeftButton);
  EXPECT_EQ(rows(QStringLiteral("DST"), QStringLiteral("SELECT ID FROM T ORDER BY ID")),
            (QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("20")}));
  // A statement the database refuses reaches the operator as an error.
  prompt.clear();
  QTest::mouseClick(form->Button1, Qt::LeftButton);
  EXPECT_EQ(prompt.messageCount(), 1);
  EXPECT_EQ(count(QStringLiteral("DST"), QStringLiteral("T")), 3);
}

TEST_F(FormCopyDBTest, AbortStopsWithExactlyTheCountedRowsWritten) {
  writeAliases();
  numbered(QStringLiteral("SRC"), QStringLiteral("T"), 200000);
  exec(QStringLiteral("DST"), {QStringLiteral("CREATE TABLE T (ID INTEGER PRIMARY KEY, NAME VARCHAR(20))")});
  open();
  choose(QStringLiteral("SRC"), QStringLiteral("T"), QStringLiteral("DST"), QStringLiteral("T"));
  abortOnFirstProgress();
  form->ButtonCopyClick();

  const QString label = form->LabelKensu->text();
  ASSERT_TRUE(label.endsWith(QStringLiteral("件書き込みしました"))) << label.toStdString();
  const qint64 written = label.chopped(QStringLiteral("件書き込みしました").size()).toLongLong();
  EXPECT_GT(written, 0);
  EXPECT_LT(written, 200000);
  EXPECT_EQ(rows(QStringLiteral("DST"), QStringLiteral("SELECT COUNT(*), MIN(ID), MAX(ID) FROM T")),
            QStringList{QStringLiteral("%1|1|%1").arg(written)});
  EXPECT_FALSE(form->LabelEnd->text().isEmpty());
  EXPECT_TRUE(form->ButtonCopy->isVisibleTo(form.get()));
}

TEST_F(FormCopyDBTest, ClosingDuringACopyStopsItFirst) {
  writeAliases();
  numbered(QStringLiteral("SRC"), QStringLiteral("T"), 200000);
  exec(QStringLiteral("DST"), {QStringLiteral("CREATE TABLE T (ID INTEGER PRIMARY KEY, NAME VARCHAR(20))")});
  open();
  form->show();
  choose(QStringLiteral("SRC"), QStringLiteral("T"), QStringLiteral("DST"), QStringLiteral("T"));
  QObject::connect(form.get(), &TFormCopyDB::progressShown, form.get(), [this] {
    QMetaObject::invokeMethod(form.get(), [this] { form->close(); }, Qt::QueuedConnection);
  });
  form->ButtonCopyClick();
  EXPECT_FALSE(form->isVisible());
  EXPECT_FALSE(form->copying());
  const QString label = form->LabelKensu->text();
  EXPECT_EQ(count(QStringLiteral("DST"), QStringLiteral("T")),
            label.chopped(QStringLiteral("件書き込みしました").size()).toLongLong());
}

TEST_F(FormCopyDBTest, TheLogHoldsOneRunAndIsEmptyAfterARestart) {
  writeAliases();
  numbered(QStringLiteral("SRC"), QStringLiteral("T"), 2);
  exec(QStringLiteral("DST"), {QStringLiteral("CREATE TABLE T (ID INTEGER PRIMARY KEY, NAME VARCHAR(20))"),
                               QStringLiteral("INSERT INTO T VALUES (1, '山田')")});
  open();
  EXPECT_EQ(form->errorLogPath(), QDir::current().filePath(QStringLiteral("CpErrSql.txt")));
  choose(QStringLiteral("SRC"), QStringLiteral("T"), QStringLiteral("DST"), QStringLiteral("T"));
  form->CheckBoxApperr->setChecked(true);
  form->ButtonCopyClick();
  EXPECT_EQ(logLines(), QStringList{QStringLiteral("INSERT INTO T ( ID,NAME ) VALUES ( 1,'n1' )")});
  QFile raw(form->errorLogPath());
  ASSERT_TRUE(raw.open(QIODevice::ReadOnly));
  EXPECT_TRUE(raw.readAll().endsWith("\r\n"));
  raw.close();

  open();  // the program starts again
  EXPECT_EQ(logLines(), QStringList{});
}

TEST_F(FormCopyDBTest, ALogThatCannotBeCreatedIsToldWhenACopyStarts) {
  writeAliases();
  numbered(QStringLiteral("SRC"), QStringLiteral("T"), 3);
  exec(QStringLiteral("DST"), {QStringLiteral("CREATE TABLE T (ID INTEGER PRIMARY KEY, NAME VARCHAR(20))"),
                               QStringLiteral("INSERT INTO T VALUES (3, 'kept')")});
  ASSERT_TRUE(QDir().mkdir(QStringLiteral("CpErrSql.txt")));  // the name is taken by a folder
  open();  // the window (and the program) starts nevertheless
  EXPECT_EQ(prompt.messageCount(), 0);
  choose(QStringLiteral("SRC"), QStringLiteral("T"), QStringLiteral("DST"), QStringLiteral("T"));
  form->CheckBoxApperr->setChecked(true);

  prompt.messageAnswers = {korvel::PromptNo};
  form->ButtonCopyClick();
  ASSERT_EQ(prompt.messageCount(), 1);
  EXPECT_EQ(prompt.lastMessage(), QStringLiteral("SQLエラーログファイル：") + form->errorLogPath() +
                                      QStringLiteral("がオープンできません\r\nエラーログなしでコピーしますか?"));
  EXPECT_EQ(count(QStringLiteral("DST"), QStringLiteral("T")), 1);
  EXPECT_TRUE(form->ButtonCopy->isVisibleTo(form.get()));

  prompt.messageAnswers = {korvel::PromptYes};
  form->ButtonCopyClick();
  EXPECT_EQ(count(QStringLiteral("DST"), QStringLiteral("T")), 3);
  EXPECT_EQ(memoLines(), QStringList{QStringLiteral("INSERT INTO T ( ID,NAME ) VALUES ( 3,'n3' )")});
}

TEST_F(FormCopyDBTest, AFailedLogAppendStopsTheCopyAndKeepsTheRowsWritten) {
  writeAliases();
  numbered(QStringLiteral("SRC"), QStringLiteral("T"), 300);
  exec(QStringLiteral("DST"), {QStringLiteral("CREATE TABLE T (ID INTEGER PRIMARY KEY, NAME VARCHAR(20))"),
                               QStringLiteral("INSERT INTO T VALUES (250, 'kept')")});
  open();
  choose(QStringLiteral("SRC"), QStringLiteral("T"), QStringLiteral("DST"), QStringLiteral("T"));
  form->CheckBoxApperr->setChecked(true);
  // The log goes away while the copy runs, and a folder takes its name.
  QObject::connect(form.get(), &TFormCopyDB::progressShown, [this](const QString& text) {
    if (text.startsWith(QStringLiteral("100/"))) {
      QFile::remove(form->errorLogPath());
      QDir().mkdir(form->errorLogPath());
    }
  });
  form->ButtonCopyClick();

  ASSERT_EQ(prompt.messageCount(), 1);
  EXPECT_TRUE(prompt.lastMessage().startsWith(QStringLiteral("*E:SQLエラーログファイル：") + form->errorLogPath()))
      << prompt.lastMessage().toStdString();
  EXPECT_EQ(form->LabelKensu->text(), QStringLiteral("249件書き込みしました"));
  EXPECT_EQ(rows(QStringLiteral("DST"), QStringLiteral("SELECT COUNT(*), MAX(ID) FROM T")),
            QStringList{QStringLiteral("250|250")});
  EXPECT_EQ(memoLines(), QStringList{QStringLiteral("INSERT INTO T ( ID,NAME ) VALUES ( 250,'n250' )")});
}

TEST_F(FormCopyDBTest, AValueWithNothingOfItsTypeIsRefusedNotReplaced) {
  writeAliases();
  exec(QStringLiteral("SRC"), {QStringLiteral("CREATE TABLE T (ID INTEGER, D TEXT, NOTE TEXT)"),
                               QStringLiteral("INSERT INTO T VALUES (1, '1996/01/05', '表😀'), (2, 'abc', 'x'), (3, NULL, 'y')")});
  exec(QStringLiteral("DST"), {QStringLiteral("CREATE TABLE T (ID INTEGER, D DATE, NOTE TEXT)")});
  open();
  choose(QStringLiteral("SRC"), QStringLiteral("T"), QStringLiteral("DST"), QStringLiteral("T"));
  form->CheckBoxApperr->setChecked(true);
  form->ButtonCopyClick();
  EXPECT_EQ(memoLines(), QStringList{QStringLiteral("INSERT INTO T ( ID,D,NOTE ) VALUES ( 2,TO_DATE( 'abc', 'YYYY/MM/DD' ),'x' )")});
  EXPECT_EQ(rows(QStringLiteral("DST"), QStringLiteral("SELECT ID, D, NOTE FROM T ORDER BY ID")),
            (QStringList{QStringLiteral("1|1996-01-05|表😀"), QStringLiteral("3|NULL|y")}));
}

TEST_F(FormCopyDBTest, ARefusedStatementTheLogCannotHoldStopsTheCopy) {
  writeAliases();
  exec(QStringLiteral("SRC"), {QStringLiteral("CREATE TABLE T (ID INTEGER PRIMARY KEY, NOTE TEXT)"),
                               QStringLiteral("INSERT INTO T VALUES (1, 'a'), (2, '😀'), (3, 'c')")});
  exec(QStringLiteral("DST"), {QStringLiteral("CREATE TABLE T (ID INTEGER PRIMARY KEY, NOTE TEXT)"),
                               QStringLiteral("INSERT INTO T VALUES (2, 'kept')")});
  open();
  choose(QStringLiteral("SRC"), QStringLiteral("T"), QStringLiteral("DST"), QStringLiteral("T"));
  form->CheckBoxApperr->setChecked(true);
  form->ButtonCopyClick();
  ASSERT_EQ(prompt.messageCount(), 1);
  EXPECT_TRUE(prompt.lastMessage().contains(QStringLiteral("😀"))) << prompt.lastMessage().toStdString();
  EXPECT_EQ(form->LabelKensu->text(), QStringLiteral("1件書き込みしました"));
  EXPECT_EQ(logLines(), QStringList{});
}

TEST_F(FormCopyDBTest, ATableCopiedOntoItselfIsReadOnce) {
  writeAliases();
  exec(QStringLiteral("SRC"), {QStringLiteral("CREATE TABLE T (NAME TEXT)"),
                               QStringLiteral("INSERT INTO T VALUES ('a'), ('b'), ('c')")});
  open();
  choose(QStringLiteral("SRC"), QStringLiteral("T"), QStringLiteral("SRC"), QStringLiteral("T"));
  form->ButtonCopyClick();
  EXPECT_EQ(form->LabelKensu->text(), QStringLiteral("3件書き込みしました"));
  EXPECT_EQ(count(QStringLiteral("SRC"), QStringLiteral("T")), 6);
}

TEST_F(FormCopyDBTest, HostileTableAndColumnNamesReachOnlyTheirOwnTable) {
  writeAliases();
  const QString hostile = QStringLiteral("\"a\"\"b; DROP TABLE V; --\"");
  exec(QStringLiteral("SRC"), {QStringLiteral("CREATE TABLE %1 (\"x y\" INTEGER, \"ORDER\" TEXT, \"名前\" TEXT)").arg(hostile),
                               QStringLiteral("INSERT INTO %1 VALUES (1, 'o''k', '山')").arg(hostile)});
  exec(QStringLiteral("DST"), {QStringLiteral("CREATE TABLE %1 (\"x y\" INTEGER, \"ORDER\" TEXT, \"名前\" TEXT)").arg(hostile),
                               QStringLiteral("CREATE TABLE V (ID INTEGER)")});
  open();
  choose(QStringLiteral("SRC"), QStringLiteral("a\"b; DROP TABLE V; --"), QStringLiteral("DST"),
         QStringLiteral("a\"b; DROP TABLE V; --"));
  form->ButtonCopyClick();
  EXPECT_EQ(prompt.messageCount(), 0) << prompt.lastMessage().toStdString();
  EXPECT_EQ(form->Edit2->text(), QStringLiteral("INSERT INTO ") + hostile +
                                     QStringLiteral(" ( \"x y\",\"ORDER\",\"名前\" ) VALUES ( 1,'o''k','山' )"));
  EXPECT_EQ(rows(QStringLiteral("DST"), QStringLiteral("SELECT * FROM ") + hostile), QStringList{QStringLiteral("1|o'k|山")});
  EXPECT_EQ(count(QStringLiteral("DST"), QStringLiteral("V")), 0);
}

TEST_F(FormCopyDBTest, MissingTablesAreToldAndTheCopyDoesNotStart) {
  writeAliases();
  numbered(QStringLiteral("SRC"), QStringLiteral("T"), 1);
  exec(QStringLiteral("DST"), {QStringLiteral("CREATE TABLE U (ID INTEGER)")});
  open();
  choose(QStringLiteral("SRC"), QStringLiteral("T"), QStringLiteral("DST"), QStringLiteral("U"));
  form->ComboBox_Tables->setEditText(QStringLiteral("NOSUCH"));
  form->ButtonCopyClick();
  EXPECT_EQ(prompt.lastMessage(), QStringLiteral("*E:入力ファイルが存在しません。"));
  EXPECT_TRUE(form->ButtonCopy->isVisibleTo(form.get()));

  prompt.clear();
  form->ComboBox_Tables->setEditText(QStringLiteral("T"));
  form->ComboBox_Tables2->setEditText(QStringLiteral("NOSUCH"));
  form->ButtonCopyClick();
  ASSERT_EQ(prompt.messageCount(), 2);  // the engine's message, then the window's
  EXPECT_EQ(prompt.lastMessage(), QStringLiteral("*E:出力ファイルが存在しません。\r\n"
                                                 "このプログラムを実行するには予め出力側ファイルを作成して下さい"));
  EXPECT_TRUE(form->ButtonCopy->isVisibleTo(form.get()));
  EXPECT_TRUE(form->LabelKensu->text().isEmpty());
}

TEST_F(FormCopyDBTest, AliasesAndTables) {
  writeAliases();
  numbered(QStringLiteral("SRC"), QStringLiteral("T"), 1);
  open();
  EXPECT_EQ(form->ComboBox_Alias->currentText(), QStringLiteral("SRC"));
  EXPECT_EQ(form->ComboBox_Alias2->currentText(), QStringLiteral("SRC"));
  EXPECT_EQ(form->ComboBox_Tables->count(), 0);
  // A typed alias is taken on Enter, and its tables listed.
  form->show();
  form->ComboBox_Alias2->setEditText(QStringLiteral("DST"));
  QTest::keyClick(form->ComboBox_Alias2->lineEdit(), Qt::Key_Return);
  EXPECT_EQ(form->ComboBox_Alias2->currentIndex(), form->ComboBox_Alias2->findText(QStringLiteral("DST")));
  EXPECT_EQ(prompt.lastMessage(), QStringLiteral("指定されたエイリアス情報(DST)ではテーブルが見つかりません"));
  // An alias the engine does not know: its message is the one report.
  prompt.clear();
  form->ComboBox_Alias->setEditText(QStringLiteral("NOPE"));
  QTest::keyClick(form->ComboBox_Alias->lineEdit(), Qt::Key_Return);
  EXPECT_EQ(form->ComboBox_Alias->itemText(form->ComboBox_Alias->count() - 1), QStringLiteral("NOPE"));
  EXPECT_EQ(prompt.messageCount(), 1);
  form->ComboBox_Alias->setCurrentIndex(0);
  EXPECT_EQ(form->ComboBox_Tables->currentText(), QStringLiteral("T"));
  QTest::keyRelease(form->Edit2, Qt::Key_F9);
  EXPECT_FALSE(form->isVisible());
}

}  // namespace
