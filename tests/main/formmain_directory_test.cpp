// The main window on a directory alias, as a new user tries it: browse and
// edit a Paradox table, join it with a CSV table in query mode, count,
// generate test data into it, show a CSV file with "Ascii Display", copy the
// table to CSV and the CSV into a SQLite alias with the two copy buttons.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include "controls/combogrid.h"
#include "controls/numedit.h"
#include "db/local/csvtable.h"
#include "db/local/localfile.h"
#include "db/local/paradoxreader.h"
#include "db/query.h"
#include "db/table.h"
#include "main/formmain.h"
#include "mainwindow_fixture.h"
#include "sqleditor/formmemo.h"
#include "ui/datasource.h"
#include "ui/dbgrid.h"

namespace {

using korvel::db::FieldKind;
using korvel::db::local::LocalRow;

class DirectoryWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(QDir().mkpath(env.path("files")));
    auto writer = korvel::db::local::createLocalWriter(
        env.path("files/CUSTOMER.DB"), korvel::db::local::LocalFileKind::Paradox,
        {{{"CODE", FieldKind::Integer, 0}, {"NAME", FieldKind::String, 20}, {"BORN", FieldKind::Date, 0}}, 1});
    for (int i = 1; i <= 5; ++i) writer->append({i * 10, QStringLiteral("顧客%1").arg(i), QDate(1900, 1, i)}, i);
    writer->commit();
    QFile orders(env.path("files/orders.csv"));
    ASSERT_TRUE(orders.open(QIODevice::WriteOnly));
    orders.write("ID,CUST,AMOUNT\r\n1,10,100\r\n2,10,50\r\n3,30,7\r\n");
    orders.close();
    env.execSql("lite.sqlite", {"CREATE TABLE keep (A INTEGER)"});
    env.writeAliases({"[FILES]", "TYPE=PARADOX", "PATH=" + env.path("files"), "[LITE]", "TYPE=SQLITE",
                      "PATH=" + env.path("lite.sqlite")});
    form = env.start();
    form->show();
    env.prompt.clear();
  }

  void chooseAlias(const QString& alias) {
    form->ComboBox_Alias->setCurrentText(alias);
    form->ButtonGetTblNMClick();
  }
  void openTable(const QString& name) {
    form->CheckBoxQuery->setChecked(false);
    form->ComboBox_Tables->setEditText(name);
    form->ButtonOpenClick(form->ButtonOpen);
  }

  MainWindowEnv env;
  TFormMain* form = nullptr;
};

TEST_F(DirectoryWindowTest, BrowseEditQueryAndCount) {
  const auto listed = [&] {
    QStringList names;
    for (int i = 0; i < form->ComboBox_Tables->count(); ++i) names << form->ComboBox_Tables->itemText(i);
    return names;
  };
  form->CheckBox1->setChecked(true);  // file extensions shown
  chooseAlias("FILES");
  EXPECT_EQ(listed(), (QStringList{"CUSTOMER.DB", "orders.csv"}));
  form->CheckBox1->setChecked(false);
  chooseAlias("FILES");
  EXPECT_EQ(listed(), (QStringList{"CUSTOMER", "orders.csv"}));
  openTable("CUSTOMER");
  ASSERT_TRUE(form->Table_Paradox->active()) << env.prompt.lastMessage().toStdString();
  EXPECT_EQ(form->Table_Paradox->driverName(), "PARADOX");
  EXPECT_EQ(form->ComboGrid1->Cells(3, 1), "TDateField");
  form->Table_Paradox->moveTo(2);
  form->Table_Paradox->edit();
  form->Table_Paradox->fieldByName("NAME").setEditText("変更");
  form->Button8Click();
  EXPECT_EQ(form->Table_Paradox->state(), korvel::db::DatasetState::Browse);
  form->SpeedButtonKensuClick();
  EXPECT_EQ(form->LabelKensu->text(), "5");
  EXPECT_EQ(korvel::db::local::ParadoxReader(env.path("files/CUSTOMER.DB")).row(2)[1].toString(), "変更");

  // Query mode: a join is opened read-only, with the window's notice.
  FormMemo->Memo1->setPlainText("SELECT c.NAME, SUM(o.AMOUNT) FROM CUSTOMER c JOIN \"orders.csv\" o ON o.CUST = c.CODE "
                                "GROUP BY c.NAME ORDER BY c.NAME");
  form->CheckBoxQuery->setChecked(true);
  form->ButtonOpenClick(form->ButtonOpen);
  ASSERT_TRUE(form->QueryTmp->active()) << env.prompt.lastMessage().toStdString();
  EXPECT_EQ(form->QueryTmp->recordCount(), 2);
  form->SpeedButtonKensuClick();
  EXPECT_EQ(form->LabelKensu->text(), "2");
}

