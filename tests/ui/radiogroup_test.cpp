#include <gtest/gtest.h>

#include <QRadioButton>

#include "ui/radiogroup.h"

TEST(RadioGroup, SelectsByIndexAndReportsChanges) {
  TRadioGroup group(QStringLiteral("作成対象"), {QStringLiteral("項目名"), QStringLiteral("コメント")});
  EXPECT_EQ(group.ItemIndex(), 0);  // the first item starts selected
  int clicks = 0;
  QObject::connect(&group, &TRadioGroup::OnClick, [&] { ++clicks; });
  group.Button(1)->click();
  EXPECT_EQ(group.ItemIndex(), 1);
  group.SetItemIndex(-1);
  EXPECT_EQ(group.ItemIndex(), -1);
  group.SetItemIndex(0);
  EXPECT_EQ(group.ItemIndex(), 0);
  EXPECT_EQ(clicks, 2);
  EXPECT_EQ(group.Button(2), nullptr);
}
