#include "db/local/localoverlay.h"

namespace korvel::db::local {

const LocalRow* LocalOverlay::changed(int64_t record) const {
  const auto it = changed_.find(record);
  return it == changed_.end() ? nullptr : &it->second;
}

void LocalOverlay::change(int64_t record, LocalRow row) {
  const auto it = changed_.find(record);
  log_.push_back({Step::Change, record, it == changed_.end() ? std::nullopt : std::optional<LocalRow>(it->second), {}});
  changed_[record] = std::move(row);
}

void LocalOverlay::remove(int64_t record) {
  const auto it = changed_.find(record);
  log_.push_back({Step::Remove, record, it == changed_.end() ? std::nullopt : std::optional<LocalRow>(it->second), {}});
  if (it != changed_.end()) changed_.erase(it);
  deleted_.insert(record);
}

const LocalOverlay::Added* LocalOverlay::added(int64_t rowid) const {
  const auto it = added_.find(rowid);
  return it == added_.end() ? nullptr : &it->second;
}

void LocalOverlay::putAdded(int64_t rowid, LocalRow row, std::string key) {
  if (!key.empty()) byKey_[key] = rowid;
  added_[rowid] = {std::move(row), std::move(key)};
}

void LocalOverlay::dropAdded(int64_t rowid) {
  const auto it = added_.find(rowid);
  if (it == added_.end()) return;
  if (!it->second.key.empty()) byKey_.erase(it->second.key);
  added_.erase(it);
}

int64_t LocalOverlay::add(LocalRow row, std::string key) {
  const int64_t rowid = nextRowid_++;
  log_.push_back({Step::Add, rowid, std::nullopt, {}});
  putAdded(rowid, std::move(row), std::move(key));
  return rowid;
}

void LocalOverlay::changeAdded(int64_t rowid, LocalRow row, std::string key) {
  const auto it = added_.find(rowid);
  if (it == added_.end()) return;
  log_.push_back({Step::ChangeAdded, rowid, it->second.row, it->second.key});
  dropAdded(rowid);
  putAdded(rowid, std::move(row), std::move(key));
}

void LocalOverlay::removeAdded(int64_t rowid) {
  const auto it = added_.find(rowid);
  if (it == added_.end()) return;
  log_.push_back({Step::RemoveAdded, rowid, it->second.row, it->second.key});
  dropAdded(rowid);
}

void LocalOverlay::undoTo(size_t mark) {
  while (log_.size() > mark) {
    Undo& undo = log_.back();
    switch (undo.step) {
      case Step::Change:
      case Step::Remove:
        if (undo.step == Step::Remove) deleted_.erase(undo.id);
        if (undo.row) changed_[undo.id] = std::move(*undo.row);
        else changed_.erase(undo.id);
        break;
      case Step::Add:
        dropAdded(undo.id);
        break;
      case Step::ChangeAdded:
        dropAdded(undo.id);
        putAdded(undo.id, std::move(*undo.row), std::move(undo.key));
        break;
      case Step::RemoveAdded:
        putAdded(undo.id, std::move(*undo.row), std::move(undo.key));
        break;
    }
    log_.pop_back();
  }
}

void LocalOverlay::clear() {
  changed_.clear();
  deleted_.clear();
  added_.clear();
  byKey_.clear();
  log_.clear();
}

}  // namespace korvel::db::local
