// Button, check and drop-down cells: the check cycle, press and release,
// Space and Enter, and the drop-down list.
#include <gtest/gtest.h>

#include "qtprint.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>

#include "controls/combogrid.h"
#include "controls/comboinplaceedit.h"
#include "controls/kindcell.h"

namespace {

TCellKind CheckKind() {
  TCellKind kind;
  kind.SetKind(ckCheck);
  kind.AddItem("Y", 0);
  kind.AddItem("N", 1);
  return kind;
}

TEST(NextCheckValue, AlternatesAndResetsUnlistedText) {
  const TCellKind kind = CheckKind();
  EXPECT_EQ(NextCheckValue(kind, "Y"), "N");
  EXPECT_EQ(NextCheckValue(kind, "N"), "Y");
  EXPECT_EQ(NextCheckValue(kind, "y"), "N");  // looked up ignoring case
  EXPECT_EQ(NextCheckValue(kind, "?"), "Y");
  EXPECT_EQ(NextCheckValue(kind, ""), "Y");
  TCellKind noOne;
  noOne.SetKind(ckCheck);
  noOne.AddItem("A", 0);
  noOne.AddItem("B", 2);
  EXPECT_EQ(NextCheckValue(noOne, "B"), "B");  // no item with value 1: stays
  EXPECT_EQ(NextCheckValue(noOne, "x"), "A");
}

class KindCellGrid : public ::testing::Test {
 protected:
  void SetUp() override {
    grid.resize(420, 200);
    grid.SetColCount(4);
    grid.SetRowCount(6);
    grid.SetOptions(grid.Options() | goEditing);
    grid.GetCellKind(1)->Assign(CheckKind());
    TCellKind* button = grid.GetCellKind(2);
    button->SetKind(ckButton);
    button->AddItem("Run");
    TCellKind* drop = grid.GetCellKind(3);
    drop->SetKind(ckDropDown);
    drop->AddItem("Yes");
    drop->AddItem("No");
    grid.SetCells(1, 1, "Y");
    grid.show();
    grid.setFocus();
    QApplication::processEvents();
  }
  QPoint Center(int col, int row) { return grid.CellRect(col, row).center(); }
  void Click(int col, int row) { QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, Center(col, row)); }

  TComboGrid grid;
};

TEST_F(KindCellGrid, ClickingACheckCellCyclesAndReportsOnce) {
  QSignalSpy clicks(&grid, &TComboGrid::OnGridBtnClick);
  Click(1, 1);
  EXPECT_EQ(grid.Cells(1, 1), "N");
  Click(1, 1);
  EXPECT_EQ(grid.Cells(1, 1), "Y");
  ASSERT_EQ(clicks.count(), 2);
  EXPECT_EQ(clicks[0][0].toInt(), 1);
  EXPECT_EQ(clicks[0][1].toInt(), 1);
  EXPECT_FALSE(grid.InplaceEditor() && grid.InplaceEditor()->isVisible());
}

TEST_F(KindCellGrid, DoubleClickIsTwoClicks) {
  QSignalSpy dbl(&grid, &TComboGrid::OnDblClick);
  Click(1, 1);
  QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, Center(1, 1));  // the second press
  QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {}, Center(1, 1));
  EXPECT_EQ(grid.Cells(1, 1), "Y");  // N after the first click, Y after the second
  EXPECT_EQ(dbl.count(), 1);
}

TEST_F(KindCellGrid, CheckCellsIgnoreClicksWhenNotEditableOrNotEditing) {
  QSignalSpy clicks(&grid, &TComboGrid::OnGridBtnClick);
  grid.GetCellKind(1)->SetEditable(false);
  Click(1, 1);
  QTest::keyClick(&grid, Qt::Key_Space);
  EXPECT_EQ(grid.Cells(1, 1), "Y");
  grid.GetCellKind(1)->SetEditable(true);
  grid.SetOptions(grid.Options() & ~TGridOptions(goEditing));
  Click(1, 1);
  EXPECT_EQ(grid.Cells(1, 1), "Y");
  EXPECT_EQ(clicks.count(), 0);
}

