// Opening tables and queries in the main window, the format grid and test data.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTextCursor>
#include <QToolButton>
#include <functional>

#include "common/formats.h"
#include "common/programstate.h"
#include "controls/combogrid.h"
#include "controls/numedit.h"
#include "controls/spbtn2.h"
#include "db/query.h"
#include "db/table.h"
#include "main/formmain.h"
#include "mainwindow_fixture.h"
#include "sqleditor/formmemo.h"
#include "ui/datasource.h"
#include "ui/dbgrid.h"

namespace {

class BrowseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QStringList setup = {
        "CREATE TABLE ITEMS (ID INTEGER PRIMARY KEY, CODE VARCHAR(20), NOTE VARCHAR(21), "
        "QTY INTEGER, STAMP DATETIME)",
        "CREATE TABLE OTHER (ID INTEGER PRIMARY KEY, ITEM INTEGER)",
        "CREATE TABLE STRICT_T (ID INTEGER PRIMARY KEY, NAME TEXT NOT NULL)",
        "INSERT INTO STRICT_T VALUES (1, 'x')"};
    for (int i = 1; i <= 6; ++i)
      setup << QStringLiteral("INSERT INTO ITEMS VALUES (%1, 'C%1', 'n', %1, NULL)").arg(i);
    env.execSql("t.sqlite", setup);
    env.writeAliases({"[T]", "TYPE=SQLITE", "PATH=" + env.path("t.sqlite")});
    form = env.start();
    form->show();
    env.prompt.clear();
  }

  void openTable(const QString& name) {
    form->ComboBox_Tables->setEditText(name);
    form->ButtonOpenClick(form->ButtonOpen);
  }

  void setMemo(const QString& text) { FormMemo->Memo1->setPlainText(text); }

  QString cell(int col, int row) const { return form->ComboGrid1->Cells(col, row); }

  MainWindowEnv env;
  TFormMain* form = nullptr;
};

TEST_F(BrowseTest, OpeningATableFillsGridFormatGridAndRecentList) {
  openTable("ITEMS");
  ASSERT_TRUE(form->Table_Paradox->active());
  EXPECT_EQ(form->DataSource_Paradox->dataSet(), form->Table_Paradox);
  EXPECT_TRUE(form->Button8->isEnabled());
  EXPECT_TRUE(form->SpeedButtonKensu->isEnabled());
  EXPECT_TRUE(form->SpeedButtonDMake->isEnabled());
  EXPECT_EQ(form->ButtonMemo1->text(), "ITEMS");
  EXPECT_EQ(form->Label_Status->text(), "Browse");
  EXPECT_TRUE(form->ComboBox_Story->itemText(form->ComboBox_Story->count() - 1)
                  .startsWith("Browse:"));
  EXPECT_TRUE(form->Label_OnDataChange->text().startsWith("変更時刻 "));

  EXPECT_EQ(form->ComboGrid1->ColCount(), 6);
  EXPECT_EQ(cell(1, 0), "ID");
  EXPECT_EQ(cell(1, 1), "TIntegerField");
  EXPECT_EQ(cell(2, 1), "TStringField");
  EXPECT_EQ(cell(5, 1), "TDateTimeField");
  EXPECT_EQ(cell(0, 2), "初期値");
  EXPECT_EQ(FormMemo->ComboBoxItem->count(), 5);
  EXPECT_EQ(env.prompt.messageCount(), 0);

  form->SpeedButtonKensuClick();
  EXPECT_EQ(form->LabelKensu->text(), "6");
}

