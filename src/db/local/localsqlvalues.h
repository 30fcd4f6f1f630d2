#pragma once
// Values between the rows of table files and SQLite: what a virtual table
// hands to SQLite for each field kind, and the value of a field kind taken
// from what a statement stores. Dates go to SQLite as "2024-01-31", times as
// "13:45:10" (".250" when there are milliseconds), timestamps as both joined
// by a blank, booleans as 0 and 1: the forms the SQLite driver reads.

#include <QString>
#include <QVariant>

#include "db/fieldkind.h"

struct sqlite3_context;
struct sqlite3_value;

namespace korvel::db::local {

void resultLocalValue(sqlite3_context* context, FieldKind kind, const QVariant& value);

// The value of a field of `kind` for what SQLite passes in. False (with
// *why) when it is not a value of the kind, e.g. a number for a date.
bool localValueFromSql(FieldKind kind, sqlite3_value* value, QVariant& out, QString* why);

// The value of a field of `kind` for a text: as a CSV table writes it, the
// forms SQLite returns, and "2024/01/31" dates. A date-time text gives a
// date field its date and a time field its time.
bool localValueFromText(FieldKind kind, const QString& text, QVariant& out, QString* why);

}  // namespace korvel::db::local
