// What a new user sees of the main window: the grid's scroll range and
// Ctrl+End, readable column titles, the status notice, the history box, the
// write buttons, the record count boxes and the grid after test data.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>

#include "controls/combogrid.h"
#include "controls/numedit.h"
#include "db/datasetmodel.h"
#include "db/query.h"
#include "db/table.h"
#include "main/formmain.h"
#include "mainwindow_fixture.h"
#include "sqleditor/formmemo.h"
#include "ui/dbgrid.h"

namespace {

// BIG holds 1,005 rows; HUGE holds more than the grid counts when it opens.
class ViewTest : public ::testing::Test {
 protected:
  static constexpr int kBigRows = 1005;
  static constexpr int kHugeRows = 60000;

  void SetUp() override {
    env.execSql("v.sqlite",
                {"CREATE TABLE BIG (ID INTEGER PRIMARY KEY, DEPT_CODE CHAR(4), N SMALLINT)",
                 QStringLiteral("WITH RECURSIVE k(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM k "
                                "WHERE i < %1) INSERT INTO BIG SELECT i, 'D' || (i % 10), i % 100 FROM k")
                     .arg(kBigRows),
                 "CREATE TABLE HUGE (ID INTEGER PRIMARY KEY, V INTEGER)",
                 QStringLiteral("WITH RECURSIVE k(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM k "
                                "WHERE i < %1) INSERT INTO HUGE SELECT i, i FROM k")
                     .arg(kHugeRows)});
    env.writeAliases({"[V]", "TYPE=SQLITE", "PATH=" + env.path("v.sqlite")});
    form = env.start();
    form->resize(1024, 768);
    form->show();
    env.prompt.clear();
  }

  void openTable(const QString& name) {
    form->ComboBox_Tables->setEditText(name);
    form->ButtonOpen->click();
  }

  // Whether the current row of the data grid can be seen.
  bool currentRowVisible() const {
    korvel::ui::DBGrid* grid = form->DBGrid1;
    const QRect row = grid->visualRect(grid->currentIndex());
    return row.isValid() && grid->viewport()->rect().intersects(row);
  }

  // The last row of the grid wholly on screen (the screen's last line may
  // be left empty at the end of the rows).
  int lastVisibleRow() const {
    korvel::ui::DBGrid* grid = form->DBGrid1;
    const int rowHeight = grid->verticalHeader()->defaultSectionSize();
    return grid->rowAt(grid->viewport()->height() / rowHeight * rowHeight - 2);
  }

