// The main window on a PostgreSQL table: editing and posting, and test data,
// where a failed statement aborts the whole transaction.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QPushButton>
#include <QScrollBar>
#include <QSqlQuery>
#include <QTest>

#include "../db/dbtestenv.h"
#include "controls/combogrid.h"
#include "controls/numedit.h"
#include "db/engine.h"
#include "db/table.h"
#include "main/formmain.h"
#include "mainwindow_fixture.h"
#include "ui/dbgrid.h"

namespace {

class FormMainServer : public ::testing::Test {
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
    for (const QString& table : dropped) exec("DROP TABLE IF EXISTS " + table);
  }

  bool exec(const QString& sql) {
    QSqlQuery q(korvel::db::Engine::instance().connection("PG"));
    return q.exec(sql);
  }
  QString values(const QString& sql) {
    QSqlQuery q(korvel::db::Engine::instance().connection("PG"));
    QStringList out;
    if (q.exec(sql))
      while (q.next()) out << q.value(0).toString();
    return out.join(',');
  }
  TFormMain* openWindowOn(const QString& table) {
    TFormMain* form = env.start();
    form->show();
    form->ComboBox_Tables->setEditText(table);
    form->ButtonOpenClick(form->ButtonOpen);
    env.prompt.clear();
    return form;
  }
  void generate(TFormMain* form, bool append, const QString& first, const QString& last) {
    form->CheckBoxDApp->setChecked(append);
    form->NumEditFirst->setText(first);
    form->NumEditEnd->setText(last);
    form->SpeedButtonDMakeClick();
  }

  MainWindowEnv env;
  QStringList dropped;
};

TEST_F(FormMainServer, OpenEditAndPostAPostgresTable) {
  KORVEL_REQUIRE_PG();
  dropped << "main_window_items";
  exec("DROP TABLE IF EXISTS main_window_items");
  ASSERT_TRUE(exec("CREATE TABLE main_window_items (id INTEGER PRIMARY KEY, name VARCHAR(30))"));
  ASSERT_TRUE(exec("INSERT INTO main_window_items VALUES (1, 'one'), (2, 'two')"));

  TFormMain* form = openWindowOn("main_window_items");
  ASSERT_TRUE(form->Table_Paradox->active());
  EXPECT_EQ(form->Table_Paradox->driverName(), "POSTGRESQL");

  form->Table_Paradox->moveTo(1);
  form->Table_Paradox->edit();
  form->Table_Paradox->fieldByName("name").setEditText("二番目");
  form->Button8Click();
  EXPECT_EQ(env.prompt.messageCount(), 0) << env.prompt.lastMessage().toStdString();
  EXPECT_EQ(values("SELECT name FROM main_window_items WHERE id = 2"), "二番目");
}

// The third row breaks a check: the two before it are committed, the third
// stays unposted with its values, and the server's message is the one box.
TEST_F(FormMainServer, TestDataFailingMidRunKeepsTheRowsBefore) {
  KORVEL_REQUIRE_PG();
  dropped << "gen_checked";
  exec("DROP TABLE IF EXISTS gen_checked");
  ASSERT_TRUE(exec("CREATE TABLE gen_checked (id INTEGER PRIMARY KEY, qty INTEGER CHECK (qty < 13))"));
  TFormMain* form = openWindowOn("gen_checked");
  ASSERT_TRUE(form->Table_Paradox->active());
  form->ComboGrid1->SetCells(1, 2, "0");
  form->ComboGrid1->SetCells(1, 3, "1");
  form->ComboGrid1->SetCells(2, 2, "10");
  form->ComboGrid1->SetCells(2, 3, "1");
  generate(form, true, "1", "5");

  ASSERT_EQ(env.prompt.messageCount(), 1);
  EXPECT_TRUE(env.prompt.lastMessage().contains("gen_checked_qty_check")) << env.prompt.lastMessage().toStdString();
  EXPECT_EQ(values("SELECT id FROM gen_checked ORDER BY id"), "1,2");
  EXPECT_EQ(form->Table_Paradox->state(), korvel::db::DatasetState::Insert);
  EXPECT_EQ(form->ComboGrid1->Cells(2, 2), "13");
  form->Table_Paradox->cancel();
  EXPECT_EQ(form->Table_Paradox->recordCount(), 2);

  // The connection is left usable: the next run writes.
  form->ComboGrid1->SetCells(2, 2, "0");
  generate(form, true, "1", "2");
  EXPECT_EQ(env.prompt.messageCount(), 1) << env.prompt.lastMessage().toStdString();
  EXPECT_EQ(values("SELECT id FROM gen_checked ORDER BY id"), "1,2,4,5");
}

