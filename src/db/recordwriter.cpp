// Posting a record: an UPDATE of the changed fields located by the row's key
// (primary key or rowid), or an INSERT of the assigned fields; always with
// bound parameters.

#include <QPointer>
#include <QSqlError>
#include <QTimer>
#include <algorithm>

#include "db/datasetimpl.h"
#include "db/driver.h"

namespace korvel::db {

void Dataset::Impl::write() {
  if (source.table.isEmpty())
    throw EngineError(QStringLiteral("Cannot modify a read-only dataset"));
  if (self->state_ == DatasetState::Edit) update();
  else insertRecord();
}

void Dataset::Impl::update() {
  if (std::find(changed.begin(), changed.end(), true) == changed.end()) return;
  const Row* row = dataRow(cur);
  if (!row) throw EngineError(QStringLiteral("The record to update is no longer there"));
  QStringList assignments;
  QVector<QVariant> binds;
  bool keyChanged = false;
  for (size_t i = 0; i < fields.size(); ++i) {
    if (!changed[i]) continue;
    if (fields[i].writeColumn.isEmpty())
      throw EngineError(QStringLiteral("Field '%1' cannot be modified").arg(fields[i].name));
    assignments << fields[i].writeColumn + QStringLiteral(" = ?");
    binds << driver->toDriver(fields[i].meta.kind, buffer[static_cast<int>(i)]);
    // A key field given the value it has (a pasted row holding its own key)
    // does not move the record; any other difference may.
    for (int k : source.keyIndexes)
      keyChanged = keyChanged || (k == static_cast<int>(i) && binds.back() != row->value(k));
  }
  const QVector<QVariant> locator = locatorOf(*row);
  QStringList where;
  for (int k = 0; k < source.keyColumns.size(); ++k) {
    where << source.keyColumns[k] + QStringLiteral(" = ?");
    binds << locator[k];
  }
  QSqlQuery q(db());
  const QString context = QStringLiteral("Cannot update the record");
  prepareOrThrow(q, QStringLiteral("UPDATE %1 SET %2 WHERE %3")
                        .arg(source.table, assignments.join(QStringLiteral(", ")),
                             where.join(QStringLiteral(" AND "))),
                 context);
  for (const auto& v : binds) q.addBindValue(v);
  execOrThrow(q, context);
  if (q.numRowsAffected() == 0)
    throw EngineError(QStringList{context, QStringLiteral("The record was changed or deleted by another user")});

  if (keyChanged && source.orderIsKey) {
    // The record moves to where its new key sorts: out of its place, then
    // in at the new one; the count stays.
    QVector<QVariant> newKey;
    for (int k : source.keyIndexes)
      newKey << (k < static_cast<int>(fields.size()) ? driver->toDriver(fields[k].meta.kind, buffer[k])
                                                     : locator[newKey.size()]);
    dropPages();
    endAppendRun();
    rowsShifted(cur, -1);
    if (knownCount >= 0) ++knownCount;
    cur = positionOf(newKey, static_cast<int>(newKey.size()));
    if (knownCount >= 0) --knownCount;
    rowsShifted(cur, 1);
    return;
  }
  // Keep the cached row in step with what was written.
  const int page = cur / kPageSize;
  auto it = pages.find(page);
  if (it != pages.end() && cur % kPageSize < static_cast<int>(it->second.rows.size())) {
    Row& cached = it->second.rows[cur % kPageSize];
    for (size_t i = 0; i < fields.size(); ++i)
      if (changed[i]) cached[static_cast<int>(i)] = driver->toDriver(fields[i].meta.kind, buffer[static_cast<int>(i)]);
  }
  if (keyChanged) invalidateRows();
}

// Posting rows one after another runs the same INSERT each time: it is
// prepared once for the set of assigned fields and kept until control
// returns to the event loop (or the engine asks for its statements to be
// released before changing a table), which ends the run of appends.
RepeatedStatement& Dataset::Impl::insertStatement(bool returning, const QString& context) {
  if (insertQuery && insertColumns == changed) return *insertQuery;
  QStringList columns, marks;
  for (size_t i = 0; i < fields.size(); ++i) {
    if (!changed[i]) continue;
    columns << fields[i].writeColumn;
    marks << QStringLiteral("?");
  }
  QString sql = columns.isEmpty()
      ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(source.table)
      : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
            .arg(source.table, columns.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")));
  if (returning) sql += QStringLiteral(" RETURNING ") + source.keyColumns.join(QStringLiteral(", "));
  const bool releaseScheduled = insertQuery != nullptr;
  insertQuery.reset();
  insertQuery = driver->prepareRepeated(db(), sql, context);
  insertColumns = changed;
  if (!releaseScheduled)
    QTimer::singleShot(0, self, [owner = QPointer<Dataset>(self)] {
      if (owner && owner->impl()) owner->impl()->endAppendRun();
    });
  return *insertQuery;
}

// The key values assigned in the buffer, as bound.
QVector<QVariant> Dataset::Impl::assignedKey() const {
  QVector<QVariant> key;
  if (!source.orderIsKey) return key;
  for (int k : source.keyIndexes)
    if (k < static_cast<int>(fields.size()) && changed[static_cast<size_t>(k)])
      key << driver->toDriver(fields[static_cast<size_t>(k)].meta.kind, buffer[k]);
  return key;
}

void Dataset::Impl::insertRecord() {
  QVector<QVariant> binds;
  binds.reserve(static_cast<qsizetype>(fields.size()));
  for (size_t i = 0; i < fields.size(); ++i) {
    if (!changed[i]) continue;
    if (fields[i].writeColumn.isEmpty())
      throw EngineError(QStringLiteral("Field '%1' cannot be modified").arg(fields[i].name));
    binds << driver->toDriver(fields[i].meta.kind, buffer[static_cast<int>(i)]);
  }
  const QVector<QVariant> assigned = assignedKey();
  // RETURNING costs SQLite a temporary table per row: where the key is
  // assigned and stored as bound, the assigned values give it.
  bool keyAssigned = driver->storesKeysAsBound() && !source.keyIndexes.empty();
  for (int k : source.keyIndexes)
    keyAssigned = keyAssigned && k < static_cast<int>(fields.size()) && changed[static_cast<size_t>(k)];
  const bool returning = driver->hasReturning() && source.orderIsKey && !keyAssigned;
  const bool endKnown = (!keyAssigned || isIntegerKey(assigned)) && lastKeyKnown();
  const QString context = QStringLiteral("Cannot insert the record");
  QVector<QVariant> returned;
  try {
    returned = insertStatement(returning, context).run(binds);
  } catch (const EngineError&) {
    insertQuery.reset();
    throw;
  }

  const QVector<QVariant> key = returning && returned.size() >= source.keyColumns.size()
      ? returned.mid(0, source.keyColumns.size())
      : assigned;
  const int inserted = pendingRow;
  pendingRow = -1;
  if (endKnown && placeAtEnd(key)) return;
  dropPages();
  endAppendRun();
  if (source.orderIsKey && key.size() == source.keyColumns.size()) {
    // The count grows first, so that the new row's place can be read and
    // checked; the anchors after it move once the place is known.
    if (knownCount >= 0) ++knownCount;
    cur = positionOf(key, static_cast<int>(key.size()));
    if (knownCount >= 0) --knownCount;
    rowsShifted(cur, 1);
  } else {
    // A query's rows may not take the new row at all: read them afresh.
    invalidateRows();
    cur = std::min(inserted, dataCount() - 1);
  }
}

}  // namespace korvel::db
