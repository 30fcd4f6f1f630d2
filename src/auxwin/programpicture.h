#pragma once
// The program's own pictures, drawn rather than shipped as image files: its
// icon and the picture of the start-up notice window.

#include <QPixmap>
#include <QSize>

namespace korvel {

QPixmap programIcon(int size);
QPixmap startupPicture(const QSize& size);

}  // namespace korvel
