#include <QCheckBox>
#include <QLabel>
#include <QRegularExpression>
#include <QScreen>
#include <QToolButton>

#include "controls/numedit.h"
#include "formsmake_fixture.h"
#include "ui/radiogroup.h"

namespace {

// The names of the generated objects, in order ("Label101", ...).
QStringList objectNames(const QString& text) {
  QStringList names;
  const QRegularExpression object(QStringLiteral("object (\\S+) :"));
  for (auto it = object.globalMatch(text); it.hasNext();) names << it.next().captured(1);
  return names;
}

}  // namespace

TEST_F(FormSMakeTest, CreatedWithItsCaptionAndTheStoredGrid) {
  EXPECT_EQ(form->windowTitle(), QStringLiteral("アプリケーション簡単作成 V0.5A"));
  EXPECT_EQ(form->ComboGrid1->ColCount(), 100);
  EXPECT_EQ(form->ComboGrid1->RowCount(), 100);
  EXPECT_EQ(form->ComboGrid1->Cells(1, 0), QStringLiteral("    項  目  名"));
  EXPECT_EQ(form->ComboGrid1->Cells(7, 0), QStringLiteral("　コ　メ　ン　ト"));
  EXPECT_EQ(form->NumEditHani->Text(), QStringLiteral("25"));
  EXPECT_EQ(prompt.messageCount(), 0);
}

TEST_F(FormSMakeTest, LabelsMeasuredInTheChosenFont) {
  setRow(1, QStringLiteral("EMPNO"));
  setRow(2, QString());
  setRow(3, QStringLiteral("社員番号"));
  form->BitBtn_CommentClick();
  EXPECT_EQ(form->Label4->text(), QStringLiteral("-15"));
  EXPECT_EQ(clipboard(),
            QStringLiteral("object Label101 : TLabel\r\n  Left = 8\r\n  Top = 20\r\n  Width = 38\r\n"
                           "  Height = 17\r\n  Caption = 'EMPNO'\r\n"
                           "  Font.Charset = SHIFTJIS_CHARSET\r\n  Font.Color = clWindowText\r\n"
                           "  Font.Height = -15\r\n  Font.Name = 'IPAGothic'\r\n  Font.Style = []\r\n"
                           "  ParentFont = False\r\nend\r\n\r\n"
                           "object Label102 : TLabel\r\n  Left = 8\r\n  Top = 40\r\n  Width = 60\r\n"
                           "  Height = 17\r\n  Caption = '社員番号'\r\n"
                           "  Font.Charset = SHIFTJIS_CHARSET\r\n  Font.Color = clWindowText\r\n"
                           "  Font.Height = -15\r\n  Font.Name = 'IPAGothic'\r\n  Font.Style = []\r\n"
                           "  ParentFont = False\r\nend\r\n\r\n"));
}

TEST_F(FormSMakeTest, ParentFontTakesTheWindowFontHidesTheFontControlsAndDropsTheFontLines) {
  setRow(1, QStringLiteral("EMPNO"));
  form->CkBoxParentFont->setChecked(true);
  EXPECT_EQ(form->EditFName->text(), form->font().family());
  EXPECT_EQ(form->EditFontSize->text(), QString::number(form->font().pointSize()));
  EXPECT_TRUE(form->PanelFont->isHidden());
  EXPECT_TRUE(form->SpeedButtonFont->isHidden());
  form->BitBtn_CommentClick();
  EXPECT_TRUE(clipboard().startsWith(QStringLiteral("object Label101 : TLabel\r\n")));
  EXPECT_TRUE(clipboard().endsWith(QStringLiteral("  Caption = 'EMPNO'\r\nend\r\n\r\n")));

  form->CkBoxParentFont->setChecked(false);
  EXPECT_FALSE(form->PanelFont->isHidden());
  EXPECT_FALSE(form->SpeedButtonFont->isHidden());
}

