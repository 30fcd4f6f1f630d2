// The main window's SQL tools and the windows it opens, on SQLite.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBrowser>
#include <QToolButton>

#include "auxwin/fmabout.h"
#include "auxwin/form_alias.h"
#include "auxwin/formdispformat.h"
#include "auxwin/formtjusdebug.h"
#include "auxwin/helpwindow.h"
#include "common/programstate.h"
#include "controls/combogrid.h"
#include "copydb/formcopydb.h"
#include "db/query.h"
#include "db/table.h"
#include "main/formmain.h"
#include "mainwindow_fixture.h"
#include "sqleditor/formmemo.h"
#include "tablemake/formtblmake.h"
#include "ui/dbgrid.h"

namespace {

class SqlToolsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    env.execSql("t.sqlite", {"CREATE TABLE ITEMS (ID INTEGER PRIMARY KEY, NAME VARCHAR(20))",
                             "INSERT INTO ITEMS VALUES (1, 'a'), (2, 'b'), (3, 'c')",
                             "CREATE TABLE EVT_LOG (A INTEGER)", "CREATE TABLE SMP_X (A INTEGER)",
                             "CREATE TABLE \"we\"\"ird;name\" (A INTEGER)", "CREATE VIEW V1 AS SELECT * FROM ITEMS",
                             "CREATE TABLE TJUS (TJUS_KEY INTEGER PRIMARY KEY, TJUS_EIGBLKCD VARCHAR(4), "
                             "TJUS_FID VARCHAR(4), TJUS_DATA1 TEXT, TJUS_DATA2 TEXT, TJUS_DATA3 TEXT, "
                             "TJUS_DATA4 TEXT, TJUS_DATA5 TEXT, TJUS_RECMAKE VARCHAR(8))",
                             "INSERT INTO TJUS VALUES (7, 'B7', 'F7', 'd1', 'd2', 'd3', 'd4', 'd5', 'R7')"});
    env.writeAliases({"[T]", "TYPE=SQLITE", "PATH=" + env.path("t.sqlite")});
    form = env.start();
    form->show();
    env.prompt.clear();
  }

  // "SQL実行" with the editor closed by OK on `memo`.
  void exec(const QString& memo) {
    env.prompt.onModal = [memo](QWidget* window) {
      if (window == FormMemo) FormMemo->Memo1->setPlainText(memo);
      return int(QDialog::Accepted);
    };
    form->SpeedButtonExecClick();
    env.prompt.onModal = nullptr;
  }

  QVariant stored(const QString& sql) { return env.queryValue("t.sqlite", sql); }
  QString clipboard() const { return QApplication::clipboard()->text(); }

  MainWindowEnv env;
  TFormMain* form = nullptr;
};

TEST_F(SqlToolsTest, ExecRunsTheStatementWithoutItsDataSourceLine) {
  form->ComboBox_Tables->setEditText("ITEMS");
  exec("//[DataSource]T\nDELETE FROM ITEMS\nWHERE ID = 2");
  EXPECT_EQ(env.prompt.messageCount(), 0) << env.prompt.lastMessage().toStdString();
  EXPECT_EQ(stored("SELECT group_concat(ID) FROM ITEMS").toString(), "1,3");
  EXPECT_TRUE(form->CheckBoxQuery->isChecked());
  EXPECT_EQ(EditorTableName, "ITEMS");
  EXPECT_EQ(FormMemo->EditAlias->text(), "T");
  EXPECT_EQ(Qz_LastSql, "DELETE FROM ITEMS\nWHERE ID = 2");

  // An engine error is shown; a cancelled editor runs nothing.
  exec("DELETE FROM NO_SUCH_TABLE");
  EXPECT_EQ(env.prompt.messageCount(), 1);
  env.prompt.onModal = [](QWidget*) { return int(QDialog::Rejected); };
  FormMemo->Memo1->setPlainText("DELETE FROM ITEMS");
  form->SpeedButtonExecClick();
  EXPECT_EQ(stored("SELECT COUNT(*) FROM ITEMS").toInt(), 2);
}

TEST_F(SqlToolsTest, SeveralStatementsRunTogetherOrNotAtAll) {
  exec("INSERT INTO ITEMS VALUES (4, 'd');\nUPDATE ITEMS SET NAME = 'x' WHERE ID = 1;\n");
  EXPECT_EQ(env.prompt.messageCount(), 0) << env.prompt.lastMessage().toStdString();
  EXPECT_EQ(stored("SELECT group_concat(NAME) FROM ITEMS").toString(), "x,b,c,d");

  // An error in the middle undoes the statements before it; none after runs.
  exec("DELETE FROM ITEMS WHERE ID = 1;\nINSERT INTO ITEMS VALUES (2, 'dup');\nDELETE FROM ITEMS;");
  EXPECT_EQ(stored("SELECT group_concat(NAME) FROM ITEMS").toString(), "x,b,c,d");
  ASSERT_EQ(env.prompt.messageCount(), 1);
  EXPECT_TRUE(env.prompt.lastMessage().startsWith("*E:2番目の文（2行目から）")) << env.prompt.lastMessage().toStdString();
  EXPECT_TRUE(env.prompt.lastMessage().contains("INSERT INTO ITEMS VALUES (2, 'dup')"));

  // A statement that ends the transaction itself is refused before anything runs.
  exec("DELETE FROM ITEMS;\nCOMMIT;");
  EXPECT_EQ(stored("SELECT COUNT(*) FROM ITEMS").toInt(), 4);
  EXPECT_TRUE(env.prompt.lastMessage().contains("トランザクション"));
}

