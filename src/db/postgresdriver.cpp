#include "db/postgresdriver.h"

#include <libpq-fe.h>

#include <QSqlDriver>
#include <QSqlField>
#include <libpq-fe.h>

#include <QSet>
#include <QSqlResult>
#include <QSqlRecord>
#include <algorithm>

#include "db/aliasregistry.h"
#include "db/nativehandle.h"
#include "db/serverlogin.h"

namespace korvel::db {

QSqlDatabase PostgresDriver::open(const Alias& alias, const QString& connectionName) {
  QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connectionName);
  db.setHostName(alias.param(QStringLiteral("SERVER NAME")));
  const QString port = alias.param(QStringLiteral("PORT"));
  if (!port.isEmpty()) db.setPort(port.toInt());
  db.setDatabaseName(alias.param(QStringLiteral("DATABASE NAME")));
  db.setConnectOptions(QStringLiteral("connect_timeout=5"));
  login_ = openWithLogin(db, alias, connectionName);
  return db;
}

bool PostgresDriver::inTransaction(const QSqlDatabase& db) const {
  // Unknown is taken as inside one: a second connection might not see its rows.
  PGconn* connection = postgresConnection(db);
  return !connection || PQtransactionStatus(connection) != PQTRANS_IDLE;
}

namespace {

// Relations a user can browse: tables, partitioned tables, views,
// materialized views and foreign tables.
const QString kRelation = QStringLiteral(
    "FROM pg_catalog.pg_class c JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace "
    "WHERE c.relkind IN ('r','p','v','m','f') ");

// The relation of a (schema, name): in that schema, or with no schema the one
// the search path finds. Binds the name, then the schema twice.
const QString kRelationIs = QStringLiteral(
    "c.relname = CAST(? AS text) AND (n.nspname = CAST(? AS text) "
    "OR (COALESCE(CAST(? AS text), '') = '' AND pg_catalog.pg_table_is_visible(c.oid))) ");

QVector<QVariant> relationBinds(const TableName& table) {
  return {table.name, table.schema, table.schema};
}

std::vector<TableName> relations(const QSqlDatabase& db, const QString& condition, const QVector<QVariant>& binds,
                                 const QString& context) {
  QSqlQuery q(db);
  q.setForwardOnly(true);
  prepareOrThrow(q, QStringLiteral("SELECT n.nspname, c.relname ") + kRelation + QStringLiteral("AND ") + condition,
                 context);
  for (const auto& v : binds) q.addBindValue(v);
  execOrThrow(q, context);
  std::vector<TableName> found;
  while (q.next()) found.push_back({q.value(0).toString(), q.value(1).toString()});
  return found;
}

std::optional<TableName> single(const std::vector<TableName>& found) {
  if (found.size() != 1) return std::nullopt;
  return found.front();
}

}  // namespace

std::vector<Driver::ListedTable> PostgresDriver::listTables(const QSqlDatabase& db, bool, bool withSystemTables) {
  QSqlQuery q(db);
  q.setForwardOnly(true);
  execOrThrow(q,
              QStringLiteral("SELECT n.nspname, c.relname ") + kRelation +
                  QStringLiteral("AND left(n.nspname, 8) NOT IN ('pg_toast', 'pg_temp_') ") +
                  (withSystemTables ? QString()
                                    : QStringLiteral("AND n.nspname NOT IN ('pg_catalog', 'information_schema')")),
              QStringLiteral("Cannot list the tables"));
  std::vector<ListedTable> tables;
  QSet<QString> plainTexts;
  while (q.next()) {
    const TableName table{q.value(0).toString(), q.value(1).toString()};
    const bool isPublic = table.schema == u"public";
    tables.push_back({table, isPublic ? table.name : table.text()});
    if (isPublic) plainTexts.insert(table.name);
  }
  for (auto& t : tables)
    if (t.table.schema != u"public" && plainTexts.contains(t.text)) t.text = quoteTable(t.table);
  std::sort(tables.begin(), tables.end(), [](const ListedTable& a, const ListedTable& b) {
    return a.text.compare(b.text, Qt::CaseInsensitive) < 0;
  });
  return tables;
}

