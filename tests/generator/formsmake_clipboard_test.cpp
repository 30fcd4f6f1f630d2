#include "formsmake_fixture.h"

TEST_F(FormSMakeTest, PastingTwoLinesFillsThemAndEmptiesTheRowsBelow) {
  TComboGrid* grid = form->ComboGrid1;
  for (int row = 1; row <= 5; ++row)
    for (int col = 0; col <= 8; ++col) grid->SetCells(col, row, QStringLiteral("old"));
  grid->SetCells(3, 99, QStringLiteral("old"));
  setClipboard(QStringLiteral("a\tb  \tc\r\nd\te\tf"));
  form->BitBtn2Click();
  EXPECT_EQ(grid->Cells(1, 1), QStringLiteral("a"));
  EXPECT_EQ(grid->Cells(2, 1), QStringLiteral("b"));  // trailing blanks removed
  EXPECT_EQ(grid->Cells(3, 1), QStringLiteral("c"));
  EXPECT_EQ(grid->Cells(4, 1), QString());            // the piece after the CR
  EXPECT_EQ(grid->Cells(5, 1), QStringLiteral("old"));
  EXPECT_EQ(grid->Cells(3, 2), QStringLiteral("f"));   // last line without LF
  EXPECT_EQ(grid->Cells(5, 2), QStringLiteral("old"));
  for (int col = 1; col <= 8; ++col) EXPECT_EQ(grid->Cells(col, 3), QString()) << col;
  EXPECT_EQ(grid->Cells(3, 99), QString());
  EXPECT_EQ(grid->Cells(0, 3), QStringLiteral("old"));  // the number column stays
  EXPECT_EQ(grid->Col(), 1);
  EXPECT_EQ(grid->Row(), 1);
  EXPECT_FALSE(grid->isHidden());
  EXPECT_EQ(prompt.messageCount(), 0);
}

TEST_F(FormSMakeTest, PastingMoreThanTheGridHoldsKeepsWhatFitsAndSaysSo) {
  QString text;
  for (int line = 1; line <= 120; ++line) text += QStringLiteral("N%1\r\n").arg(line);
  setClipboard(text);
  form->BitBtn2Click();
  EXPECT_EQ(form->ComboGrid1->Cells(1, 99), QStringLiteral("N99"));
  EXPECT_FALSE(form->ComboGrid1->isHidden());
  EXPECT_EQ(prompt.messageCount(), 1);
  EXPECT_TRUE(prompt.lastMessage().startsWith(QStringLiteral("*E:")));
}

TEST_F(FormSMakeTest, CopyingWritesEveryCellWithTabsAndLinesWithCrLf) {
  setRow(1, QStringLiteral("EMPNO"), QStringLiteral("TIntegerField"), QStringLiteral("社員番号"));
  form->BitBtn_CopyClick();
  const QStringList lines = clipboard().split(QStringLiteral("\r\n"));
  ASSERT_EQ(lines.size(), 101);  // 100 rows and the empty rest after the last CR LF
  EXPECT_TRUE(lines[0].startsWith(QStringLiteral(" No\t    項  目  名\t")));
  EXPECT_EQ(lines[0].count(QLatin1Char('\t')), 100);
  EXPECT_EQ(lines[1], QStringLiteral("\tEMPNO\tTIntegerField\t\t\t\t\t社員番号") +
                          QString(93, QLatin1Char('\t')));
  EXPECT_TRUE(lines[100].isEmpty());
}

TEST_F(FormSMakeTest, TheFieldGridIsCopiedInAndTheWindowShownModally) {
  form->ComboGrid1->SetCells(1, 20, QStringLiteral("stale"));
  TComboGrid fieldGrid;
  fieldGrid.SetColCount(10);
  fieldGrid.SetRowCount(3);
  fieldGrid.SetCells(1, 0, QStringLiteral("title"));
  fieldGrid.SetCells(0, 1, QStringLiteral("1"));
  fieldGrid.SetCells(1, 1, QStringLiteral("EMPNO"));
  fieldGrid.SetCells(9, 2, QStringLiteral("2"));
  int shown = 0;
  prompt.onModal = [&](QWidget* window) {
    shown += window == form.get();
    return 1;
  };
  EXPECT_EQ(form->ShowForFieldGrid(fieldGrid), 1);
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(form->ComboGrid1->Cells(1, 0), QStringLiteral("    項  目  名"));  // titles stay
  EXPECT_EQ(form->ComboGrid1->Cells(0, 1), QStringLiteral("1"));
  EXPECT_EQ(form->ComboGrid1->Cells(1, 1), QStringLiteral("EMPNO"));
  EXPECT_EQ(form->ComboGrid1->Cells(9, 2), QStringLiteral("2"));
  EXPECT_EQ(form->ComboGrid1->Cells(1, 20), QString());
}
