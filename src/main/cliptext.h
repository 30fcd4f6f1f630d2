#pragma once
// The text the main window puts on the clipboard and reads back from it.
// Every line ends with CR LF and cells are separated by tabs; in the rows of
// the grid copy a tab follows every cell, the last one included.

#include <QList>
#include <QString>
#include <QStringList>

namespace korvel {

// Each line followed by CR LF.
QString clipLines(const QStringList& lines);

// The title line of the grid copy: each label in double quotes and a tab.
// Quotes inside a label are written as they are.
QString gridTitleLine(const QStringList& labels);
// A row of the grid copy: each cell in double quotes (inner quotes doubled)
// and a tab.
QString gridCellsLine(const QStringList& cells);

// The most rows one grid copy takes, from the text of the "開始" box: 400
// when it is empty, not a number, 0 or above 400.
int gridCopyLimit(const QString& firstBoxText);
constexpr int kGridCopyMaxRows = 400;

// Clipboard text as records of cells. A tab ends a cell, a line feed ends a
// cell and a record, carriage returns are ignored. One final line break of
// the text is dropped (text copied from a spreadsheet ends with one). A cell
// that begins with a double quote and has its closing quote is read as a
// quoted cell, as spreadsheets and the grid copy write them: the quotes go,
// doubled quotes become one, and tabs and line breaks inside belong to the
// cell. An empty cell after the last tab of the text is no cell.
QList<QStringList> splitClipRecords(const QString& text);

}  // namespace korvel
