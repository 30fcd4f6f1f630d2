#include "db/odbcdriver.h"

#include <sql.h>
#include <sqlext.h>

#include <QSqlDriver>
#include <QSqlField>
#include <QSqlIndex>
#include <QSqlRecord>
#include <algorithm>
#include <map>

#include "db/aliasregistry.h"
#include "db/datetimetext.h"
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

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "unixODBC wide characters are UTF-16");

SQLWCHAR* wide(const QString& text) {
  return reinterpret_cast<SQLWCHAR*>(const_cast<char16_t*>(reinterpret_cast<const char16_t*>(text.utf16())));
}

SQLSMALLINT wideLength(const QString& text) { return static_cast<SQLSMALLINT>(text.size()); }

QString infoText(const QSqlDatabase& db, SQLUSMALLINT item) {
  SQLHANDLE dbc = connectionHandle(db);
  if (!dbc) return {};
  SQLWCHAR text[256] = {};
  SQLSMALLINT length = 0;
  if (!SQL_SUCCEEDED(SQLGetInfoW(dbc, item, text, sizeof text, &length))) return {};
  return QString::fromUtf16(reinterpret_cast<const char16_t*>(text),
                            std::min<qsizetype>(length / static_cast<SQLSMALLINT>(sizeof(SQLWCHAR)), 255));
}

QString dbmsName(const QSqlDatabase& db) { return infoText(db, SQL_DBMS_NAME); }

QString columnText(SQLHSTMT stmt, int column) {
  SQLWCHAR buffer[1024] = {};
  SQLLEN indicator = 0;
  if (!SQL_SUCCEEDED(SQLGetData(stmt, static_cast<SQLUSMALLINT>(column), SQL_C_WCHAR, buffer, sizeof buffer,
                                &indicator)) ||
      indicator == SQL_NULL_DATA)
    return {};
  return QString::fromUtf16(reinterpret_cast<const char16_t*>(buffer));
}

// A statement handle of the connection for one catalog call, freed on every path.
class CatalogStatement {
 public:
  CatalogStatement(const QSqlDatabase& db, const QString& context) {
    SQLHANDLE dbc = connectionHandle(db);
    if (!dbc || !SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt_))) throw EngineError(context);
  }
  ~CatalogStatement() { SQLFreeHandle(SQL_HANDLE_STMT, stmt_); }
  CatalogStatement(const CatalogStatement&) = delete;
  CatalogStatement& operator=(const CatalogStatement&) = delete;
  SQLHSTMT handle() const { return stmt_; }

 private:
  SQLHSTMT stmt_ = nullptr;
};

struct PrimaryKey {
  QString name;  // the index's name, where the source names it
  QStringList fields;
};

// The primary key through SQLPrimaryKeys: the names go in as values.
PrimaryKey primaryKeyOf(const QSqlDatabase& db, const TableName& table) {
  const QString context = QStringLiteral("Cannot read the primary key of %1").arg(table.text());
  CatalogStatement stmt(db, context);
  PrimaryKey key;
  QString schema = table.schema;
  QString name = table.name;
  if (!SQL_SUCCEEDED(SQLPrimaryKeysW(stmt.handle(), nullptr, 0, schema.isEmpty() ? nullptr : wide(schema),
                                     wideLength(schema), wide(name), wideLength(name))))
    return key;
  std::vector<std::pair<int, QString>> columns;
  while (SQL_SUCCEEDED(SQLFetch(stmt.handle()))) {
    columns.emplace_back(columnText(stmt.handle(), 5).toInt(), columnText(stmt.handle(), 4));
    key.name = columnText(stmt.handle(), 6);
  }
  std::sort(columns.begin(), columns.end());
  for (const auto& [order, column] : columns) key.fields << column;
  return key;
}

