#pragma once
// Filling the table information window from a table of an alias: fields
// with their class, data size, alignment, index mark, display width,
// comment, digits and decimals; the index lines; the table type and the
// table's comment (where the database keeps comments: db/tablecomments.h).

#include <QString>

class TFormTblInf;

namespace korvel::db { class Table; }

namespace korvel::tableinfo {

// Opens `table` (closing it first) on `alias` and `tableText`, fills `form`
// and closes the table again; the table is left closed in every case. An
// open error is shown to the user and false returned: the window is then
// left as it was apart from its index list, which is emptied.
bool LoadTableInfo(TFormTblInf& form, db::Table& table, const QString& alias, const QString& tableText);

}  // namespace korvel::tableinfo
