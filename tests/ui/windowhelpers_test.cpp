#include "ui/windowhelpers.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTemporaryDir>
#include <sqlite3.h>

#include "common/programstate.h"
#include "controls/combogrid.h"
#include "db/engine.h"
#include "db/query.h"
#include "ui/scriptedprompt.h"

namespace {

TEST(ComboAddText, SelectsAnEqualItemOrAddsTheText) {
  QComboBox combo;
  combo.setEditable(true);
  combo.addItems({QStringLiteral("A"), QStringLiteral("B")});
  combo.setEditText(QStringLiteral("B"));
  Qz_ComboAddText(&combo);
  EXPECT_EQ(combo.count(), 2);
  EXPECT_EQ(combo.currentIndex(), 1);

  combo.setEditText(QStringLiteral("b"));  // case matters
  Qz_ComboAddText(&combo);
  ASSERT_EQ(combo.count(), 3);
  EXPECT_EQ(combo.itemText(2), QStringLiteral("b"));
  EXPECT_EQ(combo.currentText(), QStringLiteral("b"));

  QComboBox empty;
  empty.setEditable(true);
  empty.setEditText(QStringLiteral("X"));
  Qz_ComboAddText(&empty);
  ASSERT_EQ(empty.count(), 1);
  EXPECT_EQ(empty.itemText(0), QStringLiteral("X"));

  QLineEdit notACombo;
  Qz_ComboAddText(&notACombo);  // ignored
  Qz_ComboAddText(nullptr);
}

TEST(ShowStatus, WritesALabelOrTheSecondStatusPanel) {
  QLabel label;
  Qz_ShowStatus(QStringLiteral("処理中"), &label);
  EXPECT_EQ(label.text(), QStringLiteral("処理中"));
  Qz_ShowStatus(QString(), &label);
  EXPECT_TRUE(label.text().isEmpty());

  QMainWindow window;
  auto* first = new QLabel(QStringLiteral("first"));
  auto* second = new QLabel;
  window.statusBar()->addWidget(first);
  window.statusBar()->addWidget(second);
  Qz_ShowStatus(QStringLiteral("件数 10"), window.statusBar());
  EXPECT_EQ(first->text(), QStringLiteral("first"));
  EXPECT_EQ(second->text(), QStringLiteral("件数 10"));
  Qz_ShowStatus(QString(), window.statusBar());
  EXPECT_TRUE(second->text().isEmpty());
}

TEST(MemoInsert, EmptyMemoTakesTheTextAsItsFirstLine) {
  QPlainTextEdit memo;
  EXPECT_TRUE(Qz_MemoInsert(&memo, QStringLiteral("SELECT ")));
  EXPECT_EQ(memo.toPlainText(), QStringLiteral("SELECT "));
  EXPECT_EQ(memo.textCursor().position(), 7);
}

TEST(DeleteFileChk, DeletesOrWarns) {
  korvel::ScriptedPrompt prompt;
  QTemporaryDir dir;
  const QString file = dir.filePath(QStringLiteral("out.txt"));
  EXPECT_TRUE(Qz_DeleteFileChk(file));  // never there
  QFile f(file);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.close();
  EXPECT_TRUE(Qz_DeleteFileChk(file));
  EXPECT_FALSE(QFile::exists(file));

  const QString sub = dir.filePath(QStringLiteral("sub"));
  ASSERT_TRUE(QDir().mkdir(sub));
  EXPECT_FALSE(Qz_DeleteFileChk(sub));
  ASSERT_EQ(prompt.messageCount(), 1);
  EXPECT_EQ(prompt.lastMessage(), sub + QStringLiteral("が削除できません"));
  EXPECT_EQ(prompt.records.last().icon, korvel::PromptIcon::Warning);
  EXPECT_EQ(prompt.records.last().buttons, korvel::PromptYes);
}

TEST(ClearGrid, EmptiesDataCellsAndKeepsRowTitles) {
  TComboGrid grid;
  grid.SetColCount(3);
  grid.SetRowCount(4);
  grid.SetFixedRows(1);
  grid.SetFixedCols(1);
  for (int row = 0; row < 4; ++row)
    for (int col = 0; col < 3; ++col) grid.SetCells(col, row, QStringLiteral("%1:%2").arg(col).arg(row));
  grid.FocusCell(2, 3);
  Qz_ClearGrid(&grid);
  for (int row = 0; row < 4; ++row) {
    EXPECT_EQ(grid.Cells(0, row), QStringLiteral("0:%1").arg(row));
    for (int col = 1; col < 3; ++col) {
      if (row == 0)
        EXPECT_EQ(grid.Cells(col, row), QStringLiteral("%1:0").arg(col));  // column titles
      else
        EXPECT_TRUE(grid.Cells(col, row).isEmpty()) << col << "," << row;
    }
  }
  EXPECT_EQ(grid.Col(), 1);
  EXPECT_EQ(grid.Row(), 1);
}

TEST(ClearGrid, ManyFixedColumnsStay) {
  TComboGrid grid;
  grid.SetColCount(60);
  grid.SetRowCount(3);
  grid.SetFixedRows(1);
  grid.SetFixedCols(55);  // beyond the old 51-column limit
  for (int col = 0; col < 60; ++col) grid.SetCells(col, 2, QStringLiteral("v"));
  Qz_ClearGrid(&grid);
  EXPECT_EQ(grid.Cells(54, 2), QStringLiteral("v"));
  EXPECT_TRUE(grid.Cells(55, 2).isEmpty());
  EXPECT_TRUE(grid.Cells(59, 2).isEmpty());
}

class OpenQueryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    const QString database = dir.filePath(QStringLiteral("wh.db"));
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(database.toUtf8().constData(), &db), SQLITE_OK);
    sqlite3_exec(db, "CREATE TABLE T (ID INTEGER PRIMARY KEY)", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    const QString ini = dir.filePath(QStringLiteral("aliases.ini"));
    QFile f(ini);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QStringLiteral("[WHTEST]\nTYPE=SQLITE\nPATH=%1\n").arg(database).toUtf8());
    f.close();
    qputenv("KORVEL_ALIASES", ini.toLocal8Bit());
    korvel::db::Engine::instance().loadAliases();
  }
  void TearDown() override { korvel::db::Engine::instance().closeConnections(); }
  QTemporaryDir dir;
  korvel::ScriptedPrompt prompt;
};

