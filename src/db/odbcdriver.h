#pragma once
// Any ODBC data source (Qt's QODBC): alias parameter ODBC DSN holds a data
// source name or a DSN-less connection string ("DRIVER={...};SERVER=...");
// USER NAME is proposed at login. The table type is the DBMS the source
// reports ("ORACLE", "MSACCESS", "POSTGRESQL" ...), else "ODBC".
// Rows are paged with LIMIT/OFFSET (PostgreSQL, MySQL, SQLite), OFFSET/FETCH
// (Oracle) or read in sequence (any other source); alias parameter PAGING=
// LIMIT, FETCH or SEQUENTIAL overrides the choice.

#include "db/driver.h"

namespace korvel::db {

class OdbcDriver final : public Driver {
 public:
  QSqlDatabase open(const Alias& alias, const QString& connectionName) override;
  bool isAlive(const QSqlDatabase& db) const override;
  QString tableType() const override { return tableType_; }
  QChar identifierQuote() const override { return quote_; }
  std::optional<TableName> lookupTable(const QSqlDatabase& db, const TableName& table) override;
  QStringList primaryKey(const QSqlDatabase& db, const TableName& table) override;
  bool isView(const QSqlDatabase& db, const TableName& table) override;
  std::vector<ColumnMeta> describe(const QSqlQuery& query) const override;
  PagingStyle paging() const override { return paging_; }
  SideConnector sideConnector(const QSqlDatabase&) const override { return serverSideConnector(login_); }
  QString columnType(const FieldDef& def) const override;
  // Date and time texts are bound as the date and time types ODBC knows.
  QVariant toDriver(FieldKind kind, const QVariant& value) const override;
  std::vector<IndexDef> indexes(const QSqlDatabase& db, const TableName& table) override;

  // "PostgreSQL" -> "POSTGRESQL", "ACCESS" -> "MSACCESS", "Oracle" -> "ORACLE" ...
  static QString tableTypeOfDbms(const QString& dbmsName);

 protected:
  std::vector<ListedTable> listTables(const QSqlDatabase& db, bool withExtensions,
                                      bool withSystemTables) override;

 private:
  QChar quote_ = u'"';  // the source's identifier quote character
  QString tableType_ = QStringLiteral("ODBC");
  PagingStyle paging_ = PagingStyle::Sequential;
  ServerLogin login_;  // for side connections; in memory only
};

}  // namespace korvel::db
