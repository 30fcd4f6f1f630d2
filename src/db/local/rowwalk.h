#pragma once
// A walk over the rows of a table file as a transaction sees them: the
// file's records (without those it deleted, with those it changed) and the
// rows it added, in key order for a keyed table (records and added rows
// merged by key) and in file order, then added rows, for a table without
// key. The walk keeps no iterator into the changes between steps, so the
// changes may grow while it walks.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "db/local/localfile.h"
#include "db/local/localoverlay.h"
#include "db/local/rowids.h"

namespace korvel::db::local {

class RowWalk {
 public:
  // `overlay` applies while *liveGeneration equals `generation` (the file
  // the changes refer to is the one walked).
  RowWalk(std::shared_ptr<LocalFile> file, int keyColumns, std::shared_ptr<const RowIds> ids, const LocalOverlay* overlay,
          const uint64_t* liveGeneration, uint64_t generation);

  // Limits: records [from, to) (to -1: to the end of the file); added rows
  // of a keyed table whose first key field lies within the bounds (key
  // bytes of that field), of a table without key with ids in [fromId, toId).
  void limitRecords(int64_t from, int64_t to) {
    from_ = from;
    to_ = to;
  }
  struct KeyBound {
    std::string bytes;
    bool inclusive = true;
  };
  void limitAddedKeys(std::optional<KeyBound> low, std::optional<KeyBound> high) {
    low_ = std::move(low);
    high_ = std::move(high);
  }
  void limitAddedIds(int64_t fromId, int64_t toId) {
    fromId_ = fromId;
    toId_ = toId;
  }

  void start();
  bool atEnd() const { return at_ == At::End; }
  void next();
  // Skips n rows; cheap when nothing is pending (the file is not read).
  void skip(int64_t n);

  bool onRecord() const { return at_ == At::Record; }
  int64_t record() const { return record_; }  // file record of the current row
  int64_t rowid() const { return at_ == At::Record ? ids_->idOf(record_) : addedId_; }
  const LocalRow& row();  // the current row (read on first use)

  const std::shared_ptr<LocalFile>& file() const { return file_; }

 private:
  enum class At { Record, Added, End };
  const LocalOverlay* overlay() const;
  void settle();
  const std::string& keyOfRecord(int64_t n);

  std::shared_ptr<LocalFile> file_;
  int keyColumns_;
  std::shared_ptr<const RowIds> ids_;
  const LocalOverlay* overlay_;
  const uint64_t* liveGeneration_;
  uint64_t generation_;

  int64_t from_ = 0, to_ = -1;
  std::optional<KeyBound> low_, high_;
  int64_t fromId_ = LocalOverlay::kFirstAddedRowid, toId_ = INT64_MAX;

  int64_t nextRecord_ = 0;
  bool addedStarted_ = false;
  std::string lastAddedKey_;
  int64_t lastAddedId_ = 0;

  At at_ = At::End;
  int64_t record_ = -1;
  int64_t addedId_ = 0;
  LocalRow row_;
  bool rowLoaded_ = false;
  std::string key_;
  int64_t keyRecord_ = -1;
};

// The order of `key` against `prefix` (the key bytes of leading fields):
// 0 when key begins with prefix.
int comparePrefix(const std::string& key, const std::string& prefix);

}  // namespace korvel::db::local
