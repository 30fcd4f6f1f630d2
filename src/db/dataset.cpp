#include "db/dataset.h"

#include "db/datasetimpl.h"
#include "db/rowcounter.h"
#include "db/driver.h"
#include "db/engine.h"
#include "db/fieldvalue.h"

namespace korvel::db {

Dataset::Dataset(QObject* parent) : QObject(parent), impl_(std::make_unique<Impl>(this)) {}

Dataset::~Dataset() {
  Engine::instance().unregisterDataset(this);
  impl_->reset();
}

void Dataset::setDatabaseName(const QString& alias) {
  if (active()) close();
  databaseName_ = alias;
}

void Dataset::open() {
  if (active()) return;
  if (databaseName_.isEmpty()) throw EngineError(QStringLiteral("No alias is given for the dataset"));
  Engine& engine = Engine::instance();
  impl_->reset();
  impl_->tableType.clear();
  impl_->connectionName = engine.connection(databaseName_).connectionName();
  impl_->driver = &engine.driver(databaseName_);
  try {
    openCursor();
  } catch (...) {
    impl_->reset();
    throw;
  }
  engine.registerDataset(this);
  impl_->cur = impl_->dataRow(0) ? 0 : -1;
  impl_->bof = true;
  impl_->eof = impl_->cur < 0;
  state_ = DatasetState::Browse;
  impl_->startCount();
  emit layoutReset();
  emit stateChanged();
  emit dataChanged();
}

void Dataset::close() {
  if (!active()) return;
  closeCursor();
  Engine::instance().unregisterDataset(this);
  impl_->reset();
  state_ = DatasetState::Inactive;
  emit layoutReset();
  emit stateChanged();
}

void Dataset::closeCursor() {}

void Dataset::setState(DatasetState state) {
  if (state_ == state) return;
  state_ = state;
  emit stateChanged();
}

int Dataset::fieldCount() const { return static_cast<int>(impl_->fields.size()); }

Field& Dataset::field(int index) {
  if (index < 0 || index >= fieldCount())
    throw EngineError(QStringLiteral("Field index %1 out of range").arg(index));
  return impl_->fieldObjects[static_cast<size_t>(index)];
}

Field* Dataset::findField(const QString& name) {
  for (int i = 0; i < fieldCount(); ++i)
    if (impl_->fields[static_cast<size_t>(i)].name.compare(name, Qt::CaseInsensitive) == 0)
      return &impl_->fieldObjects[static_cast<size_t>(i)];
  return nullptr;
}

Field& Dataset::fieldByName(const QString& name) {
  if (Field* f = findField(name)) return *f;
  throw EngineError(QStringLiteral("Field '%1' not found").arg(name));
}

// Leaving the current record posts a pending edit or insert, as a data-aware
// grid does; a pending key search is dropped.
static void checkBrowseMode(Dataset& ds) {
  if (ds.state() == DatasetState::Edit || ds.state() == DatasetState::Insert) ds.post();
  else if (ds.state() == DatasetState::SetKey) ds.cancel();
}

static void checkActive(const Dataset& ds) {
  if (!ds.active()) throw EngineError(QStringLiteral("Cannot perform this operation on a closed dataset"));
}

void Dataset::first() {
  checkActive(*this);
  checkBrowseMode(*this);
  impl_->cur = impl_->dataRow(0) ? 0 : -1;
  impl_->bof = true;
  impl_->eof = impl_->cur < 0;
  emit dataChanged();
}

void Dataset::next() {
  checkActive(*this);
  checkBrowseMode(*this);
  if (impl_->cur >= 0 && impl_->dataRow(impl_->cur + 1)) {
    ++impl_->cur;
    impl_->bof = false;
    impl_->eof = false;
    emit dataChanged();
  } else {
    impl_->eof = true;
  }
}

void Dataset::prior() {
  checkActive(*this);
  checkBrowseMode(*this);
  if (impl_->cur > 0) {
    --impl_->cur;
    impl_->bof = false;
    impl_->eof = false;
    emit dataChanged();
  } else {
    impl_->bof = true;
  }
}

void Dataset::last() {
  checkActive(*this);
  checkBrowseMode(*this);
  impl_->cur = impl_->dataCount() - 1;
  impl_->eof = true;
  impl_->bof = impl_->cur < 0;
  emit dataChanged();
}

void Dataset::moveTo(int row) {
  checkActive(*this);
  if (row == impl_->cur) return;
  checkBrowseMode(*this);
  // A row that can be read needs no count; one past the end is clamped.
  if (row >= 0 && impl_->dataRow(row)) {
    impl_->cur = row;
  } else {
    const int count = impl_->dataCount();
    impl_->cur = count == 0 ? -1 : std::clamp(row, 0, count - 1);
  }
  impl_->bof = impl_->cur <= 0;
  impl_->eof = impl_->cur < 0;
  emit dataChanged();
}

bool Dataset::eof() const { return !active() || impl_->eof; }
bool Dataset::bof() const { return !active() || impl_->bof; }
int Dataset::recNo() const { return active() ? impl_->cur : -1; }

int Dataset::recordCount() {
  checkActive(*this);
  return impl_->dataCount();
}

int Dataset::displayRowCount() { return active() ? impl_->displayCount() : 0; }

int Dataset::availableRows(int wanted) {
  if (!active() || wanted <= 0) return 0;
  const int pending = impl_->pendingRow >= 0 ? 1 : 0;
  if (impl_->knownCount < 0 && wanted - pending > 0) impl_->dataRow(wanted - pending - 1);
  if (impl_->knownCount < 0) return wanted;
  return std::min(wanted, impl_->knownCount + pending);
}

int Dataset::knownRowCount() const {
  if (!active() || impl_->knownCount < 0) return -1;
  return impl_->knownCount + (impl_->pendingRow >= 0 ? 1 : 0);
}

bool Dataset::countingRows() const { return active() && impl_->counting(); }

int Dataset::countedRows() const {
  if (!active()) return 0;
  const int rows = impl_->knownCount >= 0 ? impl_->knownCount : impl_->countedRows;
  return rows + (impl_->pendingRow >= 0 ? 1 : 0);
}

bool Dataset::countRowsAside() {
  if (!active()) return false;
  if (impl_->knownCount >= 0 || impl_->counting()) return true;
  if (impl_->asideCount == Impl::AsideCount::Off) impl_->asideCount = Impl::AsideCount::Walk;
  impl_->startCount();
  return impl_->counting();
}

void Dataset::cancelCount() {
  if (!impl_->counting()) return;
  impl_->stopCount();
  impl_->asideCount = Impl::AsideCount::Off;
}

int Dataset::cachedRows() const {
  int rows = 0;
  for (const auto& [number, page] : impl_->pages) rows += static_cast<int>(page.rows.size());
  return rows;
}

int Dataset::maxCachedRows() { return static_cast<int>(Impl::kMaxPages) * Impl::kPageSize; }

bool Dataset::canModify() const { return active() && !impl_->source.table.isEmpty(); }

static void checkCanModify(const Dataset& ds) {
  checkActive(ds);
  if (!ds.canModify()) throw EngineError(QStringLiteral("Cannot modify a read-only dataset"));
}

void Dataset::edit() {
  if (state_ == DatasetState::Edit || state_ == DatasetState::Insert) return;
  checkCanModify(*this);
  checkBrowseMode(*this);
  if (impl_->cur < 0) {
    append();
    return;
  }
  impl_->buffer.clear();
  for (int i = 0; i < fieldCount(); ++i) impl_->buffer << impl_->fieldValue(impl_->cur, i);
  impl_->changed.assign(impl_->fields.size(), false);
  setState(DatasetState::Edit);
}

// A new empty record at the end or at the cursor.
void Dataset::Impl::beginInsert(bool atEnd) {
  savedCur = cur;
  pendingRow = atEnd || cur < 0 ? dataCount() : cur;
  cur = pendingRow;
  buffer = Row(self->fieldCount());
  changed.assign(fields.size(), false);
  eof = bof = false;
}

void Dataset::append() {
  checkCanModify(*this);
  checkBrowseMode(*this);
  impl_->beginInsert(true);
  setState(DatasetState::Insert);
  emit layoutReset();
  emit dataChanged();
}

void Dataset::insert() {
  checkCanModify(*this);
  checkBrowseMode(*this);
  impl_->beginInsert(false);
  setState(DatasetState::Insert);
  emit layoutReset();
  emit dataChanged();
}

void Dataset::post() {
  if (state_ == DatasetState::SetKey) {
    cancel();
    return;
  }
  if (state_ != DatasetState::Edit && state_ != DatasetState::Insert) return;
  const bool inserting = state_ == DatasetState::Insert;
  try {
    impl_->write();
  } catch (const EngineError& e) {
    emit postError(e.lastMessage());
    throw;
  }
  impl_->pendingRow = -1;
  impl_->buffer.clear();
  impl_->changed.clear();
  state_ = DatasetState::Browse;
  if (inserting) emit layoutReset();
  emit stateChanged();
  emit dataChanged();
}

void Dataset::cancel() {
  switch (state_) {
    case DatasetState::Edit:
      impl_->buffer.clear();
      impl_->changed.clear();
      setState(DatasetState::Browse);
      emit dataChanged();
      break;
    case DatasetState::Insert:
      impl_->pendingRow = -1;
      impl_->buffer.clear();
      impl_->changed.clear();
      impl_->cur = std::min(impl_->savedCur, impl_->dataCount() - 1);
      setState(DatasetState::Browse);
      emit layoutReset();
      emit dataChanged();
      break;
    case DatasetState::SetKey:
      impl_->keyBuffer.clear();
      setState(DatasetState::Browse);
      break;
    default: break;
  }
}

void Dataset::deleteRecord() {
  if (state_ == DatasetState::Insert) {
    cancel();
    return;
  }
  checkCanModify(*this);
  if (state_ == DatasetState::SetKey) cancel();
  const Row* row = impl_->dataRow(impl_->cur);
  if (!row) throw EngineError(QStringLiteral("Cannot perform this operation on an empty dataset"));
  const QVector<QVariant> locator = impl_->locatorOf(*row);
  QStringList where;
  for (const auto& column : impl_->source.keyColumns) where << column + QStringLiteral(" = ?");
  QSqlQuery q(impl_->db());
  const QString context = QStringLiteral("Cannot delete the record");
  prepareOrThrow(q, QStringLiteral("DELETE FROM %1 WHERE %2")
                        .arg(impl_->source.table, where.join(QStringLiteral(" AND "))),
                 context);
  for (const auto& v : locator) q.addBindValue(v);
  execOrThrow(q, context);
  if (q.numRowsAffected() == 0)
    throw EngineError(QStringList{context, QStringLiteral("The record was changed or deleted by another user")});
  const int was = impl_->cur;
  impl_->dropPages();
  impl_->rowsShifted(was, -1);
  impl_->buffer.clear();
  impl_->changed.clear();
  // The row that took its place, else the new last row.
  impl_->cur = impl_->dataRow(was) ? was : impl_->dataCount() - 1;
  impl_->eof = impl_->cur < 0;
  state_ = DatasetState::Browse;
  emit layoutReset();
  emit stateChanged();
  emit dataChanged();
}

void Dataset::setKey() {
  checkActive(*this);
  checkBrowseMode(*this);
  if (impl_->source.searchFields.empty())
    throw EngineError(QStringLiteral("The dataset has no primary index to search"));
  impl_->keyBuffer = Row(fieldCount());
  setState(DatasetState::SetKey);
}

bool Dataset::gotoKey() {
  if (state_ != DatasetState::SetKey) throw EngineError(QStringLiteral("Dataset not in SetKey mode"));
  auto& src = impl_->source;
  QVector<QVariant> key;
  for (int f : src.searchFields) {
    const QVariant v = impl_->keyBuffer.value(f);
    if (v.isNull()) break;
    key << impl_->driver->toDriver(impl_->fields[static_cast<size_t>(f)].meta.kind, v);
  }
  impl_->keyBuffer.clear();
  setState(DatasetState::Browse);
  if (key.isEmpty()) return false;
  QStringList where;
  for (int i = 0; i < key.size(); ++i) where << src.order[i] + QStringLiteral(" = ?");
  QSqlQuery q(impl_->db());
  const QString context = QStringLiteral("Cannot search the key");
  prepareOrThrow(q, QStringLiteral("SELECT COUNT(*) FROM %1 WHERE %2")
                        .arg(src.table, where.join(QStringLiteral(" AND "))),
                 context);
  for (const auto& v : key) q.addBindValue(v);
  execOrThrow(q, context);
  if (!q.next() || q.value(0).toInt() == 0) return false;
  impl_->cur = impl_->positionOf(key, static_cast<int>(key.size()));
  impl_->eof = impl_->bof = false;
  emit dataChanged();
  return true;
}

QString Dataset::driverName() const {
  if (!active() || !impl_->driver) return {};
  return (impl_->tableType.isEmpty() ? impl_->driver->tableType() : impl_->tableType).left(31);
}

QVariant Dataset::rowValue(int row, int column) {
  if (!active()) return {};
  return impl_->fieldValue(row, column);
}

QString Dataset::rowText(int row, int column) {
  if (!active() || column < 0 || column >= fieldCount()) return {};
  return displayText(impl_->fields[static_cast<size_t>(column)].meta.kind, rowValue(row, column));
}

QString Dataset::rowEditText(int row, int column) {
  if (!active() || column < 0 || column >= fieldCount()) return {};
  return editText(impl_->fields[static_cast<size_t>(column)].meta.kind, rowValue(row, column));
}

bool Dataset::isPendingRow(int row) const { return impl_->isPending(row); }

}  // namespace korvel::db
