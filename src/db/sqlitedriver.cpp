#include "db/sqlitedriver.h"

#include <sqlite3.h>

#include <QDate>
#include <QDateTime>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlRecord>
#include <QSqlResult>
#include <QTime>

#include "db/aliasregistry.h"
#include "db/engineerror.h"
#include "db/isotext.h"
#include "db/nativehandle.h"
#include "db/sqlitefunctions.h"

namespace korvel::db {
namespace {

void failOpen(const QString& connectionName, const QStringList& entries) {
  QSqlDatabase::removeDatabase(connectionName);
  throw EngineError(entries);
}

}  // namespace

QSqlDatabase SqliteDriver::openFile(const QString& path, const QString& connectionName, const QString& options) {
  QStringList problem;
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
    db.setDatabaseName(path);
    db.setConnectOptions(options);
    if (!db.open())
      problem = errorEntries(db.lastError(), QStringLiteral("Cannot open the SQLite database %1").arg(path));
    else if (auto* handle = nativeHandle<sqlite3>(db.driver()->handle(), "sqlite3*");
             !handle || !registerSqliteFunctions(handle))
      problem << QStringLiteral("Cannot register the SQL functions on %1").arg(path);
    else {
      // Opening is lazy in SQLite: read the schema now so that a file that
      // is not a database fails here.
      QSqlQuery check(db);
      if (!check.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")))
        problem = errorEntries(check.lastError(), QStringLiteral("%1 is not a SQLite database").arg(path));
    }
    if (problem.isEmpty()) return db;
    db.close();
  }
  failOpen(connectionName, problem);
  return {};
}

// The same file, read only: the side connection only counts.
SideConnector SqliteDriver::sideConnector(const QSqlDatabase& db) const {
  const QString path = db.databaseName();
  if (path.isEmpty() || path == u":memory:") return {};
  return [path](const QString& connectionName) {
    return openFile(path, connectionName, QStringLiteral("QSQLITE_OPEN_READONLY"));
  };
}

bool SqliteDriver::inTransaction(const QSqlDatabase& db) const {
  auto* handle = db.driver() ? nativeHandle<sqlite3>(db.driver()->handle(), "sqlite3*") : nullptr;
  return handle && !sqlite3_get_autocommit(handle);
}

QSqlDatabase SqliteDriver::open(const Alias& alias, const QString& connectionName) {
  const QString path = alias.param(QStringLiteral("PATH"));
  if (path.isEmpty())
    throw EngineError(QStringLiteral("Alias %1 has no PATH parameter").arg(alias.name));
  const QFileInfo info(path);
  if (!info.exists() || !info.isFile())
    throw EngineError(QStringList{QStringLiteral("Cannot open alias %1").arg(alias.name),
                                  QStringLiteral("Database file not found: %1").arg(path)});
  return openFile(path, connectionName);
}

std::vector<Driver::ListedTable> SqliteDriver::listTables(const QSqlDatabase& db, bool, bool withSystemTables) {
  QSqlQuery q(db);
  execOrThrow(q,
              QStringLiteral("SELECT name FROM sqlite_master WHERE type IN ('table','view') "
                             "ORDER BY name COLLATE NOCASE"),
              QStringLiteral("Cannot list the tables"));
  std::vector<ListedTable> tables;
  if (withSystemTables) tables.push_back({TableName{QString(), QStringLiteral("sqlite_master")}, QStringLiteral("sqlite_master")});
  while (q.next()) {
    const QString name = q.value(0).toString();
    if (withSystemTables || !name.startsWith(u"sqlite_", Qt::CaseInsensitive))
      tables.push_back({TableName{QString(), name}, name});
  }
  return tables;
}

QString SqliteDriver::masterTable(const TableName& table) const {
  return table.schema.isEmpty() ? QStringLiteral("sqlite_master")
                                : quoteName(table.schema) + QStringLiteral(".sqlite_master");
}

QString SqliteDriver::pragmaCall(const char* pragma, const TableName& table, QVector<QVariant>& binds) const {
  binds << table.name;
  if (table.schema.isEmpty()) return QStringLiteral("pragma_%1(?)").arg(QLatin1String(pragma));
  binds << table.schema;
  return QStringLiteral("pragma_%1(?, ?)").arg(QLatin1String(pragma));
}

// SQLite matches identifiers without regard to ASCII case, as NOCASE does.
std::optional<TableName> SqliteDriver::lookupTable(const QSqlDatabase& db, const TableName& table) {
  static const QStringList schemaTables = {QStringLiteral("sqlite_master"), QStringLiteral("sqlite_schema"),
                                           QStringLiteral("sqlite_temp_master"),
                                           QStringLiteral("sqlite_temp_schema")};
  for (const auto& system : schemaTables)
    if (table.name.compare(system, Qt::CaseInsensitive) == 0) return TableName{table.schema, system};
  const QString context = QStringLiteral("Cannot look up the table %1").arg(table.text());
  const QString sql = QStringLiteral("SELECT name FROM %1 WHERE type IN ('table','view') AND name = ?%2")
                          .arg(masterTable(table));
  QStringList found = firstColumn(db, sql.arg(QString()), {table.name}, context);
  if (found.isEmpty()) found = firstColumn(db, sql.arg(QStringLiteral(" COLLATE NOCASE")), {table.name}, context);
  if (found.isEmpty()) return std::nullopt;
  return TableName{table.schema, found.first()};
}

QStringList SqliteDriver::primaryKey(const QSqlDatabase& db, const TableName& table) {
  QVector<QVariant> binds;
  const QString from = pragmaCall("table_info", table, binds);
  return firstColumn(db, QStringLiteral("SELECT name FROM %1 WHERE pk > 0 ORDER BY pk").arg(from), binds,
                     QStringLiteral("Cannot read the primary key of %1").arg(table.text()));
}

QStringList SqliteDriver::columnNames(const QSqlDatabase& db, const TableName& table) {
  QVector<QVariant> binds;
  const QString from = pragmaCall("table_info", table, binds);
  return firstColumn(db, QStringLiteral("SELECT name FROM %1 ORDER BY cid").arg(from), binds,
                     QStringLiteral("Cannot read the columns of %1").arg(table.text()));
}

bool SqliteDriver::isView(const QSqlDatabase& db, const TableName& table) {
  const QStringList types =
      firstColumn(db, QStringLiteral("SELECT type FROM %1 WHERE name = ?").arg(masterTable(table)), {table.name},
                  QStringLiteral("Cannot look up the table %1").arg(table.text()));
  return types.contains(QStringLiteral("view"));
}

std::vector<ColumnMeta> SqliteDriver::describe(const QSqlQuery& query) const {
  const QSqlRecord record = query.record();
  auto* stmt = nativeHandle<sqlite3_stmt>(query.result()->handle(), "sqlite3_stmt*");
  sqlite3* db = stmt ? sqlite3_db_handle(stmt) : nullptr;
  std::vector<ColumnMeta> columns;
  for (int i = 0; i < record.count(); ++i) {
    const char* decl = stmt ? sqlite3_column_decltype(stmt, i) : nullptr;
    ColumnMeta meta = sqliteColumnMeta(decl ? QString::fromUtf8(decl) : QString(),
                                       record.field(i).metaType());
    // Qt's SQLite driver removes double quotes from column names.
    if (const void* name = stmt ? sqlite3_column_name16(stmt, i) : nullptr)
      meta.name = QString::fromUtf16(static_cast<const char16_t*>(name));
    const char* table = stmt ? sqlite3_column_table_name(stmt, i) : nullptr;
    const char* column = stmt ? sqlite3_column_origin_name(stmt, i) : nullptr;
    int notNull = 0;
    if (table && column &&
        sqlite3_table_column_metadata(db, sqlite3_column_database_name(stmt, i), table, column,
                                      nullptr, nullptr, &notNull, nullptr, nullptr) == SQLITE_OK)
      meta.required = notNull != 0;
    columns.push_back(meta);
  }
  return columns;
}

QVariant SqliteDriver::toDriver(FieldKind kind, const QVariant& value) const {
  if (value.isNull()) return value;
  switch (value.typeId()) {
    case QMetaType::QDate: return isoDateText(value.toDate());
    case QMetaType::QTime:
      return value.toTime().toString(value.toTime().msec() ? QStringLiteral("hh:mm:ss.zzz") : QStringLiteral("hh:mm:ss"));
    case QMetaType::QDateTime: {
      const QDateTime dt = value.toDateTime();
      if (kind == FieldKind::Date) return isoDateText(dt.date());
      return isoDateTimeText(dt);
    }
    case QMetaType::Bool: return value.toBool() ? 1 : 0;
    default: return value;
  }
}

QString SqliteDriver::columnType(const FieldDef& def) const {
  switch (def.kind) {
    case FieldKind::String: return QStringLiteral("VARCHAR(%1)").arg(def.size > 0 ? def.size : 255);
    case FieldKind::Smallint: return QStringLiteral("SMALLINT");
    case FieldKind::Integer: return QStringLiteral("INTEGER");
    case FieldKind::Float: return QStringLiteral("DOUBLE");
    case FieldKind::Currency: return QStringLiteral("CURRENCY");
    case FieldKind::Decimal: return QStringLiteral("NUMERIC");
    case FieldKind::Boolean: return QStringLiteral("BOOLEAN");
    case FieldKind::Date: return QStringLiteral("DATE");
    case FieldKind::Time: return QStringLiteral("TIME");
    case FieldKind::DateTime: return QStringLiteral("DATETIME");
    case FieldKind::Memo: return QStringLiteral("TEXT");
    case FieldKind::Blob: return QStringLiteral("BLOB");
  }
  return QStringLiteral("TEXT");
}

std::vector<IndexDef> SqliteDriver::indexes(const QSqlDatabase& db, const TableName& table) {
  std::vector<IndexDef> result;
  const QString context = QStringLiteral("Cannot read the indexes of %1").arg(table.text());
  QVector<QVariant> binds;
  QSqlQuery list(db);
  prepareOrThrow(list, QStringLiteral("SELECT name, \"unique\", origin FROM %1")
                           .arg(pragmaCall("index_list", table, binds)),
                 context);
  for (const auto& v : binds) list.addBindValue(v);
  execOrThrow(list, context);
  std::vector<IndexDef> others;
  bool havePrimary = false;
  while (list.next()) {
    const QString name = list.value(0).toString();
    const bool unique = list.value(1).toInt() != 0;
    const bool primary = list.value(2).toString() == u"pk";
    QVector<QVariant> indexBinds;
    QSqlQuery info(db);
    prepareOrThrow(info, QStringLiteral("SELECT name, \"desc\" FROM %1 WHERE \"key\" <> 0 ORDER BY seqno")
                             .arg(pragmaCall("index_xinfo", TableName{table.schema, name}, indexBinds)),
                   context);
    for (const auto& v : indexBinds) info.addBindValue(v);
    execOrThrow(info, context);
    QStringList fields;
    bool descending = false;
    while (info.next()) {
      fields << info.value(0).toString();
      descending = descending || info.value(1).toInt() != 0;
    }
    IndexDef def{primary ? QString() : name, fields.join(u';'),
                 (primary ? ixPrimary : 0) | (unique ? ixUnique : 0) | (descending ? ixDescending : 0)};
    if (primary) {
      havePrimary = true;
      result.push_back(def);
    } else {
      others.insert(others.begin(), def);  // index_list lists the newest first
    }
  }
  if (!havePrimary) {
    // An INTEGER PRIMARY KEY is the rowid itself and has no index entry.
    const QStringList fields = primaryKey(db, table);
    if (!fields.isEmpty()) result.push_back({QString(), fields.join(u';'), ixPrimary | ixUnique});
  }
  result.insert(result.end(), others.begin(), others.end());
  return result;
}

// SQLite cannot add a primary key to a table: the table is rebuilt with the
// key, its rows copied and its other indexes re-created, in one transaction.
void SqliteDriver::addPrimaryKey(QSqlDatabase& db, const TableName& table, const QStringList& fields) {
  const QString context = QStringLiteral("Cannot add the primary index to %1").arg(table.text());
  const QString quoted = quoteTable(table);
  QVector<QVariant> binds;
  QSqlQuery q(db);
  prepareOrThrow(q, QStringLiteral("SELECT name, type, \"notnull\", dflt_value FROM %1 ORDER BY cid")
                        .arg(pragmaCall("table_info", table, binds)),
                 context);
  for (const auto& v : binds) q.addBindValue(v);
  execOrThrow(q, context);
  QStringList columns;
  while (q.next()) {
    // Type and default are the database's own text for the column.
    QString column = quoteName(q.value(0).toString()) + u' ' + q.value(1).toString();
    if (q.value(2).toInt() != 0) column += QStringLiteral(" NOT NULL");
    if (!q.value(3).isNull()) column += QStringLiteral(" DEFAULT ") + q.value(3).toString();
    columns << column;
  }
  QStringList keys;
  for (const auto& f : fields) keys << quoteName(f);
  const QStringList indexSql =
      firstColumn(db,
                  QStringLiteral("SELECT sql FROM %1 WHERE type = 'index' AND sql IS NOT NULL AND tbl_name = ?")
                      .arg(masterTable(table)),
                  {table.name}, context);
  q.finish();

  const QString rebuilt = table.name + QStringLiteral("_korvel_rebuild");
  const QString temp = quoteTable(TableName{table.schema, rebuilt});
  if (!db.transaction()) throw EngineError(errorEntries(db.lastError(), context));
  try {
    execOrThrow(q, QStringLiteral("CREATE TABLE %1 (%2, PRIMARY KEY (%3))")
                       .arg(temp, columns.join(QStringLiteral(", ")), keys.join(QStringLiteral(", "))),
                context);
    execOrThrow(q, QStringLiteral("INSERT INTO %1 SELECT * FROM %2").arg(temp, quoted), context);
    execOrThrow(q, QStringLiteral("DROP TABLE %1").arg(quoted), context);
    execOrThrow(q, QStringLiteral("ALTER TABLE %1 RENAME TO %2").arg(temp, quoteName(table.name)), context);
    for (const auto& sql : indexSql) execOrThrow(q, sql, context);
    if (!db.commit()) throw EngineError(errorEntries(db.lastError(), context));
  } catch (...) {
    q.finish();
    db.rollback();
    throw;
  }
}

}  // namespace korvel::db
