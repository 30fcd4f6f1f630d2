// Texts read into field values and values written to SQLite: the quick
// paths give exactly what the general parser and Qt's formatting give.

#include <QLocale>

#include "common/codepage.h"
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

}  // namespace
}  // namespace korvel::db::test
