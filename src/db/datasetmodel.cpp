#include "db/datasetmodel.h"

#include <algorithm>

#include "db/dataset.h"
#include "prompt/prompt.h"

namespace korvel::db {

DatasetModel::DatasetModel(QObject* parent) : QAbstractTableModel(parent) {}

template <typename Operation>
bool DatasetModel::guarded(Operation&& operation) {
  try {
    operation();
    return true;
  } catch (const EngineError& e) {
    showError(e.lastMessage());
    return false;
  }
}

void DatasetModel::setDataset(Dataset* dataset) {
  for (const auto& c : datasetConnections_) disconnect(c);
  datasetConnections_.clear();
  beginResetModel();  // the rows of the old dataset go first
  dataset_ = dataset;
  rowCount_ = 0;
  endResetModel();
  if (dataset) {
    datasetConnections_ << connect(dataset, &Dataset::layoutReset, this, &DatasetModel::resetFromDataset)
                        << connect(dataset, &Dataset::dataChanged, this, &DatasetModel::datasetChanged)
                        << connect(dataset, &Dataset::stateChanged, this, &DatasetModel::datasetChanged)
                        << connect(dataset, &Dataset::rowsCounted, this, &DatasetModel::countReached)
                        << connect(dataset, &QObject::destroyed, this, [this] { resetFromDataset(); });
  }
  resetFromDataset();
}

void DatasetModel::setSelectionModel(QItemSelectionModel* selection) {
  if (selection_) disconnect(selection_, nullptr, this, nullptr);
  selection_ = selection;
  if (selection)
    connect(selection, &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { viewRowChanged(current); });
  syncViewRow();
}

// The rows of a result whose size is known, or cheap to count, are all
// announced at once: the scroll range is the result's size from the first
// screen on and Ctrl+End reaches the last row. Others are shown as far as
// they have been wanted: a first screenful, more when the view scrolls to
// the end (fetchMore), and up to the cursor when the dataset moves beyond
// them. The whole of a large result is never counted just to show it.
int DatasetModel::rowsToShow() {
  if (!dataset_ || !dataset_->active()) return 0;
  try {
    const int counted = dataset_->countUpTo(countLimit_);
    if (counted >= 0) return counted;
    const int wanted = std::max({rowCount_, kFirstRows, dataset_->recNo() + 1});
    return dataset_->availableRows(wanted);
  } catch (const EngineError&) {
    return std::max(dataset_->recNo() + 1, 0);  // the rows cannot be read now
  }
}

void DatasetModel::resetFromDataset() {
  const int rows = rowsToShow();
  beginResetModel();
  rowCount_ = rows;
  shownRow_ = dataset_ ? dataset_->recNo() : -1;
  endResetModel();
  syncViewRow();
  announceCursor(true);
}

void DatasetModel::growTo(int rows) {
  if (!dataset_ || !dataset_->active() || rows <= rowCount_) return;
  int available = rowCount_;
  try {
    available = dataset_->availableRows(rows);
  } catch (const EngineError&) {
    return;  // shown as far as it could be read; the next operation reports the error
  }
  if (available <= rowCount_) return;
  beginInsertRows({}, rowCount_, available - 1);
  rowCount_ = available;
  endInsertRows();
}

// The count beside the window reached `rows`: every row it has counted can
// be read at once, so the scroll range grows with it, and at its end it is
// the result's size.
void DatasetModel::countReached(int rows, bool final) {
  if (!dataset_ || !dataset_->active()) return;
  if (final && rows < rowCount_) {
    resetFromDataset();  // fewer rows than shown: others deleted some
    return;
  }
  if (rows <= rowCount_) return;
  beginInsertRows({}, rowCount_, rows - 1);
  rowCount_ = rows;
  endInsertRows();
}

// The cursor moved or the current record's values changed.
void DatasetModel::datasetChanged() {
  if (!dataset_ || !dataset_->active()) return;
  growTo(dataset_->recNo() + 1);
  const int last = columnCount() - 1;
  if (shownRow_ >= 0 && shownRow_ < rowCount_ && last >= 0)
    emit dataChanged(index(shownRow_, 0), index(shownRow_, last));
  shownRow_ = dataset_->recNo();
  if (shownRow_ >= 0 && last >= 0) emit dataChanged(index(shownRow_, 0), index(shownRow_, last));
  syncViewRow();
  announceCursor(false);
}

void DatasetModel::announceCursor(bool always) {
  const int row = dataset_ && dataset_->active() ? dataset_->recNo() : -1;
  if (!always && row == announcedRow_) return;
  announcedRow_ = row;
  emit cursorRowChanged(row);
}

int DatasetModel::moveCursorTo(int row) {
  if (!dataset_ || !dataset_->active()) return -1;
  if (row != dataset_->recNo()) guarded([&] { dataset_->moveTo(row); });
  announceCursor(false);
  return dataset_ ? dataset_->recNo() : -1;
}

void DatasetModel::syncViewRow() {
  if (!selection_ || !dataset_ || !dataset_->active() || syncing_) return;
  const int row = dataset_->recNo();
  if (row < 0 || selection_->currentIndex().row() == row) return;
  syncing_ = true;
  const int column = std::max(selection_->currentIndex().column(), 0);
  selection_->setCurrentIndex(index(row, column),
                              QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  syncing_ = false;
}

// The user moved to another row: the dataset follows, posting a pending edit
// first. When that fails the view goes back to the dataset's row.
void DatasetModel::viewRowChanged(const QModelIndex& current) {
  if (syncing_ || !dataset_ || !dataset_->active() || !current.isValid()) return;
  if (current.row() == dataset_->recNo()) return;
  syncing_ = true;
  guarded([&] { dataset_->moveTo(current.row()); });
  syncing_ = false;
  syncViewRow();
}

int DatasetModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : rowCount_;
}

int DatasetModel::columnCount(const QModelIndex& parent) const {
  if (parent.isValid() || !dataset_ || !dataset_->active()) return 0;
  return dataset_->fieldCount();
}

QVariant DatasetModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || !dataset_ || !dataset_->active() || index.row() >= rowCount_) return {};
  switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
      // A read failure shows an empty cell: a message box per painted cell
      // would be no help, and the next operation reports the error. An
      // editor starts from the edit text, which reads back as the value.
      try {
        return role == Qt::EditRole ? dataset_->rowEditText(index.row(), index.column())
                                    : dataset_->rowText(index.row(), index.column());
      } catch (const EngineError&) {
        return {};
      }
    case Qt::TextAlignmentRole: {
      const FieldKind kind = dataset_->field(index.column()).kind();
      const bool number = kind == FieldKind::Smallint || kind == FieldKind::Integer ||
                          kind == FieldKind::Float || kind == FieldKind::Currency ||
                          kind == FieldKind::Decimal;
      return QVariant::fromValue(Qt::AlignVCenter | (number ? Qt::AlignRight : Qt::AlignLeft));
    }
    default: return {};
  }
}