// The non-primary indexes of a table through SQLStatistics, in ordinal order.
std::vector<IndexDef> statisticsIndexes(const QSqlDatabase& db, const TableName& table,
                                        const QString& primaryName) {
  CatalogStatement stmt(db, QStringLiteral("Cannot read the indexes of %1").arg(table.text()));
  QString schema = table.schema;
  QString name = table.name;
  std::vector<IndexDef> result;
  std::map<QString, size_t> byName;
  if (SQL_SUCCEEDED(SQLStatisticsW(stmt.handle(), nullptr, 0, schema.isEmpty() ? nullptr : wide(schema),
                                   wideLength(schema), wide(name), wideLength(name), SQL_INDEX_ALL,
                                   SQL_QUICK))) {
    while (SQL_SUCCEEDED(SQLFetch(stmt.handle()))) {
      const QString indexName = columnText(stmt.handle(), 6);
      if (indexName.isEmpty() || indexName == primaryName) continue;  // table statistics row
      auto [it, added] = byName.try_emplace(indexName, result.size());
      if (added)
        result.push_back({indexName, QString(), columnText(stmt.handle(), 4) == u"0" ? ixUnique : 0});
      IndexDef& def = result[it->second];
      const QString column = columnText(stmt.handle(), 9);
      def.fields = def.fields.isEmpty() ? column : def.fields + u';' + column;
      if (columnText(stmt.handle(), 10) == u"D") def.options |= ixDescending;
    }
  }
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
  // Exact numerics arrive as text, not through a double.
  db.setNumericalPrecisionPolicy(QSql::HighPrecision);
  login_ = openWithLogin(db, alias, connectionName);
  // The alias may name the DBMS itself, for a source that reports it
  // under another name (or, in tests, to treat a source as another DBMS).
  const QString dbms = alias.param(QStringLiteral("DBMS NAME"));
  tableType_ = tableTypeOfDbms(dbms.isEmpty() ? dbmsName(db) : dbms);
  // A blank means the source does not quote identifiers; '"' is then the
  // SQL standard's choice.
  const QString quote = infoText(db, SQL_IDENTIFIER_QUOTE_CHAR).trimmed();
  quote_ = quote.isEmpty() ? u'"' : quote.front();
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

std::vector<Driver::ListedTable> OdbcDriver::listTables(const QSqlDatabase& db, bool, bool withSystemTables) {
  return qtListedTables(db, withSystemTables);
}

// The source lists tables by name only: a name is matched against that list
// (exactly, else ignoring case), else tried as it stands.
std::optional<TableName> OdbcDriver::lookupTable(const QSqlDatabase& db, const TableName& table) {
  const QStringList names = db.tables(QSql::AllTables);
  if (names.contains(table.name)) return table;
  for (const auto& name : names)
    if (name.compare(table.name, Qt::CaseInsensitive) == 0) return TableName{table.schema, name};
  QSqlQuery probe(db);
  if (probe.exec(QStringLiteral("SELECT * FROM %1 WHERE 1 = 0").arg(quoteTable(table)))) return table;
  return std::nullopt;
}

QStringList OdbcDriver::primaryKey(const QSqlDatabase& db, const TableName& table) {
  return primaryKeyOf(db, table).fields;
}

bool OdbcDriver::isView(const QSqlDatabase& db, const TableName& table) {
  return db.tables(QSql::Views).contains(table.name);
}

std::vector<ColumnMeta> OdbcDriver::describe(const QSqlQuery& query) const {
  return describeRecord(query, odbcColumnMeta);
}

QVariant OdbcDriver::toDriver(FieldKind kind, const QVariant& value) const {
  if (value.typeId() != QMetaType::QString) return value;
  const DateTimePart part = kind == FieldKind::Date ? DateTimePart::Date
                          : kind == FieldKind::Time ? DateTimePart::Time
                                                    : DateTimePart::DateTime;
  if (kind != FieldKind::Date && kind != FieldKind::Time && kind != FieldKind::DateTime) return value;
  const auto parts = parseDateTimeText(value.toString(), part);
  if (!parts) return value;
  switch (part) {
    case DateTimePart::Date: return parts->date();
    case DateTimePart::Time: return parts->time();
    default: return QDateTime(parts->date(), parts->time());
  }
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
      case FieldKind::Decimal: return QStringLiteral("NUMBER");
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
      case FieldKind::Decimal: return QStringLiteral("DECIMAL(28,10)");
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
    case FieldKind::Decimal: return QStringLiteral("DECIMAL(38,10)");
    case FieldKind::Boolean: return QStringLiteral("SMALLINT");
    case FieldKind::Date: return QStringLiteral("DATE");
    case FieldKind::Time: return QStringLiteral("TIME");
    case FieldKind::DateTime: return QStringLiteral("TIMESTAMP");
    case FieldKind::Memo: return QStringLiteral("VARCHAR(4000)");
    case FieldKind::Blob: return QStringLiteral("BLOB");
  }
  return QStringLiteral("VARCHAR(255)");
}

std::vector<IndexDef> OdbcDriver::indexes(const QSqlDatabase& db, const TableName& table) {
  std::vector<IndexDef> result;
  const PrimaryKey primary = primaryKeyOf(db, table);
  if (!primary.fields.isEmpty()) result.push_back({QString(), primary.fields.join(u';'), ixPrimary | ixUnique});
  for (auto& def : statisticsIndexes(db, table, primary.name)) result.push_back(def);
  return result;
}

}  // namespace korvel::db
