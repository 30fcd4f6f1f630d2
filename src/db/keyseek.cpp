// Keyset paging: a page of a result ordered by unique values (a primary key
// or SQLite's rowid) is read from the order values of a neighbouring page's
// edge row, or from the nearest anchor below it skipping less than one
// anchor interval, never by skipping every row before it. Positions of keys
// come from the anchors the same way.

#include <QSqlQuery>
#include <algorithm>
#include <climits>

#include "db/datasetimpl.h"
#include "db/driver.h"

namespace korvel::db {
namespace {

bool holdsNull(const QVector<QVariant>& values) {
  return std::any_of(values.begin(), values.end(), [](const QVariant& v) { return v.isNull(); });
}

// -1, 0 or 1 as a is below, equal to or above b; both all integers.
int compareIntegers(const QVector<QVariant>& a, const QVector<QVariant>& b) {
  for (int i = 0; i < std::min(a.size(), b.size()); ++i) {
    const qlonglong x = a[i].toLongLong();
    const qlonglong y = b[i].toLongLong();
    if (x != y) return x < y ? -1 : 1;
  }
  return 0;
}

}  // namespace

// (a, b) OP (?, ?) where the driver serves row comparisons from an index,
// else (a OP ?) OR (a = ? AND b OP ?) ..., over the first `columns` order terms.
QString Dataset::Impl::keyComparison(const QVector<QVariant>& values, int columns, const QString& op,
                                     QVector<QVariant>& binds) const {
  if (columns == 1) {
    binds << values[0];
    return source.order[0] + u' ' + op + QStringLiteral(" ?");
  }
  if (driver->rowValueComparisons()) {
    QStringList marks;
    for (int i = 0; i < columns; ++i) {
      marks << QStringLiteral("?");
      binds << values[i];
    }
    return QStringLiteral("(%1) %2 (%3)")
        .arg(source.order.mid(0, columns).join(QStringLiteral(", ")), op, marks.join(QStringLiteral(", ")));
  }
  QStringList alternatives;
  for (int i = 0; i < columns; ++i) {
    QStringList terms;
    for (int j = 0; j < i; ++j) {
      terms << source.order[j] + QStringLiteral(" = ?");
      binds << values[j];
    }
    terms << source.order[i] + u' ' + op + QStringLiteral(" ?");
    binds << values[i];
    alternatives << u'(' + terms.join(QStringLiteral(" AND ")) + u')';
  }
  return u'(' + alternatives.join(QStringLiteral(" OR ")) + u')';
}

// Rows after `bound`, skipping `skip`. Where read cursors cost nothing to
// keep, the statement is left unbounded and its cursor kept, so that a walk
// forward reads the next page from it without another statement.
std::vector<Row> Dataset::Impl::readAfterKey(const QVector<QVariant>& bound, int skip, int count, int start) {
  QVector<QVariant> binds;
  const QString condition = keyComparison(bound, static_cast<int>(source.order.size()), QStringLiteral(">"), binds);
  const bool keep = driver->keepsReadCursors();
  auto q = std::make_unique<QSqlQuery>(db());
  q->setForwardOnly(true);
  prepareOrThrow(*q,
                 QStringLiteral("%1 WHERE %2 ORDER BY %3").arg(source.select, condition,
                                                               source.order.join(QStringLiteral(", "))) +
                     (keep ? (skip > 0 ? limitClause(-1, skip) : QString()) : limitClause(count, skip)),
                 QStringLiteral("Cannot read the rows"));
  for (const auto& v : binds) q->addBindValue(v);
  if (!keep) return runRows(*q);
  execOrThrow(*q, QStringLiteral("Cannot read the rows"));
  keepCursor(std::move(q), start);
  return readFromCursor(start, count);
}

std::vector<Row> Dataset::Impl::readBeforeKey(const QVector<QVariant>& bound, int count) {
  QVector<QVariant> binds;
  const QString condition = keyComparison(bound, static_cast<int>(source.order.size()), QStringLiteral("<"), binds);
  QStringList terms = source.order;
  for (auto& t : terms) t += QStringLiteral(" DESC");
  QSqlQuery q(db());
  q.setForwardOnly(true);
  prepareOrThrow(q,
                 QStringLiteral("%1 WHERE %2 ORDER BY %3").arg(source.select, condition, terms.join(QStringLiteral(", "))) +
                     limitClause(count, 0),
                 QStringLiteral("Cannot read the rows"));
  for (const auto& v : binds) q.addBindValue(v);
  std::vector<Row> rows = runRows(q);
  std::reverse(rows.begin(), rows.end());
  return rows;
}

// The cheapest known way to the page: after the page before it, before the
// page after it, or from the nearest anchor below it when that skips fewer
// rows than reading from either end of the result would. False when none
// of these beats reading by position.
bool Dataset::Impl::readByKey(int start, int count, std::vector<Row>& rows) {
  if (start == 0) return false;
  const int page = start / kPageSize;
  if (auto before = pages.find(page - 1); before != pages.end() &&
                                          static_cast<int>(before->second.rows.size()) == kPageSize &&
                                          start == page * kPageSize) {
    const QVector<QVariant> bound = orderValuesOf(before->second.rows.back());
    if (!holdsNull(bound)) {
      rows = readAfterKey(bound, 0, count, start);
      if (static_cast<int>(rows.size()) < count) noteShortPage(start, static_cast<int>(rows.size()));
      return true;
    }
  }
  if (auto after = pages.find(page + 1); after != pages.end() && !after->second.rows.empty()) {
    const QVector<QVariant> bound = orderValuesOf(after->second.rows.front());
    if (!holdsNull(bound)) {
      rows = readBeforeKey(bound, count);
      if (static_cast<int>(rows.size()) == count) return true;
      rows.clear();  // rows went away meanwhile: read another way
    }
  }
  const std::optional<RowAnchor> anchor = anchors.atOrBefore(start);
  if (!anchor) return false;
  const int skip = start - anchor->rowsBefore;
  const int fromEnd = knownCount >= 0 ? knownCount - start : INT_MAX;
  if (skip >= start || skip >= fromEnd) return false;
  rows = readAfterKey(anchor->bound, skip, count, start);
  if (static_cast<int>(rows.size()) < count) noteShortPage(start, static_cast<int>(rows.size()));
  return true;
}

int Dataset::Impl::countWhere(const QString& condition, const QVector<QVariant>& binds) {
  QSqlQuery q(db());
  q.setForwardOnly(true);
  prepareOrThrow(q, QStringLiteral("SELECT COUNT(*) FROM %1 WHERE %2").arg(source.from, condition),
                 QStringLiteral("Cannot locate the record"));
  for (const auto& v : binds) q.addBindValue(v);
  execOrThrow(q, QStringLiteral("Cannot locate the record"));
  return q.next() ? q.value(0).toInt() : 0;
}

// Whether the anchor's bound sorts before `key`, a key present in the table.
// Integers are compared here; other values by the table itself, in its own
// collation: a row in (bound, key] exists exactly when the bound is below
// the key, since the key's own row lies there then.
bool Dataset::Impl::anchorSortsBefore(const RowAnchor& anchor, const QVector<QVariant>& key) {
  if (isIntegerKey(anchor.bound) && isIntegerKey(key)) return compareIntegers(anchor.bound, key) < 0;
  const int columns = static_cast<int>(source.order.size());
  QVector<QVariant> binds;
  const QString above = keyComparison(anchor.bound, columns, QStringLiteral(">"), binds);
  const QString upTo = keyComparison(key, columns, QStringLiteral("<="), binds);
  QSqlQuery q(db());
  q.setForwardOnly(true);
  prepareOrThrow(q, QStringLiteral("SELECT 1 FROM %1 WHERE %2 AND %3").arg(source.from, above, upTo) + limitClause(1, 0),
                 QStringLiteral("Cannot locate the record"));
  for (const auto& v : binds) q.addBindValue(v);
  execOrThrow(q, QStringLiteral("Cannot locate the record"));
  return q.next();
}

// The last anchor below the key, found by halving, then the rows between it
// and the key counted: a count over less than one anchor interval. -1 when
// the anchors do not reach the key.
int Dataset::Impl::positionByAnchors(const QVector<QVariant>& key) {
  size_t low = 0, high = anchors.size();
  while (low < high) {
    const size_t middle = low + (high - low) / 2;
    if (anchorSortsBefore(anchors.at(middle), key)) low = middle + 1;
    else high = middle;
  }
  if (low == anchors.size() && !anchorsComplete) return -1;
  const int columns = static_cast<int>(source.order.size());
  QVector<QVariant> binds;
  QString condition;
  int before = 0;
  if (low > 0) {
    const RowAnchor anchor = anchors.at(low - 1);
    before = anchor.rowsBefore;
    condition = keyComparison(anchor.bound, columns, QStringLiteral(">"), binds) + QStringLiteral(" AND ");
  }
  condition += keyComparison(key, columns, QStringLiteral("<"), binds);
  return before + countWhere(condition, binds);
}

// A position found from the anchors is checked against the row found there:
// anchors made before other programs changed the table may be off, and the
// count over the whole table is the answer then.
int Dataset::Impl::positionOf(const QVector<QVariant>& orderValues, int columns) {
  if (source.seek == SeekStyle::Key && columns == source.order.size() && !anchors.empty() &&
      !holdsNull(orderValues)) {
    const int position = positionByAnchors(orderValues);
    if (position >= 0) {
      const Row* row = dataRow(position);
      if (row && orderValuesOf(*row) == orderValues) return position;
    }
  }
  QVector<QVariant> binds;
  return countWhere(keyComparison(orderValues, columns, QStringLiteral("<"), binds), binds);
}

}  // namespace korvel::db
