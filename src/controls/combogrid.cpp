// TComboGrid: sizes, cells, current cell, scrolling and the kind list.
#include "controls/combogrid.h"

#include <QEvent>
#include <QScopedValueRollback>
#include <QScrollBar>

#include "controls/comboinplaceedit.h"
#include "controls/gridaxis.h"

using namespace gridaxis;

TComboGrid::TComboGrid(QWidget* parent) : QAbstractScrollArea(parent) {
  colWidths_.fill(defaultColWidth_, colCount_);
  rowHeights_.fill(defaultRowHeight_, rowCount_);
  cells_.resize(colCount_ * rowCount_);
  setFocusPolicy(Qt::StrongFocus);
  viewport()->setMouseTracking(true);
  viewport()->setBackgroundRole(QPalette::Base);
  setAttribute(Qt::WA_KeyCompression, false);
  UpdateScrollBars();
}

TComboGrid::~TComboGrid() = default;

QSize TComboGrid::sizeHint() const { return {320, 160}; }

// --- size ------------------------------------------------------------------

void TComboGrid::ResizeCells(int newCols, int newRows) {
  if (newCols == colCount_) {
    cells_.resize(qsizetype(newCols) * newRows);
  } else {
    QVector<QString> cells(qsizetype(newCols) * newRows);
    const int keepCols = qMin(newCols, colCount_), keepRows = qMin(newRows, rowCount_);
    for (int r = 0; r < keepRows; ++r)
      for (int c = 0; c < keepCols; ++c)
        cells[qsizetype(r) * newCols + c] = std::move(cells_[qsizetype(r) * colCount_ + c]);
    cells_ = std::move(cells);
  }
  colWidths_.resize(newCols, defaultColWidth_);
  rowHeights_.resize(newRows, defaultRowHeight_);
  colCount_ = newCols;
  rowCount_ = newRows;
  ++rowLayoutGeneration_;
  fixedCols_ = qMin(fixedCols_, colCount_ - 1);
  fixedRows_ = qMin(fixedRows_, rowCount_ - 1);
  // Keep the current cell and the scroll position inside the grid.
  const int col = qBound(fixedCols_, col_, colCount_ - 1);
  const int row = qBound(fixedRows_, row_, rowCount_ - 1);
  leftCol_ = qBound(fixedCols_, leftCol_, colCount_ - 1);
  topRow_ = qBound(fixedRows_, topRow_, rowCount_ - 1);
  if (col != col_ || row != row_) {
    HideEditor();
    col_ = anchorCol_ = col;
    row_ = anchorRow_ = row;
  }
  UpdateScrollBars();
  InvalidateGrid();
}

void TComboGrid::SetColCount(int count) {
  if (count < 1 || count == colCount_) return;
  ResizeCells(count, rowCount_);
}

void TComboGrid::SetRowCount(int count) {
  if (count < 1 || count == rowCount_) return;
  ResizeCells(colCount_, count);
}

void TComboGrid::SetFixedCols(int count) {
  if (count < 0 || count >= colCount_ || count == fixedCols_) return;
  fixedCols_ = count;
  ResizeCells(colCount_, rowCount_);
  SetTopLeft(fixedCols_, topRow_);
  FocusCell(qMax(col_, fixedCols_), row_);
}

void TComboGrid::SetFixedRows(int count) {
  if (count < 0 || count >= rowCount_ || count == fixedRows_) return;
  fixedRows_ = count;
  ResizeCells(colCount_, rowCount_);
  SetTopLeft(leftCol_, fixedRows_);
  FocusCell(col_, qMax(row_, fixedRows_));
}

void TComboGrid::SetDefaultColWidth(int width) {
  if (width < 0) return;
  defaultColWidth_ = width;
  colWidths_.fill(width);
  UpdateScrollBars();
  InvalidateGrid();
}

void TComboGrid::SetDefaultRowHeight(int height) {
  if (height < 0) return;
  defaultRowHeight_ = height;
  rowHeights_.fill(height);
  ++rowLayoutGeneration_;
  UpdateScrollBars();
  InvalidateGrid();
}

int TComboGrid::ColWidths(int col) const {
  return col >= 0 && col < colCount_ ? colWidths_[col] : defaultColWidth_;
}

void TComboGrid::SetColWidths(int col, int width) {
  if (col < 0 || col >= colCount_ || width < 0) return;
  colWidths_[col] = width;
  UpdateScrollBars();
  PlaceEditor();
  InvalidateGrid();
}

int TComboGrid::RowHeights(int row) const {
  return row >= 0 && row < rowCount_ ? rowHeights_[row] : defaultRowHeight_;
}

void TComboGrid::SetRowHeights(int row, int height) {
  if (row < 0 || row >= rowCount_ || height < 0) return;
  rowHeights_[row] = height;
  ++rowLayoutGeneration_;
  UpdateScrollBars();
  PlaceEditor();
  InvalidateGrid();
}

void TComboGrid::SetGridLineWidth(int width) {
  if (width < 0) return;
  gridLineWidth_ = width;
  ++rowLayoutGeneration_;
  UpdateScrollBars();
  InvalidateGrid();
}

