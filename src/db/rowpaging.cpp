// Paging of a dataset's rows: a bounded page cache, the choice of how a page
// is read (by key or row address where the rows have one, else by position
// or a forward cursor), and the fields built from the first page's result.

#include <QPointer>
#include <QSqlError>
#include <QTimer>
#include <QSqlField>
#include <QSqlRecord>
#include <algorithm>

#include "db/datasetimpl.h"
#include "db/driver.h"
#include "db/fieldvalue.h"
#include "db/rowcounter.h"
#include "db/scrollreader.h"

namespace korvel::db {

Dataset::Impl::Impl(Dataset* owner) : self(owner) {}
Dataset::Impl::~Impl() = default;

void Dataset::Impl::reset() {
  stopCount();
  sequential.reset();
  dropScrollReader();
  scrollFailures = 0;
  insertQuery.reset();
  sequentialPos = 0;
  pages.clear();
  knownCount = -1;
  countedPast = -1;
  lastKey.clear();
  lastKeyCount = -1;
  anchors.clear();
  anchorsComplete = false;
  asideCount = AsideCount::Walk;
  countWalks = false;
  countedRows = 0;
  physicalBlocks = 0;
  rowsPerBlock = 50;
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

QString Dataset::Impl::limitClause(int limit, int offset) const {
  if (driver->paging() == PagingStyle::OffsetFetch)
    return QStringLiteral(" OFFSET %1 ROWS FETCH NEXT %2 ROWS ONLY").arg(offset).arg(limit);
  return QStringLiteral(" LIMIT %1 OFFSET %2").arg(limit).arg(offset);
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
  return sql + limitClause(limit, offset);
}

QString Dataset::Impl::orderedSelect() const {
  if (source.order.isEmpty()) return source.select;
  return source.select + QStringLiteral(" ORDER BY ") + source.order.join(QStringLiteral(", "));
}

Row Dataset::Impl::readRow(QSqlQuery& q) const { return driver->readRow(q); }

std::vector<Row> Dataset::Impl::runRows(QSqlQuery& q) {
  execOrThrow(q, QStringLiteral("Cannot read the rows"));
  std::vector<Row> rows;
  while (q.next()) rows.push_back(readRow(q));
  q.finish();
  return rows;
}

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

// Where read cursors cost nothing to keep (SQLite), a query's rows are read
// from a cursor left open at the next row, so a walk through the result does
// not read it again from the start for every page.
std::vector<Row> Dataset::Impl::readContinuing(int start, int count) {
  if (!sequential || sequentialPos != start) {
    auto cursor = std::make_unique<QSqlQuery>(db());
    cursor->setForwardOnly(true);
    execOrThrow(*cursor, pageSql(start, -1, false), QStringLiteral("Cannot read the rows"));
    keepCursor(std::move(cursor), start);
  }
  return readFromCursor(start, count);
}

// The cursor is released when control returns to the event loop, so it
// holds no lock while the window is idle.
void Dataset::Impl::keepCursor(std::unique_ptr<QSqlQuery> cursor, int position) {
  sequential = std::move(cursor);
  sequentialPos = position;
  QTimer::singleShot(0, self, [owner = QPointer<Dataset>(self)] {
    if (owner && owner->impl()) owner->impl()->sequential.reset();
  });
}

std::vector<Row> Dataset::Impl::readFromCursor(int start, int count) {
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

bool Dataset::Impl::cursorAt(int start) const {
  return !bySequence() && sequential && sequentialPos == start && driver->keepsReadCursors();
}

void Dataset::Impl::noteShortPage(int start, int rows) {
  // A short page ends the result; an empty one only says it ends earlier.
  if (rows > 0 || start == 0) knownCount = start + rows;
  else dataCount();
}

std::vector<Row> Dataset::Impl::readByOffset(int start, int count) {
  QSqlQuery q(db());
  q.setForwardOnly(true);
  execOrThrow(q, pageSql(start, count, false), QStringLiteral("Cannot read the rows"));
  std::vector<Row> rows;
  while (q.next()) rows.push_back(readRow(q));
  q.finish();
  if (static_cast<int>(rows.size()) < count) noteShortPage(start, static_cast<int>(rows.size()));
  return rows;
}

// Pages past the middle of an ordered result whose count is known are read
// backwards from its end, so the last page costs as little as the first.
std::vector<Row> Dataset::Impl::readFromEnd(int start, int count) {
  std::vector<Row> rows;
  const int limit = std::min(count, knownCount - start);
  if (limit <= 0) return rows;
  QSqlQuery q(db());
  q.setForwardOnly(true);
  execOrThrow(q, pageSql(knownCount - start - limit, limit, true), QStringLiteral("Cannot read the rows"));
  while (q.next()) rows.push_back(readRow(q));
  std::reverse(rows.begin(), rows.end());
  return rows;
}

std::vector<Row> Dataset::Impl::readPage(int start, int count) {
  if (bySequence()) return readSequential(start, count);
  std::vector<Row> rows;
  // A driver over files positions rows by number at no cost.
  if (driver->cheapOffsets()) return readByOffset(start, count);
  switch (source.seek) {
    case SeekStyle::Key:
      // A walk forward goes on with the cursor the page before was read from.
      if (cursorAt(start)) return readFromCursor(start, count);
      if (readByKey(start, count, rows)) return rows;
      if (knownCount >= 0 && start > knownCount / 2) return readFromEnd(start, count);
      return readByOffset(start, count);
    case SeekStyle::Physical: return readByAddress(start, count);
    case SeekStyle::Offset:
      if (readByScrollCursor(start, count, rows)) return rows;
      // Without order values to seek by, a walk goes on where it stopped.
      if (driver->keepsReadCursors()) return readContinuing(start, count);
      return readByOffset(start, count);
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

// A count statement beside the window is waited for. A walk beside is left
// making its anchors: the count statement on this connection is much
// quicker than the rest of the walk.
int Dataset::Impl::dataCount() {
  if (knownCount >= 0) return knownCount;
  if (!countWalks && joinCount()) return knownCount;
  return countNow();
}

int Dataset::Impl::countNow() {
  const bool walking = counter && countWalks;
  if (!walking) stopCount();
  if (bySequence() || source.countSql.isEmpty()) {
    QSqlQuery q(db());
    q.setForwardOnly(true);
    execOrThrow(q, source.select, QStringLiteral("Cannot count the rows"));
    int n = 0;
    while (q.next()) ++n;
    knownCount = n;
  } else {
    QSqlQuery q(db());
    q.setForwardOnly(true);
    execOrThrow(q, source.countSql, QStringLiteral("Cannot count the rows"));
    knownCount = q.next() ? q.value(0).toInt() : 0;
  }
  if (walking) applyCount(knownCount, true);
  return knownCount;
}

int Dataset::Impl::displayCount() { return dataCount() + (pendingRow >= 0 ? 1 : 0); }

void Dataset::Impl::dropPages() {
  pages.clear();
  sequential.reset();
  dropScrollReader();
  sequentialPos = 0;
}

void Dataset::Impl::invalidateRows() {
  stopCount();
  dropPages();
  knownCount = -1;
  countedPast = -1;
  lastKey.clear();
  lastKeyCount = -1;
  anchors.clear();
  anchorsComplete = false;
  scrollFailures = 0;
}

void Dataset::Impl::start(RowSource rows) {
  source = std::move(rows);
  if (source.seek == SeekStyle::Physical) describeRelation();
  QSqlQuery q(db());
  q.setForwardOnly(true);
  // A physical order is read in a bounded range of blocks: ordering a whole
  // relation by its row addresses would sort all of it.
  const QString first = bySequence() ? orderedSelect()
                        : source.seek == SeekStyle::Physical
                            ? source.select + QStringLiteral(" WHERE 1 = 0")
                            : pageSql(0, kPageSize, false);
  execOrThrow(q, first, QStringLiteral("Cannot open the dataset"));
  if (!q.isSelect()) throw EngineError(QStringLiteral("The statement returns no rows"));
  buildFields(q);
  std::vector<Row> firstRows;
  if (source.seek == SeekStyle::Physical) {
    q.finish();
    firstRows = readAddressRange(QStringLiteral("(0,0)"), true, 0, kPageSize, -1);
  } else {
    while (static_cast<int>(firstRows.size()) < kPageSize && q.next()) firstRows.push_back(readRow(q));
  }
  if (static_cast<int>(firstRows.size()) < kPageSize) knownCount = static_cast<int>(firstRows.size());
  if (bySequence()) {
    sequential = std::make_unique<QSqlQuery>(std::move(q));
    sequentialPos = static_cast<int>(firstRows.size());
  }
  pages[0] = Page{std::move(firstRows), ++useClock};
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

QVector<QVariant> Dataset::Impl::orderValuesOf(const Row& row) const {
  QVector<QVariant> values;
  for (int column : source.orderIndexes) values << row.value(column);
  return values;
}

}  // namespace korvel::db
