#include "auxwin/programpicture.h"

#include <QLinearGradient>
#include <QPainter>

namespace korvel {
namespace {

// A table of three rows under a title bar.
void drawTableMark(QPainter& p, const QRectF& r) {
  p.setPen(QPen(QColor(0x1f, 0x4e, 0x79), r.width() / 24));
  p.setBrush(Qt::white);
  p.drawRoundedRect(r, r.width() / 10, r.width() / 10);
  const QRectF title(r.left(), r.top(), r.width(), r.height() / 4);
  p.setBrush(QColor(0x2e, 0x75, 0xb6));
  p.drawRoundedRect(title, r.width() / 10, r.width() / 10);
  for (int i = 1; i <= 2; ++i) {
    const qreal y = r.top() + r.height() / 4 + i * r.height() * 0.25;
    p.drawLine(QPointF(r.left(), y), QPointF(r.right(), y));
  }
  p.drawLine(QPointF(r.center().x(), r.top() + r.height() / 4), QPointF(r.center().x(), r.bottom()));
}

}  // namespace

QPixmap programIcon(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  const qreal m = size / 10.0;
  drawTableMark(p, QRectF(m, m, size - 2 * m, size - 2 * m));
  return pixmap;
}

QPixmap startupPicture(const QSize& size) {
  QPixmap pixmap(size);
  pixmap.fill(Qt::white);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient band(0, 0, size.width(), 0);
  band.setColorAt(0, QColor(0xde, 0xeb, 0xf7));
  band.setColorAt(1, Qt::white);
  p.fillRect(QRect(0, 0, size.width(), size.height() / 3), band);
  const int mark = size.height() / 2;
  drawTableMark(p, QRectF(16, (size.height() - mark) / 2.0, mark, mark));
  return pixmap;
}

}  // namespace korvel
