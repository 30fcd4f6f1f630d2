#pragma once
// TComboGrid: a custom-drawn string grid (text cells, fixed title rows and
// columns, column widths and row heights, a current cell, an in-place editor)
// in which every column carries a TCellKind that says how its cells are
// aligned, drawn and edited: plain text, text with a drop-down list, a push
// button or a check box.
//
// Scrolling works in whole cells, like the classic string grid: the scroll
// bars' values are the first non-fixed row and column shown (TopRow, LeftCol).

#include <QAbstractScrollArea>
#include <QColor>
#include <QString>
#include <QVector>
#include <memory>
#include <vector>

#include "controls/cellkind.h"
#include "controls/gridtypes.h"

class QPainter;
class TComboInplaceEdit;

class TComboGrid : public QAbstractScrollArea {
  Q_OBJECT
 public:
  explicit TComboGrid(QWidget* parent = nullptr);
  ~TComboGrid() override;

  // --- size --------------------------------------------------------------
  int ColCount() const { return colCount_; }
  void SetColCount(int count);
  int RowCount() const { return rowCount_; }
  void SetRowCount(int count);
  int FixedCols() const { return fixedCols_; }
  void SetFixedCols(int count);
  int FixedRows() const { return fixedRows_; }
  void SetFixedRows(int count);
  int DefaultColWidth() const { return defaultColWidth_; }
  void SetDefaultColWidth(int width);  // resets every column's width
  int DefaultRowHeight() const { return defaultRowHeight_; }
  void SetDefaultRowHeight(int height);  // resets every row's height
  int ColWidths(int col) const;
  void SetColWidths(int col, int width);
  int RowHeights(int row) const;
  void SetRowHeights(int row, int height);
  int GridLineWidth() const { return gridLineWidth_; }
  void SetGridLineWidth(int width);

  // --- cells -------------------------------------------------------------
  // Cells never set, and cells outside the grid, read as empty text.
  QString Cells(int col, int row) const;
  // Cells outside the grid are ignored.
  void SetCells(int col, int row, const QString& text);

  // --- current cell, scrolling, selection ----------------------------------
  int Col() const { return col_; }
  void SetCol(int col);
  int Row() const { return row_; }
  void SetRow(int row);
  // Moves the current cell (and scrolls it into view); false when refused.
  bool FocusCell(int col, int row, bool keepAnchor = false);
  int TopRow() const { return topRow_; }
  void SetTopRow(int row);
  int LeftCol() const { return leftCol_; }
  void SetLeftCol(int col);
  int VisibleRowCount() const;  // non-fixed rows wholly shown
  int VisibleColCount() const;
  TGridRect Selection() const;
  TGridOptions Options() const { return options_; }
  void SetOptions(TGridOptions options);
  bool DefaultDrawing() const { return defaultDrawing_; }
  void SetDefaultDrawing(bool on);

  // --- geometry ----------------------------------------------------------
  // The cell's rectangle in viewport coordinates; empty when not shown.
  QRect CellRect(int col, int row) const;
  // The cell under a viewport point; col/row -1 when none.
  void MouseToCell(const QPoint& point, int& col, int& row) const;

  // --- kinds and editor ----------------------------------------------------
  // The kind of column ACol, created (with this grid as Grid) on first ask.
  TCellKind* GetCellKind(int ACol);
  int CellKindCount() const { return int(cellKinds_.size()); }
  // Discards every kind; used by the stored-definition reader.
  void ClearCellKinds();
  // Appends a kind (taking ownership) as the next column's kind.
  void AppendCellKind(std::unique_ptr<TCellKind> kind);

  bool EditorMode() const;
  void SetEditorMode(bool on);
  void ShowEditor();
  void HideEditor();
  TComboInplaceEdit* InplaceEditor() const { return editor_; }

  // The text a non-fixed ckEdit or ckDropDown cell shows: in ckEdit columns
  // with a display format (item 1), the cell text formatted as a number
  // when it is one; otherwise the cell text itself.
  QString DataCellText(int col, int row);
  // The text a button or check cell shows: item 0 of its kind, or the cell's
  // own text for the "%%USECELLDATA%%" marker and for check columns.
  QString KindCellCaption(int col, int row);

  int PressedCol() const { return pressedCol_; }
  int PressedRow() const { return pressedRow_; }

  // The painter of the paint in progress (for OnDrawCell handlers); null
  // outside painting.
  QPainter* Canvas() const { return canvas_; }

  void InvalidateCell(int col, int row);
  void InvalidateGrid();

