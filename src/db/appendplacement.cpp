// Placing a posted insert whose key sorts after every known row: the row
// goes at the end, the known count grows by one and only the page taking the
// row is dropped, instead of re-reading pages and counting the keys below it.
// Used for whole tables ordered by their key, where the rows are exactly the
// table's rows.

#include "db/datasetimpl.h"
#include "db/driver.h"

namespace korvel::db {
namespace {

bool sortsAfter(const QVector<QVariant>& key, const QVector<QVariant>& other) {
  for (int i = 0; i < key.size(); ++i) {
    const qlonglong a = key[i].toLongLong();
    const qlonglong b = other[i].toLongLong();
    if (a != b) return a > b;
  }
  return false;
}

}  // namespace

// Integer keys compare in the program exactly as the databases order them;
// other types (text collations, mixed SQLite storage classes, NULLs) are left
// to the database.
bool isIntegerKey(const QVector<QVariant>& key) {
  if (key.isEmpty()) return false;
  for (const QVariant& v : key) {
    const int type = v.typeId();
    if (v.isNull() || (type != QMetaType::Int && type != QMetaType::UInt && type != QMetaType::LongLong))
      return false;
  }
  return true;
}

// The locator of the last row; must run before the insert is written. The
// first post of a run of appends makes sure of the count and reads the last
// row afresh, so rows other programs added meanwhile are counted; the rows
// posted after it in the run keep the count up to date themselves.
bool Dataset::Impl::lastKeyKnown() {
  if (!source.orderIsKey || bySequence()) return false;
  if (lastKeyCount >= 0 && lastKeyCount == knownCount) return true;
  if (!countStillRight()) {
    // Counted afresh; anchors (and a walk making them) stay while the count
    // is what it was. Otherwise others changed the table: a new walk makes
    // new anchors.
    const int before = knownCount;
    dropPages();
    knownCount = -1;
    dataCount();
    if (before >= 0 && knownCount != before) {
      invalidateRows();
      startCount();
      dataCount();
    }
  }
  const int count = knownCount;
  const Row* row = count > 0 ? dataRow(count - 1) : nullptr;
  if (knownCount != count || (count > 0 && !row)) return false;
  lastKey = row ? locatorOf(*row) : QVector<QVariant>();
  lastKeyCount = count;
  return true;
}

// Whether the known count still holds: the row found at the last position
// by seeking from the start side (the anchors, or by position in a small
// table) is the last row in key order. Rows added or removed by others
// before it would move it. A count that is not known, or a large table
// without anchors, is counted again instead.
bool Dataset::Impl::countStillRight() {
  if (knownCount <= 0) return false;
  if (anchors.empty() && knownCount > kAnchorStride) return false;
  dropPages();
  QSqlQuery q(db());
  q.setForwardOnly(true);
  QStringList descending = source.order;
  for (auto& term : descending) term += QStringLiteral(" DESC");
  execOrThrow(q,
              QStringLiteral("%1 ORDER BY %2").arg(source.select, descending.join(QStringLiteral(", "))) +
                  limitClause(1, 0),
              QStringLiteral("Cannot read the rows"));
  if (!q.next()) return false;
  QVector<QVariant> last;
  for (int column : source.orderIndexes) last << q.value(column);
  q.finish();
  // Read from the nearest anchor, not back from the end.
  const int expected = knownCount;
  const int start = (expected - 1) / kPageSize * kPageSize;
  std::vector<Row> rows;
  if (!readByKey(start, kPageSize, rows)) rows = readByOffset(start, kPageSize);
  if (knownCount != expected) return false;
  const int index = expected - 1 - start;
  return index < static_cast<int>(rows.size()) && orderValuesOf(rows[static_cast<size_t>(index)]) == last &&
         static_cast<int>(rows.size()) == index + 1;
}

bool Dataset::Impl::placeAtEnd(const QVector<QVariant>& key) {
  if (key.size() != source.keyColumns.size() || !isIntegerKey(key)) return false;
  if (knownCount > 0 && (!isIntegerKey(lastKey) || !sortsAfter(key, lastKey))) return false;
  pages.erase(knownCount / kPageSize);
  sequential.reset();
  sequentialPos = 0;
  cur = knownCount++;
  lastKey = key;
  lastKeyCount = knownCount;
  return true;
}

}  // namespace korvel::db
