#include <gtest/gtest.h>

#include "common/datecodes.h"
#include "common/dateparse.h"
#include "common/datetime.h"
#include "common/formats.h"
#include "common/programstate.h"
#include "sjis.h"

using namespace korvel;

namespace {

double ymd(int y, int m, int d) { return encodeDate(y, m, d); }

// Friday 5 January 1996, 09:07:03.
double sample() { return ymd(1996, 1, 5) + encodeTime(9, 7, 3, 0); }

}  // namespace

TEST(DateValue, EncodeDecodeRoundTrip) {
  EXPECT_EQ(ymd(1899, 12, 30), 0.0);
  EXPECT_EQ(ymd(1900, 1, 1), 2.0);
  EXPECT_EQ(ymd(2000, 1, 1), 36526.0);
  EXPECT_EQ(ymd(1, 1, 1), kMinDateTime);
  const DateTimeParts p = decodeDateTime(sample());
  EXPECT_EQ(p.year, 1996);
  EXPECT_EQ(p.month, 1);
  EXPECT_EQ(p.day, 5);
  EXPECT_EQ(p.hour, 9);
  EXPECT_EQ(p.minute, 7);
  EXPECT_EQ(p.second, 3);
  EXPECT_EQ(p.dayOfWeek, 6);  // Friday
  // Negative values keep their time as a positive fraction.
  const DateTimeParts q = decodeDateTime(-1.25);
  EXPECT_EQ(q.day, 29);
  EXPECT_EQ(q.hour, 6);
  // A time that rounds up to midnight moves to the next day.
  EXPECT_EQ(decodeDateTime(ymd(2000, 2, 28) + 0.9999999999).day, 29);
  EXPECT_THROW(encodeDate(2023, 2, 29), ConvertError);
  EXPECT_NO_THROW(encodeDate(2024, 2, 29));
  EXPECT_THROW(encodeTime(24, 0, 0, 0), ConvertError);
}

TEST(DateValue, InjectedClock) {
  ScopedNow fixed(ymd(1996, 3, 10) + 0.5);
  EXPECT_EQ(now(), ymd(1996, 3, 10) + 0.5);
  EXPECT_EQ(today(), ymd(1996, 3, 10));
}

TEST(DateParsing, LocaleDateParserAndTwoDigitWindow) {
  ScopedNow fixed(ymd(2026, 6, 1));
  EXPECT_EQ(strToDate("1996/01/05"), ymd(1996, 1, 5));
  EXPECT_EQ(strToDate(" 1996/1/5 "), ymd(1996, 1, 5));
  EXPECT_EQ(strToDate("76/01/01"), ymd(1976, 1, 1));
  EXPECT_EQ(strToDate("75/12/31"), ymd(2075, 12, 31));
  EXPECT_EQ(strToDate("3/4"), ymd(2026, 3, 4));
  EXPECT_THROW(strToDate("1996/02/30"), ConvertError);
  EXPECT_THROW(strToDate("1996/01/05x"), ConvertError);
  EXPECT_THROW(strToDate("19960/01/05"), ConvertError);
  EXPECT_THROW(strToDate(""), ConvertError);
}

TEST(DateParsing, TimeAndDateTimeParsers) {
  EXPECT_DOUBLE_EQ(strToTime("10:30"), encodeTime(10, 30, 0, 0));
  EXPECT_DOUBLE_EQ(strToTime(" 9:07:03 "), encodeTime(9, 7, 3, 0));
  EXPECT_DOUBLE_EQ(strToTime("1:05 PM"), encodeTime(13, 5, 0, 0));
  EXPECT_DOUBLE_EQ(strToTime(sj("午前12:00")), 0.0);
  EXPECT_THROW(strToTime("25:00"), ConvertError);
  EXPECT_THROW(strToTime("10:3x"), ConvertError);
  EXPECT_DOUBLE_EQ(strToDateTime("1996/01/05 10:30"), ymd(1996, 1, 5) + encodeTime(10, 30, 0, 0));
  EXPECT_DOUBLE_EQ(strToDateTime("10:30"), encodeTime(10, 30, 0, 0));
  EXPECT_THROW(strToDateTime("1996/01/05 xyz"), ConvertError);
  EXPECT_DOUBLE_EQ(strToDateTime("1899/12/29 06:00"), -1.25);  // time stays positive
}

