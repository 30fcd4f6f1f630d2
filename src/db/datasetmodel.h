#pragma once
// Shows a dataset in a QTableView: one column per field, rows fetched on
// demand, edits written through the dataset (edit/setEditText; post when the
// current row changes or on request), and the view's current row kept in step
// with the dataset's cursor in both directions.

#include <QAbstractTableModel>
#include <QItemSelectionModel>
#include <QPointer>

namespace korvel::db {

class Dataset;

class DatasetModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  explicit DatasetModel(QObject* parent = nullptr);

  void setDataset(Dataset* dataset);  // nullptr shows nothing
  Dataset* dataset() const { return dataset_; }

  // The view's selection model whose current row follows the dataset's
  // cursor and moves it (QAbstractItemView::selectionModel() after setModel).
  void setSelectionModel(QItemSelectionModel* selection);

  // The row a view chose: the dataset moves there, posting a pending edit
  // first; a failure is shown and the cursor stays. Gives the cursor's row.
  int moveCursorTo(int row);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;
  // Results of at most `rows` rows are counted, and shown whole, when they
  // open (50,000 unless set); larger ones are shown as far as they are read.
  void setCountLimit(int rows) { countLimit_ = rows; }

  bool canFetchMore(const QModelIndex& parent) const override;
  void fetchMore(const QModelIndex& parent) override;

 signals:
  // The dataset's cursor is at `row` now (-1: no record): it moved, or the
  // rows were read afresh. For views that follow the cursor themselves.
  void cursorRowChanged(int row);

 private:
  static constexpr int kFirstRows = 200;    // rows shown before any scrolling
  static constexpr int kFetchRows = 1000;   // rows added per fetchMore()
  // Results up to countLimit_ rows are counted when opened, so the scroll
  // range is right from the first screen; larger ones grow as they are read.
  static constexpr int kCheapCount = 50000;
  int countLimit_ = kCheapCount;
  int rowsToShow();
  void resetFromDataset();
  void growTo(int rows);
  void countReached(int rows, bool final);
  void datasetChanged();
  void viewRowChanged(const QModelIndex& current);
  void syncViewRow();
  void announceCursor(bool always);
  // Runs a dataset operation for the view; an EngineError is reported through
  // the prompt (the view cannot take exceptions) and gives false.
  template <typename Operation>
  static bool guarded(Operation&& operation);

  QPointer<Dataset> dataset_;
  QPointer<QItemSelectionModel> selection_;
  QList<QMetaObject::Connection> datasetConnections_;
  int shownRow_ = -1;   // the dataset row the model last reported as current
  int announcedRow_ = -1;  // the row last given by cursorRowChanged()
  int rowCount_ = 0;    // rows as last reported to the view
  bool syncing_ = false;
};

}  // namespace korvel::db
