#include "ui/gridwindow.h"

#include <algorithm>

#include "db/dataset.h"
#include "db/datasetmodel.h"

namespace korvel::ui {

GridWindowModel::GridWindowModel(db::DatasetModel* source, QObject* parent)
    : QAbstractTableModel(parent), source_(source) {
  connect(source, &QAbstractItemModel::modelAboutToBeReset, this, [this] {
    resetting_ = true;
    beginResetModel();
  });
  connect(source, &QAbstractItemModel::modelReset, this, [this] {
    top_ = fittingTop(top_);
    shown_ = rowsAt(top_);
    resetting_ = false;
    endResetModel();
  });
  connect(source, &QAbstractItemModel::rowsInserted, this, &GridWindowModel::followRowCount);
  connect(source, &QAbstractItemModel::rowsRemoved, this, &GridWindowModel::followRowCount);
  connect(source, &QAbstractItemModel::layoutChanged, this, &GridWindowModel::followRowCount);
  connect(source, &QAbstractItemModel::dataChanged, this, &GridWindowModel::sourceDataChanged);
  connect(source, &QAbstractItemModel::headerDataChanged, this, &GridWindowModel::sourceHeaderChanged);
}

// The last top at which the screen is still full, so that the end of the
// result fills the screen rather than a single row at its top.
int GridWindowModel::fittingTop(int top) const {
  const int last = std::max(0, source_->rowCount() - std::max(fullRows_, 1));
  return std::clamp(top, 0, last);
}

int GridWindowModel::rowsAt(int top) const {
  return std::clamp(source_->rowCount() - top, 0, size_);
}

int GridWindowModel::windowRow(int sourceRow) const {
  const int row = sourceRow - top_;
  return row >= 0 && row < shown_ ? row : -1;
}

QModelIndex GridWindowModel::fromSource(const QModelIndex& index) const {
  if (!index.isValid() || index.model() != source_) return {};
  const int row = windowRow(index.row());
  return row < 0 ? QModelIndex() : this->index(row, index.column());
}

QModelIndex GridWindowModel::toSource(const QModelIndex& index) const {
  if (!index.isValid() || index.model() != this) return {};
  return source_->index(sourceRow(index.row()), index.column());
}

void GridWindowModel::setWindow(int top, int rows, int fullRows) {
  size_ = std::max(rows, 0);
  fullRows_ = std::clamp(fullRows, 1, std::max(size_, 1));
  const int newTop = fittingTop(top);
  const bool moved = newTop != top_;
  top_ = newTop;
  followRowCount();
  if (moved && shown_ > 0) {
    emit dataChanged(index(0, 0), index(shown_ - 1, std::max(columnCount() - 1, 0)));
    emit headerDataChanged(Qt::Vertical, 0, shown_ - 1);
  }
}

// The source gained or lost rows (the count grew, a record was inserted or
// deleted): the window keeps its top where it can and shows what is there.
void GridWindowModel::followRowCount() {
  if (resetting_) return;
  const int newTop = fittingTop(top_);
  const int rows = rowsAt(newTop);
  const bool moved = newTop != top_;
  top_ = newTop;
  if (rows > shown_) {
    beginInsertRows({}, shown_, rows - 1);
    shown_ = rows;
    endInsertRows();
  } else if (rows < shown_) {
    beginRemoveRows({}, rows, shown_ - 1);
    shown_ = rows;
    endRemoveRows();
  }
  if (shown_ > 0 && moved) {
    emit dataChanged(index(0, 0), index(shown_ - 1, std::max(columnCount() - 1, 0)));
    emit headerDataChanged(Qt::Vertical, 0, shown_ - 1);
  }
}

void GridWindowModel::sourceDataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                                        const QList<int>& roles) {
  const int first = std::max(topLeft.row() - top_, 0);
  const int last = std::min(bottomRight.row() - top_, shown_ - 1);
  if (first > last) return;
  emit dataChanged(index(first, topLeft.column()), index(last, bottomRight.column()), roles);
  emit headerDataChanged(Qt::Vertical, first, last);  // a pending record's "*"
}

void GridWindowModel::sourceHeaderChanged(Qt::Orientation orientation, int first, int last) {
  if (orientation == Qt::Horizontal) {
    emit headerDataChanged(orientation, first, last);
    return;
  }
  first = std::max(first - top_, 0);
  last = std::min(last - top_, shown_ - 1);
  if (first <= last) emit headerDataChanged(orientation, first, last);
}

int GridWindowModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : shown_;
}

int GridWindowModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : source_->columnCount();
}

QVariant GridWindowModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= shown_) return {};
  return source_->data(toSource(index), role);
}

bool GridWindowModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || index.row() >= shown_) return false;
  return source_->setData(toSource(index), value, role);
}

Qt::ItemFlags GridWindowModel::flags(const QModelIndex& index) const {
  if (!index.isValid() || index.row() >= shown_) return Qt::NoItemFlags;
  return source_->flags(toSource(index));
}

QVariant GridWindowModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation == Qt::Horizontal) return source_->headerData(section, orientation, role);
  return source_->headerData(sourceRow(section), orientation, role);
}

}  // namespace korvel::ui
