#pragma once
// Where the combo grid puts a cell's text for the alignment flags.

#include <QPoint>
#include <QRect>
#include <QtGlobal>

// Top-left corner of a text of the given size in `rect`: horizontally at
// Margin from the left (caLeft, the default), centred (caCenter) or at
// Margin from the right (caRight, wins); vertically centred (default), 2
// pixels below the top (caTop) or at the bottom (caBottom, wins; 2 pixels
// above it in fixed cells).
QPoint AlignedTextPos(const QRect& rect, int textWidth, int textHeight, quint8 flags, int margin,
                      bool fixed);
