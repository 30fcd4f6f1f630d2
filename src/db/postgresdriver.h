#pragma once
// PostgreSQL servers (Qt's QPSQL): alias parameters SERVER NAME, PORT,
// DATABASE NAME, USER NAME. Tables are located by primary key; a table
// without one is read only.

#include "db/driver.h"

namespace korvel::db {

class PostgresDriver final : public Driver {
 public:
  QSqlDatabase open(const Alias& alias, const QString& connectionName) override;
  QString tableType() const override { return QStringLiteral("POSTGRESQL"); }
  QStringList tableNames(const QSqlDatabase& db, bool withExtensions,
                         bool withSystemTables) override;
  std::vector<ColumnMeta> describe(const QSqlQuery& query) const override;
  QString physicalOrder() const override { return QStringLiteral("ctid"); }
  bool hasReturning() const override { return true; }
  QString columnType(const FieldDef& def) const override;
  std::vector<IndexDef> indexes(const QSqlDatabase& db, const QString& table) override;

  // Shared with the ODBC driver when the source is a PostgreSQL server.
  static QString postgresColumnType(const FieldDef& def);
  static std::vector<IndexDef> postgresIndexes(const QSqlDatabase& db, const QString& table);
};

}  // namespace korvel::db
