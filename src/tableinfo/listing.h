#pragma once
// Texts the table information window puts on the clipboard: the field
// listing (optionally in the 仕様書用 layout for design documents), the plain copy of
// grid and index list, and a SELECT statement over the fields.

#include <QString>
#include <QStringList>

class TComboGrid;

namespace korvel::tableinfo {

// The Japanese name of a field class ("TStringField" -> "文字型"), or empty
// when the class has none.
QString japaneseTypeName(const QString& className);

struct ListingSource {
  QString caption;       // the window's caption
  QString tableName;
  QString tableComment;
  QStringList indexLines;
};

// Caption, table name and comment, index lines, then every grid row (the
// heading row first) with each cell followed by TAB; class names are written
// as their Japanese names. With `specSheet` the size, alignment and display
// width columns are left out and the other cells are trimmed.
QString TableListingText(const ListingSource& source, const TComboGrid& grid, bool specSheet);

// Caption, every grid cell followed by TAB row by row, then the index lines.
QString GridCopyText(const QString& caption, const TComboGrid& grid, const QStringList& indexLines);

// "SELECT A,B FROM T" over the name column of every data row (empty names
// included).
QString SelectText(const TComboGrid& grid, const QString& tableName);

}  // namespace korvel::tableinfo
