#pragma once
// The Paradox forms of SQL date and time literals over a directory's SQLite
// connection. SQLite's own CAST( '1996/01/05' AS DATE ) gives the number
// 1996; here CAST( x AS DATE ), AS TIME and AS TIMESTAMP give the date, time
// or timestamp text the directory's tables store:
//
//   CAST( '1996/01/05' AS DATE )          -> '1996-01-05'
//   CAST( '1996/01/05 10:30:00' AS DATE ) -> '1996-01-05 10:30:00' (a timestamp
//                                            field keeps the time, a date field
//                                            takes the date)
//   CAST( '10:30:00' AS TIME )            -> '10:30:00'
//
// A text that is no date or time is an error, never a number.

#include <QString>

struct sqlite3;

namespace korvel::db::local {

// The statement with every CAST to DATE, TIME, TIMESTAMP or DATETIME turned
// into a call of the functions below. Text in quotes and comments is kept.
QString rewriteDateCasts(const QString& sql);

// Registers KORVEL_CAST_DATE, KORVEL_CAST_TIME and KORVEL_CAST_TIMESTAMP.
bool registerDateCastFunctions(sqlite3* db);

}  // namespace korvel::db::local
