#pragma once
// Values bound to and read from SQLite statements as Qt's SQLite driver
// binds and reads them, for the places that run statements on SQLite's own
// handle (the repeated INSERT, the batch copy's byte path): what they store
// and read is what the same values through Qt SQL give.

#include <sqlite3.h>

#include <QString>
#include <QVariant>

namespace korvel::db::sqlite {

// Binds `value` to parameter `index` (1-based): NULL as Qt decides it is
// one, integers, doubles and byte arrays as they are, everything else as
// text. Returns SQLite's result code.
int bindValue(sqlite3_stmt* stmt, int index, const QVariant& value);

// Column `column` of the current row as Qt's driver reads it: qlonglong,
// double, QByteArray, QString or NULL.
QVariant columnValue(sqlite3_stmt* stmt, int column);

// The connection's last error message.
QString errorText(sqlite3* db);

}  // namespace korvel::db::sqlite
