#include <gtest/gtest.h>

#include "common/datecodes.h"
#include "common/datetime.h"
#include "common/sqlliterals.h"
#include "sjis.h"

using namespace korvel;

TEST(SqlLiterals, CharacterForms) {
  const std::string v = "O'Neil\r\nx";
  EXPECT_EQ(Qz_OraSqlAddSepa("CH", v), "'O''Neil'||CHR(13)||CHR(10)||'x'");
  EXPECT_EQ(Qz_AccSqlAddSepa("CH", v), "'O''Neil'||CHR(13)||CHR(10)||'x'");
  EXPECT_EQ(Qz_OraSqlAddSepa("CH", "O'Neil\r\n"), "'O''Neil'");
  EXPECT_EQ(Qz_OraSqlAddSepa("CH", "\r\n"), "''");
  EXPECT_EQ(Qz_OraSqlAddSepa("CH", "a\rb\nc"), "'a\rb\nc'");  // lone CR and LF stay
  EXPECT_EQ(Qz_OraSqlAddSepa("CH", "a\r\n\r\n"), "'a'||CHR(13)||CHR(10)||''");
  EXPECT_EQ(Qz_OraSqlAddSepa("CH", std::string("ab\x93")), "'ab '");  // lone lead byte
  EXPECT_EQ(Qz_OraSqlAddSepa("CH", sj("表'")), "'" + sj("表") + "'''");
}

TEST(SqlLiterals, ParadoxCharacterFormDoublesQuotes) {
  // A single quote left undoubled would end the literal inside the value.
  EXPECT_EQ(Qz_ParaSqlAddSepa("CH", "O'Neil"), "'O''Neil'");
  EXPECT_EQ(Qz_ParaSqlAddSepa("CH", "a\r\nb"), "'a\r\nb'");
}

TEST(SqlLiterals, AbsentAndEmptyValues) {
  for (const char* kind : {"MSACCESS", "PARADOX", "ORACLE"}) {
    EXPECT_EQ(Qz_SqlAddSepa(kind, "CH", "---"), "''") << kind;
    EXPECT_EQ(Qz_SqlAddSepa(kind, "NU", "---"), "NULL") << kind;
    EXPECT_EQ(Qz_SqlAddSepa(kind, "DA", ""), "NULL") << kind;
    EXPECT_EQ(Qz_SqlAddSepa(kind, "DT", "---"), "NULL") << kind;
    EXPECT_EQ(Qz_SqlAddSepa(kind, "TI", ""), "NULL") << kind;
    EXPECT_EQ(Qz_SqlAddSepa(kind, "XX", "1"), "") << kind;
    EXPECT_EQ(Qz_SqlAddSepa(kind, "ch", "1"), "") << kind;
  }
}

TEST(SqlLiterals, DateForms) {
  ScopedNow fixed(encodeDate(2026, 6, 1));
  EXPECT_EQ(Qz_AccSqlAddSepa("DA", "1996/1/5"), "#1996/01/05#");
  EXPECT_EQ(Qz_OraSqlAddSepa("DA", "1996/1/5"), "TO_DATE( '1996/01/05', 'YYYY/MM/DD' )");
  EXPECT_EQ(Qz_ParaSqlAddSepa("DA", "19960105"), "CAST( '1996/01/05' AS DATE )");
  EXPECT_EQ(Qz_OraSqlAddSepa("DT", "1996/01/05 10:30"),
            "TO_DATE( '1996/01/05 10:30:00', 'YYYY/MM/DD HH24:MI:SS' )");
  EXPECT_EQ(Qz_AccSqlAddSepa("DT", "1996/01/05 10:30"), "#1996/01/05 10:30:00#");
  EXPECT_EQ(Qz_ParaSqlAddSepa("DT", "1996/01/05 10:30"), "CAST( '1996/01/05 10:30:00' AS DATE )");
  EXPECT_EQ(Qz_OraSqlAddSepa("TI", "9:05"), "TO_DATE( '09:05:00', 'HH24:MI:SS' )");
  EXPECT_EQ(Qz_AccSqlAddSepa("TI", "9:05:07"), "#09:05:07#");
  EXPECT_EQ(Qz_ParaSqlAddSepa("TI", "23:59:59"), "CAST( '23:59:59' AS TIME )");
}

