#pragma once
// The kinds of field the program distinguishes, and their class names as the
// windows show and compare them ("TStringField" ...).

#include <QString>

namespace korvel::db {

enum class FieldKind {
  String,
  Smallint,
  Integer,
  Float,
  Currency,
  Decimal,  // exact decimal (NUMERIC, DECIMAL): held as text, never a double
  Boolean,
  Date,
  Time,
  DateTime,
  Memo,
  Blob,
};

QString fieldClassName(FieldKind kind);  // "TStringField", ..., "TBCDField", "TBlobField"

}  // namespace korvel::db
