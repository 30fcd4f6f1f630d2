#pragma once
// The locale date and time parsers: short date in year/month/day order with
// the settings' date separator (and always "/"), time as h[:n[:s[.z]]] with
// an optional AM/PM marker. A one- or two-digit year falls into the 100-year
// window that begins 50 years before the current year. Texts are CP932.

#include <string>

namespace korvel {

// False when the text is not a date (or the date does not exist).
bool tryStrToDate(const std::string& text, double& value);
bool tryStrToTime(const std::string& text, double& value);
// Date, date and time separated by blanks, or time alone.
bool tryStrToDateTime(const std::string& text, double& value);

// The same, raising ConvertError naming the text.
double strToDate(const std::string& text);
double strToTime(const std::string& text);
double strToDateTime(const std::string& text);

}  // namespace korvel
