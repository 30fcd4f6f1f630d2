// The main window's clipboard commands on SQLite: names out, the grid copy
// to text and to an .xlsx workbook, and pasting back into the table.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>

#include "controls/combogrid.h"
#include "controls/numedit.h"
#include "controls/spbtn2.h"
#include "db/table.h"
#include "main/formmain.h"
#include "mainwindow_fixture.h"
#include "ui/dbgrid.h"
#include "workbookreader.h"

namespace {

QString clipboard() { return QApplication::clipboard()->text(); }
void setClipboard(const QString& text) { QApplication::clipboard()->setText(text); }

class ClipboardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QStringList setup = {
        "CREATE TABLE ITEMS (ID INTEGER PRIMARY KEY, CODE VARCHAR(20), QTY INTEGER, PRICE DOUBLE, "
        "BORN DATE, STAMP DATETIME, OK BOOLEAN, BIG NUMERIC(30,0))",
        "CREATE TABLE EMPTY_T (ID INTEGER PRIMARY KEY, \"say \"\"hi\"\"\" VARCHAR(10))",
        "CREATE TABLE TWO (ID INTEGER PRIMARY KEY, A VARCHAR(10), B VARCHAR(10), C INTEGER)",
        "INSERT INTO TWO VALUES (1, 'a1', 'b1', 1), (2, 'a2', 'b2', 2), (3, 'a3', 'b3', 3)"};
    setup << "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1000) "
             "INSERT INTO ITEMS SELECT i, 'C' || i, i, i + 0.5, '2020-01-02', '2021-03-04 05:06:07', 1, "
             "'123456789012345678901234567890' FROM n";
    env.execSql("t.sqlite", setup);
    env.writeAliases({"[T]", "TYPE=SQLITE", "PATH=" + env.path("t.sqlite"), "[U]", "TYPE=SQLITE",
                      "PATH=" + env.path("t.sqlite")});
    form = env.start();
    form->show();
    env.prompt.clear();
  }

  void openTable(const QString& name) {
    form->ComboBox_Tables->setEditText(name);
    form->ButtonOpenClick(form->ButtonOpen);
    ASSERT_TRUE(form->Table_Paradox->active());
  }

  QStringList clipLines() {
    QStringList lines = clipboard().split("\r\n");
    EXPECT_TRUE(lines.last().isEmpty()) << "every line ends with CR LF";
    lines.removeLast();
    return lines;
  }

  // The grid, the copy buttons and the rest of the window are back.
  void expectScreenRestored() {
    EXPECT_FALSE(form->DBGrid1->isHidden());
    EXPECT_FALSE(form->BitBtnCopy->isHidden());
    EXPECT_FALSE(form->BitBtnExcelCopy->isHidden());
    EXPECT_TRUE(form->SpeedButtonAbort->isHidden());
    EXPECT_TRUE(form->ButtonOpen->isEnabled());
    EXPECT_TRUE(form->BitBtn1->isEnabled());
  }

  QVariant stored(const QString& sql) { return env.queryValue("t.sqlite", sql); }

  MainWindowEnv env;
  TFormMain* form = nullptr;
};

TEST_F(ClipboardTest, AliasAndTableNamesGoOutOnePerLine) {
  form->ButtonAToClipClick();
  EXPECT_EQ(clipboard(), "T\r\nU\r\n");
  form->CheckBoxCopyOracle->setChecked(false);
  form->ButtonTToClipClick();
  EXPECT_EQ(clipboard(), "EMPTY_T\r\nITEMS\r\nTWO\r\n");
}

