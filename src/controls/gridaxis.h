#pragma once
// Geometry along one axis of the grid: `sizes` are the column widths (or row
// heights), the first `fixed` entries always shown, then entries from
// `first` on; every entry is followed by a grid line of `line` pixels;
// `limit` is the visible extent in pixels.

#include <QVector>

namespace gridaxis {

// Pixels taken by the first `fixed` entries and their grid lines.
int FixedExtent(const QVector<int>& sizes, int fixed, int line);
// Leading edge of entry `index` when shown, -1 when hidden.
int EdgeOf(const QVector<int>& sizes, int fixed, int first, int index, int line, int limit);
// The last scrolled entry at least partly shown.
int LastShown(const QVector<int>& sizes, int fixed, int first, int line, int limit);
// How many scrolled entries are shown whole.
int WholeShown(const QVector<int>& sizes, int fixed, int first, int line, int limit);
// The smallest first entry at which `index` is still shown whole in `space`
// pixels (index itself when even it does not fit).
int TopToShow(const QVector<int>& sizes, int fixedCount, int index, int space, int line);
// The largest first entry that still shows the last one whole.
int LastTopIndex(const QVector<int>& sizes, int fixedCount, int space, int line);

}  // namespace gridaxis
