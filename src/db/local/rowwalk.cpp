#include "db/local/rowwalk.h"

#include <cstring>

namespace korvel::db::local {

int comparePrefix(const std::string& key, const std::string& prefix) {
  const int order = std::memcmp(key.data(), prefix.data(), std::min(key.size(), prefix.size()));
  if (order != 0) return order;
  return key.size() >= prefix.size() ? 0 : -1;
}

RowWalk::RowWalk(std::shared_ptr<LocalFile> file, int keyColumns, std::shared_ptr<const RowIds> ids,
                 const LocalOverlay* overlay, const uint64_t* liveGeneration, uint64_t generation)
    : file_(std::move(file)), keyColumns_(keyColumns), ids_(std::move(ids)), overlay_(overlay), liveGeneration_(liveGeneration),
      generation_(generation) {}

const LocalOverlay* RowWalk::overlay() const {
  return overlay_ && liveGeneration_ && *liveGeneration_ == generation_ ? overlay_ : nullptr;
}

void RowWalk::start() {
  nextRecord_ = from_;
  addedStarted_ = false;
  settle();
}

const std::string& RowWalk::keyOfRecord(int64_t n) {
  if (keyRecord_ != n) {
    key_ = file_->keyOf(n);
    keyRecord_ = n;
  }
  return key_;
}

void RowWalk::settle() {
  rowLoaded_ = false;
  const LocalOverlay* changes = overlay();
  // The next record of the file that is still there.
  bool haveRecord = false;
  while (to_ < 0 || nextRecord_ < to_) {
    if (changes && changes->deleted(nextRecord_)) {
      ++nextRecord_;
      continue;
    }
    haveRecord = file_->exists(nextRecord_);
    break;
  }
  // The next added row.
  const LocalOverlay::Added* added = nullptr;
  int64_t addedId = 0;
  if (changes && changes->hasAdded()) {
    if (keyColumns_ > 0) {
      const auto& byKey = changes->addedByKey();
      auto it = addedStarted_ ? byKey.upper_bound(lastAddedKey_)
                              : (low_ ? byKey.lower_bound(low_->bytes) : byKey.begin());
      if (!addedStarted_ && low_ && !low_->inclusive)
        while (it != byKey.end() && comparePrefix(it->first, low_->bytes) == 0) ++it;
      if (it != byKey.end() && high_) {
        const int order = comparePrefix(it->first, high_->bytes);
        if (order > 0 || (order == 0 && !high_->inclusive)) it = byKey.end();
      }
      if (it != byKey.end()) {
        addedId = it->second;
        added = changes->added(addedId);
      }
    } else {
      const auto& byId = changes->addedById();
      auto it = byId.lower_bound(addedStarted_ ? lastAddedId_ + 1 : fromId_);
      if (it != byId.end() && it->first < toId_) {
        addedId = it->first;
        added = &it->second;
      }
    }
  }
  bool takeRecord = haveRecord;
  if (haveRecord && added && keyColumns_ > 0) takeRecord = keyOfRecord(nextRecord_) < added->key;
  if (takeRecord) {
    at_ = At::Record;
    record_ = nextRecord_;
  } else if (added) {
    at_ = At::Added;
    addedId_ = addedId;
  } else {
    at_ = At::End;
  }
}

void RowWalk::next() {
  switch (at_) {
    case At::Record:
      ++nextRecord_;
      break;
    case At::Added: {
      addedStarted_ = true;
      lastAddedId_ = addedId_;
      const LocalOverlay* changes = overlay();
      const LocalOverlay::Added* added = changes ? changes->added(addedId_) : nullptr;
      if (added) lastAddedKey_ = added->key;
      break;
    }
    case At::End:
      return;
  }
  settle();
}

void RowWalk::skip(int64_t n) {
  const LocalOverlay* changes = overlay();
  if (n > 0 && at_ == At::Record && (!changes || changes->empty())) {
    nextRecord_ = to_ < 0 ? nextRecord_ + n : std::min(to_, nextRecord_ + n);
    settle();
    return;
  }
  for (int64_t i = 0; i < n && at_ != At::End; ++i) next();
}

const LocalRow& RowWalk::row() {
  if (rowLoaded_) return row_;
  const LocalOverlay* changes = overlay();
  if (at_ == At::Record) {
    if (const LocalRow* changed = changes ? changes->changed(record_) : nullptr) row_ = *changed;
    else if (!file_->readRow(record_, row_))
      throwFileError(file_->path(), QStringLiteral("record %1").arg(record_ + 1), QStringLiteral("the record is no longer there"));
  } else if (at_ == At::Added) {
    const LocalOverlay::Added* added = changes ? changes->added(addedId_) : nullptr;
    if (!added) throw EngineError(QStringLiteral("The added row is no longer there"));
    row_ = added->row;
  } else {
    throw EngineError(QStringLiteral("No current row"));
  }
  rowLoaded_ = true;
  return row_;
}

}  // namespace korvel::db::local