TEST_F(ClipboardTest, TableCommentsComeFromSysCommentAndEveryTableIsCopied) {
  QStringList setup = {
      "CREATE TABLE SysComment (\"File Name\" VARCHAR(40), \"Field Name\" VARCHAR(40), \"Comment\" VARCHAR(60), "
      "PRIMARY KEY (\"File Name\", \"Field Name\"))",
      "INSERT INTO SysComment VALUES ('ITEMS', 'TableComment', '品目'), ('ITEMS', 'ID', '番号'), "
      "('TWO', 'TableComment', 'tab\there')"};
  setup << "BEGIN";
  for (int i = 0; i < 250; ++i) setup << QStringLiteral("CREATE TABLE X%1 (A INTEGER)").arg(i, 3, 10, QChar('0'));
  setup << "COMMIT";
  env.execSql("t.sqlite", setup);
  form->ButtonGetTblNMClick();
  ASSERT_EQ(form->ComboBox_Tables->count(), 254);
  form->CheckBoxCopyOracle->setChecked(true);
  form->ButtonTToClipClick();
  const QStringList lines = clipLines();
  ASSERT_EQ(lines.size(), 254);  // no stop after 201 tables
  EXPECT_TRUE(lines.contains("ITEMS\t品目"));
  EXPECT_TRUE(lines.contains("TWO\ttab here"));  // a comment stays one cell
  EXPECT_TRUE(lines.contains("EMPTY_T\t"));
  EXPECT_TRUE(lines.contains("X249\t"));
  EXPECT_EQ(env.prompt.messageCount(), 0);
}

TEST_F(ClipboardTest, EmptyDatasetCopiesTheTitleLineWithLabelQuotesAsTheyAre) {
  openTable("EMPTY_T");
  form->BitBtnCopyClick(form->BitBtnCopy);
  EXPECT_EQ(clipboard(), "\"ID\"\t\"say \"hi\"\"\t\r\n");
  // With the format grid's comments, a comment line follows.
  form->ComboGrid1->SetCells(1, 5, "番号");
  form->ComboGrid1->SetCells(2, 5, "挨拶 \"x\"");
  form->BitBtnCopyClick(form->BitBtnCopy);
  EXPECT_EQ(clipLines(), (QStringList{"\"ID\"\t\"say \"hi\"\"\t", "\"番号\"\t\"挨拶 \"\"x\"\"\"\t"}));
  expectScreenRestored();
}

TEST_F(ClipboardTest, CopyStartsAtTheCurrentRecordAndStopsAtTheLimit) {
  openTable("ITEMS");
  form->Table_Paradox->moveTo(9);
  form->BitBtnCopyClick(form->BitBtnCopy);
  QStringList lines = clipLines();
  ASSERT_EQ(lines.size(), 401);
  EXPECT_TRUE(lines[1].startsWith("\"10\"\t\"C10\"\t\"10\"\t\"10.5\"\t"));
  EXPECT_TRUE(lines[400].startsWith("\"409\"\t"));
  EXPECT_EQ(form->Panel3Caption->text(), "400/1000");
  // The next copy goes on from where this one stopped.
  form->NumEditFirst->setText("5");
  form->BitBtnCopyClick(form->BitBtnCopy);
  lines = clipLines();
  ASSERT_EQ(lines.size(), 6);
  EXPECT_TRUE(lines[1].startsWith("\"410\"\t"));
  EXPECT_TRUE(lines[5].startsWith("\"414\"\t"));
  expectScreenRestored();
}

TEST_F(ClipboardTest, CellsHaveTheirQuotesDoubled) {
  env.execSql("t.sqlite", {"UPDATE TWO SET A = 'say \"hi\"' WHERE ID = 1"});
  openTable("TWO");
  form->BitBtnCopyClick(form->BitBtnCopy);
  EXPECT_EQ(clipLines()[1], "\"1\"\t\"say \"\"hi\"\"\"\t\"b1\"\t\"1\"\t");
}

TEST_F(ClipboardTest, AbortStopsTheCopyAndRestoresTheScreen) {
  openTable("ITEMS");
  QTimer::singleShot(0, form, [this] { form->SpeedButtonAbort->SetDown(true); });
  form->BitBtnCopyClick(form->BitBtnCopy);
  EXPECT_EQ(clipLines().size(), 1);  // the title line only
  expectScreenRestored();
  EXPECT_FALSE(form->SpeedButtonAbort->Down());
}