TEST_F(FormSMakeTest, LabelAndEditPlacesTheEditsAfterTheWidestLabelOfTheWholeGrid) {
  setRow(1, QStringLiteral("EMPNO"));
  setRow(50, QStringLiteral("社員番号"));
  form->RadioGroupObj->SetItemIndex(2);
  form->BitBtn_CommentClick();
  const int editHeight = form->EditMeasure->height();
  const int h = qMax(17, editHeight);
  const QString text = clipboard();
  EXPECT_TRUE(text.contains(QStringLiteral("  object Edit101 : TEdit\r\n  Left = 68\r\n  Top = %1\r\n"
                                           "  Width = 100\r\n  Height = %2\r\n  TabOrder = 1\r\n")
                                .arg(h + 3)
                                .arg(h)))
      << qPrintable(text);
  EXPECT_EQ(objectNames(text), QStringList({"Label101", "Edit101", "Label102", "Edit102"}));
}

TEST_F(FormSMakeTest, RangeModeWalksTheGridInBlocksAcrossItsEnd) {
  for (int row = 1; row <= 99; ++row) setRow(row, QStringLiteral("F%1").arg(row));
  form->CheckBoxHani->setChecked(true);
  EXPECT_FALSE(form->NumEditHani->isHidden());
  form->NumEditHani->SetText(QStringLiteral("40"));
  form->EditNum->setText(QStringLiteral("0"));
  form->RadioGroupMakeName->SetItemIndex(1);

  QStringList all;
  const int expectedNext[] = {41, 81, 1};
  for (int next : expectedNext) {
    form->BitBtn_CommentClick();
    all += objectNames(clipboard());
    EXPECT_EQ(form->ComboGrid1->Row(), next);
  }
  ASSERT_EQ(all.size(), 99);
  EXPECT_EQ(all.first(), QStringLiteral("LabelF1"));
  EXPECT_EQ(all.last(), QStringLiteral("LabelF99"));
  EXPECT_EQ(all.removeDuplicates(), 0);

  form->CheckBoxHani->setChecked(false);
  EXPECT_TRUE(form->NumEditHani->isHidden());
  EXPECT_TRUE(form->LabelHaniFrom->isHidden());
}

TEST_F(FormSMakeTest, TheFontDialogStartsFromTheWindowFontAndFillsNameAndSize) {
  QFont chosen(QStringLiteral("IPAMincho"));
  chosen.setPointSize(12);
  prompt.fontAnswers.push_back(chosen);
  form->SpeedButtonFont->click();
  ASSERT_EQ(prompt.fontsOffered.size(), 1);
  EXPECT_EQ(prompt.fontsOffered[0].family(), form->font().family());
  EXPECT_EQ(form->EditFName->text(), QStringLiteral("IPAMincho"));
  EXPECT_EQ(form->EditFontSize->text(), QStringLiteral("12"));

  form->SpeedButtonFontClick();  // cancelled: nothing changes
  EXPECT_EQ(form->EditFName->text(), QStringLiteral("IPAMincho"));
}

TEST_F(FormSMakeTest, ErrorsAreShownAndLeaveTheClipboardAlone) {
  setClipboard(QStringLiteral("kept"));
  setRow(1, QStringLiteral("A\u00E9\u0101"));  // ā has no code page 932 form
  form->BitBtn_CommentClick();
  EXPECT_TRUE(prompt.lastMessage().startsWith(QStringLiteral("*E:1行目")));
  setRow(1, QStringLiteral("A"));
  form->EditFontSize->setText(QStringLiteral("99999"));
  form->BitBtn_CommentClick();
  EXPECT_TRUE(prompt.lastMessage().startsWith(QStringLiteral("*E:フォントサイズ")));
  EXPECT_EQ(prompt.messageCount(), 2);
  EXPECT_EQ(clipboard(), QStringLiteral("kept"));
}

TEST_F(FormSMakeTest, ShowingPlacesTheWindowAcrossTheTopOfTheScreen) {
  form->ComboGrid1->SetRow(7);
  form->show();
  const QRect area = form->screen()->availableGeometry();
  EXPECT_EQ(form->ComboGrid1->Row(), 1);
  EXPECT_EQ(form->width(), area.width());
  EXPECT_EQ(form->EditFName->text(), form->font().family());
  form->ExitX1->trigger();
  EXPECT_FALSE(form->isVisible());
}
