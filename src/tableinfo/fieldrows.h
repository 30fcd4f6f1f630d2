#pragma once
// What one row of the table information grid says about a field, and the
// text of one index line: the pieces the table information loader puts
// together.

#include <QString>
#include <QStringList>
#include <functional>

#include "db/fieldkind.h"
#include "db/table.h"

namespace korvel::db { class Dataset; }

namespace korvel::tableinfo {

// Columns of the field grid.
enum FieldColumn {
  kColNo = 0,
  kColName = 1,
  kColType = 2,
  kColSize = 3,
  kColAlign = 4,
  kColIndex = 5,
  kColWidth = 6,
  kColComment = 7,
  kColDigits = 8,
  kColDecimals = 9,
  kFieldColumns = 10,
};

// The bytes a field's value takes in a record buffer: a string its length
// plus the terminating byte, the fixed sizes of the numeric, boolean, date
// and time kinds, 0 for memos and blobs (held outside the record).
int fieldDataSize(db::FieldKind kind, int size);

// "右寄せ" for numbers, "左寄せ" for everything else (as the data grid
// aligns them).
QString fieldAlignmentText(db::FieldKind kind);

// The two size units of a field: a string's (or memo's) length in
// characters, a number's digits; and its decimals.
struct FieldUnits {
  int precision = 0;
  int scale = 0;
};
// Field number n counts from 1; 0 or a number past the last field raises
// EngineError ("Field number index is 1 based" for 0).
FieldUnits GetFieldUnits(db::Dataset& dataset, int n);

// The table type names a Paradox table: lower-cased and compared over the
// shorter of the two lengths, it reads "paradox". An empty type is not one.
bool isParadoxTableType(const QString& tableType);

// Index line " 1:PK_EMP(Key項目数=2) , 1:EMP_NO, 2:DEPT": number, name,
// key field count, then at most 16 key fields as field number and the name
// `fieldNameAt(number)` gives. A key that is no field of the table (an
// expression) shows as 0 and its own text.
QString indexLine(int number, const db::IndexDef& index, const QStringList& tableFields,
                  const std::function<QString(int)>& fieldNameAt);

// The key fields of an index definition.
QStringList indexKeyFields(const db::IndexDef& index);

}  // namespace korvel::tableinfo