TEST_F(ClipboardTest, PasteFillsTwoRecordsFromTheSelectedColumnWithoutMovingPastTheSecond) {
  openTable("TWO");
  form->DBGrid1->setCurrentIndex(form->DBGrid1->model()->index(0, 1));
  setClipboard("x1\ty1\r\nx2\ty2\r\n");
  form->BitBtn1Click();
  EXPECT_EQ(env.prompt.messageCount(), 0);
  EXPECT_EQ(stored("SELECT A || B FROM TWO WHERE ID = 1").toString(), "x1y1");
  // The second record is still being edited: not written yet.
  EXPECT_EQ(form->Table_Paradox->state(), korvel::db::DatasetState::Edit);
  EXPECT_EQ(form->Table_Paradox->recNo(), 1);
  EXPECT_EQ(stored("SELECT A FROM TWO WHERE ID = 2").toString(), "a2");
  form->Button8Click();
  EXPECT_EQ(stored("SELECT A || B FROM TWO WHERE ID = 2").toString(), "x2y2");
  EXPECT_EQ(stored("SELECT A FROM TWO WHERE ID = 3").toString(), "a3");
}

TEST_F(ClipboardTest, PasteReadsLongTextsWholeAndKeepsTheLastCharacter) {
  env.execSql("t.sqlite", {"WITH RECURSIVE n(i) AS (SELECT 4 UNION ALL SELECT i + 1 FROM n WHERE i < 700) "
                           "INSERT INTO TWO SELECT i, '', '', 0 FROM n"});
  openTable("TWO");
  QString text;
  for (int i = 1; i <= 700; ++i) text += QStringLiteral("%1\tA%1\tB%1\r\n").arg(i);
  text.chop(2);  // no final line break
  ASSERT_GT(text.size(), 4096);
  setClipboard(text);
  form->BitBtn1Click();
  form->Button8Click();
  EXPECT_EQ(env.prompt.messageCount(), 0);
  EXPECT_EQ(stored("SELECT COUNT(*) FROM TWO WHERE A = 'A' || ID AND B = 'B' || ID").toInt(), 700);
  EXPECT_EQ(stored("SELECT B FROM TWO WHERE ID = 700").toString(), "B700");
}

TEST_F(ClipboardTest, MoreLinesThanRecordsStopAtTheLastRecordAndSaySo) {
  openTable("TWO");
  form->Table_Paradox->moveTo(1);
  setClipboard("2\tp\r\n3\tq\r\n4\tr\r\n5\ts\r\n");
  form->BitBtn1Click();
  EXPECT_EQ(stored("SELECT A FROM TWO WHERE ID = 2").toString(), "p");
  EXPECT_EQ(stored("SELECT A FROM TWO WHERE ID = 3").toString(), "q");  // not overwritten by later lines
  EXPECT_EQ(env.prompt.messageCount(), 1);
  EXPECT_TRUE(env.prompt.lastMessage().contains("3行目から4行目")) << env.prompt.lastMessage().toStdString();
}

TEST_F(ClipboardTest, TooManyCellsAreAnErrorOrSkipped) {
  openTable("TWO");
  form->DBGrid1->setCurrentIndex(form->DBGrid1->model()->index(0, 2));
  setClipboard("b1x\t7\r\nb2x\t8\textra\r\nb3x\t9\r\n");
  form->BitBtn1Click();
  // The first record is kept, the failed one is not half-written.
  EXPECT_EQ(stored("SELECT B || C FROM TWO WHERE ID = 1").toString(), "b1x7");
  EXPECT_EQ(stored("SELECT B || C FROM TWO WHERE ID = 2").toString(), "b22");
  EXPECT_TRUE(env.prompt.lastMessage().startsWith("*E:2行目")) << env.prompt.lastMessage().toStdString();
  EXPECT_EQ(form->Table_Paradox->state(), korvel::db::DatasetState::Browse);

  // Skip mode leaves the rest of a long line out and goes on.
  form->Table_Paradox->first();
  form->PasteFromClipboard(form->Table_Paradox, form->DBGrid1, true);
  form->Button8Click();
  EXPECT_EQ(stored("SELECT group_concat(B || C, ',') FROM TWO").toString(), "b1x7,b2x8,b3x9");
}

