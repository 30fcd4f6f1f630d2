#pragma once
// The grid's two stored properties over the typed-value stream:
//   CellData: a list of (column, row, text) triples, one per non-empty cell,
//             row by row, columns ascending.
//   CellKind: a list of one record per column: Kind, FixedAlign, CellAlign,
//             item count, the items (each followed by its check value in
//             ckCheck records), ListWidth, Margin, MaxLength, Editable.
// Readers check the whole list before touching the grid, so a damaged list
// raises korvel::StreamError and leaves the grid as it was.

#include "controls/valuestream.h"

class TCellKind;
class TComboGrid;

namespace korvel {

TypedValues WriteCellData(const TComboGrid& grid);
// Triples naming a cell outside the grid are ignored.
void ReadCellData(TComboGrid& grid, const TypedValues& values);

// One column's CellKind record (the values between the list's brackets).
TypedValues CellKindRecord(const TCellKind& kind);

// Creates default kinds for columns that have none.
TypedValues WriteCellKind(TComboGrid& grid);
// Discards the grid's kinds, then appends one per record (with no Grid link).
void ReadCellKind(TComboGrid& grid, const TypedValues& values);

}  // namespace korvel