TEST_F(KindCellGrid, PressReleasedOutsideTheCellRaisesNothing) {
  QSignalSpy clicks(&grid, &TComboGrid::OnGridBtnClick);
  QTest::mousePress(grid.viewport(), Qt::LeftButton, {}, Center(2, 2));
  EXPECT_EQ(grid.PressedCol(), 2);
  EXPECT_EQ(grid.PressedRow(), 2);
  QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {}, Center(2, 4));
  EXPECT_EQ(clicks.count(), 0);
  EXPECT_EQ(grid.PressedCol(), -1);
  QTest::mousePress(grid.viewport(), Qt::LeftButton, {}, Center(1, 1));
  QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {}, Center(1, 3));
  EXPECT_EQ(grid.Cells(1, 1), "Y");  // a check cell left before release keeps its value
  Click(2, 3);
  ASSERT_EQ(clicks.count(), 1);
  EXPECT_EQ(clicks[0][0].toInt(), 2);
  EXPECT_EQ(clicks[0][1].toInt(), 3);
}

TEST_F(KindCellGrid, ClickingTheCurrentCheckCellDoesNotLeaveEditingOn) {
  grid.FocusCell(1, 1);
  Click(1, 1);
  grid.GetCellKind(1)->SetKind(ckEdit);
  grid.FocusCell(1, 3);
  EXPECT_FALSE(grid.InplaceEditor() && grid.InplaceEditor()->isVisible());
}

TEST_F(KindCellGrid, TitleRowsAreNeverPressed) {
  QTest::mousePress(grid.viewport(), Qt::LeftButton, {}, Center(2, 0));
  EXPECT_EQ(grid.PressedCol(), -1);
  QTest::mouseRelease(grid.viewport(), Qt::LeftButton, {}, Center(2, 0));
}

TEST_F(KindCellGrid, EnterClicksButtonsOnlyAndSpaceTogglesChecks) {
  QSignalSpy clicks(&grid, &TComboGrid::OnGridBtnClick);
  grid.FocusCell(1, 1);
  QTest::keyClick(&grid, Qt::Key_Return);
  EXPECT_EQ(clicks.count(), 0);
  QTest::keyClick(&grid, Qt::Key_Space);
  EXPECT_EQ(grid.Cells(1, 1), "N");
  EXPECT_EQ(clicks.count(), 1);
  grid.FocusCell(2, 2);
  QTest::keyClick(&grid, Qt::Key_Return);
  ASSERT_EQ(clicks.count(), 2);
  EXPECT_EQ(clicks[1][0].toInt(), 2);
  EXPECT_EQ(clicks[1][1].toInt(), 2);
  EXPECT_EQ(grid.PressedCol(), -1);  // Enter draws no press
}

TEST_F(KindCellGrid, HeldSpacePressesOnce) {
  QSignalSpy clicks(&grid, &TComboGrid::OnGridBtnClick);
  grid.FocusCell(2, 1);
  QTest::keyPress(&grid, Qt::Key_Space);
  EXPECT_EQ(grid.PressedCol(), 2);
  QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, " ", true);
  QApplication::sendEvent(&grid, &repeat);
  QTest::keyRelease(&grid, Qt::Key_Space);
  EXPECT_EQ(clicks.count(), 1);
  EXPECT_EQ(grid.PressedCol(), -1);
}

TEST_F(KindCellGrid, ButtonCaptionRule) {
  grid.SetCells(2, 1, "own");
  EXPECT_EQ(grid.KindCellCaption(2, 1), "Run");
  grid.GetCellKind(2)->Items()[0].text = QStringLiteral("%%USECELLDATA%%");
  EXPECT_EQ(grid.KindCellCaption(2, 1), "own");
  EXPECT_EQ(grid.KindCellCaption(1, 1), "Y");  // check cells show their own text
}

