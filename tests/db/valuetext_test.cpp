// Texts read into field values and values written to SQLite: the quick
// paths give exactly what the general parser and Qt's formatting give.

#include <QLocale>

#include <random>

#include "common/codepage.h"
#include "common/formats.h"
#include "db/datetimetext.h"
#include "db/decimaltext.h"
#include "db/fieldvalue.h"
#include "db/isotext.h"
#include "db/sqlitedriver.h"
#include "dbtestenv.h"

namespace korvel::db::test {
namespace {

TEST(ValueText, IntegersReadAsTheCLocaleReadsThem) {
  for (const char* text : {"0", "7", "007", "-12", "-0", "123456789012345678", "1234567890123456789",
                           "-9223372036854775808", "9223372036854775808", "+5", "1,000", "1e3",
                           "12a", "-", "１２"}) {
    const QString t = QString::fromUtf8(text);
    bool expectedOk = false;
    const qlonglong expected = QLocale::c().toLongLong(t, &expectedOk);
    QVariant out;
    EXPECT_EQ(parseEditText(FieldKind::Integer, 0, t, out, nullptr), expectedOk) << text;
    if (expectedOk) {
      EXPECT_EQ(out.toLongLong(), expected) << text;
    }
  }
  QVariant out;
  EXPECT_TRUE(parseEditText(FieldKind::Smallint, 0, QStringLiteral("-32768"), out, nullptr));
  EXPECT_EQ(out, QVariant(-32768));
  EXPECT_FALSE(parseEditText(FieldKind::Smallint, 0, QStringLiteral("32768"), out, nullptr));
  EXPECT_FALSE(parseEditText(FieldKind::Smallint, 0, QStringLiteral("99999999999"), out, nullptr));
}

TEST(ValueText, DatesAndTimesWrittenForSqliteMatchTheirPattern) {
  const QTime times[] = {QTime(0, 0), QTime(8, 9, 10), QTime(23, 59, 59, 250), QTime(1, 2, 3, 4)};
  for (const QDate date : {QDate(1, 1, 1), QDate(999, 12, 31), QDate(2024, 2, 29), QDate(9999, 12, 31),
                           QDate(10000, 1, 1), QDate(-5, 3, 4), QDate()}) {
    EXPECT_EQ(isoDateText(date), date.toString(QStringLiteral("yyyy-MM-dd"))) << date.year();
    for (const QTime time : times) {
      const QDateTime dt(date, time);
      EXPECT_EQ(isoDateTimeText(dt), dt.toString(time.msec() ? QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz")
                                                             : QStringLiteral("yyyy-MM-dd hh:mm:ss")))
          << date.year() << ' ' << time.msec();
    }
  }
  SqliteDriver driver;
  EXPECT_EQ(driver.toDriver(FieldKind::DateTime, QDateTime(QDate(2024, 1, 1), QTime(0, 0))),
            QVariant(QStringLiteral("2024-01-01 00:00:00")));
  EXPECT_EQ(driver.toDriver(FieldKind::Date, QDateTime(QDate(2024, 1, 1), QTime(5, 0))),
            QVariant(QStringLiteral("2024-01-01")));
}

// Plain ASCII skips the converter; the bytes must be those the converter
// gives, and text around a non-ASCII character still goes through it.
TEST(ValueText, AsciiTextConvertsToCodePage932Unchanged) {
  std::string bytes;
  QString text;
  for (int c = 0; c < 0x80; ++c) {
    bytes += static_cast<char>(c);
    text += QChar(c);
  }
  EXPECT_EQ(toCp932(text), bytes);
  EXPECT_EQ(fromCp932(bytes), text);
  EXPECT_EQ(toCp932(QStringLiteral("a日b")), std::string("a\x93\xfa" "b"));
  EXPECT_EQ(fromCp932(std::string("a\x93\xfa" "b")), QStringLiteral("a日b"));
  std::string out;
  EXPECT_FALSE(tryToCp932(QStringLiteral("a☃"), out));
  int bad = 0;
  EXPECT_EQ(fromCp932(std::string("ab\x80"), &bad).left(2), QStringLiteral("ab"));
  EXPECT_EQ(bad, 2);
}

// The edit text of any double reads back as the very same double.
TEST(ValueText, FloatEditTextsReadBackBitForBit) {
  std::mt19937_64 random(20240201);
  std::vector<double> values = {0.1, 123456789.12345679, 1e-300, 5e-324, 1.7976931348623157e308, -0.0,
                                2.0 / 3.0, 1e16, 1e17, 123456789012345678.0};
  for (int i = 0; i < 20000; ++i) {
    double v = 0;
    const std::uint64_t bits = random();
    std::memcpy(&v, &bits, sizeof v);
    if (std::isfinite(v)) values.push_back(v);
  }
  for (const double v : values) {
    const QString text = editText(FieldKind::Float, v);
    QVariant back;
    ASSERT_TRUE(parseEditText(FieldKind::Float, 0, text, back, nullptr)) << text.toStdString();
    const double read = back.toDouble();
    EXPECT_EQ(std::memcmp(&v, &read, sizeof v), 0) << text.toStdString();
  }
  EXPECT_EQ(editText(FieldKind::Float, 123456789.12345679), QStringLiteral("123456789.12345679"));
  EXPECT_EQ(asText(FieldKind::Float, 123456789.12345679), QStringLiteral("123456789.123457"));
}

TEST(ValueText, DecimalTextsKeepEveryDigit) {
  const std::pair<const char*, const char*> typed[] = {
      {"1234567890123456789012345678.1234567891", "1234567890123456789012345678.1234567891"},
      {" +007.50 ", "7.50"}, {"-0", "0"}, {".5", "0.5"}, {"5.", "5"}, {"1,234.5", "1234.5"},
      {"1.5E3", "1500"}, {"-12.5e-3", "-0.0125"}, {"nan", "NaN"}, {"-Infinity", "-Infinity"},
  };
  for (const auto& [text, decimal] : typed)
    EXPECT_EQ(decimalOfText(QString::fromUtf8(text), u'.', u','), std::optional<QString>(QString::fromUtf8(decimal)))
        << text;
  for (const char* bad : {"", "-", "1.2.3", "12a", "1 2", "E5", "--1"})
    EXPECT_FALSE(decimalOfText(QString::fromUtf8(bad), u'.', u',')) << bad;
  EXPECT_EQ(decimalOfText(QStringLiteral("1.234,5"), u',', u'.'), std::optional<QString>(QStringLiteral("1234.5")));

  const std::pair<const char*, const char*> money[] = {
      {"$1,234.56", "1234.56"}, {"-$5.00", "-5.00"}, {"($5.00)", "-5.00"}, {"￥1,235", "1235"},
      {"1.234,56 €", "1234.56"}, {"\\1,234,567", "1234567"}, {"12.5", "12.5"},
  };
  for (const auto& [text, decimal] : money)
    EXPECT_EQ(decimalOfCurrency(QString::fromUtf8(text)), std::optional<QString>(QString::fromUtf8(decimal))) << text;

  EXPECT_EQ(decimalOfDouble(1.2345678901234569e27), QStringLiteral("1234567890123456900000000000"));
  EXPECT_EQ(decimalOfDouble(-0.0001), QStringLiteral("-0.0001"));
  EXPECT_EQ(decimalOfDouble(123456789.12345679), QStringLiteral("123456789.12345679"));
}

// The currency form of an exact decimal rounds its own digits, half away
// from zero, however many there are.
TEST(ValueText, CurrencyTextRoundsTheDecimalItself) {
  FormatSettings s = japaneseFormatSettings();
  s.currencyDecimals = 4;
  EXPECT_EQ(CurrencyText("123456789012345.6789", s), "\\123,456,789,012,345.6789");
  s.currencyDecimals = 2;
  EXPECT_EQ(CurrencyText("999.995", s), "\\1,000.00");
  EXPECT_EQ(CurrencyText("-0.004", s), "\\0.00");
  s.currencyDecimals = 0;
  EXPECT_EQ(CurrencyText("2.5", s), "\\3");
  EXPECT_EQ(CurrencyText("-2.5", s), "-\\3");
  EXPECT_EQ(CurrencyText("12345678901234567890123.5", s), "\\12,345,678,901,234,567,890,124");
  EXPECT_EQ(CurrencyText("NaN", s), "");
}

TEST(ValueText, DateAndTimeTextsAreTakenApartWithoutLoss) {
  const auto dt = [](const char* text) { return parseDateTimeText(QString::fromUtf8(text), DateTimePart::DateTime); };
  auto v = dt("2024-02-01T08:09:10.123456789+09:00");
  ASSERT_TRUE(v);
  EXPECT_EQ(v->fraction, QStringLiteral("123456789"));
  EXPECT_EQ(v->zone, QStringLiteral("+09:00"));
  EXPECT_EQ(v->separator, u'T');
  EXPECT_EQ(isoText(*v, DateTimePart::DateTime), QStringLiteral("2024-02-01T08:09:10.123456789+09:00"));
  v = dt("0001-01-01 10:00:00 BC");
  ASSERT_TRUE(v);
  EXPECT_TRUE(v->bc);
  EXPECT_EQ(v->date(), QDate(-1, 1, 1));
  EXPECT_EQ(isoText(*v, DateTimePart::DateTime), QStringLiteral("0001-01-01 10:00:00 BC"));
  v = dt("12000/5/6 7:08");
  ASSERT_TRUE(v);
  EXPECT_EQ(isoText(*v, DateTimePart::DateTime), QStringLiteral("12000-05-06 07:08:00"));
  EXPECT_EQ(isoText(*dt("2024-02-01"), DateTimePart::DateTime), QStringLiteral("2024-02-01 00:00:00"));
  // Eight digits are a date. (A time needs its colons: "235959" is no time,
  // and a text that is no date and time gives no value at all.)
  v = dt("20240201 23:59:59 Z");
  ASSERT_TRUE(v);
  EXPECT_EQ(isoText(*v, DateTimePart::DateTime), QStringLiteral("2024-02-01 23:59:59Z"));
  EXPECT_FALSE(dt("20240201 235959 Z"));
  const auto time = parseDateTimeText(u"24:00:00", DateTimePart::Time);
  ASSERT_TRUE(time);
  EXPECT_FALSE(time->time().isValid());
  EXPECT_EQ(isoText(*parseDateTimeText(u"13:45:10.5+05:30", DateTimePart::Time), DateTimePart::Time),
            QStringLiteral("13:45:10.5+05:30"));
  for (const char* bad : {"2024-13-01", "2023-02-29", "2024-02-01 25:00", "2024-02-01 10:60", "2024-02-01x",
                          "2024-02-01 10:00:00 XY", "2024-02-01 10:00:00.", "24:00:01", ""})
    EXPECT_FALSE(dt(bad)) << bad;
  EXPECT_FALSE(parseDateTimeText(u"2024-02-01", DateTimePart::Time));
  EXPECT_FALSE(parseDateTimeText(u"10:00", DateTimePart::Date));
}

}  // namespace
}  // namespace korvel::db::test
