#pragma once
// Program-wide values shared between windows.

#include <QString>

// Status exchanged with the SQL editor: "ERROR" while it is shown, "OK" when
// it is closed by its OK button.
extern QString EditorResult;
// Table name the SQL editor offers for its generated statements.
extern QString EditorTableName;
// The last SQL statement opened or executed.
extern QString Qz_LastSql;
