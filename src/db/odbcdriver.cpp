#include "db/odbcdriver.h"

#include <sql.h>
#include <sqlext.h>

#include <QSqlDriver>
#include <QSqlField>
#include <QSqlIndex>
#include <QSqlRecord>
#include <map>

#include "db/aliasregistry.h"
#include "db/engineerror.h"
#include "db/postgresdriver.h"
#include "db/serverlogin.h"

namespace korvel::db {
namespace {

SQLHANDLE connectionHandle(const QSqlDatabase& db) {
  const QVariant handle = db.driver()->handle();
  if (!handle.isValid() || !handle.constData()) return nullptr;
  return *static_cast<SQLHANDLE const*>(handle.constData());
}

QString dbmsName(const QSqlDatabase& db) {
  SQLHANDLE dbc = connectionHandle(db);
  if (!dbc) return {};
  SQLCHAR name[256] = {};
  SQLSMALLINT length = 0;
  if (!SQL_SUCCEEDED(SQLGetInfo(dbc, SQL_DBMS_NAME, name, sizeof name, &length))) return {};
  return QString::fromUtf8(reinterpret_cast<const char*>(name));
}

QString columnText(SQLHSTMT stmt, int column) {
  SQLCHAR buffer[512] = {};
  SQLLEN indicator = 0;
  if (!SQL_SUCCEEDED(SQLGetData(stmt, column, SQL_C_CHAR, buffer, sizeof buffer, &indicator)) ||
      indicator == SQL_NULL_DATA)
    return {};
  return QString::fromUtf8(reinterpret_cast<const char*>(buffer));
}

// The non-primary indexes of a table through SQLStatistics, in ordinal order.
std::vector<IndexDef> statisticsIndexes(const QSqlDatabase& db, const QString& table,
                                        const QString& primaryName) {
  SQLHANDLE dbc = connectionHandle(db);
  SQLHSTMT stmt = nullptr;
  if (!dbc || !SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt)))
    throw EngineError(QStringLiteral("Cannot read the indexes of %1").arg(table));
  QByteArray name = table.toUtf8();
  std::vector<IndexDef> result;
  std::map<QString, size_t> byName;
  if (SQL_SUCCEEDED(SQLStatistics(stmt, nullptr, 0, nullptr, 0,
                                  reinterpret_cast<SQLCHAR*>(name.data()),
                                  static_cast<SQLSMALLINT>(name.size()), SQL_INDEX_ALL,
                                  SQL_QUICK))) {
    while (SQL_SUCCEEDED(SQLFetch(stmt))) {
      const QString indexName = columnText(stmt, 6);
      if (indexName.isEmpty() || indexName == primaryName) continue;  // table statistics row
      auto [it, added] = byName.try_emplace(indexName, result.size());
      if (added)
        result.push_back({indexName, QString(), columnText(stmt, 4) == u"0" ? ixUnique : 0});
      IndexDef& def = result[it->second];
      const QString column = columnText(stmt, 9);
      def.fields = def.fields.isEmpty() ? column : def.fields + u';' + column;
      if (columnText(stmt, 10) == u"D") def.options |= ixDescending;
    }
  }
  SQLFreeHandle(SQL_HANDLE_STMT, stmt);
  return result;
}

}  // namespace

QString OdbcDriver::tableTypeOfDbms(const QString& dbmsName) {
  const QString name = dbmsName.toUpper();
  if (name.contains(u"ORACLE")) return QStringLiteral("ORACLE");
  if (name.contains(u"ACCESS")) return QStringLiteral("MSACCESS");
  if (name.contains(u"POSTGRES")) return QStringLiteral("POSTGRESQL");
  if (name.contains(u"SQLITE")) return QStringLiteral("SQLITE");
  if (name.contains(u"SQL SERVER")) return QStringLiteral("MSSQL");
  if (name.contains(u"MYSQL") || name.contains(u"MARIADB")) return QStringLiteral("MYSQL");
  return QStringLiteral("ODBC");
}

// QODBC keeps a lost connection open; the ODBC driver knows it is dead.
bool OdbcDriver::isAlive(const QSqlDatabase& db) const {
  if (!db.isOpen()) return false;
  SQLHANDLE dbc = connectionHandle(db);
  if (!dbc) return false;
  SQLUINTEGER dead = SQL_CD_FALSE;
  if (!SQL_SUCCEEDED(SQLGetConnectAttr(dbc, SQL_ATTR_CONNECTION_DEAD, &dead, 0, nullptr))) return true;
  return dead != SQL_CD_TRUE;
}

