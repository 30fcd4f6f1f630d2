// Opening, editing and posting a PostgreSQL table from the main window.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QPushButton>
#include <QFile>
#include <QSqlQuery>

#include "../db/dbtestenv.h"
#include "db/engine.h"
#include "db/table.h"
#include "main/formmain.h"
#include "mainwindow_fixture.h"

namespace {

TEST(FormMainServer, OpenEditAndPostAPostgresTable) {
  KORVEL_REQUIRE_PG();
  MainWindowEnv env;
  QFile aliases(env.path("aliases.ini"));
  aliases.open(QIODevice::WriteOnly);
  aliases.write(korvel::db::test::pgAliasSection("PG").toUtf8());
  aliases.close();

  korvel::db::Engine::instance().loadAliases();
  {
    QSqlQuery q(korvel::db::Engine::instance().connection("PG"));
    q.exec("DROP TABLE IF EXISTS main_window_items");
    ASSERT_TRUE(q.exec("CREATE TABLE main_window_items (id INTEGER PRIMARY KEY, name VARCHAR(30))"));
    ASSERT_TRUE(q.exec("INSERT INTO main_window_items VALUES (1, 'one'), (2, 'two')"));
  }

  TFormMain* form = env.start();
  form->show();
  ASSERT_GE(form->ComboBox_Tables->findText("main_window_items"), 0);
  form->ComboBox_Tables->setEditText("main_window_items");
  form->ButtonOpenClick(form->ButtonOpen);
  ASSERT_TRUE(form->Table_Paradox->active());
  EXPECT_EQ(form->Table_Paradox->driverName(), "POSTGRESQL");

  form->Table_Paradox->moveTo(1);
  form->Table_Paradox->edit();
  form->Table_Paradox->fieldByName("name").setEditText("二番目");
  form->Button8Click();
  EXPECT_EQ(env.prompt.messageCount(), 0) << env.prompt.lastMessage().toStdString();

  QSqlQuery check(korvel::db::Engine::instance().connection("PG"));
  ASSERT_TRUE(check.exec("SELECT name FROM main_window_items WHERE id = 2") && check.next());
  EXPECT_EQ(check.value(0).toString(), "二番目");
  check.exec("DROP TABLE main_window_items");
}

}  // namespace
