// The two-state toggle button: captions follow clicks, groups release.
#include <gtest/gtest.h>

#include "qtprint.h"

#include <QSignalSpy>
#include <QTest>

#include "controls/spbtn2.h"

namespace {

TEST(SpBtn2, ClickTogglesAndShowsStateCaption) {
  QWidget parent;
  TSpBtn2 button(&parent);
  button.SetOnStr("A");
  button.SetOffStr("B");
  button.SetCaption("B");
  bool downSeen = false;
  QString captionSeen;
  QObject::connect(&button, &TSpBtn2::OnClick, [&] {
    downSeen = button.Down();
    captionSeen = button.Caption();
  });
  parent.show();
  QTest::mouseClick(&button, Qt::LeftButton);
  EXPECT_TRUE(downSeen);
  EXPECT_EQ(captionSeen, "A");
  QTest::mouseClick(&button, Qt::LeftButton);
  EXPECT_FALSE(button.Down());
  EXPECT_EQ(button.Caption(), "B");
}

TEST(SpBtn2, GlyphChangesOnlyWithChgImg) {
  QWidget parent;
  TSpBtn2 button(&parent);
  QPixmap on(8, 8), off(8, 8);
  on.fill(Qt::red);
  off.fill(Qt::blue);
  button.SetOnBm(on);
  button.SetOffBm(off);
  parent.show();
  QTest::mouseClick(&button, Qt::LeftButton);
  EXPECT_TRUE(button.Glyph().isNull());
  button.SetChgImg(true);
  QTest::mouseClick(&button, Qt::LeftButton);
  EXPECT_EQ(button.Glyph().toImage().pixelColor(0, 0), QColor(Qt::blue));
  QTest::mouseClick(&button, Qt::LeftButton);
  EXPECT_EQ(button.Glyph().toImage().pixelColor(0, 0), QColor(Qt::red));
}

TEST(SpBtn2, GroupKeepsAtMostOneDownAndAllowsAllUp) {
  QWidget parent;
  TSpBtn2 first(&parent), second(&parent), other(&parent);
  first.move(0, 0);
  second.move(100, 0);
  other.move(200, 0);
  other.SetGroupIndex(2);
  for (TSpBtn2* b : {&first, &second}) {
    b->SetOnStr("on");
    b->SetOffStr("off");
  }
  parent.show();
  QTest::mouseClick(&other, Qt::LeftButton);
  QTest::mouseClick(&first, Qt::LeftButton);
  QTest::mouseClick(&second, Qt::LeftButton);
  EXPECT_FALSE(first.Down());
  EXPECT_EQ(first.Caption(), "on");  // released by its mate: caption stays
  EXPECT_TRUE(second.Down());
  EXPECT_TRUE(other.Down());  // another group is untouched
  QTest::mouseClick(&second, Qt::LeftButton);
  EXPECT_FALSE(second.Down());  // all may be up
  second.SetDown(true);
  EXPECT_EQ(second.Caption(), "off");  // set in code: caption unchanged
}

TEST(SpBtn2, PressReleasedOutsideDoesNotToggle) {
  QWidget parent;
  parent.resize(200, 100);
  TSpBtn2 button(&parent);
  QSignalSpy clicks(&button, &TSpBtn2::OnClick);
  parent.show();
  QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(2, 2));
  QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(150, 90));
  EXPECT_FALSE(button.Down());
  EXPECT_EQ(clicks.count(), 0);
}

}  // namespace
