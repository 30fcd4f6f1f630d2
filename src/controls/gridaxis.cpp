// Geometry along one axis of the grid (columns or rows).
#include "controls/gridaxis.h"

namespace gridaxis {

// The smallest first index at which `index` is still shown whole in `space`
// pixels (index itself when even it does not fit).
int TopToShow(const QVector<int>& sizes, int fixedCount, int index, int space, int line) {
  if (index < fixedCount) return fixedCount;
  int used = sizes[index] + line, top = index;
  while (top - 1 >= fixedCount && used + sizes[top - 1] + line <= space + line) {
    used += sizes[top - 1] + line;
    --top;
  }
  return top;
}

// The largest first row (column) that still shows the last one whole.
int LastTopIndex(const QVector<int>& sizes, int fixedCount, int space, int line) {
  return TopToShow(sizes, fixedCount, int(sizes.size()) - 1, space, line);
}

// Pixels taken by the first `fixed` sizes and their grid lines.
int FixedExtent(const QVector<int>& sizes, int fixed, int line) {
  int extent = 0;
  for (int i = 0; i < fixed; ++i) extent += sizes[i] + line;
  return extent;
}

// Leading edge of entry `index` (a column or a row) when shown within
// `limit` pixels with `first` as the first scrolled entry; -1 when hidden.
int EdgeOf(const QVector<int>& sizes, int fixed, int first, int index, int line, int limit) {
  if (index < 0 || index >= sizes.size()) return -1;
  if (index < fixed) return FixedExtent(sizes, index, line);
  if (index < first) return -1;
  int edge = FixedExtent(sizes, fixed, line);
  for (int i = first; i < index; ++i) {
    edge += sizes[i] + line;
    if (edge >= limit) return -1;
  }
  return edge < limit ? edge : -1;
}

// The last scrolled entry at least partly shown, and how many are shown whole.
int LastShown(const QVector<int>& sizes, int fixed, int first, int line, int limit) {
  int edge = FixedExtent(sizes, fixed, line), last = first - 1;
  for (int i = first; i < sizes.size() && edge < limit; ++i) {
    edge += sizes[i] + line;
    last = i;
  }
  return last;
}

int WholeShown(const QVector<int>& sizes, int fixed, int first, int line, int limit) {
  int edge = FixedExtent(sizes, fixed, line), count = 0;
  for (int i = first; i < sizes.size(); ++i) {
    edge += sizes[i] + line;
    if (edge - line > limit) break;
    ++count;
  }
  return count;
}

}  // namespace gridaxis