// "件数確認" on a table whose rows are still being counted beside the window:
// the label follows the count to its end; clicked twice, it stops the count
// where it is, and the next click counts afresh.
TEST_F(BrowseTest, RecordCountFollowsTheCountBesideAndCanBeStopped) {
  env.execSql("t.sqlite", {"CREATE TABLE MANY (ID INTEGER PRIMARY KEY, NOTE VARCHAR(10))",
                           "WITH RECURSIVE s(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM s WHERE n < 300000) "
                           "INSERT INTO MANY SELECT n, 'x' FROM s"});
  const auto waitForNumber = [&] {
    for (int i = 0; i < 600 && form->LabelKensu->text().endsWith(QStringLiteral("件…")); ++i) QTest::qWait(50);
  };
  openTable("MANY");
  ASSERT_TRUE(form->Table_Paradox->active());
  form->SpeedButtonKensuClick();
  waitForNumber();
  EXPECT_EQ(form->LabelKensu->text(), "300000");
  EXPECT_EQ(env.prompt.messageCount(), 0);

  // A new open counts again; two clicks in a row stop that count.
  openTable("MANY");
  form->SpeedButtonKensuClick();
  if (!form->Table_Paradox->countingRows()) GTEST_SKIP() << "the count ended before the second click";
  form->SpeedButtonKensuClick();
  EXPECT_TRUE(form->LabelKensu->text().endsWith(QStringLiteral("件まで(中断)"))) << form->LabelKensu->text().toStdString();
  EXPECT_FALSE(form->Table_Paradox->countingRows());
  form->SpeedButtonKensuClick();
  waitForNumber();
  EXPECT_EQ(form->LabelKensu->text(), "300000");
}

TEST_F(BrowseTest, WideColumnsAreCappedAtFifteen) {
  openTable("ITEMS");
  EXPECT_EQ(form->Table_Paradox->fieldByName("CODE").displayWidth(), 20);
  EXPECT_EQ(form->Table_Paradox->fieldByName("NOTE").displayWidth(), 15);
  EXPECT_EQ(cell(3, 7), "15");
}

TEST_F(BrowseTest, WidthCellAppliesOnDoubleClickAndLettersGiveOne) {
  openTable("ITEMS");
  form->ComboGrid1->SetCells(2, 7, "30");
  form->ComboGrid1->FocusCell(2, 7);
  form->ComboGrid1DblClick();
  EXPECT_EQ(form->Table_Paradox->fieldByName("CODE").displayWidth(), 30);
  form->ComboGrid1->SetCells(2, 7, "abc");
  int enter = Qt::Key_Return;
  form->ComboGrid1KeyDown(enter);
  EXPECT_EQ(form->Table_Paradox->fieldByName("CODE").displayWidth(), 1);
}

TEST_F(BrowseTest, FormatGridNeedsAnOpenDataset) {
  form->SpeedButtonGetSimpleInfClick();
  EXPECT_EQ(env.prompt.lastMessage(), "表がオープンされていないと実行できません");
  EXPECT_FALSE(form->SpeedButtonDMake->isEnabled());
}

TEST_F(BrowseTest, DataCopyPutsTheCurrentRecordIntoTheInitialValues) {
  openTable("ITEMS");
  form->Table_Paradox->moveTo(2);
  form->SpeedButtonDBCopyClick();
  EXPECT_EQ(cell(1, 2), "3");
  EXPECT_EQ(cell(2, 2), "C3");
}

TEST_F(BrowseTest, QueryModeOpensTheEditorStatementWithoutCommentLines) {
  setMemo("//[T]\nSELECT * FROM ITEMS\nWHERE QTY > 2");
  form->CheckBoxQuery->setChecked(true);
  form->ButtonOpenClick(form->ButtonOpen);
  // The memo holds a statement: "表Open" does not show the editor.
  EXPECT_EQ(env.prompt.records.size(), 0);
  ASSERT_TRUE(form->QueryTmp->active());
  EXPECT_EQ(form->QueryTmp->sqlText(), " SELECT * FROM ITEMS WHERE QTY > 2");
  EXPECT_TRUE(form->QueryTmp->live());
  EXPECT_FALSE(form->Button8->isEnabled());
  form->SpeedButtonKensuClick();
  EXPECT_EQ(form->LabelKensu->text(), "4");
}

TEST_F(BrowseTest, SqlEditButtonAlwaysShowsTheEditor) {
  setMemo("SELECT * FROM ITEMS");
  form->ButtonOpenClick(form->ButtonSEdit);
  ASSERT_EQ(env.prompt.records.size(), 1);
  EXPECT_EQ(env.prompt.records[0].kind, korvel::PromptRecord::Modal);
  EXPECT_TRUE(form->CheckBoxQuery->isChecked());
  EXPECT_EQ(FormMemo->EditAlias->text(), "T");
}

