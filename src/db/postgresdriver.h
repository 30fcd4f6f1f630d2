#pragma once
// PostgreSQL servers (Qt's QPSQL): alias parameters SERVER NAME, PORT,
// DATABASE NAME, USER NAME. Tables are located by primary key; a table
// without one is read only.
//
// Tables are listed by name when they live in schema public, else as
// "schema.name" (pg_catalog.pg_class); should that text also be the name of a
// table in public, the schema-qualified one is listed as "schema"."name".

#include "db/driver.h"

namespace korvel::db {

class PostgresDriver final : public Driver {
 public:
  QSqlDatabase open(const Alias& alias, const QString& connectionName) override;
  QString tableType() const override { return QStringLiteral("POSTGRESQL"); }
  std::optional<TableName> lookupTable(const QSqlDatabase& db, const TableName& table) override;
  QStringList primaryKey(const QSqlDatabase& db, const TableName& table) override;
  bool isView(const QSqlDatabase& db, const TableName& table) override;
  std::vector<ColumnMeta> describe(const QSqlQuery& query) const override;
  QString physicalOrder() const override { return QStringLiteral("ctid"); }
  bool physicalRanges() const override { return true; }
  bool rowValueComparisons() const override { return true; }
  // Side connections read as this session does: its changed settings are
  // taken over; where they cannot be read, there is no side connection.
  SideConnector sideConnector(const QSqlDatabase& db) const override;
  bool inTransaction(const QSqlDatabase& db) const override;
  bool scrollCursors() const override { return true; }
  bool hasReturning() const override { return true; }
  RunSafety runSafety() const override { return RunSafety::Savepoints; }
  QString columnType(const FieldDef& def) const override;
  // Exact numerics, money, dates and times as the server wrote them.
  using Driver::readRow;
  QVector<QVariant> readRow(QSqlQuery& query, int columns) const override;
  std::vector<IndexDef> indexes(const QSqlDatabase& db, const TableName& table) override;

  // Shared with the ODBC driver when the source is a PostgreSQL server.
  static QString postgresColumnType(const FieldDef& def);
  static std::vector<IndexDef> postgresIndexes(const QSqlDatabase& db, const TableName& table);

 protected:
  std::vector<ListedTable> listTables(const QSqlDatabase& db, bool withExtensions,
                                      bool withSystemTables) override;
  // A typed text that is no table's name may be a table's "schema.name",
  // as the list shows it (also when the list did not show it): pg_catalog.pg_class.
  std::optional<TableName> lookupTyped(const QSqlDatabase& db, const QString& text) override;

 private:
  ServerLogin login_;  // for side connections; in memory only
};

}  // namespace korvel::db