TEST_F(SqlToolsTest, DropScriptComesFromTheCatalogAndTheClipboardFromTheList) {
  form->ComboBox_Tables->setEditText("ITEMS");
  form->ButtonOpenClick(form->ButtonOpen);
  const QString path = env.path("drop.sql");
  env.prompt.fileAnswers.push_back(path);
  form->SpeedButton3Click();
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(),
            "DROP TABLE IF EXISTS \"ITEMS\";\r\n"
            "DROP TABLE IF EXISTS \"TJUS\";\r\n"
            "DROP VIEW IF EXISTS \"V1\";\r\n"
            "DROP TABLE IF EXISTS \"we\"\"ird;name\";\r\n");
  const QStringList lines = clipboard().split("\r\n");
  EXPECT_EQ(lines.size(), form->ComboBox_Tables->count() + 1);
  EXPECT_TRUE(lines.contains("DROP TABLE IF EXISTS \"EVT_LOG\";"));  // the list, not the catalog
  EXPECT_TRUE(lines.contains("DROP TABLE IF EXISTS \"we\"\"ird;name\";"));
  EXPECT_FALSE(form->Table_Paradox->active());  // the grid goes empty
}

TEST_F(SqlToolsTest, TitlesFromCommentsAndBackToNames) {
  form->ComboBox_Tables->setEditText("ITEMS");
  form->ButtonOpenClick(form->ButtonOpen);
  form->ComboGrid1->SetCells(1, 5, "番号");
  form->SpeedButton4Click();
  EXPECT_EQ(form->Table_Paradox->field(0).displayName(), "番号");
  EXPECT_EQ(form->DBGrid1->model()->headerData(0, Qt::Horizontal).toString(), "番号");
  EXPECT_EQ(form->Table_Paradox->field(1).displayName(), "NAME");  // empty comment: its name
  // The format grid keeps the old title: a second press finds no match.
  form->ComboGrid1->SetCells(1, 5, "");
  form->SpeedButton4Click();
  EXPECT_EQ(form->Table_Paradox->field(0).displayName(), "番号");
  form->SpeedButtonGetSimpleInfClick();
  form->SpeedButton4Click();
  EXPECT_EQ(form->Table_Paradox->field(0).displayName(), "ID");
}

TEST_F(SqlToolsTest, AliasWindowNeedsAChosenAlias) {
  QStringList shown;
  env.prompt.onModal = [&](QWidget* window) {
    shown << window->objectName();
    return 0;
  };
  form->ComboBox_Alias->setEditText("typed");
  form->N3Click();
  EXPECT_EQ(form->StatusPanel1->text(), "エリアス名を指定せよ");
  form->ComboBox_Alias->setCurrentIndex(0);
  form->N3Click();
  EXPECT_EQ(shown, QStringList{"Form_Alias"});
  ASSERT_EQ(Form_Alias->ListBox1->count(), 2);
  EXPECT_EQ(Form_Alias->ListBox1->item(0)->text(), "TYPE=SQLITE");
  form->ComboBox_Alias->clear();
  form->N3Click();
  EXPECT_EQ(form->StatusPanel1->text(), "エリアス名なし");
  EXPECT_EQ(Form_Alias->ListBox1->count(), 0);
  env.prompt.onModal = nullptr;
}

TEST_F(SqlToolsTest, EveryWindowOpensFromTheMainWindow) {
  QList<QWidget*> shown;
  env.prompt.onModal = [&](QWidget* window) {
    shown << window;
    return 0;
  };
  form->About1->trigger();
  form->ButtonMake->click();
  form->ButtonDBCopy->click();
  form->SpeedButton1->click();
  form->N3->trigger();
  EXPECT_EQ(shown, (QList<QWidget*>{FMAbout, FormTblMake, FormCopyDB, FormDispFormat, Form_Alias}));
  EXPECT_EQ(FMAbout->LabelVersion->text(), "Version V0.989A");
  env.prompt.onModal = nullptr;

  form->Contents1->trigger();
  ASSERT_NE(korvel::manualBrowser(), nullptr);
  EXPECT_TRUE(korvel::manualBrowser()->isVisible());
  EXPECT_TRUE(korvel::manualBrowser()->toPlainText().contains("Clip Copy"));
  EXPECT_FALSE(form->Button5->isEnabled());
}

TEST_F(SqlToolsTest, DispShowsTheViewerOnlyForTJUSWithTheCurrentKey) {
  form->ComboBox_Tables->setEditText("tjus");
  form->SpeedButton2Click();
  EXPECT_FALSE(FormTjusDebug->isVisible());
  form->ComboBox_Tables->setEditText("TJUS");
  form->ButtonOpenClick(form->ButtonOpen);
  form->SpeedButton2Click();
  EXPECT_TRUE(FormTjusDebug->isVisible());
  EXPECT_EQ(FormTjusDebug->EditKey->text(), "7");
  EXPECT_EQ(FormTjusDebug->QueryTmp->databaseName(), "T");
  EXPECT_TRUE(FormTjusDebug->EditFID->text().isEmpty());  // nothing read until "Open"
  FormTjusDebug->SpeedButton1Click();
  EXPECT_EQ(FormTjusDebug->EditFID->text(), "F7");
  EXPECT_EQ(FormTjusDebug->Memos[4]->toPlainText(), "d5");
  EXPECT_FALSE(FormTjusDebug->QueryTmp->active());
}

}  // namespace