TEST_F(BrowseTest, CancelledEditorOrCommentOnlyStatementOpensNothing) {
  env.prompt.onModal = [](QWidget*) {
    EditorResult = "ERROR";
    return 0;
  };
  setMemo("SELECT * FROM ITEMS");
  form->ButtonOpenClick(form->ButtonSEdit);
  EXPECT_FALSE(form->QueryTmp->active());
  env.prompt.onModal = nullptr;

  setMemo("// nothing to run");
  form->ButtonOpenClick(form->ButtonOpen);
  EXPECT_FALSE(form->QueryTmp->active());
  EXPECT_EQ(form->ButtonMemo1->text(), "ButtonMemo(&1)");
}

// The date routines behind the editor's "解析" and Paradox date buttons write
// "OK" into EditorResult; a cancelled DELETE must still never run.
TEST_F(BrowseTest, EditorCancelledAfterItsDateCommandsOpensAndRunsNothing) {
  const QString del = QStringLiteral("DELETE FROM ITEMS WHERE QTY > 0 OR STAMP < ");
  const std::pair<const char*, std::function<void(TFormMemo*)>> steps[] = {
      {"解析", [&](TFormMemo* editor) {
         editor->Memo1->setPlainText(QLatin1Char('\'') + del +
                                     QStringLiteral("' + Qz_OraSqlAddSepa(CnsOraDate, '2024/04/01')"));
         editor->SpeedButton23->click();
       }},
      {"TO_DATE", [&](TFormMemo* editor) {
         editor->Memo1->setPlainText(del);
         editor->Memo1->moveCursor(QTextCursor::End);
         editor->SpeedButton15->click();
       }},
      {"TO_DTIME", [&](TFormMemo* editor) {
         editor->Memo1->setPlainText(del);
         editor->Memo1->moveCursor(QTextCursor::End);
         editor->SpeedButton1->click();
       }},
  };
  FormMemo->CheckBoxParadox->setChecked(true);
  for (const auto& [step, doStep] : steps) {
    env.prompt.onModal = [&doStep = doStep](QWidget* window) {
      auto* editor = static_cast<TFormMemo*>(window);
      editor->show();
      doStep(editor);
      editor->SpeedButton2->click();  // CANCEL
      return editor->result();
    };
    form->ButtonOpenClick(form->ButtonSEdit);
    EXPECT_TRUE(FormMemo->Memo1->toPlainText().contains("DELETE FROM ITEMS")) << step;
    EXPECT_FALSE(form->QueryTmp->active()) << step;
    EXPECT_EQ(env.queryValue("t.sqlite", "SELECT COUNT(*) FROM ITEMS").toInt(), 6) << step;
    EXPECT_EQ(env.prompt.messageCount(), 0) << step;
  }
  env.prompt.onModal = nullptr;
}

TEST_F(BrowseTest, JoinFallsBackToReadOnly) {
  setMemo("SELECT I.CODE, O.ID FROM ITEMS I, OTHER O WHERE I.ID = O.ITEM");
  form->CheckBoxQuery->setChecked(true);
  form->ButtonOpenClick(form->ButtonOpen);
  EXPECT_EQ(form->StatusPanel1->text(), "このデータを編集することはできません");
  ASSERT_TRUE(form->QueryTmp->active());
  EXPECT_FALSE(form->QueryTmp->live());
  EXPECT_EQ(env.prompt.messageCount(), 0);
}

// A statement the database rejects is reported once, with its own message;
// it is not taken for a result that merely cannot be edited.
TEST_F(BrowseTest, StatementErrorsAreShownOnceWithoutTheReadOnlyNotice) {
  for (const QString& statement : {QStringLiteral("SELECT * FROM ITEMS WHERE"),
                                   QStringLiteral("SELECT I.CODE FROM ITEMS I, OTHER O WHERE"),
                                   QStringLiteral("SELECT NOSUCH FROM ITEMS I, OTHER O")}) {
    env.prompt.clear();
    form->StatusPanel1->clear();
    setMemo(statement);
    form->CheckBoxQuery->setChecked(true);
    form->ButtonOpenClick(form->ButtonOpen);
    EXPECT_EQ(form->StatusPanel1->text(), "") << statement.toStdString();
    ASSERT_EQ(env.prompt.messageCount(), 1) << statement.toStdString();
    EXPECT_TRUE(env.prompt.lastMessage().contains(" , Error Code="))
        << env.prompt.lastMessage().toStdString();
    EXPECT_FALSE(form->QueryTmp->active());
  }
}

