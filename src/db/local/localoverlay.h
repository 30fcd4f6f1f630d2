#pragma once
// The changes a transaction made to one table file and has not written yet:
// rows of the file changed or deleted, and rows added. Statements read the
// file through them; the commit writes them at once. Every change is logged
// so that a savepoint (or a failed statement) can be undone.
//
// Records are named by their place in the file; added rows by row ids from
// kFirstAddedRowid on (never used twice while the table is open), which
// sort after the id of every record.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "db/local/localtable.h"

namespace korvel::db::local {

class LocalOverlay {
 public:
  static constexpr int64_t kFirstAddedRowid = int64_t(1) << 40;

  bool empty() const { return changed_.empty() && deleted_.empty() && added_.empty(); }
  bool hasAdded() const { return !added_.empty(); }
  bool hasDeleted() const { return !deleted_.empty(); }

  // Records of the file.
  const LocalRow* changed(int64_t record) const;
  bool deleted(int64_t record) const { return deleted_.count(record) != 0; }
  const std::unordered_map<int64_t, LocalRow>& changedRecords() const { return changed_; }
  void change(int64_t record, LocalRow row);
  void remove(int64_t record);

  // Added rows: by row id, and (in a keyed table) by key bytes.
  struct Added {
    LocalRow row;
    std::string key;
  };
  const Added* added(int64_t rowid) const;
  const std::map<int64_t, Added>& addedById() const { return added_; }
  const std::map<std::string, int64_t>& addedByKey() const { return byKey_; }
  int64_t add(LocalRow row, std::string key);
  void changeAdded(int64_t rowid, LocalRow row, std::string key);
  void removeAdded(int64_t rowid);

  // Undo: a mark is a point in the log to return to.
  size_t mark() const { return log_.size(); }
  void undoTo(size_t mark);
  void clear();  // the ids of added rows go on counting

 private:
  enum class Step { Change, Remove, Add, ChangeAdded, RemoveAdded };
  struct Undo {
    Step step;
    int64_t id;
    std::optional<LocalRow> row;  // what a changed record or added row held before
    std::string key;
  };
  void putAdded(int64_t rowid, LocalRow row, std::string key);
  void dropAdded(int64_t rowid);

  std::unordered_map<int64_t, LocalRow> changed_;
  std::unordered_set<int64_t> deleted_;
  std::map<int64_t, Added> added_;
  std::map<std::string, int64_t> byKey_;  // keyed tables only (an empty key is not indexed)
  int64_t nextRowid_ = kFirstAddedRowid;
  std::vector<Undo> log_;
};

}  // namespace korvel::db::local
