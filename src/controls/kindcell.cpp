#include "controls/kindcell.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>
#include <QWidget>

int ButtonWidth() {
  static const int width = QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  return width;
}

void DrawButtonFace(QPainter& painter, const QWidget* widget, const QRect& rect, bool sunken) {
  QStyleOptionButton option;
  if (widget) option.initFrom(widget);
  option.rect = rect;
  option.state = QStyle::State_Enabled | (sunken ? QStyle::State_Sunken : QStyle::State_Raised);
  QStyle* style = widget ? widget->style() : QApplication::style();
  style->drawPrimitive(QStyle::PE_PanelButtonCommand, &option, &painter, widget);
}

void DrawButtonCell(QPainter& painter, const QWidget* widget, const QRect& rect, bool pressed,
                    const QString& caption) {
  painter.save();
  const QPalette pal = widget ? widget->palette() : QApplication::palette();
  painter.fillRect(rect, pal.color(QPalette::Button));
  DrawButtonFace(painter, widget, rect, pressed);
  QRect inner = rect.adjusted(1, 1, -2, -2);
  if (pressed) inner.translate(1, 1);
  const QFontMetrics fm = painter.fontMetrics();
  const int x = inner.left() + inner.width() / 2 - fm.horizontalAdvance(caption) / 2;
  const int y = inner.top() + (inner.height() - fm.height()) / 2;
  painter.setClipRect(inner, Qt::IntersectClip);
  painter.setPen(pal.color(QPalette::ButtonText));
  painter.drawText(QPoint(x, y + fm.ascent()), caption);
  painter.setClipping(false);
  painter.setPen(pal.color(QPalette::Light));
  painter.drawLine(rect.left(), rect.bottom(), rect.left(), rect.top());
  painter.drawLine(rect.left(), rect.top(), rect.right(), rect.top());
  painter.restore();
}

namespace {

// A 1-pixel frame: `topLeft` colour on the top and left edges, `bottomRight`
// on the bottom and right edges.
void Frame(QPainter& p, const QRect& r, const QColor& topLeft, const QColor& bottomRight) {
  p.fillRect(r.left(), r.top(), r.width(), 1, topLeft);
  p.fillRect(r.left(), r.top(), 1, r.height(), topLeft);
  p.fillRect(r.left(), r.bottom(), r.width(), 1, bottomRight);
  p.fillRect(r.right(), r.top(), 1, r.height(), bottomRight);
}

}  // namespace

void DrawCheckCell(QPainter& painter, const QWidget* widget, const QRect& rect, bool pressed,
                   const TCellKind& kind, const QString& text) {
  painter.save();
  const QPalette pal = widget ? widget->palette() : QApplication::palette();
  const QColor face = pal.color(QPalette::Button), light = pal.color(QPalette::Light),
               shadow = pal.color(QPalette::Dark);
  painter.fillRect(rect, face);
  Frame(painter, rect, light, shadow);
  Frame(painter, rect.adjusted(1, 1, -1, -1), shadow, light);
  const QRect r = rect.adjusted(2, 2, -2, -2);
  const int w = r.width(), h = r.height();
  const QRect box(QPoint(r.left() + w / 2 - 6, r.top() + h / 2 - 6),
                  QPoint(r.left() + w / 2 + 6, r.top() + h / 2 + 6));  // 13 x 13
  const int index = kind.IndexOfItem(text);
  const bool listed = index >= 0;
  const bool crossed = listed && kind.Items()[index].value == 0;
  QColor fill = pal.color(QPalette::Base);
  if (pressed)
    fill = face;
  else if (!listed)
    fill = pal.color(QPalette::Disabled, QPalette::Text);
  painter.fillRect(box, fill);
  Frame(painter, box, shadow, light);
  Frame(painter, box.adjusted(1, 1, -1, -1), pal.color(QPalette::Shadow), face);
  if (crossed) {
    // Box shrunk by 3 on each side, right/bottom exclusive: (L,T)-(R,B).
    const int L = box.left() + 3, T = box.top() + 3;
    const int R = box.right() + 1 - 3, B = box.bottom() + 1 - 3;
    // Each stroke is two pixels wide: two one-pixel lines side by side,
    // end points excluded.
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(pal.color(QPalette::ButtonText), 1));
    const int n = qMin(R - 1 - L, B - 1 - T);  // pixels per stroke
    for (int dx = 0; dx < 2; ++dx) {
      painter.drawLine(L + dx, T, L + dx + n - 1, T + n - 1);
      painter.drawLine(R - 1 - dx, T, R - dx - n, T + n - 1);
    }
  }
  painter.restore();
}

void DrawKindCell(QPainter& painter, const QWidget* widget, const QRect& rect, bool pressed,
                  const TCellKind& kind, const QString& text) {
  if (kind.Kind() == ckButton)
    DrawButtonCell(painter, widget, rect, pressed, text);
  else
    DrawCheckCell(painter, widget, rect, pressed, kind, text);
}

void DrawFocusFrame(QPainter& painter, const QRect& rect) {
  if (rect.width() < 2 || rect.height() < 2) return;
  painter.save();
  painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setPen(QPen(Qt::white, 1, Qt::DotLine));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(rect.adjusted(0, 0, -1, -1));
  painter.restore();
}

QString NextCheckValue(const TCellKind& kind, const QString& text) {
  const TCellKindItems& items = kind.Items();
  const int i = kind.IndexOfItem(text);
  if (i < 0 || items[i].value == 1) return kind.ItemText(0);
  for (const TCellKindItem& item : items)
    if (item.value == 1) return item.text;
  return items[i].text;
}
