// Paging a PostgreSQL table that has no primary key by its row addresses
// (ctid, "(block,item)"). Ordering a relation by ctid sorts all of it, so
// every read is bounded to a range of blocks: from the edge row of a
// neighbouring page or an anchor (rows before a block, from the background
// count) up to the next anchor, else over a range sized by the rows per
// block, widened until the page is full. The addresses only find pages:
// such a table stays read only, as an address changes when a row is updated.

#include <QSqlQuery>
#include <algorithm>
#include <climits>

#include "db/datasetimpl.h"
#include "db/driver.h"

namespace korvel::db {
namespace {

qint64 blockOf(const QString& address) { return address.mid(1).section(u',', 0, 0).toLongLong(); }
QString blockStart(qint64 block) { return QStringLiteral("(%1,0)").arg(std::max<qint64>(block, 0)); }

}  // namespace

// Only a plain table's addresses are unique and ordered by block: other
// relations (partitioned, foreign) are read by position in ctid order.
void Dataset::Impl::describeRelation() {
  QSqlQuery q(db());
  q.setForwardOnly(true);
  prepareOrThrow(q,
                 QStringLiteral("SELECT CAST(pg_relation_size(c.oid) / current_setting('block_size')::int AS bigint), "
                                "c.reltuples, c.relpages, c.relkind FROM pg_catalog.pg_class c "
                                "WHERE c.oid = CAST(? AS regclass)"),
                 QStringLiteral("Cannot read the size of %1").arg(source.from));
  q.addBindValue(source.from);
  execOrThrow(q, QStringLiteral("Cannot read the size of %1").arg(source.from));
  if (!q.next() || q.value(3).toString() != u"r") {
    source.seek = SeekStyle::Offset;
    return;
  }
  physicalBlocks = q.value(0).toLongLong();
  const double tuples = q.value(1).toDouble();
  const double pages = q.value(2).toDouble();
  if (tuples > 0 && pages > 0) rowsPerBlock = std::max(1.0, tuples / pages);
}

// Rows from `from` (an address; itself included when `inclusive`), skipping
// `skip`, up to block `endBlock` (exclusive; -1: a range sized by the rows
// per block). A range that comes back short is widened until it reaches the
// last block, where the result ends.
std::vector<Row> Dataset::Impl::readAddressRange(const QString& from, bool inclusive, int skip, int count,
                                                 qint64 endBlock) {
  const qint64 first = blockOf(from);
  qint64 span = endBlock > first ? endBlock - first
                                 : static_cast<qint64>((skip + count) / rowsPerBlock * 1.5) + 2;
  for (;;) {
    const qint64 end = first + span;
    const bool bounded = end < physicalBlocks;
    QSqlQuery q(db());
    q.setForwardOnly(true);
    prepareOrThrow(q,
                   QStringLiteral("%1 WHERE ctid %2 CAST(? AS tid)%3 ORDER BY ctid")
                           .arg(source.select, inclusive ? QStringLiteral(">=") : QStringLiteral(">"),
                                bounded ? QStringLiteral(" AND ctid < CAST(? AS tid)") : QString()) +
                       limitClause(count, skip),
                   QStringLiteral("Cannot read the rows"));
    q.addBindValue(from);
    if (bounded) q.addBindValue(blockStart(end));
    std::vector<Row> rows = runRows(q);
    if (static_cast<int>(rows.size()) == count || !bounded) return rows;
    span *= 4;
  }
}

std::vector<Row> Dataset::Impl::readAddressesBefore(const QString& before, int count) {
  const qint64 last = blockOf(before);
  qint64 span = static_cast<qint64>(count / rowsPerBlock * 1.5) + 2;
  for (;;) {
    const qint64 low = last - span;
    QSqlQuery q(db());
    q.setForwardOnly(true);
    prepareOrThrow(q,
                   QStringLiteral("%1 WHERE ctid < CAST(? AS tid)%2 ORDER BY ctid DESC")
                           .arg(source.select, low > 0 ? QStringLiteral(" AND ctid >= CAST(? AS tid)") : QString()) +
                       limitClause(count, 0),
                   QStringLiteral("Cannot read the rows"));
    q.addBindValue(before);
    if (low > 0) q.addBindValue(blockStart(low));
    std::vector<Row> rows = runRows(q);
    if (static_cast<int>(rows.size()) == count || low <= 0) {
      std::reverse(rows.begin(), rows.end());
      return rows;
    }
    span *= 4;
  }
}

// From the page before (its last address), else back from the page after
// (its first address), else from the nearest anchor below.
std::vector<Row> Dataset::Impl::readByAddress(int start, int count) {
  const int page = start / kPageSize;
  const int addressColumn = source.orderIndexes.front();
  const auto addressOf = [&](const Row& row) { return row.value(addressColumn).toString(); };
  // Where the range may end: the first anchor past the page.
  const std::optional<RowAnchor> above = anchors.atOrAfter(start + count);
  const qint64 endBlock = above ? blockOf(above->bound.value(0).toString()) : -1;
  std::vector<Row> rows;
  const auto before = pages.find(page - 1);
  const auto after = pages.find(page + 1);
  if (before != pages.end() && static_cast<int>(before->second.rows.size()) == kPageSize &&
      start == page * kPageSize) {
    rows = readAddressRange(addressOf(before->second.rows.back()), false, 0, count, endBlock);
  } else {
    if (after != pages.end() && !after->second.rows.empty()) {
      rows = readAddressesBefore(addressOf(after->second.rows.front()), count);
      if (static_cast<int>(rows.size()) == count) return rows;
    }
    const std::optional<RowAnchor> below = anchors.atOrBefore(start);
    const QString from = below ? below->bound.value(0).toString() : blockStart(0);
    rows = readAddressRange(from, true, start - (below ? below->rowsBefore : 0), count, endBlock);
  }
  if (static_cast<int>(rows.size()) < count) noteShortPage(start, static_cast<int>(rows.size()));
  return rows;
}

}  // namespace korvel::db
