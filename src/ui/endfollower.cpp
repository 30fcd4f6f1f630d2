#include "ui/endfollower.h"

#include <algorithm>

#include "db/dataset.h"
#include "db/engineerror.h"
#include "prompt/prompt.h"

namespace korvel::ui {

void EndFollower::goToLast(db::Dataset* dataset, int readRows) {
  stop();
  if (!dataset || !dataset->active()) return;
  // Rows counted or read so far can be shown at once; the cursor may already
  // be past them, and then stays where it is until the count passes it.
  const int reached = std::max({dataset->countedRows(), readRows, dataset->recNo() + 1});
  if (!dataset->countingRows() || reached <= 0) {
    dataset->last();
    return;
  }
  move(dataset, reached - 1);
  dataset_ = dataset;
  following_ = true;
  counted_ = connect(dataset, &db::Dataset::rowsCounted, this, &EndFollower::countGrew);
  // The cursor moved or the record changed by anything else (a key, a
  // click, an edit), or rows inserted, deleted or read afresh: the user has
  // gone elsewhere, and the cursor stays where it is.
  moved_ = connect(dataset, &db::Dataset::dataChanged, this, [this] {
    if (!moving_) stop();
  });
  reset_ = connect(dataset, &db::Dataset::layoutReset, this, &EndFollower::stop);
}

void EndFollower::stop() {
  disconnect(counted_);
  disconnect(moved_);
  disconnect(reset_);
  dataset_.clear();
  following_ = false;
}

void EndFollower::move(db::Dataset* dataset, int row) {
  const bool was = moving_;
  moving_ = true;
  try {
    row < 0 ? dataset->last() : dataset->moveTo(row);
  } catch (...) {
    moving_ = was;
    throw;
  }
  moving_ = was;
}

void EndFollower::countGrew(int rows, bool final) {
  db::Dataset* dataset = dataset_;
  if (!dataset || !dataset->active() || dataset->state() != db::DatasetState::Browse) {
    stop();
    return;
  }
  try {
    if (final) {
      stop();
      move(dataset, -1);  // the count is known now: last() does not wait
      return;
    }
    if (rows - 1 > dataset->recNo()) move(dataset, rows - 1);
    if (!dataset->countingRows()) stop();  // the count ended without the whole result
  } catch (const db::EngineError& e) {
    stop();
    showError(e.lastMessage());
  }
}

}  // namespace korvel::ui
