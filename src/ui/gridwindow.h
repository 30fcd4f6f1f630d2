#pragma once
// The rows of a DatasetModel that the data grid has on screen: a window of
// a few dozen rows starting at top(). The view over it keeps header sections
// and layout for those rows only, so a grid over a hundred million rows
// costs what one over a hundred does; the grid's own scroll bar moves top().
// Window rows map to the source's rows by adding top(); the vertical header
// shows the source's row numbers.

#include <QAbstractTableModel>

namespace korvel::db { class DatasetModel; }

namespace korvel::ui {

class GridWindowModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  explicit GridWindowModel(db::DatasetModel* source, QObject* parent = nullptr);

  db::DatasetModel* source() const { return source_; }
  int top() const { return top_; }
  int size() const { return size_; }  // rows the window holds when the source has them
  // Moves the window to start at `top` and hold `rows` rows (the screen's
  // rows, the last perhaps cut off; `fullRows` of them whole). The top is
  // kept where the screen's whole rows still show rows of the source; the
  // view repaints the rows that now show.
  void setWindow(int top, int rows, int fullRows);

  // The source row of a window row, and the window row of a source row
  // (-1 when it lies outside the window).
  int sourceRow(int windowRow) const { return top_ + windowRow; }
  int windowRow(int sourceRow) const;
  QModelIndex fromSource(const QModelIndex& index) const;  // invalid outside the window
  QModelIndex toSource(const QModelIndex& index) const;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  int fittingTop(int top) const;
  int rowsAt(int top) const;
  void followRowCount();
  void sourceDataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                         const QList<int>& roles);
  void sourceHeaderChanged(Qt::Orientation orientation, int first, int last);

  db::DatasetModel* source_;
  int top_ = 0;
  int size_ = 0;
  int fullRows_ = 1;
  int shown_ = 0;  // rows reported to the view
  bool resetting_ = false;
};

}  // namespace korvel::ui
