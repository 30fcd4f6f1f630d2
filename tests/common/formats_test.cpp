#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "common/datetime.h"
#include "common/formats.h"
#include "sjis.h"

using namespace korvel;

namespace {

class FormatsTest : public ::testing::Test {
 protected:
  void SetUp() override { resetFormatSettings(); }
  void TearDown() override { resetFormatSettings(); }
};

}  // namespace

TEST_F(FormatsTest, JapaneseDefaults) {
  const FormatSettings& s = formatSettings();
  EXPECT_EQ(s.currencyString, "\\");
  EXPECT_EQ(s.currencyDecimals, 0);
  EXPECT_EQ(s.shortDateFormat, "yyyy/mm/dd");
  EXPECT_EQ(s.timeAMString, sj("午前"));
  EXPECT_EQ(s.longDayNames[5], sj("金曜日"));
  EXPECT_EQ(s.shortMonthNames[11], sj("12月"));
}

TEST_F(FormatsTest, FormatIntegers) {
  EXPECT_EQ(Format("%d", {42}), "42");
  EXPECT_EQ(Format("[%5d]", {42}), "[   42]");
  EXPECT_EQ(Format("[%-5d]", {42}), "[42   ]");
  EXPECT_EQ(Format("%.4d", {-42}), "-0042");
  EXPECT_EQ(Format("%d", {std::numeric_limits<long long>::min()}), "-9223372036854775808");
  EXPECT_EQ(Format("%x", {255}), "FF");
  EXPECT_EQ(Format("%x", {-1}), "FFFFFFFF");
  EXPECT_EQ(Format("%u", {-1}), "4294967295");
  EXPECT_EQ(Format("%.4x", {10}), "000A");
  EXPECT_EQ(Format("%*d|%-*d", {4, 7, 3, 8}), "   7|8  ");
}

TEST_F(FormatsTest, FormatIndexesAndLiterals) {
  EXPECT_EQ(Format("%1:s %0:s %s", {"a", "b"}), "b a b");
  EXPECT_EQ(Format("100%%", {}), "100%");
  EXPECT_EQ(Format(sj("名前=%s。"), {sj("日本")}), sj("名前=日本。"));
}

TEST_F(FormatsTest, FormatFloats) {
  EXPECT_EQ(Format("%f", {1.005}), "1.01");  // rounds the number as written, half up
  EXPECT_EQ(Format("%.1f", {0.25}), "0.3");
  EXPECT_EQ(Format("%.0f", {999.5}), "1000");
  EXPECT_EQ(Format("%.3f", {2.5}), "2.500");
  EXPECT_EQ(Format("%.0f", {-0.4}), "0");
  EXPECT_EQ(Format("%e", {1.5}), "1.50000000000000E+000");
  EXPECT_EQ(Format("%.3e", {-12345.0}), "-1.23E+004");
  EXPECT_EQ(Format("%g", {0.5}), "0.5");
  EXPECT_EQ(Format("%g", {1e20}), "1E20");
  EXPECT_EQ(Format("%g", {1.5e-7}), "1.5E-7");
  EXPECT_EQ(Format("%n", {1234567.891}), "1,234,567.89");
  EXPECT_EQ(Format("%m", {1234567.5}), "\\1,234,568");
  EXPECT_EQ(Format("%m", {-5.0}), "-\\5");
  EXPECT_EQ(Format("%.2m", {5.0}), "\\5.00");
  EXPECT_EQ(Format("%f", {std::nan("")}), "NAN");
}

TEST_F(FormatsTest, FormatFollowsSettings) {
  formatSettings().decimalSeparator = ',';
  formatSettings().thousandSeparator = '.';
  formatSettings().currencyString = "EUR";
  formatSettings().currencyFormat = 3;
  formatSettings().negCurrFormat = 15;
  formatSettings().currencyDecimals = 2;
  EXPECT_EQ(Format("%n", {1234.5}), "1.234,50");
  EXPECT_EQ(Format("%m", {1234.5}), "1.234,50 EUR");
  EXPECT_EQ(Format("%m", {-1.0}), "(1,00 EUR)");
}

TEST_F(FormatsTest, FormatStringPrecisionKeepsDoubleByteCharacters) {
  EXPECT_EQ(Format("%.3s", {sj("日本語")}), sj("日"));
  EXPECT_EQ(Format("%.4s", {sj("日本語")}), sj("日本"));
  EXPECT_EQ(Format("[%6s]", {"ab"}), "[    ab]");
}