TEST_F(OpenQueryTest, OpensAGoodStatementAndRemembersIt) {
  korvel::db::Query query;
  query.setDatabaseName(QStringLiteral("WHTEST"));
  EXPECT_TRUE(Qz_OpenQuery(query, QStringLiteral("SELECT 1 AS ONE")));
  EXPECT_TRUE(query.active());
  EXPECT_EQ(Qz_LastSql, QStringLiteral("SELECT 1 AS ONE"));
  EXPECT_EQ(query.sql(), QStringList{QStringLiteral("SELECT 1 AS ONE")});
  EXPECT_EQ(prompt.messageCount(), 0);
}

TEST_F(OpenQueryTest, ARejectedStatementShowsOneMessageWithTheCount) {
  korvel::db::Query query;
  query.setDatabaseName(QStringLiteral("WHTEST"));
  ASSERT_TRUE(Qz_OpenQuery(query, QStringLiteral("SELECT 1")));
  EXPECT_FALSE(Qz_OpenQuery(query, QStringLiteral("SELEKT nothing")));
  EXPECT_FALSE(query.active());
  EXPECT_EQ(Qz_LastSql, QStringLiteral("SELEKT nothing"));
  ASSERT_EQ(prompt.messageCount(), 1);
  EXPECT_TRUE(prompt.lastMessage().endsWith(QLatin1Char(')')));
  EXPECT_TRUE(prompt.lastMessage().contains(QStringLiteral(" (")));
  EXPECT_EQ(prompt.records.last().icon, korvel::PromptIcon::None);
}

}  // namespace
