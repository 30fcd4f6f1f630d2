// The combo grid: cells, kinds, text placement and the in-place editor rules.
#include <gtest/gtest.h>

#include "qtprint.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>

#include "controls/celltext.h"
#include "controls/combogrid.h"
#include "controls/comboinplaceedit.h"
#include "controls/displayformat.h"

namespace {

class ComboGridTest : public ::testing::Test {
 protected:
  void SetUp() override {
    grid.resize(400, 200);
    grid.SetColCount(4);
    grid.SetRowCount(30);
    grid.SetOptions(grid.Options() | goEditing);
    grid.show();
    grid.setFocus();
    QApplication::processEvents();
  }
  QPoint CellCenter(int col, int row) { return grid.CellRect(col, row).center(); }

  TComboGrid grid;
};

TEST_F(ComboGridTest, CellsReadEmptyUntilSetAndSurviveResizing) {
  EXPECT_EQ(grid.Cells(2, 2), "");
  grid.SetCells(2, 2, "x");
  grid.SetCells(9, 9, "outside");  // ignored
  EXPECT_EQ(grid.Cells(9, 9), "");
  grid.SetColCount(6);
  grid.SetRowCount(40);
  EXPECT_EQ(grid.Cells(2, 2), "x");
  grid.SetColCount(2);
  EXPECT_EQ(grid.Cells(2, 2), "");
  grid.SetColCount(4);
  EXPECT_EQ(grid.Cells(2, 2), "");  // dropped columns come back empty
}

TEST_F(ComboGridTest, KindsAreCreatedOnDemandWithDefaults) {
  EXPECT_EQ(grid.CellKindCount(), 4);  // painting already asked for every column
  TCellKind* kind = grid.GetCellKind(7);
  ASSERT_NE(kind, nullptr);
  EXPECT_EQ(grid.CellKindCount(), 8);
  EXPECT_EQ(kind->Grid(), &grid);
  EXPECT_EQ(kind->Kind(), ckEdit);
  EXPECT_EQ(kind->CellAlign(), 17);
  EXPECT_EQ(kind->FixedAlign(), 17);
  EXPECT_EQ(kind->Margin(), 2);
  EXPECT_TRUE(kind->Editable());
  EXPECT_EQ(grid.GetCellKind(7), kind);
  EXPECT_EQ(grid.PressedCol(), -1);
}

TEST_F(ComboGridTest, AssignCopiesAllButTheGridLink) {
  TCellKind source;
  source.SetKind(ckCheck);
  source.AddItem("Y", 0);
  source.SetMargin(-3);
  source.SetEditable(false);
  TCellKind* target = grid.GetCellKind(1);
  target->Assign(source);
  EXPECT_EQ(target->Grid(), &grid);
  EXPECT_EQ(target->Kind(), ckCheck);
  EXPECT_EQ(target->Items(), source.Items());
  EXPECT_EQ(target->Margin(), -3);
  EXPECT_FALSE(target->Editable());
  target->AssignItems(nullptr);
  EXPECT_TRUE(target->Items().isEmpty());
}

TEST(CellText, AlignmentFlagsPlaceText) {
  const QRect cell(10, 20, 100, 30);  // right edge 110, bottom edge 50
  // Defaults: left + Margin, vertically centred.
  EXPECT_EQ(AlignedTextPos(cell, 40, 10, 17, 2, false), QPoint(12, 30));
  // 36 = caRight + caBottom: right edge Margin inside, bottom 2 above (fixed).
  EXPECT_EQ(AlignedTextPos(cell, 40, 10, 36, 2, true), QPoint(110 - 2 - 40, 50 - 10 - 2));
  // The same flags on data text: at the very bottom.
  EXPECT_EQ(AlignedTextPos(cell, 40, 10, 36, 2, false).y(), 50 - 10);
  // 6 = caCenter + caRight: right wins.
  EXPECT_EQ(AlignedTextPos(cell, 40, 10, 6, 5, false).x(), 110 - 5 - 40);
  EXPECT_EQ(AlignedTextPos(cell, 40, 10, 18, 2, false).x(), 10 + 50 - 20);
  EXPECT_EQ(AlignedTextPos(cell, 40, 10, 8 | 32, 2, false).y(), 20 + 30 - 10);  // bottom wins
  EXPECT_EQ(AlignedTextPos(cell, 40, 10, 8, 2, false).y(), 22);
}

TEST(DisplayFormat, NumbersAreFormattedOthersLeftAlone) {
  QString out;
  ASSERT_TRUE(FormatCellNumber("#,##0", "1234.56", out));
  EXPECT_EQ(out, "1,235");
  EXPECT_FALSE(FormatCellNumber("#,##0", "abc", out));
  EXPECT_FALSE(FormatCellNumber("#,##0", "12abc", out));
  ASSERT_TRUE(FormatCellNumber("0.00", " -3 ", out));
  EXPECT_EQ(out, "-3.00");
}

TEST_F(ComboGridTest, OnlyNonFixedEditCellsUseTheDisplayFormat) {
  TCellKind* kind = grid.GetCellKind(1);
  kind->AddItem(QString());
  kind->AddItem("#,##0");
  grid.SetCells(1, 1, "1234.56");
  grid.SetCells(1, 2, "n/a");
  EXPECT_EQ(grid.DataCellText(1, 1), "1,235");
  EXPECT_EQ(grid.DataCellText(1, 2), "n/a");
  EXPECT_EQ(grid.DataCellText(1, 3), "");
  kind->SetKind(ckDropDown);
  EXPECT_EQ(grid.DataCellText(1, 1), "1234.56");
}

TEST_F(ComboGridTest, TypingOpensTheEditorAndWritesTheCell) {
  grid.FocusCell(1, 1);
  QSignalSpy edits(&grid, &TComboGrid::OnSetEditText);
  QTest::keyClicks(&grid, "ab");
  ASSERT_TRUE(grid.InplaceEditor());
  EXPECT_TRUE(grid.InplaceEditor()->isVisible());
  EXPECT_EQ(grid.Cells(1, 1), "ab");
  EXPECT_EQ(edits.count(), 2);
  QTest::keyClick(grid.InplaceEditor(), Qt::Key_Escape);  // back to the text before editing
  EXPECT_EQ(grid.Cells(1, 1), "");
  EXPECT_FALSE(grid.InplaceEditor()->isVisible());
  QTest::keyClicks(&grid, "cd");
  QTest::keyClick(grid.InplaceEditor(), Qt::Key_Down);  // moves on, keeps the text
  EXPECT_EQ(grid.Cells(1, 1), "cd");
  EXPECT_EQ(grid.Row(), 2);
}

TEST_F(ComboGridTest, NonEditableColumnNeverShowsEditor) {
  grid.GetCellKind(2)->SetEditable(false);
  grid.FocusCell(1, 1);
  grid.ShowEditor();
  ASSERT_TRUE(grid.InplaceEditor()->isVisible());
  grid.SetOptions(grid.Options() | goAlwaysShowEditor);
  grid.FocusCell(2, 1);  // moving onto the column closes the open editor
  EXPECT_FALSE(grid.InplaceEditor()->isVisible());
  QTest::keyClicks(&grid, "z");
  EXPECT_FALSE(grid.InplaceEditor()->isVisible());
  EXPECT_EQ(grid.Cells(2, 1), "");
  grid.FocusCell(3, 1);  // always-show: the editor comes back on an editable column
  EXPECT_TRUE(grid.InplaceEditor()->isVisible());
}

TEST_F(ComboGridTest, EditLimitAndMaskComeFromTheKind) {
  grid.FocusCell(1, 1);
  grid.ShowEditor();
  EXPECT_EQ(grid.InplaceEditor()->MaxLength(), 0);  // 0: no limit
  QTest::keyClicks(grid.InplaceEditor(), QString(300, u'x'));
  EXPECT_EQ(grid.Cells(1, 1).size(), 300);
  grid.HideEditor();
  TCellKind* kind = grid.GetCellKind(2);
  kind->SetMaxLength(3);
  kind->AddItem("999");
  grid.FocusCell(2, 1);
  grid.ShowEditor();
  EXPECT_EQ(grid.InplaceEditor()->MaxLength(), 3);
  EXPECT_EQ(grid.InplaceEditor()->EditMask(), "999");
}

TEST_F(ComboGridTest, ScrollingTheCurrentCellOutHidesTheEditor) {
  grid.FocusCell(1, 1);
  grid.ShowEditor();
  ASSERT_TRUE(grid.InplaceEditor()->isVisible());
  grid.SetTopRow(20);
  EXPECT_TRUE(grid.CellRect(1, 1).isEmpty());
  EXPECT_FALSE(grid.InplaceEditor()->isVisible());
}

TEST_F(ComboGridTest, ScrollingKeepsTheEditInProgress) {
  grid.SetCells(1, 2, "old");
  grid.FocusCell(1, 2);
  grid.ShowEditor();
  QTest::keyClicks(grid.InplaceEditor(), "new");
  grid.SetTopRow(2);  // the cell stays in view, the editor follows it
  ASSERT_TRUE(grid.InplaceEditor()->isVisible());
  EXPECT_EQ(grid.InplaceEditor()->text(), "new");
  grid.SetTopRow(20);  // out of view and back: still the same edit
  grid.SetTopRow(1);
  ASSERT_TRUE(grid.InplaceEditor()->isVisible());
  QTest::keyClick(grid.InplaceEditor(), Qt::Key_Escape);
  EXPECT_EQ(grid.Cells(1, 2), "old");
  grid.ShowEditor();  // a new edit starts from the cell's text
  QTest::keyClicks(grid.InplaceEditor(), "x");
  QTest::keyClick(grid.InplaceEditor(), Qt::Key_Escape);
  EXPECT_EQ(grid.Cells(1, 2), "old");
}

TEST_F(ComboGridTest, TabMovesBetweenCellsOnlyWithGoTabs) {
  grid.SetOptions(grid.Options() | goTabs);
  grid.FocusCell(3, 1);
  grid.ShowEditor();
  QTest::keyClick(grid.InplaceEditor(), Qt::Key_Tab);
  EXPECT_EQ(grid.Col(), 1);  // wraps to the next row's first column
  EXPECT_EQ(grid.Row(), 2);
  QTest::keyClick(&grid, Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(grid.Col(), 3);
  EXPECT_EQ(grid.Row(), 1);
}

TEST_F(ComboGridTest, KeysMoveAndScrollTheCurrentCell) {
  grid.FocusCell(1, 1);
  QTest::keyClick(&grid, Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(grid.Col(), 3);
  EXPECT_EQ(grid.Row(), 29);
  EXPECT_FALSE(grid.CellRect(3, 29).isEmpty());
  QTest::keyClick(&grid, Qt::Key_Home, Qt::ControlModifier);
  EXPECT_EQ(grid.Row(), 1);
  EXPECT_EQ(grid.TopRow(), 1);
  QTest::keyClick(&grid, Qt::Key_Down, Qt::ShiftModifier);
  QTest::keyClick(&grid, Qt::Key_Right, Qt::ShiftModifier);
  EXPECT_EQ(grid.Selection(), (TGridRect{1, 1, 2, 2}));
}

TEST_F(ComboGridTest, ClickSelectsAndDoubleClickIsReported) {
  QSignalSpy dbl(&grid, &TComboGrid::OnDblClick);
  QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, CellCenter(2, 3));
  EXPECT_EQ(grid.Col(), 2);
  EXPECT_EQ(grid.Row(), 3);
  QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, CellCenter(2, 3));
  EXPECT_EQ(dbl.count(), 1);
}

TEST_F(ComboGridTest, KeyDownHandlerCanSwallowKey) {
  grid.FocusCell(1, 1);
  QObject::connect(&grid, &TComboGrid::OnKeyDown, [](int& key, Qt::KeyboardModifiers) {
    if (key == Qt::Key_Down) key = 0;
  });
  QTest::keyClick(&grid, Qt::Key_Down);
  EXPECT_EQ(grid.Row(), 1);
}

TEST_F(ComboGridTest, ColumnSizingByDraggingTheTitleBorder) {
  grid.SetOptions(grid.Options() | goColSizing);
  const QRect title = grid.CellRect(1, 0);
  const QPoint border(title.right() + 1, title.center().y());
  QTest::mousePress(grid.viewport(), Qt::LeftButton, {}, border);
  QMouseEvent move(QEvent::MouseMove, border + QPoint(30, 0), grid.viewport()->mapToGlobal(border + QPoint(30, 0)),
                   Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(grid.viewport(), &move);
  QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {}, border + QPoint(30, 0));
  EXPECT_EQ(grid.ColWidths(1), 64 + 30);
}

}  // namespace