TEST_F(DirectoryWindowTest, TestDataIsGeneratedIntoAParadoxTable) {
  chooseAlias("FILES");
  openTable("CUSTOMER");
  ASSERT_TRUE(form->Table_Paradox->active());
  form->CheckBoxDApp->setChecked(true);
  form->NumEditFirst->setText("1");
  form->NumEditEnd->setText("20");
  form->ComboGrid1->SetCells(1, 2, "100");
  form->ComboGrid1->SetCells(1, 3, "1");
  form->ComboGrid1->SetCells(2, 2, "名");
  form->SpeedButtonDMakeClick();
  EXPECT_EQ(env.prompt.messageCount(), 0) << env.prompt.lastMessage().toStdString();
  korvel::db::local::ParadoxReader reader(env.path("files/CUSTOMER.DB"));
  EXPECT_EQ(reader.rowCount(), 25);
  EXPECT_EQ(reader.row(24)[0].toInt(), 120);
}

TEST_F(DirectoryWindowTest, AsciiDisplayAndTheTwoCopies) {
  chooseAlias("FILES");
  // Ascii Display: the chosen CSV file in the grid; a cancelled dialog changes nothing.
  form->CheckBox_Ascii->setChecked(true);
  EXPECT_FALSE(form->CheckBox_Ascii->isChecked());
  env.prompt.fileAnswers = {env.path("files/orders.csv")};
  form->CheckBox_Ascii->setChecked(true);
  ASSERT_TRUE(form->Table_Ascii->active()) << env.prompt.lastMessage().toStdString();
  EXPECT_EQ(form->DBGrid1->dataSource(), form->DataSource_Ascii);
  EXPECT_EQ(form->Table_Ascii->recordCount(), 3);
  EXPECT_EQ(form->Table_Ascii->driverName(), "ASCIIDRV");
  form->CheckBox_Ascii->setChecked(false);
  EXPECT_EQ(form->DBGrid1->dataSource(), form->DataSource_Paradox);

  // DB->ASCII(CSV): the current table into a chosen file.
  form->ComboBox_Tables->setEditText("CUSTOMER");
  env.prompt.fileAnswers = {env.path("out/customer.csv")};
  QDir().mkpath(env.path("out"));
  form->Button7Click();
  EXPECT_EQ(env.prompt.messageCount(), 0) << env.prompt.lastMessage().toStdString();
  korvel::db::local::CsvReader csv(env.path("out/customer.csv"));
  EXPECT_EQ(csv.rowCount(), 5);
  EXPECT_EQ(csv.row(0)[1].toString(), "顧客1");
  EXPECT_EQ(csv.schema().keyColumns, 1);

  // ASCII(CSV)->DB: that file into the SQLite alias, replacing rows only when told so.
  chooseAlias("LITE");
  form->ComboBox_Tables->setEditText("imported");
  env.prompt.fileAnswers = {env.path("out/customer.csv")};
  form->Button6Click();
  EXPECT_EQ(env.prompt.messageCount(), 0) << env.prompt.lastMessage().toStdString();
  EXPECT_EQ(env.queryValue("lite.sqlite", "SELECT COUNT(*) FROM imported").toInt(), 5);
  EXPECT_EQ(env.queryValue("lite.sqlite", "SELECT BORN FROM imported WHERE CODE = 30").toString(), "1900-01-03");
  EXPECT_EQ(form->ComboBox_Tables->currentText(), "imported");
  env.prompt.fileAnswers = {env.path("files/orders.csv")};
  env.prompt.messageAnswers = {korvel::PromptNo};
  form->Button6Click();
  EXPECT_EQ(env.prompt.messageCount(), 1);
  EXPECT_EQ(env.queryValue("lite.sqlite", "SELECT COUNT(*) FROM imported").toInt(), 5);
}

}  // namespace
