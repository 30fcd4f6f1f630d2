// Main window start-up, alias and table selection and the settings file.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <QFile>

#include "auxwin/fmabout.h"
#include "main/formmain.h"
#include "mainwindow_fixture.h"

namespace {

QStringList items(const QComboBox* box) {
  QStringList out;
  for (int i = 0; i < box->count(); ++i) out << box->itemText(i);
  return out;
}

class FormMainTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const QString a = env.makeDatabase("a.sqlite", {"CUSTOMER", "ORDERS"});
    const QString b = env.makeDatabase("b.sqlite", {"SYSTEM.HELP", "MDSYS.X", "MYSYSTEM.T",
                                                    "system.t", "CTXSYS.Y", "ZED"});
    env.makeDatabase("empty.sqlite", {});
    env.writeAliases({"[ALPHA]", "TYPE=SQLITE", "PATH=" + a, "[BETA]", "TYPE=SQLITE",
                      "PATH=" + b, "[EMPTY]", "TYPE=SQLITE", "PATH=" + env.path("empty.sqlite")});
  }

  TFormMain* startAndShow() {
    TFormMain* form = env.start();
    form->show();
    return form;
  }

  MainWindowEnv env;
};

TEST_F(FormMainTest, StartListsAliasesAndTheTablesOfTheFirst) {
  TFormMain* form = startAndShow();
  EXPECT_EQ(items(form->ComboBox_Alias), QStringList({"ALPHA", "BETA", "EMPTY"}));
  EXPECT_EQ(form->ComboBox_Alias->currentText(), "ALPHA");
  EXPECT_EQ(items(form->ComboBox_Tables), QStringList({"CUSTOMER", "ORDERS"}));
  EXPECT_EQ(form->ComboBox_Tables->currentIndex(), 0);
  EXPECT_EQ(form->windowTitle(), "汎用ファイルメンテ V0.989A");
  EXPECT_EQ(FMAbout->LabelVersion->text(), "Version V0.989A");
  EXPECT_FALSE(form->SpeedButtonKensu->isEnabled());
  EXPECT_EQ(env.prompt.messageCount(), 0);
}

TEST_F(FormMainTest, SystemOwnerPrefixesAreHiddenOnlyWhenAsked) {
  TFormMain* form = startAndShow();
  form->ComboBox_Alias->setCurrentIndex(1);
  form->ButtonGetTblNMClick();
  EXPECT_EQ(items(form->ComboBox_Tables), QStringList({"MYSYSTEM.T", "system.t", "ZED"}));

  form->CheckBoxOthers->setChecked(false);
  form->ButtonGetTblNMClick();
  EXPECT_EQ(form->ComboBox_Tables->count(), 6);
}

TEST_F(FormMainTest, TypedAliasIsAddedOnceAndReused) {
  TFormMain* form = startAndShow();
  env.prompt.clear();
  form->ComboBox_Alias->setEditText("NOSUCH");
  form->ButtonGetTblNMClick();
  EXPECT_EQ(form->ComboBox_Alias->count(), 4);
  EXPECT_EQ(form->ComboBox_Alias->currentText(), "NOSUCH");
  // The engine's refusal of the unknown alias is the one box shown.
  EXPECT_EQ(env.prompt.messageCount(), 1);
  EXPECT_TRUE(env.prompt.lastMessage().contains("NOSUCH"));
  EXPECT_EQ(form->ComboBox_Tables->count(), 0);

  form->ComboBox_Alias->setEditText("BETA");
  form->ButtonGetTblNMClick();
  EXPECT_EQ(form->ComboBox_Alias->count(), 4);
  EXPECT_EQ(form->ComboBox_Alias->currentIndex(), 1);
}

TEST_F(FormMainTest, AliasWithoutTablesIsReported) {
  TFormMain* form = startAndShow();
  env.prompt.clear();
  form->ComboBox_Alias->setCurrentIndex(2);
  form->ButtonGetTblNMClick();
  EXPECT_EQ(form->ComboBox_Tables->count(), 0);
  ASSERT_EQ(env.prompt.messageCount(), 1);
  EXPECT_EQ(env.prompt.lastMessage(),
            "指定されたエイリアス情報(EMPTY)ではテーブルが見つかりません");
  EXPECT_EQ(env.prompt.records.last().icon, korvel::PromptIcon::Error);
}

TEST_F(FormMainTest, TypedTableNameIsKeptInTheListOnExit) {
  TFormMain* form = startAndShow();
  form->ComboBox_Tables->setEditText("NEWTABLE");
  form->ComboBox_TablesExit();
  EXPECT_EQ(items(form->ComboBox_Tables), QStringList({"CUSTOMER", "ORDERS", "NEWTABLE"}));
  EXPECT_EQ(form->ComboBox_Tables->currentText(), "NEWTABLE");
  form->ComboBox_Tables->setEditText("ORDERS");
  form->ComboBox_TablesExit();
  EXPECT_EQ(form->ComboBox_Tables->count(), 3);
  EXPECT_EQ(form->ComboBox_Tables->currentIndex(), 1);
}

