#pragma once
// Values of a field kind: reading what a driver returns, showing it as text
// and taking edit text back. Text is never altered: a string field keeps its
// characters as the driver gave them.

#include <QString>
#include <QVariant>

#include "db/fieldkind.h"

namespace korvel::db {

// The value of kind `kind` for a driver value. Dates, times and booleans that
// arrive as text (SQLite) are parsed; a text that does not parse is kept as
// it is, so nothing is lost when it is written back unchanged.
QVariant valueFromDriver(FieldKind kind, const QVariant& raw);

// Texts in the runtime format settings (runtimeformat.h); empty for NULL.
// asText: the value as text ("2024/01/31", "9:05:00", "True", "1234.5").
QString asText(FieldKind kind, const QVariant& value);
// displayText: as asText, but currency in the currency format ("\\1,235").
QString displayText(FieldKind kind, const QVariant& value);
// editText: the text an editor starts from; read back by parseEditText.
QString editText(FieldKind kind, const QVariant& value);

// Parses edit text for a field. Empty text is NULL except for string and memo
// fields. On a text the kind cannot take returns false and sets *error.
bool parseEditText(FieldKind kind, int size, const QString& text, QVariant& out,
                   QString* error);

// Default display width (characters) of a field.
int defaultDisplayWidth(FieldKind kind, int size);

}  // namespace korvel::db
