#pragma once
// The CREATE TABLE script written from the table information window: two
// comment lines (date and time, table comment), an Oracle DROP TABLE, and a
// CREATE TABLE with one line per field carrying the field's comment and an
// empty primary key clause for the user to complete. The table creation
// window reads it back.

#include <QString>
#include <vector>

namespace korvel::tableinfo {

struct ScriptField {
  QString name;
  QString className;  // "TStringField" ...
  QString sizeText;   // the grid's data size cell, as it stands
  QString comment;
};

struct ScriptSource {
  QString tableName;
  QString tableComment;
  std::vector<ScriptField> fields;
};

// The script's lines, each ended by CR LF. `stamp` is the date and time text
// of the first line ("yyyy/mm/dd hh:nn").
//
// Names that are plain identifiers are written as they stand; any other name
// (blanks, quotes, semicolons ...) is written double-quoted, so the script
// neither breaks nor runs anything but its own statements. Line breaks
// inside comments become blanks: a comment stays on its own line.
QString BuildCreateTableScript(const ScriptSource& source, const QString& stamp);

// The type part of a column line for a field class name and its size cell:
// " VARCHAR2(n),  -- ", " DATE,  -- " or " NUMBER(size),  -- ".
QString ScriptTypePart(const QString& className, const QString& sizeText);

// Writes the script to `fileName` in code page 932, through a temporary
// file renamed over the target: a failure leaves any earlier file whole.
// False with *error (a text for the user) when the text cannot be written
// in that code page or the file cannot be written.
bool WriteCreateTableScript(const QString& fileName, const QString& script, QString* error);

}  // namespace korvel::tableinfo
