#include "db/driver.h"

#include <QSqlDriver>
#include <QSqlField>
#include <QSqlQuery>
#include <algorithm>
#include <QSqlError>
#include <QSqlIndex>
#include <QSqlRecord>

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
  return nullptr;
}

QVariant Driver::toDriver(FieldKind, const QVariant& value) const { return value; }

void Driver::addPrimaryKey(QSqlDatabase& db, const QString& table, const QStringList& fields) {
  QStringList quoted;
  for (const auto& f : fields) quoted << quoteField(db, f);
  QSqlQuery q(db);
  execOrThrow(q,
              QStringLiteral("ALTER TABLE %1 ADD PRIMARY KEY (%2)")
                  .arg(quoteTable(db, table), quoted.join(u", ")),
              QStringLiteral("Cannot add the primary index to %1").arg(table));
}

QString Driver::resolveTableName(const QSqlDatabase& db, const QString& name) const {
  // Asking for one table's columns is cheap; listing a large catalog is not.
  if (!db.record(name).isEmpty()) return name;
  const QStringList tables = db.tables(QSql::AllTables);
  if (tables.contains(name)) return name;
  for (const auto& t : tables)
    if (t.compare(name, Qt::CaseInsensitive) == 0) return t;
  return name;
}

QStringList Driver::primaryKey(const QSqlDatabase& db, const QString& table) {
  const QSqlIndex index = db.primaryIndex(table);
  QStringList fields;
  for (int i = 0; i < index.count(); ++i) fields << index.fieldName(i);
  return fields;
}

QString Driver::quoteTable(const QSqlDatabase& db, const QString& name) {
  return db.driver()->escapeIdentifier(name, QSqlDriver::TableName);
}

QString Driver::quoteField(const QSqlDatabase& db, const QString& name) {
  return db.driver()->escapeIdentifier(name, QSqlDriver::FieldName);
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

QStringList Driver::listedTables(const QSqlDatabase& db, bool withSystemTables) {
  QStringList names = db.tables(QSql::Tables) + db.tables(QSql::Views);
  if (withSystemTables) names += db.tables(QSql::SystemTables);
  names.removeDuplicates();
  std::sort(names.begin(), names.end(),
            [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
  return names;
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