// --- cells -----------------------------------------------------------------

QString TComboGrid::Cells(int col, int row) const {
  if (col < 0 || row < 0 || col >= colCount_ || row >= rowCount_) return QString();
  return cells_[qsizetype(row) * colCount_ + col];
}

void TComboGrid::SetCells(int col, int row, const QString& text) {
  if (col < 0 || row < 0 || col >= colCount_ || row >= rowCount_) return;
  cells_[qsizetype(row) * colCount_ + col] = text;
  if (editorShown_ && col == col_ && row == row_ && !settingEditorText_ && editor_ &&
      editor_->text() != text)
    editor_->setText(text);
  InvalidateCell(col, row);
}

// --- current cell, scrolling -------------------------------------------------

void TComboGrid::SetCol(int col) { FocusCell(col, row_); }
void TComboGrid::SetRow(int row) { FocusCell(col_, row); }

bool TComboGrid::FocusCell(int col, int row, bool keepAnchor) {
  col = qBound(fixedCols_, col, colCount_ - 1);
  row = qBound(fixedRows_, row, rowCount_ - 1);
  if (!(options_ & goRangeSelect)) keepAnchor = false;
  const bool moved = col != col_ || row != row_;
  if (moved) {
    if (!(options_ & goAlwaysShowEditor)) {
      HideEditor();
      editorMode_ = false;  // editing ends with the cell it began in
    }
    col_ = col;
    row_ = row;
    kindFocusCol_ = kindFocusRow_ = -1;
  }
  if (!keepAnchor) {
    anchorCol_ = col_;
    anchorRow_ = row_;
  }
  ScrollIntoView(col_, row_);
  if (moved) UpdateEditor();
  InvalidateGrid();
  return true;
}

TGridRect TComboGrid::Selection() const {
  TGridRect r{qMin(anchorCol_, col_), qMin(anchorRow_, row_), qMax(anchorCol_, col_),
              qMax(anchorRow_, row_)};
  if (options_ & goRowSelect) {
    r.Left = fixedCols_;
    r.Right = colCount_ - 1;
  }
  return r;
}

void TComboGrid::SetOptions(TGridOptions options) {
  options_ = options;
  if ((options_ & goAlwaysShowEditor) && (options_ & goEditing)) editorMode_ = true;
  if (!(options_ & goEditing) && !(options_ & goAlwaysShowEditor)) editorMode_ = false;
  UpdateEditor();
  InvalidateGrid();
}

void TComboGrid::SetDefaultDrawing(bool on) {
  defaultDrawing_ = on;
  InvalidateGrid();
}

void TComboGrid::SetTopRow(int row) { SetTopLeft(leftCol_, row); }
void TComboGrid::SetLeftCol(int col) { SetTopLeft(col, topRow_); }

void TComboGrid::SetTopLeft(int leftCol, int topRow) {
  leftCol = qBound(fixedCols_, leftCol, qMax(fixedCols_, colCount_ - 1));
  topRow = qBound(fixedRows_, topRow, qMax(fixedRows_, rowCount_ - 1));
  if (leftCol == leftCol_ && topRow == topRow_) return;
  leftCol_ = leftCol;
  topRow_ = topRow;
  {
    const QScopedValueRollback syncing(syncingScrollBars_, true);
    verticalScrollBar()->setValue(topRow_);
    horizontalScrollBar()->setValue(leftCol_);
  }
  InvalidateGrid();
  TopLeftChanged();
}

void TComboGrid::TopLeftChanged() {
  if (CellRect(col_, row_).isEmpty()) {
    // Scrolled out of view: the editor hides, its edit goes on when the
    // cell comes back.
    if (editorShown_ && editor_) {
      const bool hadFocus = editor_->hasFocus();
      editor_->HideList();
      editor_->hide();
      editorShown_ = false;
      if (hadFocus) setFocus();
    }
  } else {
    UpdateEditor();
  }
  emit OnTopLeftChanged();
}

void TComboGrid::scrollContentsBy(int, int) {
  if (syncingScrollBars_) return;  // the grid itself moved the bars
  SetTopLeft(horizontalScrollBar()->value(), verticalScrollBar()->value());
}

void TComboGrid::UpdateScrollBars() {
  const int fixedW = FixedExtent(colWidths_, fixedCols_, gridLineWidth_);
  const int fixedH = FixedExtent(rowHeights_, fixedRows_, gridLineWidth_);
  const int maxLeft = LastTopIndex(colWidths_, fixedCols_, viewport()->width() - fixedW, gridLineWidth_);
  const int maxTop = LastTopIndex(rowHeights_, fixedRows_, viewport()->height() - fixedH, gridLineWidth_);
  {
    // Not by blocking the bars' signals: the area shows and hides them on
    // their range changes.
    const QScopedValueRollback syncing(syncingScrollBars_, true);
    verticalScrollBar()->setRange(fixedRows_, maxTop);
    verticalScrollBar()->setPageStep(qMax(1, VisibleRowCount()));
    verticalScrollBar()->setValue(topRow_);
    horizontalScrollBar()->setRange(fixedCols_, maxLeft);
    horizontalScrollBar()->setPageStep(qMax(1, VisibleColCount()));
    horizontalScrollBar()->setValue(leftCol_);
  }
  if (topRow_ > maxTop || leftCol_ > maxLeft)
    SetTopLeft(qMin(leftCol_, maxLeft), qMin(topRow_, maxTop));
}