  // Tells the grid another control takes the mouse: a drop-down list is
  // hidden unless `cause` is the editor or the list itself.
  void CancelMode(QWidget* cause);

  QSize sizeHint() const override;

 signals:
  // Raised after the grid's own drawing of each cell.
  void OnDrawCell(QPainter* Canvas, int ACol, int ARow, const QRect& Rect,
                  TGridDrawState State);
  void OnClick();
  void OnDblClick();
  // Handlers may set Key to 0 to keep the grid from handling it.
  void OnKeyDown(int& Key, Qt::KeyboardModifiers Shift);
  void OnKeyUp(int& Key, Qt::KeyboardModifiers Shift);
  // Raised by button, check and drop-down cells.
  void OnGridBtnClick(int ACol, int ARow);
  // Raised when the in-place editor changes a cell's text.
  void OnSetEditText(int ACol, int ARow, const QString& Value);
  void OnTopLeftChanged();

 protected:
  // Hooks of the grid, overridable like the classic grid's.
  virtual TComboInplaceEdit* CreateEditor();
  virtual bool CanEditShow();
  virtual QString GetEditMask(int ACol, int ARow);
  virtual int GetEditLimit();
  virtual void DrawCell(int ACol, int ARow, const QRect& Rect, TGridDrawState State);
  virtual void Paint();
  virtual void TopLeftChanged();

  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool viewportEvent(QEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  bool focusNextPrevChild(bool next) override;
  bool event(QEvent* event) override;

 private:
  friend class TComboInplaceEdit;  // reports edits, Escape and Tab to the grid

  // Framework answer of CanEditShow: editing on, current cell not fixed.
  bool BaseCanEditShow() const;
  void UpdateEditor();  // shows or hides the editor as CanEditShow says
  void PlaceEditor();
  void EditorTextEdited(const QString& text);
  void EditorEscape();
  void LeftButtonPress(const QPoint& point);
  void LeftButtonRelease(const QPoint& point);
  bool HandleKindKeyPress(QKeyEvent* event);
  bool HandleKindKeyRelease(QKeyEvent* event);
  void MoveByKey(QKeyEvent* event);
  void ScrollIntoView(int col, int row);
  void UpdateScrollBars();
  void ResizeCells(int newCols, int newRows);
  int ColX(int col) const;  // left edge of a shown column, -1 when hidden
  int RowY(int row) const;
  int LastShownRow() const;
  int LastShownCol() const;
  int SizingBorderAt(const QPoint& point, bool columns) const;
  void DrawKindCellAt(int col, int row, const QRect& rect, bool pressed, bool focused);
  void SetTopLeft(int leftCol, int topRow);

  int colCount_ = 5, rowCount_ = 5;
  int fixedCols_ = 1, fixedRows_ = 1;
  int defaultColWidth_ = 64, defaultRowHeight_ = 24;
  int gridLineWidth_ = 1;
  QVector<int> colWidths_, rowHeights_;
  QVector<QString> cells_;  // row-major, colCount_ per row
  int col_ = 1, row_ = 1;
  int anchorCol_ = 1, anchorRow_ = 1;
  int topRow_ = 1, leftCol_ = 1;
  TGridOptions options_ = kDefaultGridOptions;
  bool defaultDrawing_ = true;
  std::vector<std::unique_ptr<TCellKind>> cellKinds_;
  int pressedCol_ = -1, pressedRow_ = -1;
  TComboInplaceEdit* editor_ = nullptr;
  bool editorShown_ = false;
  bool editorMode_ = false;       // editing requested (F2, Enter, typing, click)
  int kindFocusCol_ = -1, kindFocusRow_ = -1;  // focus frame left by a button release
  QColor cellBack_, cellFore_;    // colours the base drawing set for the cell
  QString textBeforeEdit_;
  int editCol_ = -1, editRow_ = -1;  // the cell the editor was opened on
  QPainter* canvas_ = nullptr;
  bool leftButtonDown_ = false;   // a real or Space-made left press is held
  bool selectingByMouse_ = false;
  int sizingIndex_ = -1;          // column or row being resized, -1 when none
  bool sizingColumns_ = true;
  int sizingOrigin_ = 0;
  bool settingEditorText_ = false;
  bool inPaint_ = false;
  bool syncingScrollBars_ = false;
  // LastShownRow() for (topRow_, viewport height, row layout generation).
  mutable int lastRowCache_ = -1, lastRowCacheTop_ = -1, lastRowCacheHeight_ = -1;
  mutable int lastRowCacheGeneration_ = -1;
  int rowLayoutGeneration_ = 0;  // bumped when row heights or counts change
};
