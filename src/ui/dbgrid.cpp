#include "ui/dbgrid.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QGuiApplication>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>

#include "db/dataset.h"
#include "db/datasetmodel.h"
#include "db/engineerror.h"
#include "prompt/prompt.h"
#include "ui/datasource.h"
#include "ui/endfollower.h"
#include "ui/gridwindow.h"

namespace korvel::ui {

namespace {
// Room beside a column title for the header's frame and padding.
constexpr int kTitleMargin = 14;
// Room beside the widest row number in the row header.
constexpr int kRowNumberMargin = 10;

// Blocks a flag's re-entry for the length of a scope.
class FlagScope {
 public:
  explicit FlagScope(bool& flag) : flag_(flag), old_(flag) { flag_ = true; }
  ~FlagScope() { flag_ = old_; }
  FlagScope(const FlagScope&) = delete;
  FlagScope& operator=(const FlagScope&) = delete;

 private:
  bool& flag_;
  bool old_;
};
}  // namespace

DBGrid::DBGrid(QWidget* parent)
    : QTableView(parent),
      model_(new db::DatasetModel(this)),
      window_(new GridWindowModel(model_, this)),
      bar_(new QScrollBar(Qt::Vertical, this)),
      dragScroll_(new QTimer(this)),
      toEnd_(new EndFollower(this)) {
  QTableView::setModel(window_);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  // The view never scrolls down by itself: the window is as high as the
  // screen and the grid's own bar moves it.
  setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  // A title wider than its column is cut at its end ("DEPT_CO…"), never at
  // both, which would read as another name.
  horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  horizontalHeader()->setTextElideMode(Qt::ElideRight);
  bar_->setSingleStep(1);
  dragScroll_->setInterval(50);
  connect(dragScroll_, &QTimer::timeout, this, &DBGrid::dragScrollStep);
  connect(bar_, &QScrollBar::valueChanged, this, [this](int value) {
    if (!settingRange_) scrollToTop(value);
  });
  connect(QAbstractScrollArea::verticalScrollBar(), &QScrollBar::valueChanged, this,
          &DBGrid::windowScrolledItself);
  connect(model_, &db::DatasetModel::cursorRowChanged, this, &DBGrid::followCursor);
  connect(model_, &QAbstractItemModel::modelAboutToBeReset, this, [this] { selected_.clear(); });
  connect(model_, &QAbstractItemModel::modelReset, this, &DBGrid::applyDisplayWidths);
  connect(model_, &QAbstractItemModel::modelReset, this, &DBGrid::updateScrollRange);
  connect(model_, &QAbstractItemModel::rowsInserted, this, &DBGrid::updateScrollRange);
  connect(model_, &QAbstractItemModel::rowsRemoved, this, &DBGrid::updateScrollRange);
}

void DBGrid::setDataSource(DataSource* source) {
  if (source_) disconnect(source_, nullptr, this, nullptr);
  source_ = source;
  if (source_)
    connect(source_, &DataSource::dataSetChanged, this, &DBGrid::attachDataset);
  attachDataset();
}

void DBGrid::attachDataset() {
  model_->setDataset(source_ ? source_->shownDataSet() : nullptr);
  applyDisplayWidths();
}

int DBGrid::recordRow() const {
  db::Dataset* dataset = model_->dataset();
  const int row = dataset && dataset->active() ? dataset->recNo() : -1;
  return row < model_->rowCount() ? row : -1;
}

int DBGrid::topRow() const { return window_->top(); }

QModelIndex DBGrid::currentIndex() const {
  const int row = recordRow();
  if (row < 0 || model_->columnCount() == 0) return {};
  return model_->index(row, std::clamp(currentColumn_, 0, model_->columnCount() - 1));
}

void DBGrid::setCurrentIndex(const QModelIndex& index) {
  if (index.model() == window_) {
    QTableView::setCurrentIndex(index);
    return;
  }
  if (!index.isValid() || index.model() != model_) return;
  currentColumn_ = index.column();
  model_->moveCursorTo(index.row());
  followCursor();
}

int DBGrid::rowAt(int y) const {
  const int row = QTableView::rowAt(y);
  return row < 0 ? -1 : window_->sourceRow(row);
}

QRect DBGrid::visualRect(const QModelIndex& index) const {
  if (index.model() != model_) return QTableView::visualRect(index);
  const QModelIndex shown = window_->fromSource(index);
  return shown.isValid() ? QTableView::visualRect(shown) : QRect();
}

// Rows whose whole height fits the viewport, and rows that show at all.
int DBGrid::fullRowsOnScreen() const {
  const int rowHeight = std::max(verticalHeader()->defaultSectionSize(), 1);
  return std::max(viewport()->height() / rowHeight, 1);
}

int DBGrid::rowsOnScreen() const {
  const int rowHeight = std::max(verticalHeader()->defaultSectionSize(), 1);
  return std::max((viewport()->height() + rowHeight - 1) / rowHeight, 1);
}

void DBGrid::scrollTo(const QModelIndex& index, ScrollHint hint) {
  if (!index.isValid() || syncing_) return;
  const int row = index.model() == model_ ? index.row() : window_->sourceRow(index.row());
  const int full = fullRowsOnScreen();
  int top = topRow();
  switch (hint) {
    case EnsureVisible:
      if (row < top) top = row;
      else if (row >= top + full) top = row - full + 1;
      break;
    case PositionAtTop: top = row; break;
    case PositionAtBottom: top = row - full + 1; break;
    case PositionAtCenter: top = row - full / 2; break;
  }
  scrollToTop(top);
  // Across, the view scrolls by itself to the cell's column.
  const int shownRow = window_->windowRow(row);
  if (shownRow >= 0) {
    FlagScope scope(syncing_);
    QTableView::scrollTo(window_->index(shownRow, index.column()), EnsureVisible);
    QAbstractScrollArea::verticalScrollBar()->setValue(0);
  }
}

// The window starts at `top` now: a cell being edited keeps its input (it
// belongs to the record it was opened on); the selection, the bar and the
// current cell follow.
void DBGrid::scrollToTop(int top) {
  if (top != topRow()) closeEditorKeepingInput();
  rememberSelection();
  window_->setWindow(top, rowsOnScreen(), fullRowsOnScreen());
  restoreSelection();
  showCurrentInWindow(QItemSelectionModel::NoUpdate);
  updateScrollRange();
  // At the end of the rows read so far, more are read where the result's
  // size is not known yet.
  if (bar_->value() == bar_->maximum() && model_->canFetchMore({})) model_->fetchMore({});
}

void DBGrid::ensureRowShown(int row) {
  if (row < 0) return;
  const int full = fullRowsOnScreen();
  const int top = topRow();
  if (row < top) scrollToTop(row);
  else if (row >= top + full) scrollToTop(row - full + 1);
}

// The dataset's cursor moved (or the rows were read afresh) other than by
// the user's choice of a cell: the grid scrolls to the current record and
// selects it alone.
void DBGrid::followCursor() {
  showRecord(QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  if (!syncing_) setAnchor(recordRow());
}

void DBGrid::showRecord(QItemSelectionModel::SelectionFlags how) {
  if (syncing_) return;  // the view is choosing the cell itself
  ensureRowShown(recordRow());
  showCurrentInWindow(how);
}

// The view's current cell is the current record's when it is on screen,
// and none when the record is scrolled away.
void DBGrid::showCurrentInWindow(QItemSelectionModel::SelectionFlags how) {
  FlagScope scope(syncing_);
  QItemSelectionModel* selection = QTableView::selectionModel();
  if (!selection) return;  // while the view takes its model
  if (how & QItemSelectionModel::Clear) selected_.clear();
  const int shownRow = window_->windowRow(recordRow());
  if (shownRow < 0 || window_->columnCount() == 0) {
    if (how & QItemSelectionModel::Clear) selection->clearSelection();
    if (selection->currentIndex().isValid()) selection->clearCurrentIndex();
    return;
  }
  const QModelIndex cell =
      window_->index(shownRow, std::clamp(currentColumn_, 0, window_->columnCount() - 1));
  if (selection->currentIndex() != cell || how != QItemSelectionModel::NoUpdate)
    selection->setCurrentIndex(cell, how);
}

// The rows selected on screen are kept in rows of the whole result while
// the window moves, and put back on screen where they show after it.
void DBGrid::rememberSelection() {
  QItemSelectionModel* selection = QTableView::selectionModel();
  const int shown = window_->rowCount();
  if (!selection || shown == 0 || model_->columnCount() == 0) return;
  const int top = topRow();
  selected_.merge(QItemSelection(model_->index(top, 0), model_->index(top + shown - 1, model_->columnCount() - 1)),
                  QItemSelectionModel::Deselect);
  for (const QItemSelectionRange& range : selection->selection())
    selected_.merge(QItemSelection(model_->index(top + range.top(), range.left()),
                                   model_->index(top + range.bottom(), range.right())),
                    QItemSelectionModel::Select);
}

void DBGrid::restoreSelection() {
  QItemSelectionModel* selection = QTableView::selectionModel();
  if (!selection) return;
  const int top = topRow();
  const int last = top + window_->rowCount() - 1;
  QItemSelection shown;
  for (const QItemSelectionRange& range : std::as_const(selected_)) {
    const int first = std::max(range.top(), top);
    const int end = std::min(range.bottom(), last);
    if (first <= end) shown.select(window_->index(first - top, range.left()), window_->index(end - top, range.right()));
  }
  FlagScope scope(syncing_);
  selection->select(shown, QItemSelectionModel::ClearAndSelect);
}

void DBGrid::setAnchor(int row) {
  anchorRow_ = row;
  anchorBaseTaken_ = false;
}

// Rows from the anchor to the row reached (the current record after a key
// or a click, the row under the mouse while dragging) are selected, or
// deselected by a drag that started on a selected row with Ctrl, on top of
// what was selected when the anchor was chosen.
void DBGrid::setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) {
  const int rows = model_->rowCount();
  const int reached = dragRow_ >= 0 ? dragRow_ : recordRow();
  if (!(command & QItemSelectionModel::Current) || anchorRow_ < 0 || reached < 0 || rows == 0 ||
      model_->columnCount() == 0) {
    QTableView::setSelection(rect, command);
    return;
  }
  if (!anchorBaseTaken_) {
    rememberSelection();
    anchorBase_ = selected_;
    anchorBaseTaken_ = true;
  }
  const int first = std::clamp(std::min(anchorRow_, reached), 0, rows - 1);
  const int last = std::clamp(std::max(anchorRow_, reached), 0, rows - 1);
  selected_ = anchorBase_;
  selected_.merge(QItemSelection(model_->index(first, 0), model_->index(last, model_->columnCount() - 1)),
                  command & QItemSelectionModel::Deselect ? QItemSelectionModel::Deselect
                                                          : QItemSelectionModel::Select);
  restoreSelection();
}

void DBGrid::mousePressEvent(QMouseEvent* event) {
  if (event->modifiers() & Qt::ShiftModifier) {
    FlagScope scope(extending_);
    QTableView::mousePressEvent(event);
  } else {
    QTableView::mousePressEvent(event);
  }
}

void DBGrid::mouseMoveEvent(QMouseEvent* event) {
  if (!(event->buttons() & Qt::LeftButton)) {
    QTableView::mouseMoveEvent(event);
    return;
  }
  dragPos_ = event->position().toPoint();
  const bool beyond = dragPos_.y() < 0 || dragPos_.y() >= viewport()->height();
  if (beyond && state() == QAbstractItemView::DragSelectingState) {
    if (!dragScroll_->isActive()) dragScroll_->start();
  } else {
    dragScroll_->stop();
  }
  const int y = std::clamp(dragPos_.y(), 0, std::max(viewport()->height() - 1, 0));
  dragRow_ = rowAt(y);
  if (dragRow_ < 0) dragRow_ = model_->rowCount() - 1;  // below the last row
  FlagScope scope(extending_);
  QTableView::mouseMoveEvent(event);
  dragRow_ = -1;
}

void DBGrid::mouseReleaseEvent(QMouseEvent* event) {
  dragScroll_->stop();
  QTableView::mouseReleaseEvent(event);
}

// A drag held above or below the rows scrolls a row at a time, the
// selection following to the row at the edge.
void DBGrid::dragScrollStep() {
  if (state() != QAbstractItemView::DragSelectingState) {
    dragScroll_->stop();
    return;
  }
  scrollToTop(topRow() + (dragPos_.y() < 0 ? -1 : 1));
  QMouseEvent move(QEvent::MouseMove, QPointF(dragPos_), viewport()->mapToGlobal(QPointF(dragPos_)), Qt::NoButton,
                   Qt::LeftButton, QGuiApplication::keyboardModifiers());
  QCoreApplication::sendEvent(viewport(), &move);
}

// The user (or the view, on a key) chose another cell: the dataset moves to
// its record first, posting a pending edit, so that the view's scrolling to
// the cell finds the record there; when the move fails the view goes back
// to the dataset's record.
void DBGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
  if (syncing_ || !current.isValid()) {
    QTableView::currentChanged(current, previous);
    return;
  }
  currentColumn_ = current.column();
  {
    FlagScope scope(syncing_);
    model_->moveCursorTo(window_->sourceRow(current.row()));
  }
  if (!extending_) setAnchor(recordRow());
  QTableView::currentChanged(current, previous);
  // The view scrolls to the cell; where the record could not be left, the
  // view goes back to it.
  if (recordRow() == window_->sourceRow(current.row()) || !current.isValid())
    showRecord(QItemSelectionModel::NoUpdate);
  else
    followCursor();
}

