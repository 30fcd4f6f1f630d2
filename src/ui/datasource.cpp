#include "ui/datasource.h"

namespace korvel::ui {

void DataSource::setDataSet(db::Dataset* dataset) {
  if (dataSet_ == dataset) return;
  disconnect(stateConnection_);
  disconnect(dataConnection_);
  dataSet_ = dataset;
  if (dataset) {
    stateConnection_ = connect(dataset, &db::Dataset::stateChanged, this,
                               &DataSource::stateChange);
    dataConnection_ = connect(dataset, &db::Dataset::dataChanged, this,
                              &DataSource::dataChange);
  }
  emit dataSetChanged();
  emit stateChange();
}

}  // namespace korvel::ui