TEST(SqlLiterals, UnreadableDatesAndTimes) {
  ScopedNow fixed(encodeDate(2026, 6, 1));
  // The lenient routines write the parser's default date ...
  EXPECT_EQ(Qz_OraSqlAddSepa("DA", "abc"), "TO_DATE( '2000/01/01', 'YYYY/MM/DD' )");
  EXPECT_EQ(Qz_AccSqlAddSepa("DT", "1996/13/40 10:00"), "#2000/01/01 10:00:00#");
  // ... the checked one refuses to store a substitute date.
  EXPECT_THROW(sqlAddSepaChecked("ORACLE", "DA", "abc"), ConvertError);
  EXPECT_THROW(sqlAddSepaChecked("MSACCESS", "DT", "1996/13/40 10:00"), ConvertError);
  EXPECT_EQ(sqlAddSepaChecked("PARADOX", "DA", "1996/1/5"), "CAST( '1996/01/05' AS DATE )");
  EXPECT_EQ(sqlAddSepaChecked("ORACLE", "TI", "10:30"), "TO_DATE( '10:30:00', 'HH24:MI:SS' )");
  EXPECT_EQ(sqlAddSepaChecked("PARADOX", "CH", "O'Neil"), "'O''Neil'");
  // An invalid time part raises in both.
  EXPECT_THROW(Qz_OraSqlAddSepa("DT", "1996/01/05 25:00"), ConvertError);
  EXPECT_THROW(Qz_ParaSqlAddSepa("TI", "10:6x"), ConvertError);
  EXPECT_THROW(sqlAddSepaChecked("ORACLE", "TI", "10:6x"), ConvertError);
}

TEST(SqlLiterals, BooleanForms) {
  for (const char* yes : {"Y", "YES", "T", "TRUE", "1", "1.000"})
    EXPECT_EQ(Qz_AccSqlAddSepa("BL", yes), "1") << yes;
  for (const char* no : {"y", "true", "no", "", "---", "0", "1.0"})
    EXPECT_EQ(Qz_OraSqlAddSepa("BL", no), "0") << no;
  EXPECT_EQ(Qz_ParaSqlAddSepa("BL", "YES"), "");
}

TEST(SqlLiterals, KindSelection) {
  EXPECT_EQ(Qz_SqlAddSepa("MSACCESS", "DA", "1996/1/5"), "#1996/01/05#");
  EXPECT_EQ(Qz_SqlAddSepa("PARADOX", "DA", "1996/1/5"), "CAST( '1996/01/05' AS DATE )");
  const std::string oracle = "TO_DATE( '1996/01/05', 'YYYY/MM/DD' )";
  for (const char* kind : {"ORACLE", "SQLITE", "", "msaccess", "paradox"})
    EXPECT_EQ(Qz_SqlAddSepa(kind, "DA", "1996/1/5"), oracle) << kind;
  EXPECT_EQ(Qz_SqlAddSepa("PARADOX", "NU", "1,234"), "1234");
  EXPECT_EQ(Qz_SqlAddSepa("ORACLE", "NU", "1,234"), "1234");
}

TEST(NumText, Table) {
  const std::pair<const char*, const char*> cases[] = {
      {"1,234", "1234"}, {"007", "7"},     {"0.05", "0.05"}, {".5", "0.5"},
      {"-.5", "-.5"},    {"+5", "+5"},     {"12.30", "12.30"}, {"1.2.3", "1.23"},
      {"1-2", "-12"},    {"abc", "0"},     {"-0", "0"},      {"", "0"},
      {"0", "0"},        {"-00", "0"},     {"  -1 234 ", "-1234"}, {"\\1,000", "1000"},
      {"0.0", "0.0"},    {"-0.0", "-.0"},  {"100", "100"},   {"-12.5", "-12.5"},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(Qz_NumText(in), out) << in;
}

TEST(NumText, NoDigitsIsZero) {
  // A sign or point alone would be a syntax error in the statement.
  for (const char* in : {"-", "+", "-.", "+.", ".", "..", "+0", "-+"})
    EXPECT_EQ(Qz_NumText(in), "0") << in;
}

TEST(NumText, ExponentNotationKeepsItsMeaning) {
  EXPECT_EQ(Qz_NumText("1.5E-7"), "1.5E-7");
  EXPECT_EQ(Qz_NumText("1.5e+07"), "1.5E07");
  EXPECT_EQ(Qz_NumText("-2E3"), "-2E3");
  EXPECT_EQ(Qz_NumText(" .5e1 "), "0.5E1");
  // Not a well-formed exponent: the plain digit rules.
  EXPECT_EQ(Qz_NumText("1.5E"), "1.5");
  EXPECT_EQ(Qz_NumText("E5"), "5");
  EXPECT_EQ(Qz_NumText("1,5E3"), "153");
}
