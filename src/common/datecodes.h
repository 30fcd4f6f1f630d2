#pragma once
// Date and time format codes ("Cns_YYYYMMDDO", "Cns_HHMM", "Cns_PAGE" ...)
// and the lenient date parser behind them. Texts are CP932; date-time values
// are day counts (common/datetime.h). The current date comes from
// korvel::now(), which tests replace with korvel::ScopedNow.

#include <string>

// The current date/time rendered by code; "Cns_PAGE" gives the next page
// number ("001", "002" ... "1000"); any other text is returned unchanged.
std::string Qz_CnsText(const std::string& code);
// The given date/time text parsed leniently and rendered by code; empty for
// an empty text or a code this routine does not render. An invalid time part
// raises korvel::ConvertError.
std::string Qz_DateToCnsText(const std::string& text, const std::string& code);

// Date, time, or date and time separated by a blank; 0 for neither. The date
// part goes through Qz_ParseDate; an invalid time part raises ConvertError.
double Qz_ParseDateTime(const std::string& text);
// Lenient year/month/day parser: "5", "25", "1225", "12/25", "0105",
// "960105", "19960105", "1996/1/5" ... Sets EditorResult to "OK", or to
// "ERROR" and returns 2000/01/01 when the text is not a date. Never raises.
double Qz_ParseDate(const std::string& text);
// Locale date (date and time) parse; a year 0..49 written with three or four
// digits is moved on by 100 years. Raises ConvertError when unreadable.
double Qz_StrToDateY2K(const std::string& text);
double Qz_StrToDateTimeY2K(const std::string& text);

namespace korvel {

// The page counter behind "Cns_PAGE" (starts at 0, only grows).
long long pageCounter();

// Renders value by a code as Qz_DateToCnsText does; false for a code that
// routine does not render.
bool renderGivenCode(const std::string& code, double value, std::string& out);

// Qz_ParseDateTime, but an unreadable date part raises ConvertError instead of
// becoming 2000/01/01 (for writers that must not store a substitute value).
double parseDateTimeOrThrow(const std::string& text);

}  // namespace korvel
