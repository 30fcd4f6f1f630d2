// TComboGrid: painting of cells, titles, grid lines and kind cells.
#include <QPaintEvent>
#include <QPainter>

#include "controls/celltext.h"
#include "controls/combogrid.h"
#include "controls/comboinplaceedit.h"
#include "controls/displayformat.h"
#include "controls/kindcell.h"

namespace {

bool IsTextKind(const TCellKind& kind) { return kind.Kind() == ckEdit || kind.Kind() == ckDropDown; }

// Places `text` in `rect` by the alignment flags and draws it once, clipped
// to the rectangle, which is first filled with `back`. Texts of any length
// are drawn whole (up to the cell's edge).
void DrawAlignedText(QPainter& p, const QRect& rect, const QString& text, quint8 flags,
                     int margin, bool fixed, const QColor& back) {
  p.fillRect(rect, back);
  if (text.isEmpty()) return;
  const QFontMetrics fm = p.fontMetrics();
  const int width = fm.horizontalAdvance(text);
  const QPoint at = AlignedTextPos(rect, width, fm.height(), flags, margin, fixed);
  const QRect textRect(at, QSize(width, fm.height()));
  if (rect.contains(textRect)) {  // clipping only where the text overflows
    p.drawText(QPoint(at.x(), at.y() + fm.ascent()), text);
    return;
  }
  p.save();
  p.setClipRect(rect, Qt::IntersectClip);
  p.drawText(QPoint(at.x(), at.y() + fm.ascent()), text);
  p.restore();
}

}  // namespace

void TComboGrid::paintEvent(QPaintEvent* event) {
  QPainter p(viewport());
  canvas_ = &p;
  inPaint_ = true;
  const QRect clip = event->rect();
  const QPalette& pal = palette();
  p.fillRect(clip, pal.color(QPalette::Base));

  const TGridRect sel = Selection();
  const bool focused = hasFocus();
  const int lastRow = LastShownRow(), lastCol = LastShownCol();
  auto rowAt = [&](int i) { return i < fixedRows_ ? i : topRow_ + (i - fixedRows_); };
  auto colAt = [&](int i) { return i < fixedCols_ ? i : leftCol_ + (i - fixedCols_); };
  const int rowsShown = fixedRows_ + qMax(0, lastRow - topRow_ + 1);
  const int colsShown = fixedCols_ + qMax(0, lastCol - leftCol_ + 1);

  int y = 0;
  for (int ri = 0; ri < rowsShown && y < clip.bottom() + 1; ++ri) {
    const int row = rowAt(ri);
    const int h = rowHeights_[row];
    if (y + h + gridLineWidth_ <= clip.top()) {
      y += h + gridLineWidth_;
      continue;
    }
    int x = 0;
    for (int ci = 0; ci < colsShown && x < clip.right() + 1; ++ci) {
      const int col = colAt(ci);
      const int w = colWidths_[col];
      const QRect rect(x, y, w, h);
      x += w + gridLineWidth_;
      if (rect.right() + gridLineWidth_ < clip.left()) continue;
      const bool fixed = row < fixedRows_ || col < fixedCols_;
      TGridDrawState state;
      QColor back = pal.color(QPalette::Base), fore = pal.color(QPalette::Text);
      if (fixed) {
        state |= gdFixed;
        back = pal.color(QPalette::Button);
        fore = pal.color(QPalette::ButtonText);
      } else {
        const bool current = col == col_ && row == row_;
        if (current && focused) state |= gdFocused;
        if (sel.contains(col, row)) state |= gdSelected;
        if ((state & gdSelected) &&
            (!current || (options_ & (goDrawFocusSelected | goRowSelect)))) {
          back = pal.color(QPalette::Highlight);
          fore = pal.color(QPalette::HighlightedText);
        }
      }
      cellBack_ = back;
      cellFore_ = fore;
      p.fillRect(rect, back);
      p.setPen(fore);
      DrawCell(col, row, rect, state);
      // Grid lines at the right and bottom of the cell.
      if (gridLineWidth_ > 0) {
        const bool vert = options_ & (fixed ? goFixedVertLine : goVertLine);
        const bool horz = options_ & (fixed ? goFixedHorzLine : goHorzLine);
        const QColor line = fixed ? pal.color(QPalette::Shadow) : pal.color(QPalette::Midlight);
        if (vert) p.fillRect(rect.right() + 1, rect.top(), gridLineWidth_, h + gridLineWidth_, line);
        if (horz) p.fillRect(rect.left(), rect.bottom() + 1, w + gridLineWidth_, gridLineWidth_, line);
      }
    }
    y += h + gridLineWidth_;
  }

  // The framework's focus frame over the current cell.
  if (focused && !editorShown_ && !(options_ & goRowSelect)) {
    const QRect r = CellRect(col_, row_);
    if (!r.isEmpty()) DrawFocusFrame(p, r);
  }
  Paint();
  // A held button or check cell shows a focus frame; a released one keeps it
  // until the current cell moves.
  for (const auto& [c, r] : {std::pair(pressedCol_, pressedRow_), std::pair(kindFocusCol_, kindFocusRow_)}) {
    const QRect rect = CellRect(c, r);
    if (c >= 0 && !rect.isEmpty()) DrawFocusFrame(p, rect);
  }
  canvas_ = nullptr;
  inPaint_ = false;
}

