// The numeric edit box: text rules, and typing, pasting and selecting with
// real key and mouse events.
#include <gtest/gtest.h>

#include "qtprint.h"

#include <QApplication>
#include <QClipboard>
#include <QSignalSpy>
#include <QTest>

#include "controls/numedit.h"

namespace {

TNumEditRules Rules(int integerLength = 9, int decimalLength = 3, bool minus = true) {
  TNumEditRules r;
  r.IntegerLength = integerLength;
  r.DecimalLength = decimalLength;
  r.Minus = minus;
  return r;
}

QString Clean(const QString& text, const TNumEditRules& rules = Rules()) {
  return StripLeadingZeros(NormalizeInput(text, rules));
}

TEST(NumEditRules, NormalizeCutsAtFirstNonNumberAndChecksLengths) {
  EXPECT_EQ(Clean("12abc"), "12");
  EXPECT_EQ(Clean("1,234.5"), "1234.5");
  EXPECT_EQ(Clean("12.34567"), "12.345");
  EXPECT_EQ(Clean("12345", Rules(3)), "");       // integer part too long
  EXPECT_EQ(Clean("-5", Rules(9, 3, false)), "");  // walk stops at the minus
  EXPECT_EQ(Clean("-5"), "-5");
  EXPECT_EQ(Clean("5-"), "5");
  EXPECT_EQ(Clean("1.2.3"), "1.2");
  EXPECT_EQ(Clean("1.5", Rules(9, 0)), "1");  // no point allowed
  EXPECT_EQ(Clean("123456789"), "123456789");
  EXPECT_EQ(Clean("-123456789"), "-123456789");  // the sign is not counted
}

TEST(NumEditRules, FullWidthFormsAreConverted) {
  EXPECT_EQ(Clean(QStringLiteral("１２３")), "123");
  EXPECT_EQ(Clean(QStringLiteral("－１，２３４．５")), "-1234.5");
  EXPECT_EQ(Clean(QStringLiteral("12あ34")), "12");  // any other wide character ends it
}

TEST(NumEditRules, StripLeadingZeros) {
  EXPECT_EQ(StripLeadingZeros("007"), "7");
  EXPECT_EQ(StripLeadingZeros("000"), "0");
  EXPECT_EQ(StripLeadingZeros(".5"), "0.5");
  EXPECT_EQ(StripLeadingZeros("-"), "-");
  EXPECT_EQ(StripLeadingZeros("-007.50"), "-7.50");
  EXPECT_EQ(StripLeadingZeros(""), "");
}

TEST(NumEditRules, GroupingAndFixedForms) {
  EXPECT_EQ(GroupThousands("1234567"), "1,234,567");
  EXPECT_EQ(GroupThousands("123"), "123");
  EXPECT_EQ(GroupThousands("1234"), "1,234");
  TNumEditRules r = Rules(9, 2);
  r.DecimalFixed = true;
  EXPECT_EQ(FormatNumber("5", r), "5.00");
  EXPECT_EQ(FormatNumber("1234.5", r), "1,234.50");
  EXPECT_EQ(FormatNumber("", r), "0.00");
  EXPECT_EQ(TypedPartOfNumber("5", r), "5");
  r.DecimalFixed = false;
  r.IntegerFixed = true;
  EXPECT_EQ(FormatNumber(".5", r), "0.5");
  EXPECT_EQ(NumberAreaTemplate("1", Rules(4, 0)), "1");
  EXPECT_EQ(NumberAreaTemplate("1", [] { auto x = Rules(4, 0); x.IntegerFixed = true; return x; }()),
            "-0,000");
}

class NumEditWidget : public ::testing::Test {
 protected:
  void SetUp() override {
    window.resize(300, 100);
    edit = new TNumEdit(&window);
    other = new TNumEdit(&window);
    other->move(0, 50);
    window.show();
    edit->setFocus();
    QApplication::processEvents();
  }
  void Type(const char* keys) { QTest::keyClicks(edit, QString::fromLatin1(keys)); }

