#pragma once
// Drawing and stepping of button and check cells.

#include <QRect>
#include <QString>

#include "controls/cellkind.h"

class QPainter;
class QWidget;

// Width of the drop-down button: the platform's scroll-bar arrow width,
// read once.
int ButtonWidth();

// A ckButton kind draws a button cell, every other kind a check cell.
void DrawKindCell(QPainter& painter, const QWidget* widget, const QRect& rect, bool pressed,
                  const TCellKind& kind, const QString& text);
void DrawButtonCell(QPainter& painter, const QWidget* widget, const QRect& rect, bool pressed,
                    const QString& caption);
void DrawCheckCell(QPainter& painter, const QWidget* widget, const QRect& rect, bool pressed,
                   const TCellKind& kind, const QString& text);
// A push-button face (the same for button cells and the drop-down button).
void DrawButtonFace(QPainter& painter, const QWidget* widget, const QRect& rect, bool sunken);

// A dotted frame that inverts what it covers (drawing it twice removes it).
void DrawFocusFrame(QPainter& painter, const QRect& rect);

// The value a check cell takes after one click (see the check cell rules).
QString NextCheckValue(const TCellKind& kind, const QString& text);
