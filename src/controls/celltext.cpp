#include "controls/celltext.h"

#include "controls/cellkind.h"

QPoint AlignedTextPos(const QRect& rect, int textWidth, int textHeight, quint8 flags, int margin,
                      bool fixed) {
  const int w = rect.width(), h = rect.height();
  int x = rect.left() + margin;
  if (flags & caCenter) x = rect.left() + w / 2 - textWidth / 2;
  if (flags & caRight) x = rect.left() + w - margin - textWidth;
  int y = (h - textHeight) / 2;
  if (flags & caTop) y = 2;
  if (flags & caBottom) y = fixed ? h - textHeight - 2 : h - textHeight;
  return {x, rect.top() + y};
}