class DropDownGrid : public KindCellGrid {
 protected:
  TComboInplaceEdit* OpenEditor(const QString& text) {
    grid.SetCells(3, 2, text);
    grid.FocusCell(3, 2);
    grid.ShowEditor();
    return grid.InplaceEditor();
  }
};

TEST_F(DropDownGrid, ListSelectsTheEntryMatchingTheText) {
  TComboInplaceEdit* edit = OpenEditor("no");
  ASSERT_TRUE(edit && edit->isVisible());
  edit->ToggleList();
  ASSERT_TRUE(edit->ListVisible());
  EXPECT_EQ(edit->ListBox()->currentRow(), 1);
  EXPECT_EQ(edit->ListBox()->count(), 2);
  // ListWidth 0: as wide as the editor, right-aligned directly below it.
  EXPECT_EQ(edit->ListBox()->width(), edit->width());
  EXPECT_EQ(edit->ListBox()->pos(), edit->mapToGlobal(QPoint(0, edit->height())));
  edit->ToggleList();
  EXPECT_FALSE(edit->ListVisible());
}

TEST_F(DropDownGrid, WiderListWidthStaysRightAligned) {
  grid.GetCellKind(3)->SetListWidth(200);
  TComboInplaceEdit* edit = OpenEditor("Yes");
  edit->ToggleList();
  EXPECT_EQ(edit->ListBox()->width(), 200);
  EXPECT_EQ(edit->ListBox()->pos(), edit->mapToGlobal(QPoint(edit->width() - 200, edit->height())));
  EXPECT_EQ(edit->ListBox()->currentRow(), 0);
}

TEST_F(DropDownGrid, EscapeClosesTheListAndKeepsTheEdit) {
  TComboInplaceEdit* edit = OpenEditor("Yes");
  edit->ToggleList();
  QTest::keyClick(edit, Qt::Key_Escape);
  EXPECT_FALSE(edit->ListVisible());
  EXPECT_TRUE(edit->isVisible());
  EXPECT_EQ(grid.Cells(3, 2), "Yes");
}

TEST_F(DropDownGrid, ArrowKeysStepThroughTheEntriesIntoTheCell) {
  QSignalSpy clicks(&grid, &TComboGrid::OnGridBtnClick);
  TComboInplaceEdit* edit = OpenEditor("");
  QTest::keyClick(edit, Qt::Key_Down);
  EXPECT_EQ(edit->text(), "Yes");
  QTest::keyClick(edit, Qt::Key_Down);
  EXPECT_EQ(edit->text(), "No");
  EXPECT_EQ(grid.Cells(3, 2), "No");
  EXPECT_EQ(grid.Row(), 2);  // the grid does not move
  EXPECT_GE(clicks.count(), 1);
  EXPECT_EQ(clicks.last()[0].toInt(), 3);
}

TEST_F(DropDownGrid, ClickingTheButtonDropsTheListAndPickingClosesIt) {
  TComboInplaceEdit* edit = OpenEditor("Yes");
  const QPoint button(edit->width() - ButtonWidth() / 2, edit->height() / 2);
  QTest::mouseClick(edit, Qt::LeftButton, {}, button);
  ASSERT_TRUE(edit->ListVisible());
  TInplaceListBox* list = edit->ListBox();
  const QRect second = list->visualItemRect(list->item(1));
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second.center());
  EXPECT_FALSE(edit->ListVisible());
  EXPECT_EQ(edit->text(), "No");
  EXPECT_EQ(grid.Cells(3, 2), "No");
}

TEST_F(DropDownGrid, CancelModeHidesTheListUnlessCausedByEditorOrList) {
  TComboInplaceEdit* edit = OpenEditor("Yes");
  edit->ToggleList();
  grid.CancelMode(edit);
  EXPECT_TRUE(edit->ListVisible());
  grid.CancelMode(&grid);
  EXPECT_FALSE(edit->ListVisible());
}

}  // namespace
