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
#include "db/sqlitefunctions.h"

namespace korvel::db {
namespace {

template <typename T>
T* nativeHandle(const QVariant& handle, const char* typeName) {
  if (!handle.isValid() || qstrcmp(handle.typeName(), typeName) != 0) return nullptr;
  return *static_cast<T* const*>(handle.constData());
}

void failOpen(const QString& connectionName, const QStringList& entries) {
  QSqlDatabase::removeDatabase(connectionName);
  throw EngineError(entries);
}

}  // namespace

QSqlDatabase SqliteDriver::openFile(const QString& path, const QString& connectionName) {
  QStringList problem;
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
    db.setDatabaseName(path);
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

QStringList SqliteDriver::tableNames(const QSqlDatabase& db, bool, bool withSystemTables) {
  QSqlQuery q(db);
  execOrThrow(q,
              QStringLiteral("SELECT name FROM sqlite_master WHERE type IN ('table','view') "
                             "ORDER BY name COLLATE NOCASE"),
              QStringLiteral("Cannot list the tables"));
  QStringList names;
  if (withSystemTables) names << QStringLiteral("sqlite_master");
  while (q.next()) {
    const QString name = q.value(0).toString();
    if (withSystemTables || !name.startsWith(u"sqlite_", Qt::CaseInsensitive)) names << name;
  }
  return names;
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
    case QMetaType::QTime: return value.toTime().toString(QStringLiteral("hh:mm:ss"));
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
    case FieldKind::Boolean: return QStringLiteral("BOOLEAN");
    case FieldKind::Date: return QStringLiteral("DATE");
    case FieldKind::Time: return QStringLiteral("TIME");
    case FieldKind::DateTime: return QStringLiteral("DATETIME");
    case FieldKind::Memo: return QStringLiteral("TEXT");
    case FieldKind::Blob: return QStringLiteral("BLOB");
  }
  return QStringLiteral("TEXT");
}

std::vector<IndexDef> SqliteDriver::indexes(const QSqlDatabase& db, const QString& table) {
  std::vector<IndexDef> result;
  const QString quoted = quoteTable(db, table);
  QSqlQuery list(db);
  execOrThrow(list, QStringLiteral("PRAGMA index_list(%1)").arg(quoted),
              QStringLiteral("Cannot read the indexes of %1").arg(table));
  std::vector<IndexDef> others;
  bool havePrimary = false;
  while (list.next()) {
    const QString name = list.value(1).toString();
    const bool unique = list.value(2).toInt() != 0;
    const bool primary = list.value(3).toString() == u"pk";
    QSqlQuery info(db);
    execOrThrow(info, QStringLiteral("PRAGMA index_xinfo(%1)").arg(quoteField(db, name)),
                QStringLiteral("Cannot read the index %1").arg(name));
    QStringList fields;
    bool descending = false;
    while (info.next()) {
      if (info.value(5).toInt() == 0) continue;  // not a key column
      fields << info.value(2).toString();
      descending = descending || info.value(3).toInt() != 0;
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
    QSqlQuery columns(db);
    execOrThrow(columns, QStringLiteral("PRAGMA table_info(%1)").arg(quoted),
                QStringLiteral("Cannot read the columns of %1").arg(table));
    std::vector<std::pair<int, QString>> keyColumns;
    while (columns.next())
      if (columns.value(5).toInt() > 0)
        keyColumns.emplace_back(columns.value(5).toInt(), columns.value(1).toString());
    std::sort(keyColumns.begin(), keyColumns.end());
    QStringList fields;
    for (const auto& [order, name] : keyColumns) fields << name;
    if (!fields.isEmpty()) result.push_back({QString(), fields.join(u';'), ixPrimary | ixUnique});
  }
  result.insert(result.end(), others.begin(), others.end());
  return result;
}

// SQLite cannot add a primary key to a table: the table is rebuilt with the
// key, its rows copied and its other indexes re-created, in one transaction.
void SqliteDriver::addPrimaryKey(QSqlDatabase& db, const QString& table, const QStringList& fields) {
  const QString context = QStringLiteral("Cannot add the primary index to %1").arg(table);
  const QString quoted = quoteTable(db, table);
  QSqlQuery q(db);
  execOrThrow(q, QStringLiteral("PRAGMA table_info(%1)").arg(quoted), context);
  QStringList columns;
  while (q.next()) {
    QString column = quoteField(db, q.value(1).toString()) + u' ' + q.value(2).toString();
    if (q.value(3).toInt() != 0) column += QStringLiteral(" NOT NULL");
    if (!q.value(4).isNull()) column += QStringLiteral(" DEFAULT ") + q.value(4).toString();
    columns << column;
  }
  QStringList keys;
  for (const auto& f : fields) keys << quoteField(db, f);
  QStringList indexSql;
  prepareOrThrow(q,
                 QStringLiteral("SELECT sql FROM sqlite_master WHERE type='index' AND sql IS NOT NULL "
                                "AND tbl_name = ?"),
                 context);
  q.addBindValue(table);
  execOrThrow(q, context);
  while (q.next()) indexSql << q.value(0).toString();
  q.finish();

  const QString temp = quoteTable(db, table + QStringLiteral("_korvel_rebuild"));
  if (!db.transaction()) throw EngineError(errorEntries(db.lastError(), context));
  try {
    execOrThrow(q, QStringLiteral("CREATE TABLE %1 (%2, PRIMARY KEY (%3))")
                       .arg(temp, columns.join(QStringLiteral(", ")), keys.join(QStringLiteral(", "))),
                context);
    execOrThrow(q, QStringLiteral("INSERT INTO %1 SELECT * FROM %2").arg(temp, quoted), context);
    execOrThrow(q, QStringLiteral("DROP TABLE %1").arg(quoted), context);
    execOrThrow(q, QStringLiteral("ALTER TABLE %1 RENAME TO %2").arg(temp, quoted), context);
    for (const auto& sql : indexSql) execOrThrow(q, sql, context);
    if (!db.commit()) throw EngineError(errorEntries(db.lastError(), context));
  } catch (...) {
    q.finish();
    db.rollback();
    throw;
  }
}

}  // namespace korvel::db
