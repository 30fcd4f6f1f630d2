// Exact values in the main window: the format grid names the exact-decimal
// kind, the data copy takes every digit, and test data fills such columns.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>

#include "controls/combogrid.h"
#include "controls/numedit.h"
#include "db/table.h"
#include "main/formmain.h"
#include "mainwindow_fixture.h"

namespace {

class ValuesWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    env.execSql("v.sqlite", {"CREATE TABLE PRICES (ID INTEGER PRIMARY KEY, PRICE NUMERIC(12,4), "
                             "RATE DOUBLE, STAMP DATETIME)",
                             "INSERT INTO PRICES VALUES (1, 12.5, 123456789.12345679, '2024-02-01T08:09:10.25+09:00')"});
    env.writeAliases({"[V]", "TYPE=SQLITE", "PATH=" + env.path("v.sqlite")});
    form = env.start();
    form->show();
    env.prompt.clear();
    form->ComboBox_Tables->setEditText("PRICES");
    form->ButtonOpenClick(form->ButtonOpen);
  }

  QString cell(int col, int row) const { return form->ComboGrid1->Cells(col, row); }

  MainWindowEnv env;
  TFormMain* form = nullptr;
};

TEST_F(ValuesWindowTest, FormatGridAndDataCopyKeepEveryDigit) {
  EXPECT_EQ(cell(2, 1), "TBCDField");
  EXPECT_EQ(cell(3, 1), "TFloatField");
  form->SpeedButtonDBCopyClick();
  EXPECT_EQ(cell(2, 2), "12.5");
  EXPECT_EQ(cell(3, 2), "123456789.12345679");
  EXPECT_EQ(cell(4, 2), "2024/02/01 8:09:10.25+09:00");
}

TEST_F(ValuesWindowTest, TestDataFillsExactDecimalColumns) {
  form->CheckBoxDApp->setChecked(true);
  form->NumEditFirst->setText("2");
  form->NumEditEnd->setText("2");
  form->ComboGrid1->SetCells(1, 2, "100");
  form->ComboGrid1->SetCells(1, 3, "1");
  form->ComboGrid1->SetCells(2, 2, "100");
  form->ComboGrid1->SetCells(2, 3, "2.5");
  form->SpeedButtonDMakeClick();
  EXPECT_EQ(env.prompt.messageCount(), 0) << env.prompt.lastMessage().toStdString();
  EXPECT_EQ(env.queryValue("v.sqlite", "SELECT PRICE FROM PRICES WHERE ID = 101").toInt(), 125);
  EXPECT_EQ(env.queryValue("v.sqlite", "SELECT PRICE FROM PRICES WHERE ID = 102").toInt(), 150);
  EXPECT_EQ(cell(2, 2), "150");
}

}  // namespace