// The view scrolled its window by itself (dragging a selection past the
// last row): the window moves instead and the view stays at its top.
void DBGrid::windowScrolledItself(int value) {
  if (value == 0 || syncing_) return;
  {
    FlagScope scope(syncing_);
    QAbstractScrollArea::verticalScrollBar()->setValue(0);
  }
  scrollToTop(topRow() + value);
}

// Cursor keys, PageUp and PageDown move over the whole result; the window
// follows before the view takes the new cell.
QModelIndex DBGrid::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
  const int rows = model_->rowCount();
  const int current = std::max(recordRow(), 0);
  int target = -1;
  switch (action) {
    case MoveUp: target = current - 1; break;
    case MoveDown:
      if (current + 1 >= rows && model_->canFetchMore({})) model_->fetchMore({});
      target = current + 1;
      break;
    case MovePageUp: target = current - fullRowsOnScreen(); break;
    case MovePageDown:
      if (current + fullRowsOnScreen() >= rows && model_->canFetchMore({})) model_->fetchMore({});
      target = current + fullRowsOnScreen();
      break;
    case MoveNext:
    case MovePrevious:
      // Asked with no current cell on screen (the view gaining the focus
      // while the current record is scrolled away): no cell, the screen stays.
      if (!QTableView::currentIndex().isValid()) return {};
      return QTableView::moveCursor(action, modifiers);
    default:
      // Across a row: from the current record's cell, brought on screen.
      showRecord(QItemSelectionModel::NoUpdate);
      return QTableView::moveCursor(action, modifiers);
  }
  if (model_->rowCount() == 0) return {};
  target = std::clamp(target, 0, model_->rowCount() - 1);
  ensureRowShown(target);
  const int shownRow = window_->windowRow(target);
  const int column = std::clamp(currentColumn_, 0, std::max(window_->columnCount() - 1, 0));
  return shownRow < 0 ? QModelIndex() : window_->index(shownRow, column);
}

