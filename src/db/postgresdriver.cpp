#include "db/postgresdriver.h"

#include <QSqlField>
#include <QSqlRecord>

#include "db/aliasregistry.h"
#include "db/serverlogin.h"

namespace korvel::db {

QSqlDatabase PostgresDriver::open(const Alias& alias, const QString& connectionName) {
  QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connectionName);
  db.setHostName(alias.param(QStringLiteral("SERVER NAME")));
  const QString port = alias.param(QStringLiteral("PORT"));
  if (!port.isEmpty()) db.setPort(port.toInt());
  db.setDatabaseName(alias.param(QStringLiteral("DATABASE NAME")));
  db.setConnectOptions(QStringLiteral("connect_timeout=5"));
  openWithLogin(db, alias, connectionName);
  return db;
}

QStringList PostgresDriver::tableNames(const QSqlDatabase& db, bool, bool withSystemTables) {
  return listedTables(db, withSystemTables);
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
    case FieldKind::Boolean: return QStringLiteral("BOOLEAN");
    case FieldKind::Date: return QStringLiteral("DATE");
    case FieldKind::Time: return QStringLiteral("TIME");
    case FieldKind::DateTime: return QStringLiteral("TIMESTAMP");
    case FieldKind::Memo: return QStringLiteral("TEXT");
    case FieldKind::Blob: return QStringLiteral("BYTEA");
  }
  return QStringLiteral("TEXT");
}

std::vector<IndexDef> PostgresDriver::indexes(const QSqlDatabase& db, const QString& table) {
  return postgresIndexes(db, table);
}

std::vector<IndexDef> PostgresDriver::postgresIndexes(const QSqlDatabase& db, const QString& table) {
  QSqlQuery q(db);
  prepareOrThrow(q, QStringLiteral(
      "SELECT ic.relname, ix.indisprimary, ix.indisunique, "
      "  array_to_string(ARRAY(SELECT pg_get_indexdef(ix.indexrelid, k, true) "
      "    FROM generate_series(1, ix.indnkeyatts) AS k ORDER BY k), ';'), "
      "  EXISTS (SELECT 1 FROM unnest(CAST(ix.indoption AS int2[])) AS o WHERE (o & 1) = 1) "
      "FROM pg_index ix JOIN pg_class ic ON ic.oid = ix.indexrelid "
      "WHERE ix.indrelid = CAST(? AS regclass) "
      "ORDER BY ix.indisprimary DESC, ic.relname"),
      QStringLiteral("Cannot read the indexes of %1").arg(table));
  q.addBindValue(quoteTable(db, table));
  execOrThrow(q, QStringLiteral("Cannot read the indexes of %1").arg(table));
  std::vector<IndexDef> result;
  while (q.next()) {
    const bool primary = q.value(1).toBool();
    QStringList fields = q.value(3).toString().split(u';');
    for (auto& f : fields)
      if (f.startsWith(u'"') && f.endsWith(u'"')) f = f.mid(1, f.size() - 2).replace(QStringLiteral("\"\""), QStringLiteral("\""));
    result.push_back({primary ? QString() : q.value(0).toString(), fields.join(u';'),
                      (primary ? ixPrimary : 0) | (q.value(2).toBool() ? ixUnique : 0) |
                          (q.value(4).toBool() ? ixDescending : 0)});
  }
  return result;
}

}  // namespace korvel::db
