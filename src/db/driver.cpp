#include "db/driver.h"

#include <QSqlDriver>
#include <QSqlField>
#include <QSqlQuery>
#include <algorithm>
#include <QSqlError>
#include <QSqlIndex>
#include <QSqlRecord>

#include "db/directorydriver.h"
#include "db/engineerror.h"
#include "db/odbcdriver.h"
#include "db/postgresdriver.h"
#include "db/sqlitedriver.h"

namespace korvel::db {

std::unique_ptr<Driver> Driver::create(const QString& aliasType) {
  const QString type = aliasType.toUpper();
  if (type == u"SQLITE") return std::make_unique<SqliteDriver>();
  if (type == u"POSTGRESQL") return std::make_unique<PostgresDriver>();
  if (type == u"ODBC") return std::make_unique<OdbcDriver>();
  if (type == u"PARADOX" || type == u"ASCII") return std::make_unique<DirectoryDriver>();
  return nullptr;
}

QVariant Driver::toDriver(FieldKind, const QVariant& value) const { return value; }

QVector<QVariant> Driver::readRow(QSqlQuery& query) const { return readRow(query, query.record().count()); }

QVector<QVariant> Driver::readRow(QSqlQuery& query, int columns) const {
  QVector<QVariant> row(columns);
  for (int i = 0; i < columns; ++i) row[i] = query.value(i);
  return row;
}

void Driver::addPrimaryKey(QSqlDatabase& db, const TableName& table, const QStringList& fields) {
  QStringList quoted;
  for (const auto& f : fields) quoted << quoteName(f);
  QSqlQuery q(db);
  execOrThrow(q,
              QStringLiteral("ALTER TABLE %1 ADD PRIMARY KEY (%2)").arg(quoteTable(table), quoted.join(u", ")),
              QStringLiteral("Cannot add the primary index to %1").arg(table.text()));
}

QString Driver::tableTypeOf(const QSqlDatabase&, const TableName&) { return tableType(); }

QString Driver::createTableSql(const TableName& table, const std::vector<FieldDef>& fields,
                               const QStringList& primaryKey) const {
  QStringList columns;
  for (const auto& def : fields)
    columns << quoteName(def.name) + u' ' + columnType(def) + (def.required ? QStringLiteral(" NOT NULL") : QString());
  if (!primaryKey.isEmpty()) {
    QStringList keys;
    for (const auto& f : primaryKey) keys << quoteName(f);
    columns << QStringLiteral("PRIMARY KEY (%1)").arg(keys.join(QStringLiteral(", ")));
  }
  return QStringLiteral("CREATE TABLE %1 (%2)").arg(quoteTable(table), columns.join(QStringLiteral(", ")));
}

void Driver::createTable(QSqlDatabase& db, const TableName& table, const std::vector<FieldDef>& fields,
                         const QStringList& primaryKey, bool replacing) {
  const QString context = QStringLiteral("Cannot create table %1").arg(table.text());
  QSqlQuery q(db);
  const bool transaction = db.transaction();
  try {
    if (replacing) execOrThrow(q, QStringLiteral("DROP TABLE %1").arg(quoteTable(table)), context);
    execOrThrow(q, createTableSql(table, fields, primaryKey), context);
    if (transaction && !db.commit()) throw EngineError(errorEntries(db.lastError(), context));
  } catch (...) {
    if (transaction) db.rollback();
    throw;
  }
}

TableName Driver::asciiTable(QSqlDatabase&, const QString& fileName) {
  throw EngineError(QStringList{QStringLiteral("Cannot open the text table %1").arg(fileName),
                                QStringLiteral("ASCII text tables are kept in a directory: give a directory as the database name")});
}

void Driver::createAsciiTable(QSqlDatabase& db, const QString& fileName, const std::vector<FieldDef>&, const QStringList&) {
  asciiTable(db, fileName);
}

QStringList Driver::tableNames(const QSqlDatabase& db, bool withExtensions, bool withSystemTables) {
  const std::vector<ListedTable> tables = listTables(db, withExtensions, withSystemTables);
  listed_.clear();
  QStringList texts;
  for (const auto& t : tables) {
    listed_.insert(t.text, t.table);
    texts << t.text;
  }
  return texts;
}

std::optional<TableName> Driver::findTable(const QSqlDatabase& db, const QString& text) {
  if (text.isEmpty()) return std::nullopt;
  if (auto it = listed_.constFind(text); it != listed_.constEnd()) return *it;
  return lookupTyped(db, text);
}

std::optional<TableName> Driver::lookupTyped(const QSqlDatabase& db, const QString& text) {
  return lookupTable(db, TableName{QString(), text});
}

// The columns of the table's empty result: any driver answers this for any
// table it can read.
QStringList Driver::columnNames(const QSqlDatabase& db, const TableName& table) {
  QSqlQuery q(db);
  execOrThrow(q, QStringLiteral("SELECT * FROM %1 WHERE 1 = 0").arg(quoteTable(table)),
              QStringLiteral("Cannot read the columns of %1").arg(table.text()));
  const QSqlRecord record = q.record();
  QStringList names;
  for (int i = 0; i < record.count(); ++i) names << record.fieldName(i);
  return names;
}

QStringList Driver::firstColumn(const QSqlDatabase& db, const QString& sql, const QVector<QVariant>& binds,
                                const QString& context) {
  QSqlQuery q(db);
  q.setForwardOnly(true);
  prepareOrThrow(q, sql, context);
  for (const auto& v : binds) q.addBindValue(v);
  execOrThrow(q, context);
  QStringList values;
  while (q.next()) values << q.value(0).toString();
  return values;
}

namespace {

const QString kNoMessage = QStringLiteral("The database driver gave no message");

// A statement on a connection the driver has closed fails without any text
// (Qt's PostgreSQL driver closes a connection the server ended): say so.
QStringList queryErrorEntries(const QSqlQuery& query, const QString& context) {
  QStringList entries = errorEntries(query.lastError(), context);
  if (entries.last() == kNoMessage && query.driver() && !query.driver()->isOpen())
    entries.last() = QStringLiteral("The connection to the database is closed: it was lost or "
                                    "ended by the server; it is opened again at its next use");
  return entries;
}

}  // namespace

void execOrThrow(QSqlQuery& query, const QString& context) {
  if (query.exec()) return;
  throw EngineError(queryErrorEntries(query, context));
}

void execOrThrow(QSqlQuery& query, const QString& sql, const QString& context) {
  if (query.exec(sql)) return;
  throw EngineError(queryErrorEntries(query, context));
}

void prepareOrThrow(QSqlQuery& query, const QString& sql, const QString& context) {
  if (query.prepare(sql)) return;
  throw EngineError(queryErrorEntries(query, context));
}

QStringList errorEntries(const QSqlError& error, const QString& context) {
  QStringList entries{context};
  const QString database = error.databaseText().trimmed();
  const QString driver = error.driverText().trimmed();
  if (!driver.isEmpty() && driver != database) entries << driver;
  const QString last = database.isEmpty() ? error.text().trimmed() : database;
  // The last entry is what a message box shows: never leave it empty.
  entries << (last.isEmpty() ? kNoMessage : last);
  return entries;
}

std::vector<Driver::ListedTable> Driver::qtListedTables(const QSqlDatabase& db, bool withSystemTables) {
  QStringList names = db.tables(QSql::Tables) + db.tables(QSql::Views);
  if (withSystemTables) names += db.tables(QSql::SystemTables);
  names.removeDuplicates();
  std::sort(names.begin(), names.end(),
            [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
  std::vector<ListedTable> tables;
  for (const auto& name : names) tables.push_back({TableName{QString(), name}, name});
  return tables;
}

std::vector<ColumnMeta> Driver::describeRecord(const QSqlQuery& query,
                                               ColumnMeta (*meta)(int, int, int)) {
  const QSqlRecord record = query.record();
  std::vector<ColumnMeta> columns;
  for (int i = 0; i < record.count(); ++i) {
    const QSqlField f = record.field(i);
    ColumnMeta column = meta(f.typeID(), f.length(), f.precision());
    column.required = f.requiredStatus() == QSqlField::Required;
    columns.push_back(column);
  }
  return columns;
}

}  // namespace korvel::db
