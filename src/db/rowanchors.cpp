#include "db/rowanchors.h"

#include <algorithm>

namespace korvel::db {

void RowAnchors::clear() {
  width_ = -1;
  rowsBefore_.clear();
  bounds_.clear();
  keepEvery_ = 1;
  appended_ = 0;
}

void RowAnchors::append(const RowAnchor& anchor) {
  ++appended_;
  if (appended_ % keepEvery_ != 0) return;
  if (width_ < 0) width_ = static_cast<int>(anchor.bound.size());
  if (anchor.bound.size() != width_) return;  // not from the same walk: ignored
  rowsBefore_.push_back(anchor.rowsBefore);
  bounds_.insert(bounds_.end(), anchor.bound.begin(), anchor.bound.end());
  if (rowsBefore_.size() >= kMaxAnchors) thin();
}

// Keeps the anchors whose walk number is a multiple of the doubled interval:
// with every anchor kept so far being a multiple of keepEvery_, those are the
// second, fourth ... of them.
void RowAnchors::thin() {
  std::vector<int> rows;
  std::vector<QVariant> bounds;
  rows.reserve(rowsBefore_.size() / 2 + 1);
  bounds.reserve(bounds_.size() / 2 + 1);
  for (size_t i = 1; i < rowsBefore_.size(); i += 2) {
    rows.push_back(rowsBefore_[i]);
    const auto first = bounds_.begin() + static_cast<std::ptrdiff_t>(i * static_cast<size_t>(width_));
    bounds.insert(bounds.end(), first, first + width_);
  }
  rowsBefore_.swap(rows);
  bounds_.swap(bounds);
  keepEvery_ *= 2;
}

RowAnchor RowAnchors::at(size_t index) const {
  RowAnchor anchor;
  anchor.rowsBefore = rowsBefore_[index];
  const auto first = bounds_.begin() + static_cast<std::ptrdiff_t>(index * static_cast<size_t>(width_));
  anchor.bound = QVector<QVariant>(first, first + width_);
  return anchor;
}

std::optional<RowAnchor> RowAnchors::atOrBefore(int row) const {
  const auto it = std::upper_bound(rowsBefore_.begin(), rowsBefore_.end(), row);
  if (it == rowsBefore_.begin()) return std::nullopt;
  return at(static_cast<size_t>(it - rowsBefore_.begin()) - 1);
}

std::optional<RowAnchor> RowAnchors::atOrAfter(int row) const {
  const auto it = std::lower_bound(rowsBefore_.begin(), rowsBefore_.end(), row);
  if (it == rowsBefore_.end()) return std::nullopt;
  return at(static_cast<size_t>(it - rowsBefore_.begin()));
}

// An anchor counts the rows before its bound: a row inserted at `row` sorts
// before the bound exactly when the anchor counted more than `row` rows, and
// so does a removed one.
void RowAnchors::shift(int row, int delta) {
  for (int& before : rowsBefore_)
    if (before > row) before += delta;
}

}  // namespace korvel::db