void DBGrid::wheelEvent(QWheelEvent* event) {
  const QPoint delta = event->angleDelta();
  if (std::abs(delta.y()) >= std::abs(delta.x()) && delta.y() != 0) {
    QCoreApplication::sendEvent(bar_, event);
    return;
  }
  QTableView::wheelEvent(event);
}

// An open editor's text is written to its record before the window moves:
// afterwards the editor's cell would stand for another record.
void DBGrid::closeEditorKeepingInput() {
  if (state() != QAbstractItemView::EditingState) return;
  for (QWidget* editor : viewport()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    commitData(editor);
    closeEditor(editor, QAbstractItemDelegate::NoHint);
  }
}

void DBGrid::updateGeometries() {
  QTableView::updateGeometries();
  placeScrollBar();
  const int rows = rowsOnScreen();
  const int full = fullRowsOnScreen();
  if (rows != window_->size()) {
    rememberSelection();
    window_->setWindow(topRow(), rows, full);
    restoreSelection();
    showCurrentInWindow(QItemSelectionModel::NoUpdate);
  }
  updateScrollRange();
}

// The bar stands at the right of the rows, beside the column titles too,
// where the view's own bar would be; as that one, it shows only when there
// are more rows than the screen holds.
void DBGrid::placeScrollBar() {
  const bool needed = bar_->maximum() > 0;
  QMargins margins = viewportMargins();
  const int width = needed ? bar_->sizeHint().width() : 0;
  if (margins.right() != width) {
    margins.setRight(width);
    setViewportMargins(margins);
  }
  bar_->setVisible(needed);
  const QRect rows = viewport()->geometry();
  bar_->setGeometry(rows.right() + 1, rows.top() - margins.top(), width, rows.height() + margins.top());
}

