// The auxiliary windows: display formats, the TJUS viewer, the start-up
// notice, the about box and the alias window.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include "../db/dbtestenv.h"
#include "auxwin/fmabout.h"
#include "auxwin/fmprgexecv6.h"
#include "auxwin/form_alias.h"
#include "auxwin/formdispformat.h"
#include "auxwin/formtjusdebug.h"
#include "common/codepage.h"
#include "common/formats.h"
#include "common/programstate.h"
#include "db/fieldvalue.h"
#include "db/query.h"
#include "ui/scriptedprompt.h"

namespace {

class DispFormatTest : public ::testing::Test {
 protected:
  void SetUp() override {
    korvel::resetFormatSettings();
    korvel::formatSettings().currencyDecimals = 0;
  }
  void TearDown() override { korvel::resetFormatSettings(); }
  void check(std::initializer_list<int> rows) {
    for (int r = 1; r <= TFormDispFormat::kRows; ++r) window.CheckBox(r)->setChecked(false);
    for (int r : rows) window.CheckBox(r)->setChecked(true);
  }
  QString currency(double v) { return korvel::db::displayText(korvel::db::FieldKind::Currency, v); }

  korvel::ScriptedPrompt prompt;
  TFormDispFormat window;
};

TEST_F(DispFormatTest, ReadShowsTheSettingsOfTheFirstFourteenRows) {
  EXPECT_TRUE(window.CheckBox(6)->isChecked());
  window.show();  // reads on showing
  EXPECT_EQ(window.Edit(1)->text(), korvel::fromCp932(korvel::formatSettings().currencyString));
  EXPECT_EQ(window.Edit(2)->text(), "0");
  EXPECT_EQ(window.Edit(4)->text(), ",");
  EXPECT_EQ(window.Edit(5)->text(), ".");
  EXPECT_EQ(window.Edit(6)->text(), "0");
  EXPECT_EQ(window.Edit(7)->text(), "/");
  EXPECT_EQ(window.Edit(10)->text(), ":");
  EXPECT_FALSE(window.Edit(14)->text().isEmpty());
  for (int r = 15; r <= 18; ++r) EXPECT_TRUE(window.Edit(r)->text().isEmpty()) << r;
}

TEST_F(DispFormatTest, WrittenSettingsApplyToLaterFormatting) {
  window.SpeedButtonReadClick();
  EXPECT_EQ(currency(1234.5), "\\1,235");  // the yen sign of code page 932
  // Only row 6 checked: only the decimals change.
  window.Edit(1)->setText("$");
  window.Edit(6)->setText("2");
  window.SpeedButtonWriteClick();
  EXPECT_EQ(korvel::formatSettings().currencyDecimals, 2);
  EXPECT_EQ(korvel::formatSettings().currencyString, "\\");
  EXPECT_EQ(currency(1234.5), "\\1,234.50");

  check({1, 4, 5});
  window.Edit(4)->setText(".x");
  window.Edit(5)->setText(",");
  window.SpeedButtonWriteClick();
  EXPECT_EQ(prompt.messageCount(), 0);
  EXPECT_EQ(currency(1234.5), "$1.234,50");
  // Not a number counts as 0; the low 8 bits of the decimals are kept.
  check({6});
  window.Edit(6)->setText("abc");
  window.SpeedButtonWriteClick();
  EXPECT_EQ(korvel::formatSettings().currencyDecimals, 0);
  window.Edit(6)->setText("258");
  window.SpeedButtonWriteClick();
  EXPECT_EQ(korvel::formatSettings().currencyDecimals, 2);
}

TEST_F(DispFormatTest, ARangeErrorEndsTheWriteAfterTheRowsBeforeIt) {
  check({1, 2, 3, 6});
  window.Edit(1)->setText("EUR");
  window.Edit(2)->setText("256");
  window.Edit(3)->setText("5");
  window.Edit(6)->setText("3");
  window.SpeedButtonWriteClick();
  ASSERT_EQ(prompt.messageCount(), 1);
  EXPECT_TRUE(prompt.lastMessage().contains("CurrencyFormat")) << prompt.lastMessage().toStdString();
  EXPECT_EQ(korvel::formatSettings().currencyString, "EUR");  // stored before the error
  EXPECT_EQ(korvel::formatSettings().currencyFormat, 0);
  EXPECT_EQ(korvel::formatSettings().negCurrFormat, 1);       // not reached
  EXPECT_EQ(korvel::formatSettings().currencyDecimals, 0);

  check({4});
  window.Edit(4)->clear();
  window.SpeedButtonWriteClick();
  EXPECT_EQ(prompt.messageCount(), 2);
  EXPECT_EQ(korvel::formatSettings().thousandSeparator, ',');
  // A separator must be one byte.
  window.Edit(4)->setText("、");
  window.SpeedButtonWriteClick();
  EXPECT_EQ(prompt.messageCount(), 3);
  EXPECT_EQ(korvel::formatSettings().thousandSeparator, ',');
  check({2});
  window.Edit(2)->setText("-1");
  window.SpeedButtonWriteClick();
  EXPECT_EQ(prompt.messageCount(), 4);
}

class TjusViewerTest : public korvel::db::test::EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    sqliteAlias({"CREATE TABLE TJUS (TJUS_KEY INTEGER PRIMARY KEY, TJUS_EIGBLKCD VARCHAR(4), TJUS_FID VARCHAR(4), "
                 "TJUS_DATA1 TEXT, TJUS_DATA2 TEXT, TJUS_DATA3 TEXT, TJUS_DATA4 TEXT, TJUS_DATA5 TEXT, "
                 "TJUS_RECMAKE VARCHAR(8))",
                 "INSERT INTO TJUS VALUES (1, 'B1', 'F1', 'one', '', '', '', 'five', 'R1')",
                 "INSERT INTO TJUS VALUES (2, 'B2', 'F2', 'two', '', '', '', '', 'R2')"},
                "J");
    viewer.QueryTmp->setDatabaseName("J");
  }

  korvel::ScriptedPrompt prompt;
  TFormTjusDebug viewer;
};

