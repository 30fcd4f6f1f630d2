// Bookmarks: going back to a record by its locator after edits may have
// moved it, and reading the rows afresh.

#include "db/datasetimpl.h"

namespace korvel::db {
namespace {

void requireBrowsing(const Dataset& ds, const char* what) {
  if (!ds.active()) throw EngineError(QStringLiteral("Cannot perform this operation on a closed dataset"));
  if (ds.state() != DatasetState::Browse)
    throw EngineError(QStringLiteral("%1 needs the dataset in Browse state").arg(QLatin1String(what)));
}

}  // namespace

Dataset::Bookmark Dataset::bookmark() {
  if (!canModify()) throw EngineError(QStringLiteral("The records of a read-only dataset cannot be located"));
  const Row* row = impl_->dataRow(impl_->cur);
  if (!row) throw EngineError(QStringLiteral("Cannot perform this operation on an empty dataset"));
  return {impl_->locatorOf(*row), impl_->cur};
}

// The row the record was at is tried first: an edit that changes no order
// column leaves it there. Else a dataset ordered by its key counts the keys
// before it, and any other is searched from the top.
bool Dataset::gotoBookmark(const Bookmark& mark) {
  requireBrowsing(*this, "Going to a bookmark");
  Impl& impl = *impl_;
  auto holds = [&](int row) {
    const Row* r = impl.dataRow(row);
    return r && impl.locatorOf(*r) == mark.locator;
  };
  int found = -1;
  if (holds(mark.row)) {
    found = mark.row;
  } else if (impl.source.orderIsKey && mark.locator.size() == impl.source.order.size()) {
    const int row = impl.positionOf(mark.locator, static_cast<int>(mark.locator.size()));
    if (holds(row)) found = row;
  } else {
    for (int row = 0; impl.dataRow(row); ++row)
      if (holds(row)) {
        found = row;
        break;
      }
  }
  if (found < 0) return false;
  impl.cur = found;
  impl.bof = impl.eof = false;
  emit dataChanged();
  return true;
}

void Dataset::refresh() {
  requireBrowsing(*this, "Refresh");
  impl_->invalidateRows();
  impl_->endAppendRun();
  impl_->startCount();
  // The cursor stays on its row number when that row is still there.
  int row = std::max(impl_->cur, 0);
  if (!impl_->dataRow(row)) {
    const int count = impl_->dataCount();
    row = count == 0 ? -1 : std::min(row, count - 1);
  }
  impl_->cur = row;
  impl_->bof = impl_->cur <= 0;
  impl_->eof = impl_->cur < 0;
  emit layoutReset();
  emit dataChanged();
}

}  // namespace korvel::db
