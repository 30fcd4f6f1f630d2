#include "ui/dbgrid.h"

#include <QFontMetrics>
#include <QHeaderView>

#include "db/dataset.h"
#include "db/datasetmodel.h"
#include "ui/datasource.h"

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

void DBGrid::applyDisplayWidths() {
  db::Dataset* dataset = model_->dataset();
  if (!dataset || !dataset->active()) return;
  const int charWidth = fontMetrics().horizontalAdvance(QLatin1Char('0'));
  for (int i = 0; i < dataset->fieldCount() && i < model_->columnCount(); ++i)
    setColumnWidth(i, dataset->field(i).displayWidth() * charWidth + 8);
}

}  // namespace korvel::ui
