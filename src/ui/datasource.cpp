#include "ui/datasource.h"

namespace korvel::ui {

void DataSource::setDataSet(db::Dataset* dataset) {
  if (dataSet_ == dataset) return;
  dataSet_ = dataset;
  attach();
}

void DataSource::disableControls() {
  if (disabled_++ == 0) attach();
}

void DataSource::enableControls() {
  if (disabled_ > 0 && --disabled_ == 0) attach();
}

void DataSource::attach() {
  disconnect(stateConnection_);
  disconnect(dataConnection_);
  db::Dataset* shown = shownDataSet();
  if (shown) {
    stateConnection_ = connect(shown, &db::Dataset::stateChanged, this, &DataSource::stateChange);
    dataConnection_ = connect(shown, &db::Dataset::dataChanged, this, &DataSource::dataChange);
  }
  emit dataSetChanged();
  emit stateChange();
}

}  // namespace korvel::ui
