#pragma once
// The data grid: a table view over the dataset of a DataSource. Rows are
// selectable several at a time; column widths follow the fields' display
// widths (in characters).

#include <QTableView>

namespace korvel::db { class DatasetModel; class Dataset; }

namespace korvel::ui {

class DataSource;

class DBGrid : public QTableView {
  Q_OBJECT
 public:
  explicit DBGrid(QWidget* parent = nullptr);

  void setDataSource(DataSource* source);
  DataSource* dataSource() const { return source_; }
  db::DatasetModel* datasetModel() const { return model_; }

  // Re-reads the fields' display widths into the column widths.
  void applyDisplayWidths();

 protected:
  // Ctrl+Delete deletes the current record after asking; Insert inserts a
  // record; Escape cancels a pending edit or insert.
  void keyPressEvent(QKeyEvent* event) override;
  // Scrolls to the new current row, with the scroll range brought up to
  // date first when rows were reset or added since the last layout.
  void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

 private:
  void attachDataset();

  DataSource* source_ = nullptr;
  bool rowsChanged_ = false;  // the row count changed since the last layout
  db::DatasetModel* model_;
};

}  // namespace korvel::ui