TEST_F(BrowseTest, FailedPostIsTimedAndReportedAndTheEditStays) {
  openTable("STRICT_T");
  form->Table_Paradox->edit();
  form->Table_Paradox->fieldByName("NAME").clear();
  form->Button8Click();
  EXPECT_TRUE(form->Label_OnDataChange->text().startsWith("Error Time ")) 
      << form->Label_OnDataChange->text().toStdString();
  EXPECT_EQ(env.prompt.messageCount(), 1);
  EXPECT_EQ(form->Table_Paradox->state(), korvel::db::DatasetState::Edit);
  EXPECT_EQ(form->Label_Status->text(), "Edit");
}

TEST_F(BrowseTest, CloseButtonClosesAndDisablesTheCount) {
  openTable("ITEMS");
  form->ButtonCloseClick();
  EXPECT_FALSE(form->Table_Paradox->active());
  EXPECT_FALSE(form->SpeedButtonKensu->isEnabled());
  EXPECT_EQ(form->Label_Status->text(), "CLOSE");
}

TEST_F(BrowseTest, RecentButtonSelectsItsTableWithoutOpening) {
  form->ButtonMemo2->setText("OTHER");
  form->CheckBoxQuery->setChecked(true);
  form->ButtonMemo1Click(form->ButtonMemo2);
  EXPECT_FALSE(form->CheckBoxQuery->isChecked());
  EXPECT_EQ(form->ComboBox_Tables->currentText(), "OTHER");
  EXPECT_FALSE(form->Table_Paradox->active());
}

TEST_F(BrowseTest, RecentButtonLeavesTheOpenTableOpen) {
  openTable("ITEMS");
  form->ButtonMemo2->setText("OTHER");
  QTest::mouseClick(form->ButtonMemo2, Qt::LeftButton);
  EXPECT_EQ(form->ComboBox_Tables->currentText(), "OTHER");
  ASSERT_TRUE(form->Table_Paradox->active());
  EXPECT_EQ(form->Table_Paradox->tableName(), "ITEMS");
  form->ButtonOpenClick(form->ButtonOpen);
  EXPECT_EQ(form->Table_Paradox->tableName(), "OTHER");
}

TEST_F(BrowseTest, DecimalsButtonsSetCurrencyDecimals) {
  form->SpBtnDecimals->click();
  EXPECT_EQ(korvel::formatSettings().currencyDecimals, 2);
  form->SpBtnDecimals2->click();
  EXPECT_EQ(korvel::formatSettings().currencyDecimals, 6);
  EXPECT_FALSE(form->SpBtnDecimals->Down());
  form->SpBtnDecimals2->click();
  EXPECT_EQ(korvel::formatSettings().currencyDecimals, 4);
}

class TestDataRunTest : public BrowseTest {
 protected:
  void prepare(bool append, const QString& first, const QString& last) {
    openTable("ITEMS");
    form->CheckBoxDApp->setChecked(append);
    form->NumEditFirst->setText(first);
    form->NumEditEnd->setText(last);
  }
  int rows() { return env.queryValue("t.sqlite", "SELECT COUNT(*) FROM ITEMS").toInt(); }
  QString code(int id) {
    return env.queryValue("t.sqlite", QString("SELECT CODE FROM ITEMS WHERE ID=%1").arg(id)).toString();
  }
};

TEST_F(TestDataRunTest, AppendWritesValuesBackAndRaisesLastToFirst) {
  prepare(true, "10", "5");
  form->ComboGrid1->SetCells(1, 2, "100");
  form->ComboGrid1->SetCells(1, 3, "1");
  form->ComboGrid1->SetCells(2, 2, "K000");
  form->ComboGrid1->SetCells(2, 3, "1");
  form->ComboGrid1->SetCells(2, 4, "K%3.3d");
  form->SpeedButtonDMakeClick();
  EXPECT_EQ(env.prompt.messageCount(), 0) << env.prompt.lastMessage().toStdString();
  EXPECT_EQ(rows(), 16);
  EXPECT_EQ(code(101), "K001");
  EXPECT_EQ(code(110), "K010");
  EXPECT_EQ(cell(2, 2), "K010");
  EXPECT_EQ(cell(1, 2), "110");
}