  QWidget window;
  TNumEdit* edit = nullptr;
  TNumEdit* other = nullptr;
};

TEST_F(NumEditWidget, TypingDigitsShowsGroupedRightAlignedNumber) {
  QSignalSpy changes(edit, &TNumEdit::OnChange);
  Type("12345");
  EXPECT_EQ(edit->text(), "12345");
  EXPECT_EQ(edit->DisplayText(), "12,345");
  EXPECT_EQ(changes.count(), 5);
  // Right alignment: the number ends RightMargin + 1 pixel inside the client.
  EXPECT_EQ(edit->NumberRect().right() + 1, edit->width() - 2 - edit->RightMargin() - 1);
}

TEST_F(NumEditWidget, LeadingZerosAndPoint) {
  Type("007");
  EXPECT_EQ(edit->text(), "7");
  edit->clear();
  Type(".");
  EXPECT_EQ(edit->text(), "0.");
  Type("5");
  EXPECT_EQ(edit->text(), "0.5");
  Type(".9");  // a second point is refused; the digit goes after the first
  EXPECT_EQ(edit->text(), "0.59");
}

TEST_F(NumEditWidget, LengthLimitsRefuseSilently) {
  edit->SetIntegerLength(3);
  QSignalSpy changes(edit, &TNumEdit::OnChange);
  Type("1234");
  EXPECT_EQ(edit->text(), "123");
  EXPECT_EQ(changes.count(), 3);  // the refused digit raises nothing
  Type(".12345");
  EXPECT_EQ(edit->text(), "123.123");
}

TEST_F(NumEditWidget, MinusTogglesSignOnlyWhenAllowed) {
  Type("12-");
  EXPECT_EQ(edit->text(), "-12");
  Type("-");
  EXPECT_EQ(edit->text(), "12");
  edit->SetMinus(false);
  Type("-");
  EXPECT_EQ(edit->text(), "12");
  edit->setText("-5");
  EXPECT_EQ(edit->text(), "");
}

TEST_F(NumEditWidget, BackspaceRemovesLastCharacterAndDanglingPoint) {
  edit->setText("1.5");
  QTest::keyClick(edit, Qt::Key_End);  // drop the focus selection
  QTest::keyClick(edit, Qt::Key_Backspace);
  EXPECT_EQ(edit->text(), "1");
  edit->setText("-5");
  QTest::keyClick(edit, Qt::Key_Delete);
  EXPECT_EQ(edit->text(), "-");
  other->setFocus();  // leaving the box empties a lone minus
  QApplication::processEvents();
  EXPECT_EQ(edit->text(), "");
}

TEST_F(NumEditWidget, TypingOverSelectionClearsFirstAndRaisesTwice) {
  edit->setText("987");
  QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
  ASSERT_TRUE(edit->Selected());
  QSignalSpy changes(edit, &TNumEdit::OnChange);
  Type("4");
  EXPECT_EQ(edit->text(), "4");
  EXPECT_EQ(changes.count(), 2);
  EXPECT_FALSE(edit->Selected());
}

TEST_F(NumEditWidget, SelectionKeysAndMouse) {
  edit->setText("42");
  QTest::keyClick(edit, Qt::Key_Right, Qt::ShiftModifier);
  EXPECT_TRUE(edit->Selected());
  QTest::keyClick(edit, Qt::Key_Home);
  EXPECT_FALSE(edit->Selected());
  QTest::mouseDClick(edit, Qt::LeftButton, {}, edit->NumberRect().center());
  EXPECT_TRUE(edit->Selected());
  QTest::mouseClick(edit, Qt::LeftButton, {}, edit->NumberRect().center());
  EXPECT_TRUE(edit->Selected());  // the press right after a double click keeps it
  QTest::mouseClick(edit, Qt::LeftButton, {}, edit->NumberRect().center());
  EXPECT_FALSE(edit->Selected());
  // An empty box cannot be selected.
  edit->clear();
  QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
  EXPECT_FALSE(edit->Selected());
}

TEST_F(NumEditWidget, FocusSelectsWithAutoSelectAndDropsWithHideSelection) {
  other->setText("5");
  other->setFocus();
  QApplication::processEvents();
  EXPECT_TRUE(other->Selected());
  edit->setFocus();
  QApplication::processEvents();
  EXPECT_FALSE(other->Selected());
}

TEST_F(NumEditWidget, PasteReplacesSelectionOrAppends) {
  QApplication::clipboard()->setText("12.34567");
  QSignalSpy changes(edit, &TNumEdit::OnChange);
  QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(edit->text(), "12.345");
  QApplication::clipboard()->setText("99");
  QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);  // 12.345 + 99: fraction cut
  EXPECT_EQ(edit->text(), "12.345");
  EXPECT_EQ(changes.count(), 2);  // raised even when nothing changed
  edit->SetIntegerLength(3);
  QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
  QApplication::clipboard()->setText("12345");
  QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(edit->text(), "");
  QApplication::clipboard()->setText(QStringLiteral("００７"));
  QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(edit->text(), "7");
}

