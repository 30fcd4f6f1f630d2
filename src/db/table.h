#pragma once
// A dataset over one table of an alias, with its definitions and indexes.

#include <QString>
#include <QStringList>
#include <vector>

#include "db/dataset.h"
#include "db/tablename.h"

namespace korvel::db {

enum class TableType { Default, Ascii };

struct FieldDef {
  QString name;
  FieldKind kind = FieldKind::String;
  int size = 0;  // characters for strings; for Currency/Float the digits, 0 = driver default
  bool required = false;
};

enum IndexOption : int {
  ixPrimary = 0x01,
  ixUnique = 0x02,
  ixDescending = 0x04,
};

struct IndexDef {
  QString name;    // empty for the primary index
  QString fields;  // field names joined by ";"
  int options = 0;
};

class Table : public Dataset {
  Q_OBJECT
 public:
  explicit Table(QObject* parent = nullptr);
  ~Table() override;

  // The table as the user listed or typed it: a listed text stands for the
  // table listed under it (PostgreSQL: "schema.name" for other schemas), any
  // other text is one table name, matched exactly, else ignoring case.
  QString tableName() const { return tableName_; }
  void setTableName(const QString& name);
  // The table by its parts, for windows that know them.
  void setTable(const TableName& table);
  // The table found when the dataset was opened (or last created or looked
  // up), schema included where the driver knows it; else the name as given.
  TableName table() const { return table_; }
  TableType tableType() const { return tableType_; }
  void setTableType(TableType type) { tableType_ = type; }

  // Definitions for createTable(); cleared by clearFieldDefs().
  void clearFieldDefs() {
    fieldDefs_.clear();
    pendingPrimary_.clear();
  }
  void addFieldDef(const QString& name, FieldKind kind, int size, bool required);
  const std::vector<FieldDef>& fieldDefs() const { return fieldDefs_; }
  // Creates the table from the field definitions (and the primary index if one
  // was added before), replacing a table of the same name. Inactive only.
  void createTable();

  // Adds an index to the existing table (empty name + ixPrimary: the primary key).
  void addIndex(const QString& name, const QString& fields, int options);
  // Re-reads the index list from the database.
  void updateIndexDefs();
  const std::vector<IndexDef>& indexDefs() const { return indexDefs_; }

  bool exists();  // the table is present in the alias

 protected:
  void openCursor() override;

 private:
  // The table named by tableName_ (or given by parts), looked up now.
  // Without such a table: the name as given, one name.
  TableName lookUp();
  // The table named, which must exist: EngineError otherwise.
  TableName existing();
  QString tableName_;
  TableName table_;
  bool byParts_ = false;  // table_ was given by setTable()
  TableType tableType_ = TableType::Default;
  std::vector<FieldDef> fieldDefs_;
  std::vector<IndexDef> indexDefs_;
  QString pendingPrimary_;  // primary index fields for the next createTable()
};

}  // namespace korvel::db