// The bar's range is every row of the result (as far as it is known), the
// row header as wide as the longest row number.
void DBGrid::updateScrollRange() {
  const bool wasNeeded = bar_->maximum() > 0;
  {
    FlagScope scope(settingRange_);
    const int full = fullRowsOnScreen();
    bar_->setRange(0, std::max(model_->rowCount() - full, 0));
    bar_->setPageStep(full);
    bar_->setValue(topRow());
  }
  const int digits = static_cast<int>(QString::number(std::max(model_->rowCount(), 1)).size());
  const int width = fontMetrics().horizontalAdvance(QString(digits, QLatin1Char('9'))) + kRowNumberMargin;
  if (verticalHeader()->minimumWidth() != width) {
    verticalHeader()->setMinimumWidth(width);
    QTableView::updateGeometries();
    placeScrollBar();
  } else if (wasNeeded != (bar_->maximum() > 0)) {
    placeScrollBar();
  }
}

void DBGrid::keyPressEvent(QKeyEvent* event) {
  db::Dataset* dataset = model_->dataset();
  const bool editing = state() == QAbstractItemView::EditingState;
  if (!dataset || !dataset->active() || editing) {
    QTableView::keyPressEvent(event);
    return;
  }
  const bool pending = dataset->state() == db::DatasetState::Edit ||
                       dataset->state() == db::DatasetState::Insert;
  try {
    if (event->key() == Qt::Key_Delete && (event->modifiers() & Qt::ControlModifier)) {
      if (prompt().message(QStringLiteral("レコードを削除しますか?"), QString(),
                           PromptIcon::Question, PromptOk | PromptCancel) == PromptOk)
        dataset->deleteRecord();
      return;
    }
    if (event->key() == Qt::Key_Insert && event->modifiers() == Qt::NoModifier) {
      dataset->insert();
      return;
    }
    if (event->key() == Qt::Key_Escape && pending) {
      dataset->cancel();
      return;
    }
    // Ctrl+End and Ctrl+Home go to the last and first record of the whole
    // result, whether or not all of its rows have been shown yet (while they
    // are still counted, Ctrl+End follows the count to the end instead of
    // waiting for it); the view follows the cursor.
    if (event->modifiers() == Qt::ControlModifier &&
        (event->key() == Qt::Key_End || event->key() == Qt::Key_Home)) {
      if (event->key() == Qt::Key_End)
        toEnd_->goToLast(dataset, model_->rowCount());
      else
        dataset->first();
      followCursor();
      return;
    }
  } catch (const db::EngineError& e) {
    showError(e.lastMessage());
    return;
  }
  if (event->modifiers() & Qt::ShiftModifier) {
    FlagScope scope(extending_);
    QTableView::keyPressEvent(event);
  } else {
    QTableView::keyPressEvent(event);
  }
}

void DBGrid::applyDisplayWidths() {
  db::Dataset* dataset = model_->dataset();
  if (!dataset || !dataset->active()) return;
  const int charWidth = fontMetrics().horizontalAdvance(QLatin1Char('0'));
  const QFontMetrics titleMetrics(horizontalHeader()->font());
  // A column is as wide as its display width, and at least as wide as its
  // title, so that every field's name can be read.
  for (int i = 0; i < dataset->fieldCount() && i < model_->columnCount(); ++i) {
    const db::Field& field = dataset->field(i);
    const int title = titleMetrics.horizontalAdvance(field.displayName()) + kTitleMargin;
    setColumnWidth(i, std::max(field.displayWidth() * charWidth + 8, title));
  }
}

}  // namespace korvel::ui