void TComboGrid::DrawCell(int ACol, int ARow, const QRect& Rect, TGridDrawState State) {
  if (Rect.isEmpty()) return;
  if (defaultDrawing_ && canvas_) {
    TCellKind* kind = GetCellKind(ACol);
    QPainter& p = *canvas_;
    const QString text = Cells(ACol, ARow);
    if (State & gdFixed) {
      if (ARow < fixedRows_ || IsTextKind(*kind))
        DrawAlignedText(p, Rect, text, kind->FixedAlign(), kind->Margin(), true, cellBack_);
      else  // a button in a fixed column: unfocused; pressed only while held
        DrawKindCellAt(ACol, ARow, Rect, ACol == pressedCol_ && ARow == pressedRow_, false);
    } else if (IsTextKind(*kind)) {
      DrawAlignedText(p, Rect, DataCellText(ACol, ARow), kind->CellAlign(), kind->Margin(), false,
                      cellBack_);
    } else {
      DrawKindCellAt(ACol, ARow, Rect, ACol == pressedCol_ && ARow == pressedRow_,
                     State.testFlag(gdFocused));
    }
  }
  if (canvas_) emit OnDrawCell(canvas_, ACol, ARow, Rect, State);
}

// After the framework's painting, a current button or check cell is drawn
// once more without focus frame or highlight.
void TComboGrid::Paint() {
  const TCellKind* kind = GetCellKind(col_);
  if (kind->Kind() != ckButton && kind->Kind() != ckCheck) return;
  const QRect rect = CellRect(col_, row_);
  if (rect.isEmpty()) return;
  cellBack_ = palette().color(QPalette::Base);
  cellFore_ = palette().color(QPalette::Text);
  canvas_->fillRect(rect, cellBack_);
  canvas_->setPen(cellFore_);
  DrawCell(col_, row_, rect, TGridDrawState());
}

QString TComboGrid::DataCellText(int col, int row) {
  const TCellKind* kind = GetCellKind(col);
  const QString text = Cells(col, row);
  QString formatted;
  if (kind->Kind() == ckEdit && kind->Items().size() >= 2 && !kind->ItemText(1).isEmpty() &&
      !text.isEmpty() && FormatCellNumber(kind->ItemText(1), text, formatted))
    return formatted;
  return text;
}

// Which text a button or check cell shows.
QString TComboGrid::KindCellCaption(int col, int row) {
  const TCellKind* kind = GetCellKind(col);
  const QString item0 = kind->ItemText(0);
  if (item0 == QLatin1String(kUseCellDataMarker)) return Cells(col, row);
  const bool fixedColumnBody = col < fixedCols_ && row >= fixedRows_;
  if (kind->Kind() == ckCheck && !fixedColumnBody) return Cells(col, row);
  return item0;
}

void TComboGrid::DrawKindCellAt(int col, int row, const QRect& rect, bool pressed, bool focused) {
  if (!canvas_) return;
  const TCellKind* kind = GetCellKind(col);
  DrawKindCell(*canvas_, this, rect, pressed, *kind, KindCellCaption(col, row));
  if (focused) DrawFocusFrame(*canvas_, rect);
}
