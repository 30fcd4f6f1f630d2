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
  Boolean,
  Date,
  Time,
  DateTime,
  Memo,
  Blob,
};

QString fieldClassName(FieldKind kind);  // "TStringField", ..., "TBlobField"

}  // namespace korvel::db