TEST(DateParsing, Y2KShiftForEarlyYears) {
  EXPECT_EQ(Qz_StrToDateY2K("0030/04/01"), ymd(2030, 4, 1));
  EXPECT_EQ(Qz_StrToDateY2K("0049/12/31"), ymd(2049, 12, 31));
  EXPECT_EQ(Qz_StrToDateY2K("0050/01/01"), ymd(50, 1, 1));
  EXPECT_DOUBLE_EQ(Qz_StrToDateTimeY2K("0030/04/01 12:00"), ymd(2030, 4, 1) + 0.5);
  EXPECT_THROW(Qz_StrToDateY2K("abc"), ConvertError);
}

TEST(ParseDate, ShortFormsUseTheCurrentDate) {
  ScopedNow march(ymd(1996, 3, 20));
  EXPECT_EQ(Qz_ParseDate("5"), ymd(1996, 3, 5));
  EXPECT_EQ(EditorResult, "OK");
  EXPECT_EQ(Qz_ParseDate("25"), ymd(1996, 3, 25));
  EXPECT_EQ(Qz_ParseDate("1225"), ymd(1996, 12, 25));
  EXPECT_EQ(Qz_ParseDate("0105"), ymd(1996, 1, 5));
  EXPECT_EQ(Qz_ParseDate("105"), ymd(1996, 1, 5));
  EXPECT_EQ(Qz_ParseDate("12/25"), ymd(1996, 12, 25));
  EXPECT_EQ(Qz_ParseDate("3/4"), ymd(1996, 3, 4));
}

TEST(ParseDate, DecemberTypedInJanuaryIsLastYear) {
  ScopedNow january(ymd(1997, 1, 10));
  EXPECT_EQ(Qz_ParseDate("1225"), ymd(1996, 12, 25));
  EXPECT_EQ(Qz_ParseDate("12/25"), ymd(1996, 12, 25));
  EXPECT_EQ(Qz_ParseDate("1125"), ymd(1997, 11, 25));
  EXPECT_EQ(Qz_ParseDate("5"), ymd(1997, 1, 5));
}

TEST(ParseDate, FullForms) {
  ScopedNow fixed(ymd(2026, 6, 1));
  EXPECT_EQ(Qz_ParseDate("19960105"), ymd(1996, 1, 5));
  EXPECT_EQ(Qz_ParseDate("1996/1/5"), ymd(1996, 1, 5));
  EXPECT_EQ(Qz_ParseDate("1996-01-05"), ymd(1996, 1, 5));
  EXPECT_EQ(Qz_ParseDate("960105"), ymd(1996, 1, 5));
  EXPECT_EQ(Qz_ParseDate("1996/01/054"), ymd(1996, 1, 5));  // day cut to 2 digits
  EXPECT_EQ(EditorResult, "OK");
  // Year 0 and an unreadable (too long) year read as 0 fall to the two-digit rule.
  EXPECT_EQ(Qz_ParseDate("0000/01/01"), ymd(2000, 1, 1));
  EXPECT_EQ(Qz_ParseDate("99999999999/1/2"), ymd(2000, 1, 2));
  EXPECT_EQ(EditorResult, "OK");
}

TEST(ParseDate, FailuresGiveTheDefaultAndError) {
  ScopedNow fixed(ymd(2026, 6, 1));
  for (const char* bad : {"abc", "12345", "1996/13/40", "", "2/30", "1996年1月5日"}) {
    EditorResult = "OK";
    EXPECT_EQ(Qz_ParseDate(sj(bad)), ymd(2000, 1, 1)) << bad;
    EXPECT_EQ(EditorResult, "ERROR") << bad;
  }
}

TEST(ParseDateTime, DateTimeAndTimeParts) {
  ScopedNow fixed(ymd(2026, 6, 1));
  EXPECT_DOUBLE_EQ(Qz_ParseDateTime("1996/01/05 10:30"), ymd(1996, 1, 5) + encodeTime(10, 30, 0, 0));
  EXPECT_DOUBLE_EQ(Qz_ParseDateTime("10:30"), encodeTime(10, 30, 0, 0));
  EXPECT_DOUBLE_EQ(Qz_ParseDateTime("1996/01/05 xyz"), ymd(1996, 1, 5));
  EXPECT_DOUBLE_EQ(Qz_ParseDateTime(""), 0.0);
  // Leading blanks do not shift the time part into the date.
  EXPECT_DOUBLE_EQ(Qz_ParseDateTime("  1996/01/05 10:30"), ymd(1996, 1, 5) + encodeTime(10, 30, 0, 0));
  EXPECT_THROW(Qz_ParseDateTime("1996/01/05 10:99"), ConvertError);
}