std::optional<TableName> PostgresDriver::lookupTable(const QSqlDatabase& db, const TableName& table) {
  const QString context = QStringLiteral("Cannot look up the table %1").arg(table.text());
  if (auto exact = single(relations(db, kRelationIs, relationBinds(table), context))) return exact;
  // Ignoring case, as an unquoted name in SQL would find it.
  return single(relations(
      db,
      QStringLiteral("lower(c.relname) = lower(CAST(? AS text)) AND (lower(n.nspname) = lower(CAST(? AS text)) "
                     "OR (COALESCE(CAST(? AS text), '') = '' AND pg_catalog.pg_table_is_visible(c.oid)))"),
      relationBinds(table), context));
}

std::optional<TableName> PostgresDriver::lookupTyped(const QSqlDatabase& db, const QString& text) {
  if (auto byName = lookupTable(db, TableName{QString(), text})) return byName;
  return single(relations(db, QStringLiteral("n.nspname || '.' || c.relname = CAST(? AS text)"), {text},
                          QStringLiteral("Cannot look up the table %1").arg(text)));
}

QStringList PostgresDriver::primaryKey(const QSqlDatabase& db, const TableName& table) {
  return firstColumn(db,
                     QStringLiteral("SELECT a.attname FROM pg_catalog.pg_index i "
                                    "JOIN pg_catalog.pg_class c ON c.oid = i.indrelid "
                                    "JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace "
                                    "CROSS JOIN LATERAL unnest(CAST(i.indkey AS int2[])) WITH ORDINALITY AS k(attnum, ord) "
                                    "JOIN pg_catalog.pg_attribute a ON a.attrelid = c.oid AND a.attnum = k.attnum "
                                    "WHERE i.indisprimary AND ") +
                         kRelationIs + QStringLiteral("ORDER BY k.ord"),
                     relationBinds(table), QStringLiteral("Cannot read the primary key of %1").arg(table.text()));
}

bool PostgresDriver::isView(const QSqlDatabase& db, const TableName& table) {
  const QStringList kinds =
      firstColumn(db, QStringLiteral("SELECT c.relkind ") + kRelation + QStringLiteral("AND ") + kRelationIs,
                  relationBinds(table), QStringLiteral("Cannot look up the table %1").arg(table.text()));
  return kinds.contains(QStringLiteral("v")) || kinds.contains(QStringLiteral("m"));
}

// Qt's driver reads NUMERIC through a double, drops a time's digits past the
// millisecond and its zone, and cannot read years past 9999 or BC: those
// columns are taken as the server's text, straight from the result.
QVector<QVariant> PostgresDriver::readRow(QSqlQuery& query, int columns) const {
  const QVariant handle = query.result() ? query.result()->handle() : QVariant();
  // Qt registers the handle under the struct's own name.
  const PGresult* result = nativeHandle<PGresult>(handle, "pg_result*");
  if (!result) result = nativeHandle<PGresult>(handle, "PGresult*");
  if (!result) return Driver::readRow(query, columns);
  const int row = query.isForwardOnly() ? 0 : query.at();
  QVector<QVariant> values(columns);
  for (int i = 0; i < columns; ++i) {
    switch (PQftype(result, i)) {
      case 1700:  // numeric
      case 790:   // money
      case 1082:  // date
      case 1083:  // time
      case 1266:  // time with time zone
      case 1114:  // timestamp
      case 1184:  // timestamp with time zone
        values[i] = PQgetisnull(result, row, i) ? QVariant() : QVariant(QString::fromUtf8(PQgetvalue(result, row, i)));
        break;
      default: values[i] = query.value(i);
    }
  }
  return values;
}

std::vector<ColumnMeta> PostgresDriver::describe(const QSqlQuery& query) const {
  return describeRecord(query, postgresColumnMeta);
}

