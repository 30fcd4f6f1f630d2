// An edit not yet posted when something is about to close the dataset: the
// user posts it, discards it or stays with it, whichever path closes.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <functional>

#include "db/table.h"
#include "main/formmain.h"
#include "mainwindow_fixture.h"

namespace {

using korvel::db::DatasetState;

struct ClosingPath {
  const char* name;
  std::function<void(TFormMain*)> act;
};

class PendingEditTest : public ::testing::TestWithParam<ClosingPath> {
 protected:
  void SetUp() override {
    env.execSql("t.sqlite", {"CREATE TABLE ITEMS (ID INTEGER PRIMARY KEY, CODE VARCHAR(20))",
                             "INSERT INTO ITEMS VALUES (1, 'C1'), (2, 'C2')",
                             "CREATE TABLE OTHER (ID INTEGER PRIMARY KEY)"});
    env.writeAliases({"[T]", "TYPE=SQLITE", "PATH=" + env.path("t.sqlite"), "[U]", "TYPE=SQLITE",
                      "PATH=" + env.path("t.sqlite")});
    form = env.start();
    form->show();
  }

  // ITEMS open in table mode with row 1's code edited and not posted.
  void openAndEdit(const QString& code) {
    {
      form->CheckBoxQuery->setChecked(false);
      form->CheckBoxIAuto->setChecked(true);
      form->ComboBox_Alias->setCurrentIndex(0);
      form->ComboBox_Tables->setEditText("ITEMS");
      form->ButtonOpenClick(form->ButtonOpen);
    }
    ASSERT_TRUE(form->Table_Paradox->active());
    form->Table_Paradox->first();
    form->Table_Paradox->edit();
    form->Table_Paradox->fieldByName("CODE").setEditText(code);
    env.prompt.clear();
  }

  QString stored() { return env.queryValue("t.sqlite", "SELECT CODE FROM ITEMS WHERE ID = 1").toString(); }

  // Runs the path with the user's answer to the one question it must ask.
  void actAnswering(int answer) {
    env.prompt.messageAnswers.push_back(answer);
    GetParam().act(form);
    ASSERT_EQ(env.prompt.messageCount(), 1) << env.prompt.lastMessage().toStdString();
    EXPECT_EQ(env.prompt.records.first().icon, korvel::PromptIcon::Question);
    EXPECT_EQ(env.prompt.records.first().buttons,
              korvel::PromptYes | korvel::PromptNo | korvel::PromptCancel);
  }

  MainWindowEnv env;
  TFormMain* form = nullptr;
};

TEST_P(PendingEditTest, StayKeepsTheEditAndStopsTheClosing) {
  openAndEdit("KEPT");
  actAnswering(korvel::PromptCancel);
  ASSERT_TRUE(form->Table_Paradox->active());
  EXPECT_EQ(form->Table_Paradox->state(), DatasetState::Edit);
  EXPECT_EQ(form->Table_Paradox->fieldByName("CODE").editText(), "KEPT");
  EXPECT_TRUE(form->isVisible());
  // What was about to close it went back.
  EXPECT_EQ(form->ComboBox_Tables->currentText(), "ITEMS");
  EXPECT_EQ(form->ComboBox_Alias->currentText(), "T");
  EXPECT_FALSE(form->CheckBoxQuery->isChecked());
  EXPECT_TRUE(form->CheckBoxIAuto->isChecked());
  EXPECT_EQ(stored(), "C1");
  // Posting later writes the edit kept.
  form->Button8Click();
  EXPECT_EQ(stored(), "KEPT");
}

TEST_P(PendingEditTest, DiscardDropsTheEditAndCloses) {
  openAndEdit("DROPPED");
  actAnswering(korvel::PromptNo);
  EXPECT_NE(form->Table_Paradox->state(), DatasetState::Edit);
  EXPECT_EQ(stored(), "C1");
}

TEST_P(PendingEditTest, PostWritesTheEditAndCloses) {
  openAndEdit("POSTED");
  actAnswering(korvel::PromptYes);
  EXPECT_NE(form->Table_Paradox->state(), DatasetState::Edit);
  EXPECT_EQ(stored(), "POSTED");
}

INSTANTIATE_TEST_SUITE_P(
    Paths, PendingEditTest,
    ::testing::Values(
        ClosingPath{"GetTableName", [](TFormMain* f) { QTest::mouseClick(f->ButtonGetTblNM, Qt::LeftButton); }},
        ClosingPath{"OtherAlias",
                    [](TFormMain* f) {
                      f->ComboBox_Alias->setCurrentIndex(1);
                      emit f->ComboBox_Alias->activated(1);
                    }},
        ClosingPath{"TypingInTheTableBox",
                    [](TFormMain* f) { QTest::keyClick(f->ComboBox_Tables->lineEdit(), Qt::Key_X); }},
        ClosingPath{"QueryBox", [](TFormMain* f) { f->CheckBoxQuery->click(); }},
        ClosingPath{"AutoInfoBox", [](TFormMain* f) { f->CheckBoxIAuto->click(); }},
        ClosingPath{"Open", [](TFormMain* f) { QTest::mouseClick(f->ButtonOpen, Qt::LeftButton); }},
        ClosingPath{"EnterInTheTableBox",
                    [](TFormMain* f) { QTest::keyClick(f->ComboBox_Tables->lineEdit(), Qt::Key_Return); }},
        ClosingPath{"Close", [](TFormMain* f) { QTest::mouseClick(f->ButtonClose, Qt::LeftButton); }},
        ClosingPath{"TableInfo", [](TFormMain* f) { QTest::mouseClick(f->Button10, Qt::LeftButton); }},
        ClosingPath{"ProgramClose", [](TFormMain* f) { f->close(); }}),
    [](const ::testing::TestParamInfo<ClosingPath>& info) { return std::string(info.param.name); });

// A recently used table button in table mode only selects a name: nothing
// closes, so nothing is asked.
TEST(PendingEditMru, RecentButtonAsksNothingInTableMode) {
  MainWindowEnv env;
  env.execSql("t.sqlite", {"CREATE TABLE ITEMS (ID INTEGER PRIMARY KEY, CODE VARCHAR(20))",
                           "INSERT INTO ITEMS VALUES (1, 'C1')", "CREATE TABLE OTHER (ID INTEGER PRIMARY KEY)"});
  env.writeAliases({"[T]", "TYPE=SQLITE", "PATH=" + env.path("t.sqlite")});
  TFormMain* form = env.start();
  form->show();
  form->ComboBox_Tables->setEditText("ITEMS");
  form->ButtonOpenClick(form->ButtonOpen);
  form->Table_Paradox->edit();
  form->Table_Paradox->fieldByName("CODE").setEditText("E");
  env.prompt.clear();
  form->ButtonMemo2->setText("OTHER");
  QTest::mouseClick(form->ButtonMemo2, Qt::LeftButton);
  EXPECT_EQ(env.prompt.messageCount(), 0);
  EXPECT_EQ(form->Table_Paradox->state(), DatasetState::Edit);
  EXPECT_EQ(form->ComboBox_Tables->currentText(), "OTHER");
}

}  // namespace