TEST(CnsCodes, GivenDateForms) {
  ScopedNow fixed(ymd(2026, 6, 1));
  const std::string v = "1996/01/05 09:07:03";
  EXPECT_EQ(Qz_DateToCnsText(v, "Cns_GGEEMMDD"), sj("平成08年01月05日"));
  EXPECT_EQ(Qz_DateToCnsText(v, "Cns_GGEMD"), sj("平成8年1月5日"));
  EXPECT_EQ(Qz_DateToCnsText(v, "Cns_YYYYMMDDW"), sj("1996年01月05日(金)"));
  EXPECT_EQ(Qz_DateToCnsText(v, "Cns_YYYYMDW"), sj("1996年1月5日(金)"));
  EXPECT_EQ(Qz_DateToCnsText(v, "Cns_YYYYMMDD"), sj("1996年01月05日"));
  EXPECT_EQ(Qz_DateToCnsText(v, "Cns_YYYYMMDDO"), "1996/01/05");
  EXPECT_EQ(Qz_DateToCnsText(v, "Cns_YYMMDDW"), sj("96年01月05日(金)"));
  EXPECT_EQ(Qz_DateToCnsText(v, "Cns_YYMMDD"), sj("96年01月05日"));
  EXPECT_EQ(Qz_DateToCnsText(v, "Cns_YYMMDDO"), "96/01/05");
  EXPECT_EQ(Qz_DateToCnsText(v, "Cns_YYYYMMDDHHMMSSO"), "1996/01/05 09:07:03");
  EXPECT_EQ(Qz_DateToCnsText(v, "Cns_HHMM"), "09:07");
  EXPECT_EQ(Qz_DateToCnsText(v, "Cns_HHMMSS"), "09:07:03");
  EXPECT_EQ(Qz_DateToCnsText(v, "Cns_YYMMDDOHHMMSS"), "");
  EXPECT_EQ(Qz_DateToCnsText(v, "Cns_PAGE"), "");
  EXPECT_EQ(Qz_DateToCnsText("", "Cns_YYYYMMDDO"), "");
  EXPECT_EQ(Qz_DateToCnsText("1996/1/5", "Cns_YYYYMMDDO"), "1996/01/05");
}

TEST(CnsCodes, CurrentDateForms) {
  ScopedNow fixed(sample());
  EXPECT_EQ(Qz_CnsText("Cns_YYYYMMDDO"), "1996/01/05");
  EXPECT_EQ(Qz_CnsText("Cns_YYMMDDOHHMMSS"), "96/01/05 09:07:03");
  EXPECT_EQ(Qz_CnsText("Cns_YYMMDDOHHMM"), "96/01/05 09:07");
  EXPECT_EQ(Qz_CnsText("Cns_GGEEMMDD"), sj("平成08年01月05日"));
  EXPECT_EQ(Qz_CnsText("Cns_HHMMSS"), "09:07:03");
  EXPECT_EQ(Qz_CnsText("Cns_YYYYMMDDHHMMSSO"), "Cns_YYYYMMDDHHMMSSO");
  EXPECT_EQ(Qz_CnsText("Page"), "Page");
}

TEST(CnsCodes, AssembledFormsIgnoreTheSeparatorSettings) {
  ScopedNow fixed(sample());
  formatSettings().timeSeparator = '.';
  EXPECT_EQ(Qz_CnsText("Cns_HHMM"), "09:07");
  resetFormatSettings();
}

TEST(CnsCodes, PageCounterCountsUp) {
  // The only test in this program that asks for pages.
  ASSERT_EQ(pageCounter(), 0);
  EXPECT_EQ(Qz_CnsText("Cns_PAGE"), "001");
  EXPECT_EQ(Qz_CnsText("Cns_PAGE"), "002");
  for (int i = 3; i < 1000; ++i) Qz_CnsText("Cns_PAGE");
  EXPECT_EQ(Qz_CnsText("Cns_PAGE"), "1000");
}