QString PostgresDriver::columnType(const FieldDef& def) const { return postgresColumnType(def); }

QString PostgresDriver::postgresColumnType(const FieldDef& def) {
  switch (def.kind) {
    case FieldKind::String: return QStringLiteral("VARCHAR(%1)").arg(def.size > 0 ? def.size : 255);
    case FieldKind::Smallint: return QStringLiteral("SMALLINT");
    case FieldKind::Integer: return QStringLiteral("INTEGER");
    case FieldKind::Float: return QStringLiteral("DOUBLE PRECISION");
    case FieldKind::Currency: return QStringLiteral("NUMERIC(19,4)");
    case FieldKind::Decimal: return QStringLiteral("NUMERIC");
    case FieldKind::Boolean: return QStringLiteral("BOOLEAN");
    case FieldKind::Date: return QStringLiteral("DATE");
    case FieldKind::Time: return QStringLiteral("TIME");
    case FieldKind::DateTime: return QStringLiteral("TIMESTAMP");
    case FieldKind::Memo: return QStringLiteral("TEXT");
    case FieldKind::Blob: return QStringLiteral("BYTEA");
  }
  return QStringLiteral("TEXT");
}

std::vector<IndexDef> PostgresDriver::indexes(const QSqlDatabase& db, const TableName& table) {
  return postgresIndexes(db, table);
}

// One row per key column of each index: its column name as the catalog holds
// it (an expression's text for an expression index) and its descending flag.
std::vector<IndexDef> PostgresDriver::postgresIndexes(const QSqlDatabase& db, const TableName& table) {
  const QString context = QStringLiteral("Cannot read the indexes of %1").arg(table.text());
  QSqlQuery q(db);
  q.setForwardOnly(true);
  prepareOrThrow(q, QStringLiteral(
      "SELECT ic.relname, ix.indisprimary, ix.indisunique, "
      "  COALESCE(a.attname, pg_catalog.pg_get_indexdef(ix.indexrelid, CAST(k.ord AS int), true)), "
      "  EXISTS (SELECT 1 FROM unnest(CAST(ix.indoption AS int2[])) WITH ORDINALITY AS o(flags, ord) "
      "          WHERE o.ord = k.ord AND (o.flags & 1) = 1) "
      "FROM pg_catalog.pg_index ix JOIN pg_catalog.pg_class ic ON ic.oid = ix.indexrelid "
      "CROSS JOIN LATERAL unnest(CAST(ix.indkey AS int2[])) WITH ORDINALITY AS k(attnum, ord) "
      "LEFT JOIN pg_catalog.pg_attribute a ON a.attrelid = ix.indrelid AND a.attnum = k.attnum AND k.attnum > 0 "
      "WHERE k.ord <= ix.indnkeyatts AND ix.indrelid IN (SELECT c.oid ") + kRelation + QStringLiteral("AND ") +
      kRelationIs + QStringLiteral(") ORDER BY ix.indisprimary DESC, ic.relname, k.ord"),
      context);
  for (const auto& v : relationBinds(table)) q.addBindValue(v);
  execOrThrow(q, context);
  std::vector<IndexDef> result;
  QString current;
  while (q.next()) {
    const QString name = q.value(0).toString();
    const bool primary = q.value(1).toBool();
    if (result.empty() || name != current) {
      current = name;
      result.push_back({primary ? QString() : name, QString(),
                        (primary ? ixPrimary : 0) | (q.value(2).toBool() ? ixUnique : 0)});
    }
    IndexDef& def = result.back();
    const QString column = q.value(3).toString();
    def.fields = def.fields.isEmpty() ? column : def.fields + u';' + column;
    if (q.value(4).toBool()) def.options |= ixDescending;
  }
  return result;
}

SideConnector PostgresDriver::sideConnector(const QSqlDatabase& db) const {
  try {
    return withSessionSettings(serverSideConnector(login_), postgresSessionSettings(db));
  } catch (const EngineError&) {
    return {};
  }
}

}  // namespace korvel::db
