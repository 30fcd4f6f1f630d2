#pragma once
// What the local file layers (Paradox .DB files, CSV text tables) share: a
// table's columns and one row of values, and the error naming the file and
// the line or record where the input went wrong.
//
// Values in a row, by field kind: String and Memo QString, Smallint and
// Integer int, Float and Currency double (a Paradox BCD number keeps its
// decimal text as QString), Boolean bool, Date QDate, Time QTime, DateTime
// QDateTime, Blob QByteArray; a null QVariant is NULL.

#include <QString>
#include <QVariant>
#include <QVector>

#include "db/engineerror.h"
#include "db/fieldkind.h"

namespace korvel::db::local {

struct LocalColumn {
  QString name;
  FieldKind kind = FieldKind::String;
  int size = 0;  // characters (bytes in CP932) for strings; memo: bytes kept in the record
  bool required = false;
};

using LocalRow = QVector<QVariant>;

// An EngineError whose last entry names the file and, when `where` is not
// empty, the line or record ("line 12", "record 4").
[[noreturn]] void throwFileError(const QString& path, const QString& where, const QString& message);

}  // namespace korvel::db::local