  MainWindowEnv env;
  TFormMain* form = nullptr;
};

TEST_F(ViewTest, ScrollRangeIsTheRowCountAndCtrlEndReachesTheLastRow) {
  openTable("BIG");
  korvel::ui::DBGrid* grid = form->DBGrid1;
  ASSERT_TRUE(form->Table_Paradox->active());
  EXPECT_EQ(grid->model()->rowCount(), kBigRows);

  // Dragging the scroll bar to its end shows the last row; the range holds.
  QScrollBar* bar = grid->verticalScrollBar();
  bar->setValue(bar->maximum());
  QCoreApplication::processEvents();
  EXPECT_EQ(lastVisibleRow(), kBigRows - 1);
  EXPECT_EQ(grid->model()->rowCount(), kBigRows);

  bar->setValue(0);
  QTest::keyClick(grid, Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(form->Table_Paradox->recNo(), kBigRows - 1);
  EXPECT_EQ(grid->currentIndex().row(), kBigRows - 1);
  EXPECT_TRUE(currentRowVisible());

  QTest::keyClick(grid, Qt::Key_Home, Qt::ControlModifier);
  EXPECT_EQ(form->Table_Paradox->recNo(), 0);
  EXPECT_EQ(grid->currentIndex().row(), 0);
  EXPECT_TRUE(currentRowVisible());
  EXPECT_EQ(env.prompt.messageCount(), 0);
}

// A table too large to count on opening still ends where it ends: one
// press of Ctrl+End, and the record is on the last row once the count
// beside the window has reached it (the window does not wait for it).
TEST_F(ViewTest, CtrlEndReachesTheLastRowOfATableNotCountedYet) {
  openTable("HUGE");
  korvel::ui::DBGrid* grid = form->DBGrid1;
  QTest::keyClick(grid, Qt::Key_End, Qt::ControlModifier);
  while (form->Table_Paradox->countingRows()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
  QCoreApplication::processEvents();
  EXPECT_EQ(form->Table_Paradox->recNo(), kHugeRows - 1);
  EXPECT_EQ(grid->model()->rowCount(), kHugeRows);
  EXPECT_EQ(grid->currentIndex().row(), kHugeRows - 1);
  EXPECT_TRUE(currentRowVisible());
  EXPECT_EQ(grid->model()->data(grid->currentIndex()).toString(), QString::number(kHugeRows));
}

TEST_F(ViewTest, ColumnTitlesAndTypeNamesFitTheirColumns) {
  openTable("BIG");
  korvel::ui::DBGrid* grid = form->DBGrid1;
  const QFontMetrics header(grid->horizontalHeader()->font());
  // DEPT_CODE is 4 characters wide; its title is wider.
  EXPECT_GE(grid->columnWidth(1), header.horizontalAdvance("DEPT_CODE"));
  const QFontMetrics cells(form->ComboGrid1->font());
  EXPECT_EQ(form->ComboGrid1->Cells(3, 1), "TSmallintField");
  EXPECT_GE(form->ComboGrid1->ColWidths(3), cells.horizontalAdvance("TSmallintField"));
}

TEST_F(ViewTest, StatusNoticeIsClearedByTheNextSuccessfulCommand) {
  FormMemo->Memo1->setPlainText("SELECT A.ID, B.V FROM BIG A, HUGE B WHERE A.ID = B.ID");
  form->CheckBoxQuery->setChecked(true);
  form->ButtonOpen->click();
  EXPECT_EQ(form->StatusPanel1->text(), "このデータを編集することはできません");

  form->CheckBoxQuery->setChecked(false);
  openTable("BIG");
  ASSERT_TRUE(form->Table_Paradox->active());
  EXPECT_EQ(form->StatusPanel1->text(), "");

  // Enter in the table box is the open command too.
  form->StatusPanel1->setText("この機能はまだ組み込まれていません");
  form->ComboBox_Tables->setEditText("HUGE");
  QTest::keyClick(form->ComboBox_Tables, Qt::Key_Return);
  ASSERT_TRUE(form->Table_Paradox->active());
  EXPECT_EQ(form->Table_Paradox->tableName(), "HUGE");
  EXPECT_EQ(form->StatusPanel1->text(), "");
}

TEST_F(ViewTest, HistoryBoxShowsItsNewestLine) {
  openTable("BIG");
  QComboBox* story = form->ComboBox_Story;
  ASSERT_GT(story->count(), 1);
  EXPECT_EQ(story->currentIndex(), story->count() - 1);
  EXPECT_TRUE(story->currentText().startsWith("Browse:"));
  form->ButtonClose->click();
  EXPECT_EQ(story->currentIndex(), story->count() - 1);
  EXPECT_TRUE(story->currentText().startsWith("CLOSE:"));
}

TEST_F(ViewTest, WriteButtonsOnlyWhileATableIsOpenInTableMode) {
  EXPECT_FALSE(form->Button8->isEnabled());
  EXPECT_FALSE(form->Button9->isEnabled());

  openTable("BIG");
  EXPECT_TRUE(form->Button8->isEnabled());
  EXPECT_TRUE(form->Button9->isEnabled());

  openTable("NO_SUCH_TABLE");
  EXPECT_EQ(env.prompt.messageCount(), 1);
  EXPECT_FALSE(form->Table_Paradox->active());
  EXPECT_FALSE(form->Button8->isEnabled());
  EXPECT_FALSE(form->Button9->isEnabled());

  openTable("BIG");
  form->ButtonClose->click();
  EXPECT_FALSE(form->Button8->isEnabled());
  EXPECT_FALSE(form->Button9->isEnabled());

  FormMemo->Memo1->setPlainText("SELECT * FROM BIG");
  form->CheckBoxQuery->setChecked(true);
  form->ButtonOpen->click();
  ASSERT_TRUE(form->QueryTmp->active());
  EXPECT_FALSE(form->Button8->isEnabled());
  EXPECT_FALSE(form->Button9->isEnabled());
}

// The count box holds whole numbers only: a point typed is refused, and the
// number the box shows is the number of rows made.
TEST_F(ViewTest, CountBoxShowsTheCountThatIsUsed) {
  openTable("BIG");
  form->ComboGrid1->SetCells(1, 2, "5000");
  form->ComboGrid1->SetCells(1, 3, "1");
  form->CheckBoxDApp->setChecked(true);
  form->NumEditEnd->setFocus();
  QTest::keyClicks(form->NumEditEnd, "abc-1x.2");
  EXPECT_EQ(form->NumEditEnd->text(), "12");
  form->NumEditFirst->setText("2.9");
  EXPECT_EQ(form->NumEditFirst->text(), "2");

  form->SpeedButtonDMake->click();
  EXPECT_EQ(env.prompt.messageCount(), 0);
  EXPECT_EQ(env.queryValue("v.sqlite", "SELECT COUNT(*) FROM BIG").toInt(), kBigRows + 12);
}

TEST_F(ViewTest, GridShowsTheCurrentRecordAfterTestData) {
  openTable("BIG");
  form->ComboGrid1->SetCells(1, 2, "5000");
  form->ComboGrid1->SetCells(1, 3, "1");
  form->CheckBoxDApp->setChecked(true);
  form->NumEditEnd->setText("3");
  form->SpeedButtonDMake->click();
  ASSERT_EQ(env.prompt.messageCount(), 0);
  korvel::ui::DBGrid* grid = form->DBGrid1;
  EXPECT_EQ(grid->model()->rowCount(), kBigRows + 3);
  EXPECT_EQ(grid->currentIndex().row(), form->Table_Paradox->recNo());
  EXPECT_GE(form->Table_Paradox->recNo(), kBigRows);
  EXPECT_TRUE(currentRowVisible());
}

}  // namespace
