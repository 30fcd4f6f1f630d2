#include "main/mru.h"

namespace korvel {

QStringList mruDesignCaptions() {
  return {QStringLiteral("ButtonMemo(&1)"), QStringLiteral("ButtonMemo(&2)"),
          QStringLiteral("ButtonMemo(&3)"), QStringLiteral("ButtonMemo(&4)")};
}

void updateMru(QStringList& captions, const QString& table) {
  const QStringList design = mruDesignCaptions();
  // Leading filled slots, up to the first empty one.
  int filled = 0;
  while (filled < 4 && captions.value(filled) != design[filled]) ++filled;

  if (filled == 0) {
    captions[0] = table;
    return;
  }
  if (captions[0] == table) return;
  int found = -1;
  for (int k = 1; k < filled; ++k)
    if (captions[k] == table) {
      found = k;
      break;
    }
  const int last = found >= 0 ? found : std::min(filled, 3);
  for (int k = last; k >= 1; --k) captions[k] = captions[k - 1];
  captions[0] = table;
}

}  // namespace korvel
