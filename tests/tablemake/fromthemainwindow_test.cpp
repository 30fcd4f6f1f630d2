// From the main window: "Make Paradox Table" opens the table creation
// window, a hand-written script is built into the alias, and the new table
// and its comment rows are there to list and open.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QFile>
#include <QPushButton>

#include "../common/sjis.h"
#include "../main/mainwindow_fixture.h"
#include "db/table.h"
#include "main/formmain.h"
#include "tablemake/formtblmake.h"

TEST(TableMakeFromMainWindow, BuildAHandWrittenScriptIntoTheAlias) {
  MainWindowEnv env;
  env.execSql("demo.sqlite", {"CREATE TABLE DEPT (DEPTNO INTEGER PRIMARY KEY, DNAME VARCHAR(14))"});
  env.writeAliases({"[DEMO]", "TYPE=SQLITE", "PATH=" + env.path("demo.sqlite")});
  TFormMain* form = env.start();
  form->show();
  env.prompt.clear();

  QFile script(env.path("staff.sql"));
  ASSERT_TRUE(script.open(QIODevice::WriteOnly));
  script.write(QByteArray::fromStdString(sj("-- 職員\r\n"
                                            "create table staff (\r\n"
                                            "  id number(6),      -- 職員番号\r\n"
                                            "  name varchar2(20), -- 氏名\r\n"
                                            "  joined date        -- 入社日\r\n"
                                            "  , constraint staff_pk primary key (id)\r\n"
                                            ");\r\n")));
  script.close();
  env.prompt.fileAnswers.push_back(script.fileName());
  env.prompt.onModal = [](QWidget* window) {
    auto* make = qobject_cast<TFormTblMake*>(window);
    if (!make) return 0;
    make->FormShow();
    make->O1Click();
    make->ButtonTableIndexClick();
    return 0;
  };
  form->ButtonMake->click();
  ASSERT_FALSE(env.prompt.records.isEmpty());
  EXPECT_EQ(env.prompt.records.first().kind, korvel::PromptRecord::Modal);
  EXPECT_EQ(env.prompt.records.first().text, QStringLiteral("TFormTblMake"));
  EXPECT_EQ(env.prompt.messageCount(), 0) << env.prompt.lastMessage().toStdString();

  form->ButtonGetTblNMClick();
  QStringList tables;
  for (int i = 0; i < form->ComboBox_Tables->count(); ++i) tables << form->ComboBox_Tables->itemText(i);
  EXPECT_EQ(tables, (QStringList{"DEPT", "STAFF", "SysComment"}));

  form->ComboBox_Tables->setEditText(QStringLiteral("SysComment"));
  form->ButtonOpenClick(form->ButtonOpen);
  ASSERT_TRUE(form->Table_Paradox->active());
  EXPECT_EQ(form->Table_Paradox->recordCount(), 4);  // the table's comment and three columns
  EXPECT_EQ(env.queryValue("demo.sqlite", "SELECT \"Comment\" FROM \"SysComment\" WHERE \"Field Name\" = 'NAME'"),
            QVariant(QStringLiteral("氏名")));
  korvel::db::Table staff;
  staff.setDatabaseName(QStringLiteral("DEMO"));
  staff.setTableName(QStringLiteral("STAFF"));
  staff.updateIndexDefs();
  ASSERT_EQ(staff.indexDefs().size(), 1u);
  EXPECT_EQ(staff.indexDefs()[0].fields, QStringLiteral("ID"));
}