void TComboGrid::ScrollIntoView(int col, int row) {
  const int fixedW = FixedExtent(colWidths_, fixedCols_, gridLineWidth_);
  const int fixedH = FixedExtent(rowHeights_, fixedRows_, gridLineWidth_);
  int top = topRow_, left = leftCol_;
  if (row >= fixedRows_) {
    if (row < top) top = row;
    top = qMax(top, TopToShow(rowHeights_, fixedRows_, row, viewport()->height() - fixedH,
                              gridLineWidth_));
  }
  if (col >= fixedCols_) {
    if (col < left) left = col;
    left = qMax(left, TopToShow(colWidths_, fixedCols_, col, viewport()->width() - fixedW,
                                gridLineWidth_));
  }
  SetTopLeft(left, top);
}

// --- geometry ----------------------------------------------------------------

int TComboGrid::ColX(int col) const {
  return EdgeOf(colWidths_, fixedCols_, leftCol_, col, gridLineWidth_, viewport()->width());
}

int TComboGrid::RowY(int row) const {
  return EdgeOf(rowHeights_, fixedRows_, topRow_, row, gridLineWidth_, viewport()->height());
}

QRect TComboGrid::CellRect(int col, int row) const {
  const int x = ColX(col), y = RowY(row);
  if (x < 0 || y < 0) return QRect();
  return QRect(x, y, colWidths_[col], rowHeights_[row]);
}

void TComboGrid::MouseToCell(const QPoint& point, int& col, int& row) const {
  auto find = [](int pos, const QVector<int>& sizes, int fixed, int first, int line) {
    int edge = 0;
    for (int i = 0; i < fixed; ++i) {
      edge += sizes[i] + line;
      if (pos < edge) return i;
    }
    for (int i = first; i < sizes.size(); ++i) {
      edge += sizes[i] + line;
      if (pos < edge) return i;
    }
    return -1;
  };
  col = point.x() < 0 ? -1 : find(point.x(), colWidths_, fixedCols_, leftCol_, gridLineWidth_);
  row = point.y() < 0 ? -1 : find(point.y(), rowHeights_, fixedRows_, topRow_, gridLineWidth_);
  if (col < 0 || row < 0) col = row = -1;
}

int TComboGrid::LastShownRow() const {
  const int height = viewport()->height();
  if (lastRowCacheTop_ != topRow_ || lastRowCacheHeight_ != height ||
      lastRowCacheGeneration_ != rowLayoutGeneration_) {
    lastRowCacheTop_ = topRow_;
    lastRowCacheHeight_ = height;
    lastRowCacheGeneration_ = rowLayoutGeneration_;
    lastRowCache_ = LastShown(rowHeights_, fixedRows_, topRow_, gridLineWidth_, height);
  }
  return lastRowCache_;
}

int TComboGrid::LastShownCol() const {
  return LastShown(colWidths_, fixedCols_, leftCol_, gridLineWidth_, viewport()->width());
}

int TComboGrid::VisibleRowCount() const {
  return WholeShown(rowHeights_, fixedRows_, topRow_, gridLineWidth_, viewport()->height());
}

int TComboGrid::VisibleColCount() const {
  return WholeShown(colWidths_, fixedCols_, leftCol_, gridLineWidth_, viewport()->width());
}

void TComboGrid::InvalidateCell(int col, int row) {
  if (inPaint_) return;
  if (row >= fixedRows_ && (row < topRow_ || row > LastShownRow())) return;
  const QRect r = CellRect(col, row);
  if (!r.isEmpty()) viewport()->update(r.adjusted(-1, -1, 1, 1));
}

void TComboGrid::InvalidateGrid() {
  if (!inPaint_) viewport()->update();
}

// The viewport also changes size when a scroll bar comes or goes.
bool TComboGrid::viewportEvent(QEvent* event) {
  if (event->type() == QEvent::Resize) {
    UpdateScrollBars();
    PlaceEditor();
  }
  return QAbstractScrollArea::viewportEvent(event);
}

void TComboGrid::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  UpdateScrollBars();
  PlaceEditor();
}

// --- kinds -------------------------------------------------------------------

TCellKind* TComboGrid::GetCellKind(int ACol) {
  if (ACol < 0) return nullptr;
  if (int(cellKinds_.size()) < ACol + 1) cellKinds_.resize(ACol + 1);
  auto& slot = cellKinds_[ACol];
  if (!slot) slot = std::make_unique<TCellKind>(this);
  return slot.get();
}

void TComboGrid::ClearCellKinds() {
  cellKinds_.clear();
  InvalidateGrid();
}

void TComboGrid::AppendCellKind(std::unique_ptr<TCellKind> kind) {
  cellKinds_.push_back(std::move(kind));
  InvalidateGrid();
}
