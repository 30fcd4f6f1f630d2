#pragma once
// Records of a Paradox .DB file rewritten where they stand, for edits that
// change no key and need no memo file: one edited row of a large table costs
// a few bytes, not a copy of the table.
//
// Before a byte of the table changes, the bytes about to be overwritten go
// to a journal beside it (".NAME.DB.korvel-journal") and reach the disk; the
// journal is removed once the new bytes have reached the disk. A journal
// found when the table is opened (left by a crash part way) is played back
// first, so the table is always either wholly old or wholly new.

#include <QString>
#include <cstdint>
#include <string>
#include <vector>

#include "db/local/localtable.h"

struct px_doc;

namespace korvel::db::local {

class ParadoxReader;

class ParadoxPatch {
 public:
  explicit ParadoxPatch(ParadoxReader& reader);
  ~ParadoxPatch();  // puts the old bytes back unless committed
  ParadoxPatch(const ParadoxPatch&) = delete;
  ParadoxPatch& operator=(const ParadoxPatch&) = delete;

  // Record n becomes `row`: the fields whose value differs from the stored
  // one are encoded anew, the others keep their bytes. False when that
  // cannot be done in place (a memo longer than the part kept in the
  // record). EngineError when a value cannot be stored.
  bool add(int64_t n, const LocalRow& row);
  bool empty() const { return changes_.empty(); }
  // Writes the journal, then the new bytes, each to the disk. EngineError
  // when that fails; the table is then as it was.
  void apply();
  void commit();    // removes the journal: the change is final
  void rollback();  // after apply(): puts the old bytes back

  // Plays back a journal left beside `tablePath` by a crash. EngineError
  // when the journal cannot be played back.
  static void recover(const QString& tablePath);
  static QString journalPath(const QString& tablePath);

 private:
  struct Change {
    int64_t offset;
    std::string before, after;
  };
  [[noreturn]] void fail(const QString& message) const;
  void restore();

  ParadoxReader& reader_;
  px_doc* doc_ = nullptr;
  std::vector<Change> changes_;
  int tableFd_ = -1;
  int journalFd_ = -1;
  bool applied_ = false;
};

}  // namespace korvel::db::local
