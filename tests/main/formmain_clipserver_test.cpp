// Clipboard transfer and SQL tools on PostgreSQL, where a failed statement
// aborts the whole transaction and comments and objects live in the catalog.
// Each test works in a schema of its own.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSqlQuery>

#include "../db/dbtestenv.h"
#include "controls/numedit.h"
#include "db/engine.h"
#include "db/table.h"
#include "main/formmain.h"
#include "mainwindow_fixture.h"
#include "sqleditor/formmemo.h"
#include "ui/dbgrid.h"
#include "workbookreader.h"

namespace {

class ClipServer : public ::testing::Test {
 protected:
  void SetUp() override {
    if (korvel::db::test::pgConnectionString().isEmpty()) return;
    QFile aliases(env.path("aliases.ini"));
    aliases.open(QIODevice::WriteOnly);
    aliases.write(korvel::db::test::pgAliasSection("PG").toUtf8());
    aliases.close();
    korvel::db::Engine::instance().loadAliases();
  }
  void TearDown() override {
    if (!schema.isEmpty()) exec(QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE").arg(schema));
  }

  void useSchema(const QString& name) {
    schema = name;
    exec(QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE").arg(schema));
    ASSERT_TRUE(exec(QStringLiteral("CREATE SCHEMA %1").arg(schema)));
  }
  bool exec(const QString& sql) {
    QSqlQuery q(korvel::db::Engine::instance().connection("PG"));
    const bool ok = q.exec(sql);
    if (!ok) ADD_FAILURE() << sql.toStdString();
    return ok;
  }
  QString values(const QString& sql) {
    QSqlQuery q(korvel::db::Engine::instance().connection("PG"));
    QStringList out;
    if (q.exec(sql))
      while (q.next()) out << q.value(0).toString();
    return out.join(',');
  }
  TFormMain* start() {
    form = env.start();
    form->show();
    env.prompt.clear();
    return form;
  }
  void open(const QString& table) {
    form->ComboBox_Tables->setEditText(table);
    form->ButtonOpenClick(form->ButtonOpen);
    ASSERT_TRUE(form->Table_Paradox->active()) << env.prompt.lastMessage().toStdString();
    env.prompt.clear();
  }
  void execMemo(const QString& memo) {
    env.prompt.onModal = [memo](QWidget* window) {
      if (window == FormMemo) FormMemo->Memo1->setPlainText(memo);
      return int(QDialog::Accepted);
    };
    form->SpeedButtonExecClick();
    env.prompt.onModal = nullptr;
  }

  MainWindowEnv env;
  TFormMain* form = nullptr;
  QString schema;
};

TEST_F(ClipServer, SeveralStatementsWithAnErrorInTheMiddleLeaveNothing) {
  KORVEL_REQUIRE_PG();
  useSchema("clip_exec");
  exec("CREATE TABLE clip_exec.t (id INTEGER PRIMARY KEY, n VARCHAR(10))");
  exec("INSERT INTO clip_exec.t VALUES (1, 'a')");
  start();
  execMemo("UPDATE clip_exec.t SET n = 'changed';\nINSERT INTO clip_exec.t VALUES (1, 'dup');\n"
           "INSERT INTO clip_exec.t VALUES (3, 'c');");
  EXPECT_EQ(values("SELECT id || n FROM clip_exec.t ORDER BY id"), "1a");
  ASSERT_EQ(env.prompt.messageCount(), 1);
  EXPECT_TRUE(env.prompt.lastMessage().startsWith("*E:2番目の文")) << env.prompt.lastMessage().toStdString();
  // The connection is usable afterwards and a good script runs whole.
  execMemo("UPDATE clip_exec.t SET n = 'b';\nINSERT INTO clip_exec.t VALUES (2, 'c');");
  EXPECT_EQ(env.prompt.messageCount(), 1);
  EXPECT_EQ(values("SELECT id || n FROM clip_exec.t ORDER BY id"), "1b,2c");
}

TEST_F(ClipServer, DropScriptListsTheSchemaObjectsInNameOrder) {
  KORVEL_REQUIRE_PG();
  useSchema("clip_drop");
  exec("CREATE TABLE clip_drop.t1 (id SERIAL PRIMARY KEY)");  // its sequence goes with it
  exec("CREATE VIEW clip_drop.v1 AS SELECT id FROM clip_drop.t1");
  exec("CREATE SEQUENCE clip_drop.s1");
  exec("CREATE TABLE clip_drop.\"EVT_LOG\" (a INTEGER)");
  exec("CREATE TABLE clip_drop.\"SMP_A\" (a INTEGER)");
  exec("CREATE TABLE clip_drop.\"we\"\"ird;name\" (a INTEGER)");
  exec("CREATE MATERIALIZED VIEW clip_drop.m1 AS SELECT 1 AS a");
  start();
  const QString path = env.path("drop.sql");
  env.prompt.fileAnswers.push_back(path);
  form->SpeedButton3Click();
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  QStringList ours;
  for (const QString& line : QString::fromUtf8(file.readAll()).split("\r\n"))
    if (line.contains("\"clip_drop\"")) ours << line;
  EXPECT_EQ(ours, (QStringList{"DROP MATERIALIZED VIEW IF EXISTS \"clip_drop\".\"m1\" CASCADE;",
                               "DROP SEQUENCE IF EXISTS \"clip_drop\".\"s1\" CASCADE;",
                               "DROP TABLE IF EXISTS \"clip_drop\".\"t1\" CASCADE;",
                               "DROP VIEW IF EXISTS \"clip_drop\".\"v1\" CASCADE;",
                               "DROP TABLE IF EXISTS \"clip_drop\".\"we\"\"ird;name\" CASCADE;"}));
  // The clipboard holds one line per listed table, schema-qualified where listed so.
  const QString clip = QApplication::clipboard()->text();
  EXPECT_TRUE(clip.contains("DROP TABLE IF EXISTS \"clip_drop\".\"EVT_LOG\" CASCADE;\r\n"));

  // The script runs on the server as it stands.
  execMemo(ours.join('\n'));
  EXPECT_EQ(env.prompt.messageCount(), 0) << env.prompt.lastMessage().toStdString();
  EXPECT_EQ(values("SELECT relname FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace "
                   "WHERE nspname = 'clip_drop' AND relkind IN ('r', 'v', 'm', 'S') ORDER BY relname"),
            "EVT_LOG,SMP_A");
}

TEST_F(ClipServer, TableCommentsComeFromTheCatalog) {
  KORVEL_REQUIRE_PG();
  useSchema("clip_comments");
  exec("CREATE TABLE clip_comments.items (id INTEGER PRIMARY KEY)");
  exec("CREATE TABLE clip_comments.plain (id INTEGER PRIMARY KEY)");
  exec("COMMENT ON TABLE clip_comments.items IS '品目 ''台帳'''");
  start();
  form->CheckBoxCopyOracle->setChecked(true);
  form->ButtonTToClipClick();
  const QStringList lines = QApplication::clipboard()->text().split("\r\n");
  EXPECT_TRUE(lines.contains("clip_comments.items\t品目 '台帳'"));
  EXPECT_TRUE(lines.contains("clip_comments.plain\t"));
  EXPECT_EQ(env.prompt.messageCount(), 0);
}

TEST_F(ClipServer, PasteKeepsTheRecordsBeforeARefusedOne) {
  KORVEL_REQUIRE_PG();
  useSchema("clip_paste");
  exec("CREATE TABLE clip_paste.t (id INTEGER PRIMARY KEY, qty INTEGER CHECK (qty < 100))");
  exec("INSERT INTO clip_paste.t VALUES (1, 1), (2, 2), (3, 3), (4, 4)");
  start();
  open("clip_paste.t");
  form->DBGrid1->setCurrentIndex(form->DBGrid1->model()->index(0, 1));
  QApplication::clipboard()->setText("10\r\n20\r\n500\r\n40\r\n");
  form->BitBtn1Click();
  EXPECT_EQ(values("SELECT qty FROM clip_paste.t ORDER BY id"), "10,20,3,4");
  ASSERT_EQ(env.prompt.messageCount(), 1);
  EXPECT_TRUE(env.prompt.lastMessage().startsWith("*E:3行目を貼り付けられませんでした")) << env.prompt.lastMessage().toStdString();
  // The connection is usable afterwards.
  form->Table_Paradox->first();
  QApplication::clipboard()->setText("7");
  form->BitBtn1Click();
  form->Button8Click();
  EXPECT_EQ(values("SELECT qty FROM clip_paste.t WHERE id = 1"), "7");
}

TEST_F(ClipServer, ExcelCopyWritesServerTypes) {
  KORVEL_REQUIRE_PG();
  useSchema("clip_xlsx");
  exec("CREATE TABLE clip_xlsx.t (id INTEGER PRIMARY KEY, ok BOOLEAN, price NUMERIC(10,2), "
       "stamp TIMESTAMP, day DATE, old DATE, big NUMERIC(38,10), tz TIMESTAMPTZ)");
  exec("INSERT INTO clip_xlsx.t VALUES (1, false, 1234.25, '2021-03-04 05:06:07.5', '2020-01-02', '1899-05-06', "
       "1234567890123456789012345678.1234567891, '2021-03-04 05:06:07+00')");
  start();
  open("clip_xlsx.t");
  const QString path = env.path("pg.xlsx");
  env.prompt.fileAnswers.push_back(path);
  form->BitBtnCopyClick(form->BitBtnExcelCopy);
  EXPECT_EQ(env.prompt.messageCount(), 0) << env.prompt.lastMessage().toStdString();
  const WorkbookCells cells = readWorkbook(path);
  ASSERT_TRUE(cells.error.isEmpty()) << cells.error.toStdString();
  EXPECT_EQ(cells.at("B2"), (Cell{"b", "0"}));
  EXPECT_EQ(cells.at("C2"), (Cell{"n", "1234.25"}));
  EXPECT_TRUE(cells.at("D2").dateFormatted);
  EXPECT_EQ(cells.at("D2").value.left(14), "44259.21258680");  // the half second kept
  EXPECT_EQ(cells.at("E2"), (Cell{"n", "43832"}));
  EXPECT_EQ(cells.at("F2").type, "inlineStr");  // before Excel's first date
  // Digits a double cannot hold, and a zone Excel cannot, go as text.
  EXPECT_EQ(cells.at("G2"), (Cell{"inlineStr", "1234567890123456789012345678.1234567891"}));
  EXPECT_EQ(cells.at("H2").type, "inlineStr");
  EXPECT_TRUE(cells.at("H2").value.contains(QRegularExpression(QStringLiteral("[+-]\\d\\d(:\\d\\d)?$"))))
      << cells.at("H2").value.toStdString();
}

}  // namespace

namespace {

// An ODBC alias that names its DBMS Oracle, over views named like the
// Oracle dictionary that stand over the PostgreSQL catalog.
TEST_F(ClipServer, OracleDropScriptAndTableCommentsFromTheDictionary) {
  KORVEL_REQUIRE_PG();
  useSchema("clip_ora");
  exec("DROP SCHEMA IF EXISTS sys CASCADE");
  exec("CREATE SCHEMA sys");
  exec("CREATE TABLE clip_ora.\"EMP\" (\"EMPNO\" integer PRIMARY KEY)");
  exec("CREATE TABLE clip_ora.\"EVT_LOG\" (a integer)");
  exec("COMMENT ON TABLE clip_ora.\"EMP\" IS '社員'");
  exec("CREATE VIEW sys.all_objects AS SELECT * FROM (VALUES ('SCOTT', 'EMP', 'TABLE'), ('SCOTT', 'V1', 'VIEW'), "
       "('SCOTT', 'S1', 'SEQUENCE'), ('SCOTT', 'X', 'SYNONYM'), ('SCOTT', 'EMP_PK', 'INDEX'), "
       "('SCOTT', 'EVT_LOG', 'TABLE'), ('SCOTT', 'SMP_V', 'VIEW'), ('SYS', 'DUAL', 'TABLE'), "
       "('SCOTT', 'we\"ird', 'TABLE')) o(owner, object_name, object_type)");
  exec("CREATE VIEW clip_ora.user_tab_comments AS SELECT c.relname::text AS table_name, "
       "obj_description(c.oid, 'pg_class') AS comments FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace "
       "WHERE n.nspname = 'clip_ora' AND c.relkind = 'r'");
  QString oracle = korvel::db::test::odbcAliasSection("ORA");
  oracle.replace("BoolsAsChar=0", "BoolsAsChar=0;ConnSettings=SET search_path TO clip_ora");
  QFile aliases(env.path("aliases.ini"));
  aliases.open(QIODevice::WriteOnly);
  aliases.write((oracle + "DBMS NAME=Oracle\n" + korvel::db::test::pgAliasSection("PG")).toUtf8());
  aliases.close();
  korvel::db::Engine::instance().loadAliases();
  start();
  form->ComboBox_Alias->setCurrentIndex(form->ComboBox_Alias->findText("ORA"));
  form->ButtonGetTblNMClick();

  const QString path = env.path("ora.sql");
  env.prompt.fileAnswers.push_back(path);
  form->SpeedButton3Click();
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << env.prompt.lastMessage().toStdString();
  EXPECT_EQ(file.readAll(),
            "DROP TABLE \"EMP\" CASCADE CONSTRAINTS;\r\n"
            "DROP SEQUENCE \"S1\";\r\n"
            "DROP VIEW \"V1\";\r\n"
            "DROP TABLE \"we\"\"ird\" CASCADE CONSTRAINTS;\r\n");
  for (const QString& line : QApplication::clipboard()->text().split("\r\n", Qt::SkipEmptyParts))
    EXPECT_TRUE(line.startsWith("DROP TABLE ") && line.endsWith(" CASCADE CONSTRAINTS;")) << line.toStdString();

  form->CheckBoxCopyOracle->setChecked(true);
  form->ComboBox_Tables->clear();
  form->ComboBox_Tables->addItems({"EMP", "EVT_LOG", "NONE"});
  form->ButtonTToClipClick();
  EXPECT_EQ(QApplication::clipboard()->text(), "EMP\t社員\r\nEVT_LOG\t\r\nNONE\t\r\n");
  exec("DROP SCHEMA IF EXISTS sys CASCADE");
}

}  // namespace
