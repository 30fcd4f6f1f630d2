#pragma once
// Connects one dataset at a time to the controls that show it, forwarding the
// dataset's state and data changes. Switching the dataset re-announces the
// state, as the controls must redraw for the new one.

#include <QObject>
#include <QPointer>

#include "db/dataset.h"

namespace korvel::ui {

class DataSource : public QObject {
  Q_OBJECT
 public:
  explicit DataSource(QObject* parent = nullptr) : QObject(parent) {}

  db::Dataset* dataSet() const { return dataSet_; }
  void setDataSet(db::Dataset* dataset);

 signals:
  void dataSetChanged();  // a different dataset (or none) is attached
  void stateChange();
  void dataChange();

 private:
  QPointer<db::Dataset> dataSet_;
  QMetaObject::Connection stateConnection_;
  QMetaObject::Connection dataConnection_;
};

}  // namespace korvel::ui
