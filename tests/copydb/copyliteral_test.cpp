// The literals and names of the copy's INSERT statements.

#include <gtest/gtest.h>

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <limits>

#include "common/codepage.h"
#include "common/sqlliterals.h"
#include "copydb/copyliteral.h"
#include "copydb/copyplan.h"
#include "copydb/sqlname.h"
#include "db/postgresdriver.h"
#include "db/sqlitedriver.h"

// Readable QString values in failure messages.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

using korvel::copydb::copyLiteral;
using korvel::copydb::LiteralForm;

namespace {

QString lit(LiteralForm form, const char* type, const QVariant& value) {
  return copyLiteral(form, QString::fromLatin1(type), value).text;
}

QString partForm(const char* kind, const char* type, const QString& value) {
  return korvel::fromCp932(Qz_SqlAddSepa(kind, type, korvel::toCp932(value)));
}

// For ordinary values the copy writes exactly what the literal routines
// write for its database kind.
TEST(CopyLiteral, OrdinaryValuesTakeTheFormsOfTheLiteralRoutines) {
  const struct {
    const char* kind;
    LiteralForm form;
  } kinds[] = {{"ORACLE", LiteralForm::Oracle}, {"MSACCESS", LiteralForm::Access}, {"PARADOX", LiteralForm::Paradox}};
  for (const auto& k : kinds) {
    EXPECT_EQ(korvel::copydb::literalFormOf(QString::fromLatin1(k.kind)), k.form);
    EXPECT_EQ(lit(k.form, "CH", QStringLiteral("O'Neil 山田")), partForm(k.kind, "CH", QStringLiteral("O'Neil 山田")));
    EXPECT_EQ(lit(k.form, "CH", QStringLiteral("")), partForm(k.kind, "CH", QString()));
    EXPECT_EQ(lit(k.form, "NU", qlonglong(1234)), partForm(k.kind, "NU", QStringLiteral("1234")));
    EXPECT_EQ(lit(k.form, "NU", QStringLiteral("12.30")), partForm(k.kind, "NU", QStringLiteral("12.30")));
    EXPECT_EQ(lit(k.form, "DA", QDate(1996, 1, 5)), partForm(k.kind, "DA", QStringLiteral("1996/01/05")));
    EXPECT_EQ(lit(k.form, "DA", QStringLiteral("1996/1/5")), partForm(k.kind, "DA", QStringLiteral("1996/1/5")));
    EXPECT_EQ(lit(k.form, "TI", QTime(9, 7, 3)), partForm(k.kind, "TI", QStringLiteral("09:07:03")));
  }
  EXPECT_EQ(lit(LiteralForm::Oracle, "CH", QStringLiteral("a\r\nb")), partForm("ORACLE", "CH", QStringLiteral("a\r\nb")));
  EXPECT_EQ(lit(LiteralForm::Oracle, "DT", QDateTime(QDate(1996, 1, 5), QTime(10, 30))),
            partForm("ORACLE", "DT", QStringLiteral("1996/01/05 10:30")));
  EXPECT_EQ(lit(LiteralForm::Oracle, "BL", true), QStringLiteral("1"));
  EXPECT_EQ(korvel::copydb::literalFormOf(QStringLiteral("SQLITE")), LiteralForm::Oracle);
  EXPECT_EQ(korvel::copydb::literalFormOf(QStringLiteral("POSTGRESQL")), LiteralForm::Postgres);
}

TEST(CopyLiteral, TextIsCarriedExactlyOnOneLine) {
  const LiteralForm o = LiteralForm::Oracle;
  EXPECT_EQ(lit(o, "CH", QStringLiteral("---")), QStringLiteral("'---'"));
  EXPECT_EQ(lit(o, "CH", QStringLiteral("O'Neil\r\n")), QStringLiteral("'O''Neil'||CHR(13)||CHR(10)||''"));
  EXPECT_EQ(lit(o, "CH", QStringLiteral("a\nb\rc")), QStringLiteral("'a'||CHR(10)||'b'||CHR(13)||'c'"));
  EXPECT_EQ(lit(o, "CH", QString(QChar(0))), QStringLiteral("''||CHR(0)||''"));
  EXPECT_EQ(lit(o, "CH", QStringLiteral("😀")), QStringLiteral("'😀'"));  // no code page in between
  EXPECT_EQ(lit(LiteralForm::Paradox, "CH", QStringLiteral("a'\r\n")), QStringLiteral("'a'''||CHR(13)||CHR(10)||''"));
  // Values of other kinds as a text column receives them, numbers whole.
  EXPECT_EQ(lit(o, "CH", qlonglong(std::numeric_limits<qint64>::min())), QStringLiteral("'-9223372036854775808'"));
  EXPECT_EQ(lit(o, "CH", 0.1), QStringLiteral("'0.1'"));
}

TEST(CopyLiteral, NullStaysNullWhateverTheType) {
  for (const char* type : {"CH", "NU", "DA", "DT", "TI", "BL"})
    for (LiteralForm form : {LiteralForm::Oracle, LiteralForm::Access, LiteralForm::Paradox, LiteralForm::Postgres}) {
      EXPECT_EQ(lit(form, type, QVariant()), QStringLiteral("NULL")) << type;
      EXPECT_EQ(lit(form, type, QVariant(QMetaType::fromType<QString>())), QStringLiteral("NULL")) << type;
    }
}

TEST(CopyLiteral, NumbersKeepEveryDigit) {
  const LiteralForm o = LiteralForm::Oracle;
  EXPECT_EQ(lit(o, "NU", qlonglong(std::numeric_limits<qint64>::max())), QStringLiteral("9223372036854775807"));
  EXPECT_EQ(lit(o, "NU", QStringLiteral("12345678901234567890.0123456789")),
            QStringLiteral("12345678901234567890.0123456789"));
  EXPECT_EQ(lit(o, "NU", 0.1), QStringLiteral("0.1"));
  EXPECT_EQ(lit(o, "NU", 1.0 / 3.0), QStringLiteral("0.3333333333333333"));
  EXPECT_EQ(lit(o, "NU", 1.5e-7), QStringLiteral("1.5E-07"));
  EXPECT_EQ(lit(o, "NU", -2.5e300), QStringLiteral("-2.5E300"));
  EXPECT_EQ(lit(o, "NU", std::numeric_limits<double>::quiet_NaN()), QStringLiteral("'NaN'"));
  EXPECT_EQ(lit(o, "NU", -std::numeric_limits<double>::infinity()), QStringLiteral("'-Infinity'"));
  EXPECT_EQ(lit(o, "NU", QStringLiteral("Infinity")), QStringLiteral("'Infinity'"));
  EXPECT_EQ(lit(o, "NU", true), QStringLiteral("1"));
  // Texts follow the number rule; one without any digit holds no number.
  EXPECT_EQ(lit(o, "NU", QStringLiteral("1,234")), QStringLiteral("1234"));
  EXPECT_EQ(lit(o, "NU", QStringLiteral("---")), QStringLiteral("NULL"));
  const auto none = copyLiteral(o, QStringLiteral("NU"), QStringLiteral("abc"));
  EXPECT_FALSE(none.readable);
  EXPECT_EQ(none.text, QStringLiteral("'abc'"));
}

TEST(CopyLiteral, DateTimesKeepTheirTimeAndTimesTheirDay) {
  const QDateTime stamp(QDate(1996, 1, 5), QTime(10, 30, 45));
  EXPECT_EQ(lit(LiteralForm::Oracle, "DT", stamp),
            QStringLiteral("TO_DATE( '1996/01/05 10:30:45', 'YYYY/MM/DD HH24:MI:SS' )"));
  EXPECT_EQ(lit(LiteralForm::Access, "DT", stamp), QStringLiteral("#1996/01/05 10:30:45#"));
  EXPECT_EQ(lit(LiteralForm::Paradox, "DT", stamp), QStringLiteral("CAST( '1996/01/05 10:30:45' AS TIMESTAMP )"));
  EXPECT_EQ(lit(LiteralForm::Postgres, "DT", stamp), QStringLiteral("CAST( '1996/01/05 10:30:45' AS TIMESTAMP )"));
  EXPECT_EQ(lit(LiteralForm::Oracle, "TI", QTime(23, 59, 59)), QStringLiteral("TO_DATE( '23:59:59', 'HH24:MI:SS' )"));
  EXPECT_EQ(lit(LiteralForm::Postgres, "TI", QTime(0, 0)), QStringLiteral("CAST( '00:00:00' AS TIME )"));
  EXPECT_EQ(lit(LiteralForm::Postgres, "DA", QDate(1996, 1, 5)), QStringLiteral("TO_DATE( '1996/01/05', 'YYYY/MM/DD' )"));
  // Years the lenient reading of typed dates would move stay where they are.
  EXPECT_EQ(lit(LiteralForm::Oracle, "DA", QDate(30, 4, 1)), QStringLiteral("TO_DATE( '0030/04/01', 'YYYY/MM/DD' )"));
  EXPECT_EQ(lit(LiteralForm::Oracle, "DA", QDate(9999, 12, 31)), QStringLiteral("TO_DATE( '9999/12/31', 'YYYY/MM/DD' )"));
  // Dates and times a database gave as text are read by their ISO form: a
  // server's fraction and zone, an early year.
  EXPECT_EQ(lit(LiteralForm::Postgres, "DT", QStringLiteral("2024-02-01 08:09:10.123456+09")),
            QStringLiteral("CAST( '2024/02/01 08:09:10' AS TIMESTAMP )"));
  EXPECT_EQ(lit(LiteralForm::Postgres, "TI", QStringLiteral("13:45:10.123456")), QStringLiteral("CAST( '13:45:10' AS TIME )"));
  EXPECT_EQ(lit(LiteralForm::Oracle, "DA", QStringLiteral("0030-04-01")), QStringLiteral("TO_DATE( '0030/04/01', 'YYYY/MM/DD' )"));
  // A text that is no date is not written as 2000/01/01.
  const auto bad = copyLiteral(LiteralForm::Oracle, QStringLiteral("DA"), QStringLiteral("abc"));
  EXPECT_FALSE(bad.readable);
  EXPECT_EQ(bad.text, QStringLiteral("TO_DATE( 'abc', 'YYYY/MM/DD' )"));
  EXPECT_FALSE(copyLiteral(LiteralForm::Oracle, QStringLiteral("TI"), QStringLiteral("25:99")).readable);
}

TEST(CopyLiteral, BooleansByTheirTruth) {
  EXPECT_EQ(lit(LiteralForm::Oracle, "BL", true), QStringLiteral("1"));
  EXPECT_EQ(lit(LiteralForm::Access, "BL", false), QStringLiteral("0"));
  EXPECT_EQ(lit(LiteralForm::Paradox, "BL", true), QStringLiteral("TRUE"));
  EXPECT_EQ(lit(LiteralForm::Postgres, "BL", false), QStringLiteral("FALSE"));
  EXPECT_EQ(lit(LiteralForm::Oracle, "BL", QStringLiteral("true")), QStringLiteral("1"));
  EXPECT_EQ(lit(LiteralForm::Oracle, "BL", QStringLiteral("1.000")), QStringLiteral("1"));
  EXPECT_EQ(lit(LiteralForm::Oracle, "BL", qlonglong(0)), QStringLiteral("0"));
  EXPECT_FALSE(copyLiteral(LiteralForm::Oracle, QStringLiteral("BL"), QStringLiteral("maybe")).readable);
  // Binary data has no literal in any column.
  EXPECT_FALSE(copyLiteral(LiteralForm::Oracle, QStringLiteral("NU"), QByteArray("\x01\x02", 2)).readable);
  EXPECT_FALSE(copyLiteral(LiteralForm::Oracle, QStringLiteral("CH"), QByteArray("\x01\x02", 2)).readable);
}

TEST(CopyPlan, ColumnsMatchExactlyAndNamesAreQuotedWhereNeeded) {
  const korvel::db::SqliteDriver sqlite;
  const korvel::db::PostgresDriver postgres;
  auto name = [](const korvel::db::Driver& d) {
    return [&d](const QString& n) { return korvel::copydb::sqlName(d, n); };
  };
  const std::vector<korvel::copydb::DestinationField> fields = {
      {QStringLiteral("CODE"), QStringLiteral("TIntegerField")},
      {QStringLiteral("code"), QStringLiteral("TStringField")},
      {QStringLiteral("名前"), QStringLiteral("TStringField")},
      {QStringLiteral("ORDER"), QStringLiteral("TDateTimeField")},
      {QStringLiteral("EXTRA"), QStringLiteral("TStringField")}};
  const QStringList source = {QStringLiteral("名前"), QStringLiteral("CODE"), QStringLiteral("ORDER")};
  const auto plan = korvel::copydb::makeCopyPlan(QStringLiteral("EMP"), source, fields, QStringLiteral("SQLITE"),
                                                 name(sqlite));
  EXPECT_EQ(plan.head, QStringLiteral("INSERT INTO EMP ( CODE,\"名前\",\"ORDER\" ) VALUES ( "));
  const auto row = korvel::copydb::rowStatement(plan, {QStringLiteral("山田"), qlonglong(12), QVariant()});
  EXPECT_EQ(row.text, QStringLiteral("INSERT INTO EMP ( CODE,\"名前\",\"ORDER\" ) VALUES ( 12,'山田',NULL )"));
  EXPECT_TRUE(row.readable);

  const auto none = korvel::copydb::makeCopyPlan(QStringLiteral("t"), {QStringLiteral("X")}, fields,
                                                 QStringLiteral("SQLITE"), name(sqlite));
  EXPECT_EQ(korvel::copydb::rowStatement(none, {1}).text, QStringLiteral("INSERT INTO t (  ) VALUES (  )"));

  EXPECT_EQ(korvel::copydb::sqlName(postgres, QStringLiteral("emp_no")), QStringLiteral("emp_no"));
  EXPECT_EQ(korvel::copydb::sqlName(postgres, QStringLiteral("EMP_NO")), QStringLiteral("\"EMP_NO\""));
  EXPECT_EQ(korvel::copydb::sqlName(postgres, QStringLiteral("a\"; DROP")), QStringLiteral("\"a\"\"; DROP\""));
  EXPECT_EQ(korvel::copydb::sqlTableName(postgres, {QStringLiteral("My.Schema"), QStringLiteral("t")}),
            QStringLiteral("\"My.Schema\".t"));
  EXPECT_EQ(korvel::copydb::sqlName(sqlite, QStringLiteral("1st")), QStringLiteral("\"1st\""));
}

}  // namespace