TEST_F(TjusViewerTest, OpenReadsTheRecordOfTheKey) {
  viewer.EditKey->setText("2");
  viewer.SpeedButton1Click();
  EXPECT_EQ(viewer.EditEigBLK->text(), "B2");
  EXPECT_EQ(viewer.EditFID->text(), "F2");
  EXPECT_EQ(viewer.EditRecMake->text(), "R2");
  EXPECT_EQ(viewer.Memos[0]->toPlainText(), "two");
  EXPECT_EQ(Qz_LastSql,
            "SELECT TJUS_KEY,TJUS_EIGBLKCD,TJUS_FID,TJUS_DATA1,TJUS_DATA2,TJUS_DATA3,TJUS_DATA4,TJUS_DATA5,"
            "TJUS_RECMAKE FROM TJUS  WHERE TJUS_KEY = 2");
  EXPECT_FALSE(viewer.QueryTmp->active());
  // An empty key shows the first row the database returns.
  viewer.EditKey->clear();
  viewer.SpeedButton1Click();
  EXPECT_EQ(viewer.EditFID->text(), "F1");
  EXPECT_EQ(viewer.Memos[4]->toPlainText(), "five");
}

TEST_F(TjusViewerTest, PlusStartsAtOneAndKeysStayNumbers) {
  viewer.EditKey->setText("abc");
  viewer.SpeedButton2Click();
  EXPECT_EQ(viewer.EditKey->text(), "1");
  EXPECT_EQ(viewer.EditFID->text(), "F1");
  viewer.SpeedButton2Click();
  EXPECT_EQ(viewer.EditKey->text(), "2");
  EXPECT_EQ(viewer.EditFID->text(), "F2");
  // A key is only ever a number literal in the statement.
  viewer.EditKey->setText("1 OR 1=1; DROP TABLE TJUS");
  viewer.SpeedButton1Click();
  EXPECT_FALSE(Qz_LastSql.contains("DROP"));
  EXPECT_EQ(prompt.messageCount(), 0);
  // A failing query leaves what is shown.
  viewer.EditKey->setText("2");
  viewer.SpeedButton1Click();
  viewer.QueryTmp->setDatabaseName("NO_SUCH_ALIAS");
  viewer.SpeedButton1Click();
  EXPECT_EQ(prompt.messageCount(), 1);
  EXPECT_EQ(viewer.EditFID->text(), "F2");
}

TEST(AuxWindows, StartupNoticeClosesItselfAfterThreeSeconds) {
  korvel::db::test::ensureApplication();
  TFMPrgExecV6 notice;
  EXPECT_FALSE(notice.Timer1->isActive());
  EXPECT_EQ(notice.Timer1->interval(), 3000);
  EXPECT_EQ(notice.size(), QSize(410, 197));
  notice.show();
  EXPECT_TRUE(notice.Timer1->isActive());
  notice.Timer1Timer();
  EXPECT_FALSE(notice.Timer1->isActive());
  EXPECT_FALSE(notice.isVisible());
}

TEST(AuxWindows, AboutBoxNamesKorvelAndTheLibrariesWithTheirLicences) {
  korvel::db::test::ensureApplication();
  TFMAbout about;
  const QString credits = about.Memo1->toPlainText();
  for (const char* text : {"Qt ", "GNU LGPL version 3", "SQLite 3.", "Public Domain", "libxlsxwriter 1.",
                           "BSD 2-Clause", "pxlib", "GNU GPL version 2 or later", "PostgreSQL License",
                           "unixODBC"})
    EXPECT_TRUE(credits.contains(QString::fromUtf8(text))) << text;
  EXPECT_TRUE(about.Memo1->isReadOnly());
  about.show();
  about.OKButtonClick();
  EXPECT_FALSE(about.isVisible());
  EXPECT_EQ(about.result(), QDialog::Accepted);
}

TEST(AuxWindows, AliasWindowClosesOnItsButton) {
  korvel::db::test::ensureApplication();
  TForm_Alias window;
  EXPECT_EQ(window.size(), QSize(384, 552));
  window.show();
  window.BitBtn1->click();
  EXPECT_FALSE(window.isVisible());
}

}  // namespace
