// A row count that costs little whatever the size of the result: the rows
// are counted only up to a limit, so a small table's count is exact at once
// and a large one is left to a full count.

#include <QSqlQuery>

#include "db/datasetimpl.h"
#include "db/driver.h"

namespace korvel::db {

int Dataset::countUpTo(int limit) {
  if (!active() || limit < 0) return -1;
  Impl& d = *impl_;
  const int pending = d.pendingRow >= 0 ? 1 : 0;
  if (d.knownCount >= 0) return d.knownCount + pending;
  // Statements read in sequence cannot be cut short by SQL, and the OFFSET
  // ... FETCH dialects differ in what a subquery may hold: those are
  // counted in full when a count is asked for.
  if (d.bySequence() || d.driver->paging() != PagingStyle::LimitOffset) return -1;
  // Known to be larger already: the rows are not read again for nothing
  // each time the view is laid out afresh.
  if (d.countedPast >= limit) return -1;
  QSqlQuery q(d.db());
  q.setForwardOnly(true);
  execOrThrow(q,
              QStringLiteral("SELECT COUNT(*) FROM (SELECT 1 AS korvel_one FROM (\n%1\n) korvel_rows "
                             "LIMIT %2) korvel_bounded")
                  .arg(d.source.select)
                  .arg(static_cast<qint64>(limit) + 1),
              QStringLiteral("Cannot count the rows"));
  const int counted = q.next() ? q.value(0).toInt() : 0;
  if (counted > limit) {
    d.countedPast = limit;
    return -1;
  }
  d.knownCount = counted;
  return counted + pending;
}

}  // namespace korvel::db
