#pragma once
// SQL functions the SQLite driver adds so that statements written in the
// Oracle literal form run on SQLite:
//   TO_DATE(text, format)  format codes YYYY, YY, MM, DD, HH24, HH, MI, SS;
//                          returns 'YYYY-MM-DD' or 'YYYY-MM-DD HH:MM:SS', or
//                          'HH:MM:SS' for a format of time codes only
//   CHR(n)                 the character with code n

struct sqlite3;

namespace korvel::db {

// Registers the functions on an open connection; false on failure.
bool registerSqliteFunctions(sqlite3* db);

}  // namespace korvel::db
