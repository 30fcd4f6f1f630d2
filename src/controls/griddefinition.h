#pragma once
// Stored grid definitions: the text a window reads at creation to set up its
// combo grids (sizes, options, titles, column kinds). A definition file holds
// one block per grid:
//
//   object ComboGrid1: TComboGrid
//     ColCount = 7
//     RowCount = 8
//     FixedCols = 1
//     FixedRows = 1
//     DefaultRowHeight = 18
//     Options = [goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goEditing]
//     ColWidths = (60 80 80 80 80 80 80)
//     CellData = (0 1 '型' 0 2 '初期値')
//     CellKind = (0 17 17 0 0 2 0 True 0 18 17 2 '' '' 0 2 0 True)
//   end
//
// Lines starting with "//" are comments. Files are UTF-8. The program's own
// definitions live in resources/grids/ and are compiled into the program as
// Qt resources under ":/grids/" (for example ":/grids/formmain.grid");
// a path that does not start with ":" is read from disk.
//
// Properties are applied sizes first, then ColWidths/RowHeights, CellData,
// CellKind, whatever their order in the file. A damaged definition is
// reported and changes no grid.

#include <QString>
#include <vector>

#include "controls/valuestream.h"

class QWidget;
class TComboGrid;

namespace korvel {

struct GridProperty {
  QString name;
  TypedValues values;  // one value, or a whole list (begin ... end)
  int line = 0;
};

struct GridDefinition {
  QString name;       // the grid's object name
  QString className;  // "TComboGrid"
  int line = 0;
  std::vector<GridProperty> properties;
};

// Parses a definition text; raises StreamError naming `sourceName` and line.
std::vector<GridDefinition> ParseGridDefinitions(const QString& text, const QString& sourceName);

// Applies one definition; raises StreamError (grid unchanged) when a property
// is unknown or its value damaged.
void ApplyGridDefinition(TComboGrid& grid, const GridDefinition& definition,
                         const QString& sourceName = QString());

// Writes a grid as one definition block (the reverse of ApplyGridDefinition).
QString WriteGridDefinition(TComboGrid& grid);

// Reads the file at `path` and applies each block to the child TComboGrid of
// `window` with that object name (or to `window` itself when it is the grid).
// Returns false with a message in *error when the file cannot be read, a
// block is damaged, or names no grid of the window; blocks already applied
// stay applied, a damaged block changes nothing.
bool LoadGridDefinitions(QWidget* window, const QString& path, QString* error = nullptr);

}  // namespace korvel