TEST_F(NumEditWidget, ReadOnlyIgnoresEditingKeys) {
  edit->setText("5");
  edit->SetReadOnly(true);
  QTest::keyClick(edit, Qt::Key_End);
  Type("12-");
  QTest::keyClick(edit, Qt::Key_Backspace);
  EXPECT_EQ(edit->text(), "5");
}

TEST_F(NumEditWidget, DecimalFixedPutsCaretAfterTypedCharacters) {
  edit->SetDecimalLength(2);
  edit->SetDecimalFixed(true);
  edit->setText("5");
  EXPECT_EQ(edit->DisplayText(), "5.00");
  const int textLeft = edit->NumberRect().left();
  const int fiveWidth = edit->fontMetrics().horizontalAdvance("5") + 1;
  EXPECT_EQ(edit->CaretPos().x(), textLeft + fiveWidth - 1);
}

TEST_F(NumEditWidget, LayoutFollowsAlignmentAndFixedArea) {
  const int frame = 2;
  edit->SetAlignment(TNumEdit::taLeftJustify);
  edit->SetVertAlignment(TNumEdit::taTopJustify);
  edit->setText("12");
  EXPECT_EQ(edit->NumberRect().left(), frame + edit->LeftMargin());
  EXPECT_EQ(edit->NumberRect().top(), frame + edit->TopMargin());
  edit->SetVertAlignment(TNumEdit::taBottomJustify);
  EXPECT_EQ(edit->NumberRect().bottom() + 1, edit->height() - frame - edit->BottomMargin());
  // A fixed integer area: the number stays right-aligned in it while typing.
  edit->SetIntegerFixed(true);
  edit->SetIntegerLength(6);
  const int right = edit->NumberRect().right();
  QTest::keyClick(edit, Qt::Key_End);
  Type("345");
  EXPECT_EQ(edit->text(), "12345");
  EXPECT_EQ(edit->NumberRect().right(), right);
  EXPECT_GT(edit->NumberRect().left(), frame + edit->LeftMargin());
}

TEST_F(NumEditWidget, SetTextTrimsAndRaisesNothing) {
  QSignalSpy changes(edit, &TNumEdit::OnChange);
  edit->setText("  00123  ");
  EXPECT_EQ(edit->text(), "123");
  edit->SetLeftMark(QStringLiteral("¥"));
  EXPECT_EQ(edit->DisplayText(), QStringLiteral("¥123"));
  edit->clear();
  EXPECT_EQ(edit->DisplayText(), "");
  EXPECT_EQ(changes.count(), 0);
}

TEST_F(NumEditWidget, WindowHelpersReachClearByName) {
  edit->setText("12");
  ASSERT_TRUE(edit->inherits("TNumEdit"));
  ASSERT_TRUE(QMetaObject::invokeMethod(edit, "clear"));
  EXPECT_EQ(edit->text(), "");
}

TEST_F(NumEditWidget, TabAndEnterStayWithTheDialog) {
  QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r");
  QApplication::sendEvent(edit, &enter);
  EXPECT_FALSE(enter.isAccepted());
}

}  // namespace