QSqlDatabase OdbcDriver::open(const Alias& alias, const QString& connectionName) {
  QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), connectionName);
  db.setDatabaseName(alias.param(QStringLiteral("ODBC DSN")));
  db.setConnectOptions(QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=5"));
  openWithLogin(db, alias, connectionName);
  tableType_ = tableTypeOfDbms(dbmsName(db));
  paging_ = tableType_ == u"ORACLE" ? PagingStyle::OffsetFetch
          : tableType_ == u"POSTGRESQL" || tableType_ == u"MYSQL" || tableType_ == u"SQLITE"
              ? PagingStyle::LimitOffset
              : PagingStyle::Sequential;
  // The alias may say how its source pages rows when the DBMS is not known.
  const QString paging = alias.param(QStringLiteral("PAGING")).toUpper();
  if (paging == u"LIMIT") paging_ = PagingStyle::LimitOffset;
  else if (paging == u"FETCH") paging_ = PagingStyle::OffsetFetch;
  else if (paging == u"SEQUENTIAL") paging_ = PagingStyle::Sequential;
  return db;
}

QStringList OdbcDriver::tableNames(const QSqlDatabase& db, bool, bool withSystemTables) {
  return listedTables(db, withSystemTables);
}

std::vector<ColumnMeta> OdbcDriver::describe(const QSqlQuery& query) const {
  return describeRecord(query, odbcColumnMeta);
}

QString OdbcDriver::columnType(const FieldDef& def) const {
  if (tableType_ == u"POSTGRESQL") return PostgresDriver::postgresColumnType(def);
  const int size = def.size > 0 ? def.size : 255;
  if (tableType_ == u"ORACLE") {
    switch (def.kind) {
      case FieldKind::String: return QStringLiteral("VARCHAR2(%1)").arg(size);
      case FieldKind::Smallint: return QStringLiteral("NUMBER(5)");
      case FieldKind::Integer: return QStringLiteral("NUMBER(10)");
      case FieldKind::Float: return QStringLiteral("NUMBER");
      case FieldKind::Currency: return QStringLiteral("NUMBER(19,4)");
      case FieldKind::Boolean: return QStringLiteral("NUMBER(1)");
      case FieldKind::Date: case FieldKind::Time: return QStringLiteral("DATE");
      case FieldKind::DateTime: return QStringLiteral("TIMESTAMP");
      case FieldKind::Memo: return QStringLiteral("CLOB");
      case FieldKind::Blob: return QStringLiteral("BLOB");
    }
  }
  if (tableType_ == u"MSACCESS") {
    switch (def.kind) {
      case FieldKind::String: return QStringLiteral("TEXT(%1)").arg(std::min(size, 255));
      case FieldKind::Smallint: return QStringLiteral("SHORT");
      case FieldKind::Integer: return QStringLiteral("LONG");
      case FieldKind::Float: return QStringLiteral("DOUBLE");
      case FieldKind::Currency: return QStringLiteral("CURRENCY");
      case FieldKind::Boolean: return QStringLiteral("BIT");
      case FieldKind::Date: case FieldKind::Time: case FieldKind::DateTime:
        return QStringLiteral("DATETIME");
      case FieldKind::Memo: return QStringLiteral("MEMO");
      case FieldKind::Blob: return QStringLiteral("LONGBINARY");
    }
  }
  switch (def.kind) {
    case FieldKind::String: return QStringLiteral("VARCHAR(%1)").arg(size);
    case FieldKind::Smallint: return QStringLiteral("SMALLINT");
    case FieldKind::Integer: return QStringLiteral("INTEGER");
    case FieldKind::Float: return QStringLiteral("FLOAT");
    case FieldKind::Currency: return QStringLiteral("DECIMAL(19,4)");
    case FieldKind::Boolean: return QStringLiteral("SMALLINT");
    case FieldKind::Date: return QStringLiteral("DATE");
    case FieldKind::Time: return QStringLiteral("TIME");
    case FieldKind::DateTime: return QStringLiteral("TIMESTAMP");
    case FieldKind::Memo: return QStringLiteral("VARCHAR(4000)");
    case FieldKind::Blob: return QStringLiteral("BLOB");
  }
  return QStringLiteral("VARCHAR(255)");
}

std::vector<IndexDef> OdbcDriver::indexes(const QSqlDatabase& db, const QString& table) {
  std::vector<IndexDef> result;
  const QSqlIndex primary = db.primaryIndex(table);
  if (!primary.isEmpty()) {
    QStringList fields;
    for (int i = 0; i < primary.count(); ++i) fields << primary.fieldName(i);
    result.push_back({QString(), fields.join(u';'), ixPrimary | ixUnique});
  }
  for (auto& def : statisticsIndexes(db, table, primary.name())) result.push_back(def);
  return result;
}

}  // namespace korvel::db
