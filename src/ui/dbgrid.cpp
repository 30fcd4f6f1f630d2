#include "ui/dbgrid.h"

#include <QFontMetrics>
#include <algorithm>
#include <QHeaderView>
#include <QKeyEvent>

#include "db/dataset.h"
#include "db/datasetmodel.h"
#include "db/engineerror.h"
#include "ui/datasource.h"
#include "prompt/prompt.h"

namespace korvel::ui {

namespace {
// Room beside a column title for the header's frame and padding.
constexpr int kTitleMargin = 14;
}  // namespace

DBGrid::DBGrid(QWidget* parent)
    : QTableView(parent), model_(new db::DatasetModel(this)) {
  setModel(model_);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  // A title wider than its column is cut at its end ("DEPT_CO…"), never at
  // both, which would read as another name.
  horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  horizontalHeader()->setTextElideMode(Qt::ElideRight);
  model_->setSelectionModel(selectionModel());
  connect(model_, &QAbstractItemModel::modelReset, this, &DBGrid::applyDisplayWidths);
  const auto rowsChanged = [this] { rowsChanged_ = true; };
  connect(model_, &QAbstractItemModel::modelReset, this, rowsChanged);
  connect(model_, &QAbstractItemModel::rowsInserted, this, rowsChanged);
}

// The view lays out its scroll range only later, after a reset or added
// rows; scrolling to a row beyond the old range would stop at its end and
// leave the current record (after test data, at the end) out of sight.
void DBGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
  if (rowsChanged_) {
    rowsChanged_ = false;
    updateGeometries();
  }
  QTableView::currentChanged(current, previous);
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
    // result, whether or not all of its rows have been shown yet; the view
    // follows the cursor.
    if (event->modifiers() == Qt::ControlModifier &&
        (event->key() == Qt::Key_End || event->key() == Qt::Key_Home)) {
      event->key() == Qt::Key_End ? dataset->last() : dataset->first();
      scrollTo(currentIndex());
      return;
    }
  } catch (const db::EngineError& e) {
    showError(e.lastMessage());
    return;
  }
  QTableView::keyPressEvent(event);
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
