#pragma once
// Row ids of a table file's records that stay the same when this program
// rewrites the table: a row keeps the id SQL saw for it (and a dataset
// holds to locate it), whether it was added, or moved up because rows
// before it were deleted. Until the first rewrite record n has id n + 1;
// afterwards the ids are kept as runs of consecutive ids, so the memory
// taken grows with the changes written, not with the table.

#include <cstdint>
#include <vector>

namespace korvel::db::local {

class RowIds {
 public:
  int64_t idOf(int64_t record) const;
  // The record holding `id`, or -1 (it may lie past the end of the file:
  // the caller checks that the record exists).
  int64_t recordOf(int64_t id) const;
  // Whether ids grow with the records (a table without key: added rows
  // come last), so that ranges of ids are ranges of records.
  bool ascending() const { return ascending_; }
  // The first record whose id is at least `id` (ids ascending).
  int64_t firstRecordFrom(int64_t id) const;

  // Built from the ids of the records of a rewritten table, in file order.
  class Builder {
   public:
    void add(int64_t id);
    RowIds finish();

   private:
    struct Run {
      int64_t record, id, length;
    };
    std::vector<Run> runs_;
    int64_t records_ = 0;
  };

 private:
  struct Run {
    int64_t record, id, length;
  };
  bool identity_ = true;
  bool ascending_ = true;
  std::vector<Run> byRecord_;
  std::vector<Run> byId_;
  int64_t records_ = 0;  // records covered by the runs
};

}  // namespace korvel::db::local
