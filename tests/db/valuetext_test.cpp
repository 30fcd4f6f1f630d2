// Texts read into field values and values written to SQLite: the quick
// paths give exactly what the general parser and Qt's formatting give.

#include <QLocale>

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

}  // namespace
}  // namespace korvel::db::test
