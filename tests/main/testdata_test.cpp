// Generated test values, the recently used list and the statement builder.

#include <gtest/gtest.h>

#include "common/codepage.h"
#include "common/formats.h"
#include "main/mru.h"
#include "main/statement.h"
#include "main/testdata.h"

using korvel::nextTestValue;
using korvel::TestDataColumn;

namespace {

// Runs a column for n records, writing each value back as the next initial.
std::vector<std::string> run(TestDataColumn column, int n) {
  std::vector<std::string> values;
  for (int i = 0; i < n; ++i) {
    column.initial = nextTestValue(column);
    values.push_back(column.initial);
  }
  return values;
}

TEST(TestData, TextFormatWithNumberDirectiveCounts) {
  EXPECT_EQ(run({"TStringField", "ABC000", "1", "ABC%3.3d"}, 3),
            (std::vector<std::string>{"ABC001", "ABC002", "ABC003"}));
}

TEST(TestData, TextFormatWithoutPercentGrowsInFront) {
  EXPECT_EQ(run({"TStringField", "abc", "1", "X"}, 2),
            (std::vector<std::string>{"Xabc", "XXabc"}));
}

TEST(TestData, TextWithoutFormatStaysEvenWithManyDigits) {
  EXPECT_EQ(nextTestValue({"TStringField", "12345678901234567890123", "1", ""}),
            "12345678901234567890123");
}

TEST(TestData, DigitsWrittenBesideTheNumberFeedTheNextRecord) {
  EXPECT_EQ(nextTestValue({"TStringField", "A1-1", "1", "A%d-1"}), "A12-1");
}

TEST(TestData, FixedPointDirectiveGetsTheFractionalValue) {
  EXPECT_EQ(nextTestValue({"TStringField", "10", "5", "%.2f"}), "15.00");
}

TEST(TestData, NumbersDropSignAndPoint) {
  EXPECT_EQ(run({"TIntegerField", "100", "2.5", ""}, 2),
            (std::vector<std::string>{"125", "150"}));
  EXPECT_EQ(nextTestValue({"TFloatField", "7", "-5", ""}), "12");
  EXPECT_EQ(nextTestValue({"TFloatField", "x", "", ""}), "0");
}

TEST(TestData, DateTimeStepsInDays) {
  EXPECT_EQ(run({"TDateTimeField", "2024/01/31 10:20:30", "1", ""}, 2),
            (std::vector<std::string>{"2024/02/01 10:20:30", "2024/02/02 10:20:30"}));
}

TEST(TestData, BadInputsRaiseInsteadOfWrapping) {
  EXPECT_THROW(nextTestValue({"TIntegerField", "99999999999999999999", "1", ""}),
               korvel::TestDataError);
  EXPECT_THROW(nextTestValue({"TIntegerField", "922337203685477", "922337203685477", ""}),
               korvel::TestDataError);
  EXPECT_THROW(nextTestValue({"TStringField", "1", "1", "%s"}), korvel::FormatError);
  EXPECT_THROW(nextTestValue({"TDateTimeField", "not a date", "1", ""}), std::exception);
}

TEST(TestData, UnitsPrintAsShortestDecimals) {
  EXPECT_EQ(korvel::unitsToText(1250000), "125");
  EXPECT_EQ(korvel::unitsToText(1), "0.0001");
  EXPECT_EQ(korvel::unitsToText(1255000), "125.5");
  EXPECT_EQ(korvel::unitsToText(-15000), "-1.5");
}

TEST(Mru, FillsAndReordersTheFourSlots) {
  const QStringList design = korvel::mruDesignCaptions();
  QStringList c = design;
  korvel::updateMru(c, "A");
  EXPECT_EQ(c, QStringList({"A", design[1], design[2], design[3]}));
  korvel::updateMru(c, "B");
  EXPECT_EQ(c, QStringList({"B", "A", design[2], design[3]}));
  korvel::updateMru(c, "B");
  EXPECT_EQ(c, QStringList({"B", "A", design[2], design[3]}));

  c = QStringList{"1", "2", "3", "4"};
  korvel::updateMru(c, "3");
  EXPECT_EQ(c, QStringList({"3", "1", "2", "4"}));
  korvel::updateMru(c, "N");
  EXPECT_EQ(c, QStringList({"N", "3", "1", "2"}));
}

TEST(Mru, OnlyLeadingFilledSlotsCount) {
  const QStringList design = korvel::mruDesignCaptions();
  // Slot 2 empty: slot 3's name is not among the leading ones.
  QStringList c{"A", design[1], "C", design[3]};
  korvel::updateMru(c, "C");
  EXPECT_EQ(c, QStringList({"C", "A", "C", design[3]}));
}

TEST(Statement, CommentLinesAreLeftOutAndLinesJoinedWithBlanks) {
  EXPECT_EQ(korvel::statementFromLines({"//[DEMO]", "SELECT *", "FROM T"}), " SELECT * FROM T");
  EXPECT_EQ(korvel::statementFromLines({"// only", "//comments"}), "");
  EXPECT_EQ(korvel::statementFromLines({}), "");
}

}  // namespace
