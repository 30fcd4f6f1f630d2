// Paging of a dataset's rows: statements that read one page, a bounded page
// cache, counting, and the fields built from the first page's result.

#include <QPointer>
#include <QSqlError>
#include <QTimer>
#include <QSqlField>
#include <QSqlRecord>
#include <algorithm>

#include "db/datasetimpl.h"
#include "db/driver.h"
#include "db/fieldvalue.h"

namespace korvel::db {

void Dataset::Impl::reset() {
  sequential.reset();
  insertQuery.reset();
  sequentialPos = 0;
  pages.clear();
  knownCount = -1;
  countedPast = -1;
  lastKey.clear();
  lastKeyCount = -1;
  fields.clear();
  fieldObjects.clear();
  source = RowSource();
  cur = -1;
  eof = bof = true;
  buffer.clear();
  changed.clear();
  pendingRow = savedCur = -1;
  keyBuffer.clear();
}

QString Dataset::Impl::pageSql(int offset, int limit, bool reverse) const {
  QString sql = source.wrapped
      ? QStringLiteral("SELECT * FROM (\n%1\n) korvel_rows").arg(source.select)
      : source.select;
  if (!source.order.isEmpty()) {
    QStringList terms = source.order;
    if (reverse)
      for (auto& t : terms) t += QStringLiteral(" DESC");
    sql += QStringLiteral(" ORDER BY ") + terms.join(QStringLiteral(", "));
  }
  if (driver->paging() == PagingStyle::OffsetFetch)
    return sql + QStringLiteral(" OFFSET %1 ROWS FETCH NEXT %2 ROWS ONLY").arg(offset).arg(limit);
  return sql + QStringLiteral(" LIMIT %1 OFFSET %2").arg(limit).arg(offset);
}

QString Dataset::Impl::orderedSelect() const {
  if (source.order.isEmpty()) return source.select;
  return source.select + QStringLiteral(" ORDER BY ") + source.order.join(QStringLiteral(", "));
}

Row Dataset::Impl::readRow(QSqlQuery& q) const { return driver->readRow(q); }

void Dataset::Impl::buildFields(const QSqlQuery& query) {
  const QSqlRecord record = query.record();
  const std::vector<ColumnMeta> metas = driver->describe(query);
  const int count = record.count() - source.hiddenColumns;
  fields.clear();
  fieldObjects.clear();
  for (int i = 0; i < count; ++i) {
    FieldInfo info;
    info.meta = metas[i];
    info.name = info.meta.name.isEmpty() ? record.fieldName(i) : info.meta.name;
    info.displayWidth = defaultDisplayWidth(info.meta.kind, info.meta.size);
    fields.push_back(info);
    fieldObjects.emplace_back(self, i);
  }
}

bool Dataset::Impl::bySequence() const {
  return source.sequentialOnly || driver->paging() == PagingStyle::Sequential;
}

std::vector<Row> Dataset::Impl::readSequential(int start, int count) {
  if (!sequential || sequentialPos > start) {
    sequential = std::make_unique<QSqlQuery>(db());
    sequential->setForwardOnly(true);
    execOrThrow(*sequential, orderedSelect(), QStringLiteral("Cannot read the rows"));
    sequentialPos = 0;
  }
  std::vector<Row> rows;
  while (sequentialPos < start + count && sequential->next()) {
    if (sequentialPos >= start) rows.push_back(readRow(*sequential));
    ++sequentialPos;
  }
  if (sequentialPos < start + count) knownCount = sequentialPos;
  return rows;
}

// Rows next to a cached neighbour page are read by key ("after the last key
// of the page before", "before the first key of the page after"), so walking
// a table costs the same at its end as at its start.
bool Dataset::Impl::readByNeighbour(int start, int count, std::vector<Row>& rows) {
  if (!source.orderIsKey || start == 0) return false;
  const int page = start / kPageSize;
  bool forward = true;
  const Row* anchor = nullptr;
  if (auto before = pages.find(page - 1);
      before != pages.end() && static_cast<int>(before->second.rows.size()) == kPageSize) {
    anchor = &before->second.rows.back();
  } else if (auto after = pages.find(page + 1); after != pages.end() && !after->second.rows.empty()) {
    anchor = &after->second.rows.front();
    forward = false;
  }
  if (!anchor) return false;
  QVector<QVariant> binds;
  const QString condition = keyComparison(locatorOf(*anchor), source.order.size(),
                                          forward ? QStringLiteral(">") : QStringLiteral("<"), binds);
  QStringList terms = source.order;
  if (!forward)
    for (auto& t : terms) t += QStringLiteral(" DESC");
  QSqlQuery q(db());
  q.setForwardOnly(true);
  prepareOrThrow(q, QStringLiteral("%1 WHERE %2 ORDER BY %3 LIMIT %4")
                        .arg(source.select, condition, terms.join(QStringLiteral(", ")))
                        .arg(count),
                 QStringLiteral("Cannot read the rows"));
  for (const auto& v : binds) q.addBindValue(v);
  execOrThrow(q, QStringLiteral("Cannot read the rows"));
  while (q.next()) rows.push_back(readRow(q));
  if (forward) {
    if (static_cast<int>(rows.size()) < count) knownCount = start + static_cast<int>(rows.size());
    return true;
  }
  std::reverse(rows.begin(), rows.end());
  if (static_cast<int>(rows.size()) == count) return true;
  rows.clear();  // rows went away meanwhile: read by position instead
  return false;
}

// Where read cursors cost nothing to keep (SQLite), a query's rows are read
// from a cursor left open at the next row, so a walk through the result does
// not read it again from the start for every page. The cursor is released
// when control returns to the event loop, so it holds no lock while idle.
std::vector<Row> Dataset::Impl::readContinuing(int start, int count) {
  if (!sequential || sequentialPos != start) {
    sequential = std::make_unique<QSqlQuery>(db());
    sequential->setForwardOnly(true);
    execOrThrow(*sequential, pageSql(start, -1, false), QStringLiteral("Cannot read the rows"));
    sequentialPos = start;
    QTimer::singleShot(0, self, [owner = QPointer<Dataset>(self)] {
      if (owner && owner->impl()) owner->impl()->sequential.reset();
    });
  }
  std::vector<Row> rows;
  while (static_cast<int>(rows.size()) < count && sequential->next()) {
    rows.push_back(readRow(*sequential));
    ++sequentialPos;
  }
  if (static_cast<int>(rows.size()) < count) {
    sequential.reset();
    noteShortPage(start, static_cast<int>(rows.size()));
  }
  return rows;
}

void Dataset::Impl::noteShortPage(int start, int rows) {
  // A short page ends the result; an empty one only says it ends earlier.
  if (rows > 0 || start == 0) knownCount = start + rows;
  else dataCount();
}

std::vector<Row> Dataset::Impl::readPage(int start, int count) {
  if (bySequence()) return readSequential(start, count);
  std::vector<Row> rows;
  if (driver->paging() == PagingStyle::LimitOffset && !driver->cheapOffsets() && readByNeighbour(start, count, rows))
    return rows;
  if (!source.orderIsKey && driver->keepsReadCursors()) return readContinuing(start, count);
  // Pages past the middle of an ordered table are read backwards from its
  // end, so the last page costs as little as the first.
  const bool reverse = knownCount >= 0 && source.orderIsKey && start > knownCount / 2 && !driver->cheapOffsets();
  QSqlQuery q(db());
  q.setForwardOnly(true);
  if (reverse) {
    const int limit = std::min(count, knownCount - start);
    if (limit <= 0) return rows;
    execOrThrow(q, pageSql(knownCount - start - limit, limit, true), QStringLiteral("Cannot read the rows"));
    while (q.next()) rows.push_back(readRow(q));
    std::reverse(rows.begin(), rows.end());
  } else {
    execOrThrow(q, pageSql(start, count, false), QStringLiteral("Cannot read the rows"));
    while (q.next()) rows.push_back(readRow(q));
    q.finish();
    if (static_cast<int>(rows.size()) < count) noteShortPage(start, static_cast<int>(rows.size()));
  }
  return rows;
}

void Dataset::Impl::loadPage(int page) {
  while (pages.size() >= kMaxPages) {
    auto oldest = std::min_element(pages.begin(), pages.end(), [](const auto& a, const auto& b) {
      return a.second.lastUse < b.second.lastUse;
    });
    pages.erase(oldest);
  }
  pages[page] = Page{readPage(page * kPageSize, kPageSize), ++useClock};
}

const Row* Dataset::Impl::dataRow(int row) {
  if (row < 0 || (knownCount >= 0 && row >= knownCount)) return nullptr;
  const int page = row / kPageSize;
  auto it = pages.find(page);
  if (it == pages.end()) {
    loadPage(page);
    it = pages.find(page);
  }
  it->second.lastUse = ++useClock;
  const size_t offset = static_cast<size_t>(row % kPageSize);
  return offset < it->second.rows.size() ? &it->second.rows[offset] : nullptr;
}

int Dataset::Impl::dataCount() {
  if (knownCount >= 0) return knownCount;
  if (bySequence() || source.countSql.isEmpty()) {
    QSqlQuery q(db());
    q.setForwardOnly(true);
    execOrThrow(q, source.select, QStringLiteral("Cannot count the rows"));
    int n = 0;
    while (q.next()) ++n;
    knownCount = n;
  } else {
    QSqlQuery q(db());
    execOrThrow(q, source.countSql, QStringLiteral("Cannot count the rows"));
    knownCount = q.next() ? q.value(0).toInt() : 0;
  }
  return knownCount;
}

int Dataset::Impl::displayCount() { return dataCount() + (pendingRow >= 0 ? 1 : 0); }

void Dataset::Impl::invalidateRows() {
  pages.clear();
  sequential.reset();
  sequentialPos = 0;
  knownCount = -1;
  countedPast = -1;
  lastKey.clear();
  lastKeyCount = -1;
}

void Dataset::Impl::start(RowSource rows) {
  source = std::move(rows);
  QSqlQuery q(db());
  q.setForwardOnly(true);
  execOrThrow(q, bySequence() ? orderedSelect() : pageSql(0, kPageSize, false),
              QStringLiteral("Cannot open the dataset"));
  if (!q.isSelect()) throw EngineError(QStringLiteral("The statement returns no rows"));
  buildFields(q);
  std::vector<Row> first;
  while (static_cast<int>(first.size()) < kPageSize && q.next()) first.push_back(readRow(q));
  if (static_cast<int>(first.size()) < kPageSize) knownCount = static_cast<int>(first.size());
  if (bySequence()) {
    sequential = std::make_unique<QSqlQuery>(std::move(q));
    sequentialPos = static_cast<int>(first.size());
  }
  pages[0] = Page{std::move(first), ++useClock};
}

QVariant Dataset::Impl::fieldValue(int row, int field) {
  if (field < 0 || field >= static_cast<int>(fields.size())) return {};
  if (isPending(row) || (self->state_ == DatasetState::Edit && row == cur))
    return buffer.value(field);
  const Row* r = dataRow(dataIndex(row));
  return r ? valueFromDriver(fields[field].meta.kind, r->value(field)) : QVariant();
}

QVector<QVariant> Dataset::Impl::locatorOf(const Row& row) const {
  QVector<QVariant> values;
  for (int column : source.keyIndexes) values << row.value(column);
  return values;
}

// (a OP ?) OR (a = ? AND b OP ?) ... over the first `columns` order terms.
QString Dataset::Impl::keyComparison(const QVector<QVariant>& values, int columns,
                                     const QString& op, QVector<QVariant>& binds) const {
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
  return alternatives.join(QStringLiteral(" OR "));
}

// Rows that sort before `orderValues` on the first `columns` order terms.
int Dataset::Impl::positionOf(const QVector<QVariant>& orderValues, int columns) {
  QVector<QVariant> binds;
  const QString condition = keyComparison(orderValues, columns, QStringLiteral("<"), binds);
  QSqlQuery q(db());
  prepareOrThrow(q, QStringLiteral("SELECT COUNT(*) FROM %1 WHERE %2").arg(source.table, condition),
                 QStringLiteral("Cannot locate the record"));
  for (const auto& v : binds) q.addBindValue(v);
  execOrThrow(q, QStringLiteral("Cannot locate the record"));
  return q.next() ? q.value(0).toInt() : 0;
}

}  // namespace korvel::db
