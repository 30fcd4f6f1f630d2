// "表情報(&I)" in the main window: the table information window filled from
// the current table, shown modally, and the names and comments taken back
// into the format grid.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "controls/combogrid.h"
#include "db/table.h"
#include "main/formmain.h"
#include "mainwindow_fixture.h"
#include "sqleditor/formmemo.h"
#include "tableinfo/formtblinf.h"

namespace {

class TableInfoCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    env.execSql("t.sqlite", {"CREATE TABLE ITEMS (ID INTEGER PRIMARY KEY, CODE VARCHAR(20), QTY INTEGER)",
                             "INSERT INTO ITEMS VALUES (1, 'A', 2)",
                             "CREATE TABLE SysComment (\"File Name\" VARCHAR(30), \"Field Name\" VARCHAR(30), "
                             "\"Comment\" VARCHAR(50), PRIMARY KEY (\"File Name\", \"Field Name\"))",
                             "INSERT INTO SysComment VALUES ('ITEMS', 'CODE', 'コード')",
                             "INSERT INTO SysComment VALUES ('ITEMS', 'TableComment', '品目')"});
    env.writeAliases({"[T]", "TYPE=SQLITE", "PATH=" + env.path("t.sqlite")});
    form = env.start();
    form->show();
    form->ComboBox_Tables->setEditText("ITEMS");
    form->ButtonOpenClick(form->ButtonOpen);
    env.prompt.clear();
  }

  QString format(int col, int row) const { return form->ComboGrid1->Cells(col, row); }

  MainWindowEnv env;
  TFormMain* form = nullptr;
};

TEST_F(TableInfoCommand, ShowsTheTableAndTakesNamesAndCommentsBack) {
  ASSERT_TRUE(form->Table_Paradox->active());
  form->ComboGrid1->SetCells(1, 2, "stale");
  FormMemo->CheckBoxParadox->setChecked(true);
  QString shownComment;
  env.prompt.onModal = [&](QWidget* w) {
    if (w != FormTblInf) return 0;
    shownComment = FormTblInf->Edit_TableComment->text();
    // The user edits a comment and renames a field in the window.
    FormTblInf->ComboGrid1->SetCells(7, 3, "数量");
    FormTblInf->ComboGrid1->SetCells(1, 1, "KEY");
    return 0;
  };
  form->Button10->click();
  EXPECT_EQ(shownComment, "品目");
  EXPECT_EQ(FormTblInf->windowTitle(), "T:ITEMS フィールド、インデックス情報");
  // The main table is left closed.
  EXPECT_FALSE(form->Table_Paradox->active());
  EXPECT_EQ(form->Label_Status->text(), "CLOSE");
  EXPECT_FALSE(FormMemo->CheckBoxParadox->isChecked());
  EXPECT_EQ(format(1, 0), "KEY");
  EXPECT_EQ(format(2, 0), "CODE");
  EXPECT_EQ(format(3, 0), "QTY");
  EXPECT_EQ(format(1, 5), "");
  EXPECT_EQ(format(2, 5), "コード");
  EXPECT_EQ(format(3, 5), "数量");
  EXPECT_EQ(format(1, 2), "");  // the grid was emptied first
}

TEST_F(TableInfoCommand, CopyingStopsAtTheFirstEmptyNameAndTheMenuOpensItToo) {
  env.prompt.onModal = [&](QWidget* w) {
    if (w == FormTblInf) FormTblInf->ComboGrid1->SetCells(1, 2, "");
    return 0;
  };
  form->InfoDisplay->trigger();
  EXPECT_EQ(env.prompt.records.size(), 1);
  EXPECT_EQ(format(1, 0), "ID");
  EXPECT_EQ(format(2, 0), "");
  EXPECT_EQ(format(3, 0), "");
}

TEST_F(TableInfoCommand, ATableThatCannotBeOpenedShowsNoWindow) {
  form->ComboBox_Tables->setEditText("MISSING");
  form->Button10->click();
  EXPECT_EQ(env.prompt.messageCount(), 1);
  for (const auto& r : env.prompt.records) EXPECT_NE(r.kind, korvel::PromptRecord::Modal);
}

}  // namespace
