#pragma once
// The DEMO database written on first start: a SQLite file with sample tables
//   EMPLOYEE  primary key EMP_NO; Japanese names, dates, date-times, numbers,
//             a boolean and a memo
//   DEPT_LOG  no primary key (rows located by rowid)
//   ITEM      1,000 rows, primary key ITEM_CODE

#include <QString>

namespace korvel::db {

// Creates the database at `path` (through a temporary file, so a failure
// leaves nothing behind). EngineError on failure.
void createDemoDatabase(const QString& path);

}  // namespace korvel::db
