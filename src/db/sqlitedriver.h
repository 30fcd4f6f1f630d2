#pragma once
// SQLite databases: alias parameter PATH names the database file, which must
// exist (a missing file is an error, never a new empty database). Tables are
// located by primary key, else by rowid.

#include "db/driver.h"

namespace korvel::db {

class SqliteDriver : public Driver {
 public:
  QSqlDatabase open(const Alias& alias, const QString& connectionName) override;
  QString tableType() const override { return QStringLiteral("SQLITE"); }
  std::optional<TableName> lookupTable(const QSqlDatabase& db, const TableName& table) override;
  QStringList primaryKey(const QSqlDatabase& db, const TableName& table) override;
  QStringList columnNames(const QSqlDatabase& db, const TableName& table) override;
  bool isView(const QSqlDatabase& db, const TableName& table) override;
  std::vector<ColumnMeta> describe(const QSqlQuery& query) const override;
  QString rowLocator() const override { return QStringLiteral("rowid"); }
  QString physicalOrder() const override { return QStringLiteral("rowid"); }
  bool hasReturning() const override { return true; }
  bool storesKeysAsBound() const override { return true; }
  bool keepsReadCursors() const override { return true; }
  RunSafety runSafety() const override { return RunSafety::StatementAtomic; }
  bool inTransaction(const QSqlDatabase& db) const override;
  bool rowValueComparisons() const override { return true; }
  SideConnector sideConnector(const QSqlDatabase& db) const override;
  QVariant toDriver(FieldKind kind, const QVariant& value) const override;
  std::unique_ptr<RepeatedStatement> prepareRepeated(const QSqlDatabase& db, const QString& sql,
                                                     const QString& context) const override;
  QString columnType(const FieldDef& def) const override;
  std::vector<IndexDef> indexes(const QSqlDatabase& db, const TableName& table) override;
  void addPrimaryKey(QSqlDatabase& db, const TableName& table, const QStringList& fields) override;

  // Opens (creating when missing, unless `options` say read only) a SQLite
  // file with the engine's SQL functions registered; `options` are Qt's
  // connect options ("QSQLITE_OPEN_READONLY").
  static QSqlDatabase openFile(const QString& path, const QString& connectionName,
                               const QString& options = QString());

 protected:
  std::vector<ListedTable> listTables(const QSqlDatabase& db, bool withExtensions,
                                      bool withSystemTables) override;

 private:
  // The schema table of the table's database, quoted.
  QString masterTable(const TableName& table) const;
  // A table-valued pragma ("table_info") over `name` in the table's database,
  // its arguments bound: name, then the schema when one is given.
  QString pragmaCall(const char* pragma, const TableName& table, QVector<QVariant>& binds) const;
};

}  // namespace korvel::db
