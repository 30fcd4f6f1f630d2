#include "db/local/rowids.h"

#include <algorithm>

namespace korvel::db::local {

int64_t RowIds::idOf(int64_t record) const {
  if (identity_ || record >= records_) return identity_ ? record + 1 : -1;
  const auto it = std::upper_bound(byRecord_.begin(), byRecord_.end(), record,
                                   [](int64_t r, const Run& run) { return r < run.record; });
  const Run& run = *(it - 1);
  return run.id + (record - run.record);
}

int64_t RowIds::recordOf(int64_t id) const {
  if (identity_) return id >= 1 ? id - 1 : -1;
  const auto it = std::upper_bound(byId_.begin(), byId_.end(), id, [](int64_t i, const Run& run) { return i < run.id; });
  if (it == byId_.begin()) return -1;
  const Run& run = *(it - 1);
  return id < run.id + run.length ? run.record + (id - run.id) : -1;
}

int64_t RowIds::firstRecordFrom(int64_t id) const {
  if (identity_) return std::max<int64_t>(0, id - 1);
  for (const Run& run : byRecord_)  // ascending: the first run reaching id
    if (id < run.id + run.length) return run.record + std::max<int64_t>(0, id - run.id);
  return records_;
}

void RowIds::Builder::add(int64_t id) {
  if (!runs_.empty()) {
    Run& last = runs_.back();
    if (last.id + last.length == id) {
      ++last.length;
      ++records_;
      return;
    }
  }
  runs_.push_back({records_, id, 1});
  ++records_;
}

RowIds RowIds::Builder::finish() {
  RowIds ids;
  ids.records_ = records_;
  ids.identity_ = runs_.empty() || (runs_.size() == 1 && runs_[0].record == 0 && runs_[0].id == 1);
  if (ids.identity_) return ids;
  for (const Run& run : runs_) ids.byRecord_.push_back({run.record, run.id, run.length});
  ids.byId_ = ids.byRecord_;
  std::sort(ids.byId_.begin(), ids.byId_.end(), [](const RowIds::Run& a, const RowIds::Run& b) { return a.id < b.id; });
  for (size_t i = 1; i < ids.byRecord_.size() && ids.ascending_; ++i)
    ids.ascending_ = ids.byRecord_[i].id > ids.byRecord_[i - 1].id;
  return ids;
}

}  // namespace korvel::db::local
