#pragma once
// The batch copy's progress, told by time, not per row: a window that
// repaints for every few hundred rows spends more on that than on the copy.
// The clock is read every 256 rows; the count is told about ten times a
// second, and once more at the end.

#include <QElapsedTimer>
#include <cstdint>

#include "db/batchmove.h"

namespace korvel::db {

class ProgressTeller {
 public:
  ProgressTeller(const BatchMoveProgress& progress, int64_t total) : progress_(progress), total_(total) {
    sinceReport_.start();
  }
  // After each row, or each group of rows: false when the user stopped the copy.
  bool rowCopied(int64_t copied) {
    if (!progress_ || copied - clockedAt_ < kClockEvery) return true;
    clockedAt_ = copied;
    if (sinceReport_.elapsed() < kProgressMs) return true;
    sinceReport_.restart();
    return progress_(copied, total_);
  }
  // After the last row: false when the user stopped the copy even so.
  bool finished(int64_t copied) const { return !progress_ || progress_(copied, total_); }

 private:
  static constexpr int64_t kClockEvery = 256;
  static constexpr qint64 kProgressMs = 100;
  BatchMoveProgress progress_;
  int64_t total_;
  int64_t clockedAt_ = 0;
  QElapsedTimer sinceReport_;
};

}  // namespace korvel::db