TEST_F(ClipboardTest, ARejectedValueEndsThePasteAndKeepsTheRecordsBefore) {
  openTable("TWO");
  form->DBGrid1->setCurrentIndex(form->DBGrid1->model()->index(0, 3));
  setClipboard("10\r\nnot a number\r\n30\r\n");
  form->BitBtn1Click();
  EXPECT_EQ(stored("SELECT group_concat(C, ',') FROM TWO").toString(), "10,2,3");
  EXPECT_TRUE(env.prompt.lastMessage().startsWith("*E:2行目を貼り付けられませんでした"));
}

TEST_F(ClipboardTest, ClipCopyOfARecordPastesBackAsTheSameValues) {
  env.execSql("t.sqlite", {"UPDATE TWO SET A = 'x\"y', B = 'tab\there' WHERE ID = 1"});
  openTable("TWO");
  form->NumEditFirst->setText("1");
  form->BitBtnCopyClick(form->BitBtnCopy);
  const QString line = clipLines()[1];
  env.execSql("t.sqlite", {"UPDATE TWO SET A = '', B = '' WHERE ID = 1"});
  form->Table_Paradox->refresh();
  form->Table_Paradox->first();
  form->DBGrid1->setCurrentIndex(form->DBGrid1->model()->index(0, 0));
  setClipboard(line + "\r\n");
  form->BitBtn1Click();
  form->Button8Click();
  EXPECT_EQ(env.prompt.messageCount(), 0) << env.prompt.lastMessage().toStdString();
  EXPECT_EQ(stored("SELECT A FROM TWO WHERE ID = 1").toString(), "x\"y");
  EXPECT_EQ(stored("SELECT B FROM TWO WHERE ID = 1").toString(), "tab\there");
}

TEST_F(ClipboardTest, ExcelCopyWritesTypedCellsIntoARealWorkbook) {
  openTable("ITEMS");
  form->ComboGrid1->SetCells(1, 5, "番号");
  form->NumEditFirst->setText("2");
  const QString path = env.path("out.xlsx");
  env.prompt.fileAnswers.push_back(path);
  form->BitBtnCopyClick(form->BitBtnExcelCopy);
  EXPECT_EQ(env.prompt.records.last().kind, korvel::PromptRecord::SaveFile);
  expectScreenRestored();

  const WorkbookCells cells = readWorkbook(path);
  ASSERT_TRUE(cells.error.isEmpty()) << cells.error.toStdString();
  EXPECT_EQ(cells.at("A1"), (Cell{"inlineStr", "ID"}));
  EXPECT_EQ(cells.at("H1"), (Cell{"inlineStr", "BIG"}));
  EXPECT_EQ(cells.at("A2"), (Cell{"inlineStr", "番号"}));  // the comment row
  EXPECT_EQ(cells.count("B2"), 0u);  // no comment: an empty cell
  EXPECT_EQ(cells.at("A3"), (Cell{"n", "1"}));
  EXPECT_EQ(cells.at("B3"), (Cell{"inlineStr", "C1"}));
  EXPECT_EQ(cells.at("D3"), (Cell{"n", "1.5"}));
  EXPECT_EQ(cells.at("E3").type, "n");
  EXPECT_EQ(cells.at("E3").value, "43832");  // 2020-01-02 as an Excel date
  EXPECT_TRUE(cells.at("E3").dateFormatted);
  EXPECT_EQ(cells.at("F3").value.left(11), "44259.21258");  // 2021-03-04 05:06:07
  EXPECT_TRUE(cells.at("F3").dateFormatted);
  EXPECT_EQ(cells.at("G3"), (Cell{"b", "1"}));
  EXPECT_EQ(cells.at("H3"), (Cell{"n", "1.234567890123457E+29"}));  // SQLite stores it as a double
  EXPECT_EQ(cells.at("A4"), (Cell{"n", "2"}));
  EXPECT_EQ(cells.count("A5"), 0u);  // the limit
  EXPECT_EQ(QDir(env.path("")).entryList({".out.xlsx*"}, QDir::Hidden | QDir::Files).size(), 0);
}