TEST_F(TestDataRunTest, AppendingToAQueryOpensItAgainWithTheNewRows) {
  setMemo("SELECT * FROM ITEMS");
  form->CheckBoxQuery->setChecked(true);
  form->ButtonOpenClick(form->ButtonOpen);
  ASSERT_TRUE(form->QueryTmp->live());
  form->CheckBoxDApp->setChecked(true);
  form->NumEditFirst->setText("1");
  form->NumEditEnd->setText("2");
  form->ComboGrid1->SetCells(1, 2, "500");
  form->ComboGrid1->SetCells(1, 3, "1");
  form->SpeedButtonDMakeClick();
  EXPECT_EQ(env.prompt.messageCount(), 0) << env.prompt.lastMessage().toStdString();
  ASSERT_TRUE(form->QueryTmp->active());
  EXPECT_EQ(form->QueryTmp->recordCount(), 8);
  form->SpeedButtonKensuClick();
  EXPECT_EQ(form->LabelKensu->text(), "8");
}

TEST_F(TestDataRunTest, ZeroBoundsAppendExactlyOne) {
  prepare(true, "", "");
  form->ComboGrid1->SetCells(1, 2, "50");
  form->SpeedButtonDMakeClick();
  EXPECT_EQ(rows(), 7);
}

TEST_F(TestDataRunTest, OverwriteTouchesOnlyTheRangeAndStopsAtTheEnd) {
  prepare(false, "3", "5");
  form->ComboGrid1->SetCells(2, 2, "X");
  form->ComboGrid1->SetCells(2, 4, "Y");
  form->SpeedButtonDMakeClick();
  EXPECT_EQ(code(2), "C2");
  EXPECT_EQ(code(3), "YX");
  EXPECT_EQ(code(5), "YYYX");
  EXPECT_EQ(code(6), "C6");

  form->NumEditFirst->setText("5");
  form->NumEditEnd->setText("99");
  form->SpeedButtonDMakeClick();
  EXPECT_EQ(rows(), 6);
  EXPECT_EQ(code(6), "YYYYYX");
}

TEST_F(TestDataRunTest, BadFormatEndsTheRunKeepingPostedRows) {
  prepare(true, "1", "3");
  form->ComboGrid1->SetCells(1, 2, "200");
  form->ComboGrid1->SetCells(2, 2, "1");
  form->ComboGrid1->SetCells(2, 4, "%s");
  form->SpeedButtonDMakeClick();
  EXPECT_EQ(env.prompt.messageCount(), 1);
  EXPECT_TRUE(env.prompt.lastMessage().startsWith("*E:"));
  EXPECT_EQ(rows(), 6);
}

// Rewriting the key column moves each edited record to the end of the key
// order; every record of the range is still written exactly once.
TEST_F(TestDataRunTest, OverwritingTheKeyVisitsEachRecordOfTheRangeOnce) {
  prepare(false, "1", "3");
  form->ComboGrid1->SetCells(1, 2, "100");
  form->ComboGrid1->SetCells(1, 3, "1");
  form->ComboGrid1->SetCells(2, 2, "0");
  form->ComboGrid1->SetCells(2, 3, "1");
  form->ComboGrid1->SetCells(2, 4, "K%d");
  form->SpeedButtonDMakeClick();
  EXPECT_EQ(env.prompt.messageCount(), 0) << env.prompt.lastMessage().toStdString();
  EXPECT_EQ(rows(), 6);
  EXPECT_EQ(code(101), "K1");
  EXPECT_EQ(code(102), "K2");
  EXPECT_EQ(code(103), "K3");
  EXPECT_EQ(code(4), "C4");
  EXPECT_EQ(env.queryValue("t.sqlite", "SELECT COUNT(*) FROM ITEMS WHERE ID < 100").toInt(), 3);
  EXPECT_EQ(cell(1, 2), "103");
  EXPECT_EQ(form->Table_Paradox->recordCount(), 6);

  // Keys that now sort first: records 4 to 6 become 1 to 3.
  form->NumEditFirst->setText("1");
  form->NumEditEnd->setText("3");
  form->ComboGrid1->SetCells(1, 2, "0");
  form->SpeedButtonDMakeClick();
  EXPECT_EQ(env.prompt.messageCount(), 0) << env.prompt.lastMessage().toStdString();
  EXPECT_EQ(code(1), "K4");
  EXPECT_EQ(code(3), "K6");
  EXPECT_EQ(code(101), "K1");
  EXPECT_EQ(rows(), 6);
}

