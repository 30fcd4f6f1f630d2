#include "db/table.h"

#include <QSqlError>
#include <QSqlIndex>

#include "db/datasetimpl.h"
#include "db/driver.h"
#include "db/engine.h"

namespace korvel::db {
namespace {

int fieldIndex(const std::vector<FieldInfo>& fields, const QString& name) {
  for (size_t i = 0; i < fields.size(); ++i)
    if (fields[i].name.compare(name, Qt::CaseInsensitive) == 0) return static_cast<int>(i);
  return -1;
}

}  // namespace

Table::Table(QObject* parent) : Dataset(parent) {}
Table::~Table() { close(); }

void Table::setTableName(const QString& name) {
  if (active()) close();
  tableName_ = name;
  table_ = TableName{QString(), name};
  byParts_ = false;
}

void Table::setTable(const TableName& table) {
  if (active()) close();
  tableName_ = table.text();
  table_ = table;
  byParts_ = true;
}

TableName Table::lookUp() {
  const QSqlDatabase db = Engine::instance().connection(databaseName_);
  Driver& driver = Engine::instance().driver(databaseName_);
  const std::optional<TableName> found =
      byParts_ ? driver.lookupTable(db, table_) : driver.findTable(db, tableName_);
  table_ = found.value_or(byParts_ ? table_ : TableName{QString(), tableName_});
  return table_;
}

TableName Table::existing() {
  if (!exists()) throw EngineError(QStringLiteral("Table %1 does not exist").arg(tableName_));
  return lookUp();
}

void Table::addFieldDef(const QString& name, FieldKind kind, int size, bool required) {
  fieldDefs_.push_back({name, kind, size, required});
}

// Rows are ordered by the primary key (else the driver's row locator, else
// its physical order) so that pages stay stable and key positions can be
// counted.
void Table::openCursor() {
  if (tableName_.isEmpty()) throw EngineError(QStringLiteral("No table name is given"));
  Impl& impl = *this->impl();
  QSqlDatabase db = impl.db();
  Driver& driver = *impl.driver;
  const TableName name = tableType_ == TableType::Ascii ? (table_ = driver.asciiTable(db, tableName_)) : lookUp();
  impl.tableType = driver.tableTypeOf(db, name);
  const QString quoted = driver.quoteTable(name);
  const QStringList key = driver.primaryKey(db, name);

  RowSource rows;
  rows.countSql = QStringLiteral("SELECT COUNT(*) FROM %1").arg(quoted);
  rows.from = quoted;
  for (const auto& k : key) rows.order << driver.quoteName(k);
  // Views cannot be written through: no locator, no physical order.
  const bool view = key.isEmpty() && driver.isView(db, name);
  const bool byLocator = key.isEmpty() && !view && !driver.rowLocator().isEmpty();
  const bool byAddress = key.isEmpty() && !view && !byLocator && driver.physicalRanges();
  if (byLocator || byAddress) {
    // A hidden last column: the row id locates rows (and pages), a row
    // address only finds pages.
    const QString hidden = byLocator ? driver.rowLocator() : driver.physicalOrder();
    rows.select = QStringLiteral("SELECT *, %1 FROM %2").arg(hidden, quoted);
    rows.order << hidden;
    if (byLocator) rows.keyColumns << hidden;
    rows.hiddenColumns = 1;
  } else {
    rows.select = QStringLiteral("SELECT * FROM %1").arg(quoted);
    rows.keyColumns = rows.order;
    if (key.isEmpty() && !view && !driver.physicalOrder().isEmpty()) rows.order << driver.physicalOrder();
  }
  rows.orderIsKey = !key.isEmpty() || byLocator;
  if (rows.orderIsKey) rows.table = quoted;
  rows.seek = rows.orderIsKey ? SeekStyle::Key : byAddress ? SeekStyle::Physical : SeekStyle::Offset;

  const auto openError = [&](const EngineError& e) {
    QStringList entries = e.entries();
    entries.prepend(QStringLiteral("Cannot open table %1").arg(tableName_));
    return EngineError(entries);
  };
  try {
    impl.start(rows);
  } catch (const EngineError& e) {
    if (!key.isEmpty() || rows.order.isEmpty()) throw openError(e);
    // A view has neither rowid nor physical row order: open it read only,
    // in its own order.
    RowSource readOnly;
    readOnly.select = QStringLiteral("SELECT * FROM %1").arg(quoted);
    readOnly.countSql = rows.countSql;
    impl.reset();  // keeps the connection and driver the first attempt used
    try {
      impl.start(readOnly);
    } catch (const EngineError& again) {
      throw openError(again);
    }
    return;
  }
  auto& fields = impl.fields;
  auto& source = impl.source;
  source.keyIndexes.clear();
  if (byLocator) source.keyIndexes.push_back(static_cast<int>(fields.size()));
  for (const auto& k : key) {
    const int index = fieldIndex(fields, k);
    if (index < 0) throw EngineError(QStringLiteral("Key field %1 of table %2 not found").arg(k, tableName_));
    source.keyIndexes.push_back(index);
    source.searchFields.push_back(index);
    fields[static_cast<size_t>(index)].indexField = true;
  }
  source.orderIndexes = source.keyIndexes;
  if (source.seek == SeekStyle::Physical) source.orderIndexes = {static_cast<int>(fields.size())};
  if (source.orderIsKey)
    for (auto& f : fields) f.writeColumn = driver.quoteName(f.name);
}

bool Table::exists() {
  QSqlDatabase db = Engine::instance().connection(databaseName_);
  Driver& driver = Engine::instance().driver(databaseName_);
  if (tableType_ == TableType::Ascii) {
    try {
      driver.asciiTable(db, tableName_);
      return true;
    } catch (const EngineError&) {
      return false;
    }
  }
  return (byParts_ ? driver.lookupTable(db, table_) : driver.findTable(db, tableName_)).has_value();
}

void Table::createTable() {
  if (active()) throw EngineError(QStringLiteral("Cannot create the table of an open dataset"));
  if (tableName_.isEmpty()) throw EngineError(QStringLiteral("No table name is given"));
  if (fieldDefs_.empty()) throw EngineError(QStringLiteral("No field definitions for table %1").arg(tableName_));
  QSqlDatabase db = Engine::instance().connection(databaseName_);
  Driver& driver = Engine::instance().driver(databaseName_);
  const QStringList primary = pendingPrimary_.split(u';', Qt::SkipEmptyParts);
  Engine::instance().releaseReadCursors();
  if (tableType_ == TableType::Ascii) {
    driver.createAsciiTable(db, tableName_, fieldDefs_, primary);
  } else {
    const bool replacing = exists();
    driver.createTable(db, lookUp(), fieldDefs_, primary, replacing);
  }
  pendingPrimary_.clear();
}

void Table::addIndex(const QString& name, const QString& fields, int options) {
  if (state() == DatasetState::Edit || state() == DatasetState::Insert)
    throw EngineError(QStringLiteral("Cannot add an index while a record is edited"));
  QStringList names;
  for (const auto& f : fields.split(u';', Qt::SkipEmptyParts)) names << f.trimmed();
  if (names.isEmpty()) throw EngineError(QStringLiteral("No fields for index %1").arg(name));
  const bool primary = (options & ixPrimary) != 0;
  if (!exists()) {
    // The primary index of a table still to be created goes into its CREATE TABLE.
    if (!primary) throw EngineError(QStringLiteral("Table %1 does not exist").arg(tableName_));
    pendingPrimary_ = names.join(u';');
    return;
  }
  QSqlDatabase db = Engine::instance().connection(databaseName_);
  Driver& driver = Engine::instance().driver(databaseName_);
  const TableName table = lookUp();
  Engine::instance().releaseReadCursors();
  if (primary) {
    driver.addPrimaryKey(db, table, names);
    return;
  }
  QStringList columns;
  for (const auto& f : names)
    columns << driver.quoteName(f) + ((options & ixDescending) ? QStringLiteral(" DESC") : QString());
  const QString indexName = name.isEmpty() ? table.name + u'_' + names.join(u'_') : name;
  // Through the driver's statement text, so that a driver that cannot keep
  // the index says why in its own words.
  const QString sql = driver.statementText(QStringLiteral("CREATE %1INDEX %2 ON %3 (%4)")
                                               .arg((options & ixUnique) ? QStringLiteral("UNIQUE ") : QString(),
                                                    driver.quoteName(indexName), driver.quoteTable(table),
                                                    columns.join(QStringLiteral(", "))));
  QSqlQuery q(db);
  execOrThrow(q, sql, QStringLiteral("Cannot add index %1 to %2").arg(indexName, tableName_));
}

void Table::updateIndexDefs() {
  QSqlDatabase db = Engine::instance().connection(databaseName_);
  Driver& driver = Engine::instance().driver(databaseName_);
  indexDefs_ = driver.indexes(db, existing());
}

}  // namespace korvel::db
