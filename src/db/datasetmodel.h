#pragma once
// Shows a dataset in a QTableView: one column per field, rows fetched on
// demand, edits written through the dataset (edit/setEditText; post when the
// current row changes or on request), and the view's current row kept in step
// with the dataset's cursor in both directions.

#include <QAbstractTableModel>
#include <QPointer>

namespace korvel::db {

class Dataset;

class DatasetModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  explicit DatasetModel(QObject* parent = nullptr);

  void setDataset(Dataset* dataset);  // nullptr shows nothing
  Dataset* dataset() const { return dataset_; }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role) const override;
  bool canFetchMore(const QModelIndex& parent) const override;
  void fetchMore(const QModelIndex& parent) override;

 private:
  QPointer<Dataset> dataset_;
};

}  // namespace korvel::db