TEST_F(FormatsTest, FormatRejectsMismatchesAndBadPatterns) {
  EXPECT_THROW(Format("%d", {1.5}), FormatError);
  EXPECT_THROW(Format("%f", {1}), FormatError);
  EXPECT_THROW(Format("%s", {1}), FormatError);
  EXPECT_THROW(Format("%d", {"x"}), FormatError);
  EXPECT_THROW(Format("%d %d", {1}), FormatError);
  EXPECT_THROW(Format("%q", {1}), FormatError);
  EXPECT_THROW(Format("abc%", {}), FormatError);
  EXPECT_THROW(Format("%999999999d", {1}), FormatError);
  EXPECT_THROW(Format("%5:d", {1}), FormatError);
  try {
    Format("%y", {1});
    FAIL();
  } catch (const FormatError& e) {
    EXPECT_NE(std::string(e.what()).find("%y"), std::string::npos);
  }
}

TEST_F(FormatsTest, FormatFloatPatterns) {
  EXPECT_EQ(FormatFloat("0.00", 3.14159), "3.14");
  EXPECT_EQ(FormatFloat("#,##0", 1234567.0), "1,234,567");
  EXPECT_EQ(FormatFloat("#,##0.00", -1234.5), "-1,234.50");
  EXPECT_EQ(FormatFloat("0.##", 1.0), "1");
  EXPECT_EQ(FormatFloat("0.##", 1.5), "1.5");
  EXPECT_EQ(FormatFloat("#.##", 0.5), ".5");
  EXPECT_EQ(FormatFloat("000", 7.0), "007");
  EXPECT_EQ(FormatFloat("#", 0.0), "");
  EXPECT_EQ(FormatFloat("0", 123456.0), "123456");
  EXPECT_EQ(FormatFloat("000-000", 123456.0), "123-456");
  EXPECT_EQ(FormatFloat(".00", 12.5), "12.50");
  EXPECT_EQ(FormatFloat("0.00E+00", 12345.0), "1.23E+04");
  EXPECT_EQ(FormatFloat("0.0E-0", 0.00012), "1.2E-4");
  EXPECT_EQ(FormatFloat("0.0e-0", 12.0), "1.2e1");
  EXPECT_EQ(FormatFloat("00.0E+0", 12345.0), "12.3E+3");
  EXPECT_EQ(FormatFloat("\"$\"0.00", 5.0), "$5.00");
  EXPECT_EQ(FormatFloat("'E+'0", 5.0), "E+5");
  EXPECT_EQ(FormatFloat("0" + sj("円"), 5.0), "5" + sj("円"));
  EXPECT_EQ(FormatFloat("", 1.5), "1.5");
  EXPECT_EQ(FormatFloat("0.0#", 1.0), "1.0");
  EXPECT_EQ(FormatFloat("0.0#", 1.25), "1.25");
  EXPECT_EQ(FormatFloat("0.0#", 1.255), "1.26");
  EXPECT_EQ(FormatFloat("#,##0", 999.5), "1,000");
}

TEST_F(FormatsTest, FormatFloatFollowsSettings) {
  formatSettings().decimalSeparator = ',';
  formatSettings().thousandSeparator = ' ';
  EXPECT_EQ(FormatFloat("#,##0.00", 1234567.891), "1 234 567,89");
  formatSettings().thousandSeparator = '\0';  // no grouping
  EXPECT_EQ(FormatFloat("#,##0", 1234567.0), "1234567");
}

TEST_F(FormatsTest, FloatToStrGeneralForm) {
  EXPECT_EQ(FloatToStr(0.0), "0");
  EXPECT_EQ(FloatToStr(-1.5), "-1.5");
  EXPECT_EQ(FloatToStr(0.1 + 0.2), "0.3");  // 15 significant digits
  EXPECT_EQ(FloatToStr(123456789012345678.0), "1.23456789012346E17");
  EXPECT_EQ(FloatToStr(0.0001), "0.0001");
  EXPECT_EQ(FloatToStr(0.00001), "1E-5");
}

TEST_F(FormatsTest, FormatFloatSections) {
  EXPECT_EQ(FormatFloat("0.0;(0.0)", -2.25), "(2.3)");
  EXPECT_EQ(FormatFloat("0.0;(0.0);zero", 0.0), "zero");
  EXPECT_EQ(FormatFloat("0.0;(0.0);zero", 0.01), "zero");
  EXPECT_EQ(FormatFloat("0;;zero", -3.0), "-3");
  EXPECT_EQ(FormatFloat("0", -0.2), "0");  // never "-0"
  EXPECT_EQ(FormatFloat("0;a;b;c", -1.0), "a");
}

TEST_F(FormatsTest, FormatFloatHugeAndSpecialValues) {
  EXPECT_EQ(FormatFloat("0", 1e20), "1E20");
  EXPECT_EQ(FormatFloat("0.00", std::numeric_limits<double>::infinity()), "INF");
  EXPECT_EQ(FormatFloat("0.00", -std::numeric_limits<double>::infinity()), "-INF");
  EXPECT_EQ(FormatFloat("0.0000000000000000000000000", 1.5), "1.5000000000000000000000000");
}