// The workbook as a spreadsheet program sees it: Python's openpyxl opens it
// and finds the titles, numbers, dates and Japanese text in their types.
TEST_F(ClipboardTest, ExcelCopyOpensInARealSpreadsheetReader) {
  env.execSql("t.sqlite", {"UPDATE ITEMS SET CODE = '漢字ｶﾅ①～髙' WHERE ID = 1"});
  openTable("ITEMS");
  form->NumEditFirst->setText("2");
  const QString path = env.path("reader.xlsx");
  env.prompt.fileAnswers.push_back(path);
  form->BitBtnCopyClick(form->BitBtnExcelCopy);
  ASSERT_EQ(env.prompt.messageCount(), 0) << env.prompt.lastMessage().toStdString();

  const ReaderCells cells = readWithOpenpyxl(path, {"A1", "B1", "E1", "A2", "B2", "D2", "E2", "F2", "G2", "A3", "A4"});
  if (!cells.available) {
    if (qgetenv("CI") == "true") FAIL() << "python3 with openpyxl is not installed under CI";
    GTEST_SKIP() << "python3 with openpyxl is not installed (Debian: python3-openpyxl)";
  }
  ASSERT_TRUE(cells.error.isEmpty()) << cells.error.toStdString();
  const auto is = [&](const char* ref, const QString& type, const QString& value) {
    EXPECT_EQ(cells.at(ref).type, type) << ref;
    EXPECT_EQ(cells.at(ref).value, value) << ref;
  };
  is("A1", "str", "ID");
  is("B1", "str", "CODE");
  is("E1", "str", "BORN");
  is("A2", "int", "1");
  is("B2", "str", "漢字ｶﾅ①～髙");
  is("D2", "float", "1.5");
  is("E2", "datetime", "2020-01-02T00:00:00");
  is("F2", "datetime", "2021-03-04T05:06:07");
  is("G2", "bool", "True");
  is("A3", "int", "2");
  is("A4", "NoneType", "");  // the limit
}

TEST_F(ClipboardTest, AnAbortedOrFailedExcelCopyLeavesTheOldFile) {
  const QString path = env.path("keep.xlsx");
  QFile old(path);
  ASSERT_TRUE(old.open(QIODevice::WriteOnly));
  old.write("old contents");
  old.close();
  openTable("ITEMS");
  env.prompt.fileAnswers.push_back(path);
  QTimer::singleShot(0, form, [this] { form->SpeedButtonAbort->SetDown(true); });
  form->BitBtnCopyClick(form->BitBtnExcelCopy);
  expectScreenRestored();

  // A text longer than a cell can hold fails the write.
  env.execSql("t.sqlite", {"UPDATE ITEMS SET CODE = printf('%.40000c', 'x') WHERE ID = 3"});
  form->Table_Paradox->refresh();
  form->Table_Paradox->first();
  env.prompt.fileAnswers.push_back(path);
  form->BitBtnCopyClick(form->BitBtnExcelCopy);
  EXPECT_TRUE(env.prompt.lastMessage().contains("32767")) << env.prompt.lastMessage().toStdString();
  expectScreenRestored();

  // A folder that is not there: said before anything runs.
  env.prompt.fileAnswers.push_back(env.path("no/such/folder/x.xlsx"));
  form->BitBtnCopyClick(form->BitBtnExcelCopy);
  EXPECT_TRUE(env.prompt.lastMessage().startsWith("*E:")) << env.prompt.lastMessage().toStdString();
  expectScreenRestored();

  ASSERT_TRUE(old.open(QIODevice::ReadOnly));
  EXPECT_EQ(old.readAll(), "old contents");
  EXPECT_EQ(QDir(env.path("")).entryList({".keep.xlsx*"}, QDir::Hidden | QDir::Files).size(), 0);
}

}  // namespace
