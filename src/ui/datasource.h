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

  // While disabled, the controls are detached from the dataset: long runs of
  // edits (test data) do not redraw the grid for every record. Calls nest.
  void disableControls();
  void enableControls();
  bool controlsDisabled() const { return disabled_ > 0; }
  // The dataset the controls show: none while disabled.
  db::Dataset* shownDataSet() const { return disabled_ > 0 ? nullptr : dataSet_.data(); }

 signals:
  void dataSetChanged();  // a different dataset (or none) is shown
  void stateChange();
  void dataChange();

 private:
  void attach();

  QPointer<db::Dataset> dataSet_;
  int disabled_ = 0;
  QMetaObject::Connection stateConnection_;
  QMetaObject::Connection dataConnection_;
};

}  // namespace korvel::ui