bool DatasetModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::EditRole || !index.isValid() || !dataset_ || !dataset_->active()) return false;
  const bool ok = guarded([&] {
    if (index.row() != dataset_->recNo()) dataset_->moveTo(index.row());
    if (dataset_->state() == DatasetState::Browse) dataset_->edit();
    dataset_->field(index.column()).setEditText(value.toString());
  });
  if (ok) emit dataChanged(index, index);
  return ok;
}

Qt::ItemFlags DatasetModel::flags(const QModelIndex& index) const {
  Qt::ItemFlags flags = QAbstractTableModel::flags(index);
  if (index.isValid() && dataset_ && dataset_->active() && dataset_->canModify() &&
      !dataset_->field(index.column()).readOnly())
    flags |= Qt::ItemIsEditable;
  return flags;
}

QVariant DatasetModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole || !dataset_ || !dataset_->active()) return {};
  if (orientation == Qt::Horizontal)
    return section < dataset_->fieldCount() ? dataset_->field(section).displayName() : QVariant();
  return dataset_->isPendingRow(section) ? QStringLiteral("*") : QString::number(section + 1);
}

// While the rows are counted beside the window, the count brings the rows
// that can be read at once; fetching past it would read up to the row
// wanted from the last one counted, blocking the window on a large table.
bool DatasetModel::canFetchMore(const QModelIndex& parent) const {
  if (parent.isValid() || !dataset_ || !dataset_->active() || dataset_->countingRows()) return false;
  const int known = dataset_->knownRowCount();
  return known < 0 || known > rowCount_;
}

// Each fetch doubles the rows shown (at least kFetchRows more), so reaching
// the end of a large result by scrolling takes few steps.
void DatasetModel::fetchMore(const QModelIndex& parent) {
  if (!parent.isValid()) growTo(rowCount_ + std::max(kFetchRows, rowCount_));
}

}  // namespace korvel::db
