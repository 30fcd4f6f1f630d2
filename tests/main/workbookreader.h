#pragma once
// Reads back the first worksheet of an .xlsx workbook for tests: the file is
// unzipped by python3's zipfile module and its XML read cell by cell.

#include <QString>
#include <QStringList>
#include <map>
#include <ostream>

struct Cell {
  QString type;   // "n", "b", "inlineStr", "s", "str" ...
  QString value;  // the text of an inline string, else the <v> text
  bool dateFormatted = false;  // its style shows it as a date or time
  bool operator==(const Cell& other) const { return type == other.type && value == other.value; }
};

inline void PrintTo(const Cell& c, std::ostream* out) {
  *out << '{' << c.type.toStdString() << ", \"" << c.value.toStdString() << "\"}";
}

struct WorkbookCells : std::map<QString, Cell> {
  QString error;  // why the workbook could not be read
};

WorkbookCells readWorkbook(const QString& path);

// The same workbook opened by a real spreadsheet reader, Python's openpyxl:
// for each cell asked, the Python type of its value ("int", "float", "str",
// "bool", "datetime" ...) and the value as text (ISO form for dates).
struct ReaderCell {
  QString type;
  QString value;
};
struct ReaderCells : std::map<QString, ReaderCell> {
  bool available = true;  // false when no python3 with openpyxl is installed
  QString error;
};

ReaderCells readWithOpenpyxl(const QString& path, const QStringList& refs);