// A row the database refuses ends the run; the rows posted before it stay
// and the refused record stays unposted with its values.
TEST_F(TestDataRunTest, ARefusedRowEndsTheRunKeepingTheRowsBefore) {
  env.execSql("t.sqlite", {"INSERT INTO STRICT_T VALUES (9, 'taken')"});
  openTable("STRICT_T");
  form->CheckBoxDApp->setChecked(true);
  form->NumEditFirst->setText("1");
  form->NumEditEnd->setText("5");
  form->ComboGrid1->SetCells(1, 2, "6");  // IDs 7, 8, then 9, which is taken
  form->ComboGrid1->SetCells(1, 3, "1");
  form->ComboGrid1->SetCells(2, 2, "n");
  form->SpeedButtonDMakeClick();
  ASSERT_EQ(env.prompt.messageCount(), 1);
  EXPECT_EQ(env.queryValue("t.sqlite", "SELECT COUNT(*) FROM STRICT_T WHERE ID IN (7, 8)").toInt(), 2);
  EXPECT_EQ(env.queryValue("t.sqlite", "SELECT COUNT(*) FROM STRICT_T").toInt(), 4);
  EXPECT_EQ(form->Table_Paradox->state(), korvel::db::DatasetState::Insert);
  EXPECT_EQ(cell(1, 2), "9");
}

// The grid's text travels as code page 932; the message shows it as typed.
TEST_F(TestDataRunTest, OverflowMessageShowsTheJapaneseValueAsTyped) {
  for (const QString& initial : {QStringLiteral("数量922337203685478"),
                                 QStringLiteral("数量99999999999999999999")}) {
    env.prompt.clear();
    prepare(true, "1", "1");
    form->ComboGrid1->SetCells(4, 2, initial);
    form->SpeedButtonDMakeClick();
    ASSERT_EQ(env.prompt.messageCount(), 1);
    EXPECT_EQ(env.prompt.lastMessage(), "*E:テストデータの値が大きすぎます(" + initial + ")");
    form->Table_Paradox->cancel();  // the record the run could not fill
  }
}

TEST_F(TestDataRunTest, UnknownFieldNameEndsTheRunWithAMessage) {
  prepare(true, "1", "2");
  form->ComboGrid1->SetCells(1, 0, "NOSUCH");
  form->ComboGrid1->SetCells(1, 2, "300");
  form->SpeedButtonDMakeClick();
  EXPECT_EQ(env.prompt.messageCount(), 1);
  EXPECT_EQ(rows(), 6);
}

}  // namespace

namespace {

class GridKeysTest : public BrowseTest {};

TEST_F(GridKeysTest, CtrlDeleteAsksAndDeletesOnlyWhenConfirmed) {
  openTable("ITEMS");
  form->Table_Paradox->moveTo(1);
  env.prompt.messageAnswers.push_back(korvel::PromptCancel);
  QTest::keyClick(form->DBGrid1, Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_EQ(env.queryValue("t.sqlite", "SELECT COUNT(*) FROM ITEMS").toInt(), 6);
  env.prompt.messageAnswers.push_back(korvel::PromptOk);
  QTest::keyClick(form->DBGrid1, Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_EQ(env.queryValue("t.sqlite", "SELECT COUNT(*) FROM ITEMS").toInt(), 5);
  EXPECT_EQ(env.prompt.messageCount(), 2);
}

TEST_F(GridKeysTest, InsertThenEscapeLeavesNoRecord) {
  openTable("ITEMS");
  QTest::keyClick(form->DBGrid1, Qt::Key_Insert);
  EXPECT_EQ(form->Table_Paradox->state(), korvel::db::DatasetState::Insert);
  QTest::keyClick(form->DBGrid1, Qt::Key_Escape);
  EXPECT_EQ(form->Table_Paradox->state(), korvel::db::DatasetState::Browse);
  EXPECT_EQ(env.queryValue("t.sqlite", "SELECT COUNT(*) FROM ITEMS").toInt(), 6);
}

}  // namespace
