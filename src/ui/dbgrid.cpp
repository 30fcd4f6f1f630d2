#include "ui/dbgrid.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QKeyEvent>

#include "db/dataset.h"
#include "db/datasetmodel.h"
#include "db/engineerror.h"
#include "ui/datasource.h"
#include "prompt/prompt.h"

namespace korvel::ui {

DBGrid::DBGrid(QWidget* parent)
    : QTableView(parent), model_(new db::DatasetModel(this)) {
  setModel(model_);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  model_->setSelectionModel(selectionModel());
  connect(model_, &QAbstractItemModel::modelReset, this, &DBGrid::applyDisplayWidths);
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
  for (int i = 0; i < dataset->fieldCount() && i < model_->columnCount(); ++i)
    setColumnWidth(i, dataset->field(i).displayWidth() * charWidth + 8);
}

}  // namespace korvel::ui