TEST_F(FormatsTest, FormatDateTimeLetters) {
  const double v = encodeDate(1996, 1, 5) + encodeTime(9, 7, 3, 45);
  EXPECT_EQ(FormatDateTime("yyyy/mm/dd hh:nn:ss.zzz", v), "1996/01/05 09:07:03.045");
  EXPECT_EQ(FormatDateTime("yy/m/d h:n:s z", v), "96/1/5 9:7:3 45");
  EXPECT_EQ(FormatDateTime("hh:mm", v), "09:07");
  EXPECT_EQ(FormatDateTime("mmm mmmm", v), sj("1月 1月"));
  EXPECT_EQ(FormatDateTime("ddd dddd", v), sj("金 金曜日"));
  EXPECT_EQ(FormatDateTime("aaa aaaa", v), sj("金 金曜日"));
  EXPECT_EQ(FormatDateTime("ggee gge g", v), sj("平成08 平成8 平"));
  EXPECT_EQ(FormatDateTime("ddddd", v), "1996/01/05");
  EXPECT_EQ(FormatDateTime("dddddd", v), sj("1996年1月5日"));
  EXPECT_EQ(FormatDateTime("c", v), "1996/01/05 9:07:03");
  EXPECT_EQ(FormatDateTime("", encodeDate(1996, 1, 5)), "1996/01/05");
  EXPECT_EQ(FormatDateTime("t tt", v), "9:07 9:07:03");
  EXPECT_EQ(FormatDateTime("'yyyy' \"mm\"", v), "yyyy mm");
}

TEST_F(FormatsTest, FormatDateTimeTwelveHourAndSeparators) {
  const double pm = encodeDate(2024, 2, 29) + encodeTime(15, 4, 0, 0);
  EXPECT_EQ(FormatDateTime("h:nn am/pm", pm), "3:04 pm");
  EXPECT_EQ(FormatDateTime("h:nn AM/PM", encodeTime(0, 5, 0, 0)), "12:05 AM");
  EXPECT_EQ(FormatDateTime("hh a/p", pm), "03 p");
  EXPECT_EQ(FormatDateTime("ampm h", pm), sj("午後 15"));  // marker before the hour
  formatSettings().dateSeparator = '-';
  formatSettings().timeSeparator = '.';
  EXPECT_EQ(FormatDateTime("yyyy/mm/dd hh:nn", pm), "2024-02-29 15.04");
}

TEST_F(FormatsTest, FormatDateTimeDoubleByteLiteralsAreNotDirectives) {
  // 年 is 0x94 0x4E ('N'); 秒 is 0x95 0x62 ('b'); 日 ends in 0xFA. A trail
  // byte must never be read as a pattern letter.
  const double v = encodeDate(2001, 2, 3) + encodeTime(4, 5, 6, 0);
  EXPECT_EQ(FormatDateTime(sj("yyyy年m月d日h時n分s秒"), v), sj("2001年2月3日4時5分6秒"));
}

TEST_F(FormatsTest, FormatDateTimeEras) {
  EXPECT_EQ(FormatDateTime("gge", encodeDate(1989, 1, 7)), sj("昭和64"));
  EXPECT_EQ(FormatDateTime("gge", encodeDate(1989, 1, 8)), sj("平成1"));
  EXPECT_EQ(FormatDateTime("gge", encodeDate(2019, 4, 30)), sj("平成31"));
  EXPECT_EQ(FormatDateTime("gge", encodeDate(2019, 5, 1)), sj("令和1"));
  EXPECT_EQ(FormatDateTime("gge", encodeDate(1912, 7, 30)), sj("大正1"));
  EXPECT_EQ(FormatDateTime("gge", encodeDate(1926, 12, 25)), sj("昭和1"));
  EXPECT_EQ(FormatDateTime("gge", encodeDate(1868, 9, 8)), sj("明治1"));
  EXPECT_EQ(FormatDateTime("gge", encodeDate(1868, 9, 7)), "1868");
}

TEST_F(FormatsTest, FormatDateTimeSelfReferringSettingsTerminate) {
  formatSettings().shortDateFormat = "ddddd c";
  formatSettings().longTimeFormat = "tt";
  EXPECT_NO_THROW(FormatDateTime("c", 1.5));
}

TEST_F(FormatsTest, FormatDateTimeRejectsOutOfRangeValues) {
  EXPECT_THROW(FormatDateTime("yyyy", 1e12), ConvertError);
  EXPECT_THROW(FormatDateTime("yyyy", std::nan("")), ConvertError);
}
