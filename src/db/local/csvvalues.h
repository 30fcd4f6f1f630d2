#pragma once
// How values of each field kind are written in a CSV text table, and read
// back. Dates "2024/01/31" (also read: "2024-01-31"), times "13:45:10" with
// ".250" when there are milliseconds, date-times both joined by a blank,
// booleans TRUE and FALSE, numbers with a point and as many digits as give
// the same double back. In the file an empty field is NULL and a quoted
// empty field ("") an empty text.

#include <QString>
#include <QVariant>
#include <string_view>

#include "db/fieldkind.h"

namespace korvel::db::local {

// The text of a (non-NULL) value. False (with *error) for a value the kind
// cannot be written from.
bool csvText(FieldKind kind, const QVariant& value, QString& out, QString* error);
// The value of a field's text. False (with *error) when it is not a value of the kind.
bool csvValue(FieldKind kind, const QString& text, QVariant& out, QString* error);
// csvValue() straight from the field's bytes, for the common case of ASCII
// numbers and dates, without making a QString. False when the bytes are
// not such a plain value: csvValue() then decides (and words any error).
// Where it returns true, the value is the one csvValue() gives.
bool csvPlainValue(FieldKind kind, std::string_view bytes, QVariant& out);
// The readings csvPlainValue() makes, for callers that use the number or
// date without a QVariant: an integer of an Integer or Smallint field, a
// double of a Float or Currency field, a date.
bool csvPlainInteger(FieldKind kind, std::string_view bytes, long long& out);
bool csvPlainDouble(std::string_view bytes, double& out);
// A date as year, month and day (a valid date, years 1 to 9999).
bool csvPlainDate(std::string_view bytes, int& year, int& month, int& day);

}  // namespace korvel::db::local
