#include "controls/displayformat.h"

bool FormatCellNumber(const QString& pattern, const QString& text, QString& out) {
  // Waits for the common unit's FormatFloat; until then texts draw unchanged.
  Q_UNUSED(pattern);
  Q_UNUSED(text);
  Q_UNUSED(out);
  return false;
}