TEST_F(FormMainTest, ChoosingATableBindsItAndLeavesQueryMode) {
  TFormMain* form = startAndShow();
  form->CheckBoxQuery->setChecked(true);
  form->ComboBox_Tables->setEditText("ORDERS");
  EXPECT_FALSE(form->CheckBoxQuery->isChecked());
}

TEST_F(FormMainTest, SettingsAreWrittenOnCloseAndRestoredOnStart) {
  TFormMain* form = startAndShow();
  form->ComboBox_Alias->setCurrentIndex(1);
  form->ButtonMemo1->setText("ZED");
  form->close();
  const QString written = env.readSettings();
  EXPECT_TRUE(written.contains("Alias=BETA"));
  EXPECT_TRUE(written.contains("T1=ZED"));
  EXPECT_TRUE(written.contains("T4=ButtonMemo(&4)"));
  env.stop();

  form = startAndShow();
  EXPECT_EQ(form->ComboBox_Alias->currentText(), "BETA");
  EXPECT_EQ(form->ButtonMemo1->text(), "ZED");
  EXPECT_EQ(form->ButtonMemo2->text(), "ButtonMemo(&2)");
}

TEST_F(FormMainTest, EmptyStoredAliasIgnoresStoredTables) {
  env.writeSettings({"[DB]", "Alias=", "T1=ORDERS"});
  TFormMain* form = startAndShow();
  EXPECT_EQ(form->ComboBox_Alias->currentText(), "ALPHA");
  EXPECT_EQ(form->ButtonMemo1->text(), "ButtonMemo(&1)");
}

TEST_F(FormMainTest, StoredAliasThatIsGoneLeavesTheFirstSelected) {
  env.writeSettings({"[DB]", "Alias=GONE", "T1=ORDERS"});
  TFormMain* form = startAndShow();
  EXPECT_EQ(form->ComboBox_Alias->currentText(), "ALPHA");
  EXPECT_EQ(form->ButtonMemo1->text(), "ORDERS");
}

TEST_F(FormMainTest, ClosingWithAnEmptyAliasWritesNothing) {
  TFormMain* form = startAndShow();
  form->ComboBox_Alias->setEditText("");
  form->close();
  EXPECT_FALSE(env.settingsExist());
}

TEST_F(FormMainTest, F9ClosesTheWindowFromAnyControl) {
  TFormMain* form = startAndShow();
  form->activateWindow();
  QTest::keyRelease(form->ComboBox_Tables, Qt::Key_F9);
  EXPECT_FALSE(form->isVisible());
  EXPECT_TRUE(env.settingsExist());
}

TEST_F(FormMainTest, EnterInTheAliasBoxMovesToTheTableBox) {
  TFormMain* form = startAndShow();
  QApplication::setActiveWindow(form);
  form->ComboBox_Alias->setFocus();
  QTest::keyClick(form->ComboBox_Alias, Qt::Key_Return);
  EXPECT_TRUE(form->ComboBox_Tables->hasFocus());
}

TEST_F(FormMainTest, ResizeKeepsThePanelToTheClientArea) {
  TFormMain* form = startAndShow();
  form->resize(1000, 800);
  QApplication::processEvents();
  EXPECT_EQ(form->Panel1->width(), form->ClientArea->width() - 2 * form->Panel1->x());
  EXPECT_EQ(form->Panel1->y() + form->Panel1->height(), form->ClientArea->height());
}

TEST(FormMainNoAliases, MissingAliasesAreReported) {
  MainWindowEnv env;
  env.writeAliases({"; nothing here"});
  TFormMain* form = env.start();
  EXPECT_EQ(form->ComboBox_Alias->count(), 0);
  EXPECT_EQ(env.prompt.lastMessage(), "Aliasが見つかりません");
}

TEST(FormMainNoAliases, FirstStartWritesTheDemoAlias) {
  MainWindowEnv env;
  TFormMain* form = env.start();
  form->show();
  EXPECT_EQ(form->ComboBox_Alias->currentText(), "DEMO");
  EXPECT_GT(form->ComboBox_Tables->count(), 2);
  EXPECT_TRUE(QFile::exists(env.path("aliases.ini")));
}

TEST(FormMainNoAliases, MalformedAliasLineIsNamedAndTheRestIsUsable) {
  MainWindowEnv env;
  const QString a = env.makeDatabase("a.sqlite", {"T"});
  env.writeAliases({"[ALPHA]", "TYPE=SQLITE", "PATH=" + a, "this line is broken"});
  TFormMain* form = env.start();
  EXPECT_EQ(form->ComboBox_Alias->count(), 1);
  ASSERT_GE(env.prompt.messageCount(), 1);
  EXPECT_TRUE(env.prompt.records.first().text.contains("line 4"));
  EXPECT_TRUE(env.prompt.records.first().text.contains("this line is broken"));
}

}  // namespace