// The server refuses the commit (a deferred foreign key): the user is told,
// and the grid does not go on showing rows that are not there.
TEST_F(FormMainServer, ARefusedCommitIsReportedAndTheGridShowsWhatIsStored) {
  KORVEL_REQUIRE_PG();
  dropped << "gen_child" << "gen_parent";
  exec("DROP TABLE IF EXISTS gen_child");
  exec("DROP TABLE IF EXISTS gen_parent");
  ASSERT_TRUE(exec("CREATE TABLE gen_parent (id INTEGER PRIMARY KEY)"));
  ASSERT_TRUE(exec("CREATE TABLE gen_child (id INTEGER PRIMARY KEY, parent INTEGER REFERENCES gen_parent (id) "
                   "DEFERRABLE INITIALLY DEFERRED)"));
  TFormMain* form = openWindowOn("gen_child");
  form->ComboGrid1->SetCells(1, 2, "0");
  form->ComboGrid1->SetCells(1, 3, "1");
  form->ComboGrid1->SetCells(2, 2, "40");
  generate(form, true, "1", "3");

  ASSERT_EQ(env.prompt.messageCount(), 1);
  EXPECT_TRUE(env.prompt.lastMessage().startsWith("*E:作成したデータを確定できませんでした"))
      << env.prompt.lastMessage().toStdString();
  EXPECT_EQ(values("SELECT COUNT(*) FROM gen_child"), "0");
  EXPECT_EQ(form->Table_Paradox->recordCount(), 0);
}

TEST_F(FormMainServer, OverwritingTheKeyVisitsEachRecordOfTheRangeOnce) {
  KORVEL_REQUIRE_PG();
  dropped << "gen_keys";
  exec("DROP TABLE IF EXISTS gen_keys");
  ASSERT_TRUE(exec("CREATE TABLE gen_keys (id INTEGER PRIMARY KEY, code VARCHAR(10))"));
  ASSERT_TRUE(exec("INSERT INTO gen_keys VALUES (1, 'a'), (2, 'b'), (3, 'c'), (4, 'd')"));
  TFormMain* form = openWindowOn("gen_keys");
  form->ComboGrid1->SetCells(1, 2, "100");
  form->ComboGrid1->SetCells(1, 3, "1");
  form->ComboGrid1->SetCells(2, 2, "0");
  form->ComboGrid1->SetCells(2, 3, "1");
  form->ComboGrid1->SetCells(2, 4, "K%d");
  generate(form, false, "1", "3");
  EXPECT_EQ(env.prompt.messageCount(), 0) << env.prompt.lastMessage().toStdString();
  EXPECT_EQ(values("SELECT id || '=' || code FROM gen_keys ORDER BY id"), "4=d,101=K1,102=K2,103=K3");
}

// The grid on a PostgreSQL table of 1,005 rows: its scroll range is the row
// count at once, Ctrl+End reaches the last row in one press, and after test
// data the grid shows the current record, the new rows counted in.
TEST_F(FormMainServer, GridRangeCtrlEndAndTestDataOnAThousandRows) {
  KORVEL_REQUIRE_PG();
  dropped << "grid_rows";
  exec("DROP TABLE IF EXISTS grid_rows");
  ASSERT_TRUE(exec("CREATE TABLE grid_rows (id INTEGER PRIMARY KEY, dept_code CHAR(4))"));
  ASSERT_TRUE(exec("INSERT INTO grid_rows SELECT i, 'D' || (i % 10) FROM generate_series(1, 1005) i"));
  TFormMain* form = openWindowOn("grid_rows");
  form->resize(1024, 768);
  korvel::ui::DBGrid* grid = form->DBGrid1;
  ASSERT_TRUE(form->Table_Paradox->active());
  EXPECT_EQ(grid->model()->rowCount(), 1005);
  EXPECT_TRUE(form->Button8->isEnabled());
  QTest::keyClick(grid, Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(grid->currentIndex().row(), 1004);
  EXPECT_EQ(form->Table_Paradox->fieldByName("id").asString(), "1005");
  QTest::keyClick(grid, Qt::Key_Home, Qt::ControlModifier);
  EXPECT_EQ(grid->verticalScrollBar()->value(), 0);

  form->ComboGrid1->SetCells(1, 2, "2000");
  form->ComboGrid1->SetCells(1, 3, "1");
  generate(form, true, "", "3.5");  // the box keeps the whole number it will use
  EXPECT_EQ(form->NumEditEnd->text(), "3");
  EXPECT_EQ(env.prompt.messageCount(), 0) << env.prompt.lastMessage().toStdString();
  EXPECT_EQ(values("SELECT COUNT(*) FROM grid_rows"), "1008");
  EXPECT_EQ(grid->model()->rowCount(), 1008);
  EXPECT_EQ(grid->currentIndex().row(), form->Table_Paradox->recNo());
  const QRect current = grid->visualRect(grid->currentIndex());
  EXPECT_TRUE(current.isValid() && grid->viewport()->rect().intersects(current));
}

}  // namespace
