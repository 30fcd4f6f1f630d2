#pragma once
// Directory aliases: TYPE=PARADOX (or ASCII) with PATH= a directory. The
// directory's Paradox .DB files and CSV files are tables of an SQLite
// connection (virtual tables over the files, local/localdirectory.h), so the
// SQLite paths of paging, posting and SQL serve them. Table types: "PARADOX"
// for .DB tables, "ASCIIDRV" for CSV tables (and for statements on an ASCII
// alias). Tables are created and replaced as files; SQL cannot create or
// drop them.

#include <memory>

#include "db/sqlitedriver.h"

namespace korvel::db {

namespace local {
class LocalDirectory;
}

class DirectoryDriver final : public SqliteDriver {
 public:
  QSqlDatabase open(const Alias& alias, const QString& connectionName) override;
  QString tableType() const override { return ascii_ ? QStringLiteral("ASCIIDRV") : QStringLiteral("PARADOX"); }
  QString tableTypeOf(const QSqlDatabase& db, const TableName& table) override;
  std::optional<TableName> lookupTable(const QSqlDatabase& db, const TableName& table) override;
  QStringList primaryKey(const QSqlDatabase& db, const TableName& table) override;
  QStringList columnNames(const QSqlDatabase& db, const TableName& table) override;
  bool isView(const QSqlDatabase& db, const TableName& table) override;
  std::vector<IndexDef> indexes(const QSqlDatabase& db, const TableName& table) override;
  void addPrimaryKey(QSqlDatabase& db, const TableName& table, const QStringList& fields) override;
  std::vector<ColumnMeta> describe(const QSqlQuery& query) const override;
  QVariant toDriver(FieldKind kind, const QVariant& value) const override;
  void createTable(QSqlDatabase& db, const TableName& table, const std::vector<FieldDef>& fields,
                   const QStringList& primaryKey, bool replacing) override;
  TableName asciiTable(QSqlDatabase& db, const QString& fileName) override;
  void createAsciiTable(QSqlDatabase& db, const QString& fileName, const std::vector<FieldDef>& fields,
                        const QStringList& primaryKey) override;
  bool cheapOffsets() const override { return true; }
  // The tables are virtual tables of this connection only.
  SideConnector sideConnector(const QSqlDatabase&) const override { return {}; }
  // SQLite evaluates RETURNING before a virtual table gives the row its id.
  bool hasReturning() const override { return false; }
  QString statementText(const QString& sql) const override;
  void refresh(QSqlDatabase& db) override;

  // The directory of an open connection of this driver, else nullptr.
  static std::shared_ptr<local::LocalDirectory> directoryOf(Driver& driver);
  // New tables of an ASCII alias are CSV tables.
  static bool textTablesByDefault(Driver& driver);

 protected:
  std::vector<ListedTable> listTables(const QSqlDatabase& db, bool withExtensions, bool withSystemTables) override;

 private:
  std::shared_ptr<local::LocalDirectory> directory_;
  bool ascii_ = false;
};

}  // namespace korvel::db
