#pragma once
// SQL value literals by database kind. A value is text (CP932) with a type
// code: "CH" character, "NU" number, "DA" date, "DT" date and time, "TI"
// time, "BL" boolean. "---" stands for an absent value. Kind "MSACCESS" gives
// the Access form, "PARADOX" the Paradox form, anything else the Oracle form.
// An unknown type code gives an empty literal; an empty number, date or time
// gives "NULL". A date that cannot be read is written as 2000/01/01 (the
// lenient parser's default); an invalid time part raises korvel::ConvertError.

#include <string>

std::string Qz_SqlAddSepa(const std::string& kind, const std::string& type,
                          const std::string& value);
std::string Qz_AccSqlAddSepa(const std::string& type, const std::string& value);
std::string Qz_OraSqlAddSepa(const std::string& type, const std::string& value);
std::string Qz_ParaSqlAddSepa(const std::string& type, const std::string& value);

// A number literal from free text: digits, at most one point and one sign
// ("1,234" -> "1234", ".5" -> "0.5", "1-2" -> "-12", "abc" -> "0"). A well
// formed number in exponent notation keeps its exponent ("1.5E-7").
std::string Qz_NumText(const std::string& text);

namespace korvel {

// Qz_SqlAddSepa for writers that store the literal (the data copy): a date
// part that cannot be read raises ConvertError instead of becoming
// 2000/01/01, so no substitute date is ever written to a table.
std::string sqlAddSepaChecked(const std::string& kind, const std::string& type,
                              const std::string& value);

}  // namespace korvel
