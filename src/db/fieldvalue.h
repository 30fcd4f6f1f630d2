#pragma once
// Values of a field kind: reading what a driver returns, showing it as text
// and taking edit text back. Text is never altered: a string field keeps its
// characters as the driver gave them.

#include <QString>
#include <QVariant>

#include "db/fieldkind.h"

namespace korvel::db {

// The value of kind `kind` for a driver value. Exact decimals (Decimal,
// Currency) become decimal text (decimaltext.h): a double by its shortest
// digits, a currency text ("$1,234.56") by its number. Date and time texts
// stay as the driver gave them. Booleans that arrive as text or numbers
// (SQLite) are read; a text that does not read is kept as it is, so nothing
// is lost when it is written back unchanged.
QVariant valueFromDriver(FieldKind kind, const QVariant& raw);

// Texts in the runtime format settings (runtimeformat.h); empty for NULL.
// asText: the value as text ("2024/01/31", "9:05:00", "True", "1234.5").
// Dates show years outside 1..9999 as digits and " BC" before year 1; times
// show every fraction digit and the zone after the runtime form.
QString asText(FieldKind kind, const QVariant& value);
// displayText: as asText, but currency in the currency format ("\\1,235").
QString displayText(FieldKind kind, const QVariant& value);
// editText: the text an editor starts from; parseEditText reads it back as
// the same value (a float with every digit it needs, an exact decimal with
// every digit it has).
QString editText(FieldKind kind, const QVariant& value);

// Parses edit text for a field. Empty text is NULL except for string and memo
// fields. On a text the kind cannot take returns false and sets *error.
// Dates and times become ISO text (datetimetext.h) keeping fraction, zone
// and era; `previous`, the value replaced, gives the separator between date
// and time ('T' stays 'T').
bool parseEditText(FieldKind kind, int size, const QString& text, QVariant& out,
                   QString* error, const QVariant& previous = QVariant());

// A date, time or date-time value (Qt value or the text a driver gave) as a
// QDate, QTime or QDateTime, for writers of formats with dates of their own;
// an invalid QVariant where Qt cannot hold it as it stands (a zone offset,
// years outside 1..9999, BC, infinity) or the value is no such value. With
// `dropZone` a zone offset is left out: the date and time as written.
QVariant qtDateTimeValue(FieldKind kind, const QVariant& value, bool dropZone = false);

// Default display width (characters) of a field.
int defaultDisplayWidth(FieldKind kind, int size);

}  // namespace korvel::db
