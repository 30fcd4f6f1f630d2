#pragma once
// The data grid: a table view over the dataset of a DataSource. Rows are
// selectable several at a time; column widths follow the fields' display
// widths (in characters).
//
// The view itself holds only the rows on screen (GridWindowModel), so its
// cost does not grow with the result; the grid's own vertical scroll bar
// spans every row of the result and moves that window. model(),
// currentIndex(), setCurrentIndex(), rowAt(), visualRect(), scrollTo() and
// verticalScrollBar() speak in rows of the whole result (model() is the
// DatasetModel), hiding the view's functions that see only the window.

#include <QItemSelection>
#include <QTableView>

#include "db/datasetmodel.h"

class QScrollBar;
class QTimer;

namespace korvel::db { class Dataset; }

namespace korvel::ui {

class DataSource;
class EndFollower;
class GridWindowModel;

class DBGrid : public QTableView {
  Q_OBJECT
 public:
  explicit DBGrid(QWidget* parent = nullptr);

  void setDataSource(DataSource* source);
  DataSource* dataSource() const { return source_; }
  db::DatasetModel* datasetModel() const { return model_; }

  // Re-reads the fields' display widths into the column widths.
  void applyDisplayWidths();

  // Every row of the result.
  db::DatasetModel* model() const { return model_; }
  // The current record's cell in model(); invalid when there is no record.
  QModelIndex currentIndex() const;
  // Makes the record at index.row() of model() current (posting a pending
  // edit first), in the column of index; the grid shows it.
  void setCurrentIndex(const QModelIndex& index);
  // The row of model() at y in the viewport, -1 where there is none.
  int rowAt(int y) const;
  // Where a cell of model() (or of the window) is in the viewport; empty
  // when it is not on screen.
  QRect visualRect(const QModelIndex& index) const override;
  void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
  // The scroll bar over every row: its value is the row at the top.
  QScrollBar* verticalScrollBar() const { return bar_; }
  int topRow() const;

 protected:
  // Ctrl+Delete deletes the current record after asking; Insert inserts a
  // record; Escape cancels a pending edit or insert.
  void keyPressEvent(QKeyEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void updateGeometries() override;
  // Up, Down, PageUp and PageDown move by rows of the whole result.
  QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
  void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
  // A selection extended with Shift or by dragging reaches from the row
  // where it started, wherever that is scrolled to.
  void setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void attachDataset();
  int recordRow() const;
  int fullRowsOnScreen() const;
  int rowsOnScreen() const;
  void scrollToTop(int top);
  void ensureRowShown(int row);
  void followCursor();
  void showRecord(QItemSelectionModel::SelectionFlags how);
  void showCurrentInWindow(QItemSelectionModel::SelectionFlags how);
  void rememberSelection();
  void restoreSelection();
  void setAnchor(int row);
  void dragScrollStep();
  void updateScrollRange();
  void placeScrollBar();
  void closeEditorKeepingInput();
  void windowScrolledItself(int value);

  DataSource* source_ = nullptr;
  db::DatasetModel* model_;
  GridWindowModel* window_;
  QScrollBar* bar_;
  QItemSelection selected_;  // rows selected, in rows of model(), while off screen
  int anchorRow_ = -1;           // where an extended selection starts, in rows of model()
  QItemSelection anchorBase_;    // the selection as it stood when that row was chosen
  bool anchorBaseTaken_ = false;
  bool extending_ = false;       // a Shift key or click, or a drag, is being handled
  int dragRow_ = -1;             // the row under the mouse while dragging
  QPoint dragPos_;               // where the mouse is while dragging
  QTimer* dragScroll_;           // scrolls while a drag is above or below the rows
  EndFollower* toEnd_;           // Ctrl+End while the rows are still being counted
  int currentColumn_ = 0;
  bool syncing_ = false;      // the grid itself sets the view's current cell
  bool settingRange_ = false; // the grid itself sets its scroll bar
};

}  // namespace korvel::ui
