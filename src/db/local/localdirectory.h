#pragma once
// A directory of table files seen through one SQLite connection: every
// Paradox .DB file and every CSV file (.csv) is a virtual table of the
// connection's in-memory database, so that SQL joins, counts and changes
// them like any other table.
//
// Table names: a Paradox table is named by its file name without extension
// (CUSTOMER.DB -> CUSTOMER), a CSV table by its whole file name (orders.csv;
// in SQL "orders.csv"). A name without extension is a Paradox table. A
// table is found by its name or its file name, without regard to case.

#include <QString>
#include <QStringList>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "db/local/localfile.h"

struct sqlite3;

namespace korvel::db::local {

class LocalVirtualTable;

class LocalDirectory : public std::enable_shared_from_this<LocalDirectory> {
 public:
  explicit LocalDirectory(const QString& path);
  ~LocalDirectory();

  const QString& path() const { return path_; }

  struct Table {
    int id = 0;
    QString name;      // the name in SQL
    QString fileName;  // in the directory
    QString path;
    LocalFileKind kind = LocalFileKind::Paradox;
    LocalVirtualTable* vtab = nullptr;  // while the virtual table exists
  };

  // Registers the module, collation and functions on `db` and creates a
  // virtual table for every table file. False when SQLite refuses.
  bool attach(sqlite3* db, QString* why);
  // Creates virtual tables for files added since, and drops those of files
  // that went away (when no statement reads them).
  void sync();
  // Whether the directory changed since the last sync (a cheap check).
  bool changedSinceSync() const;

  std::vector<const Table*> tables() const;  // in name order, ignoring case
  // The table a name or file name stands for; nullptr when none.
  const Table* find(const QString& text) const;
  // Makes a virtual table over a file of this directory that has no table
  // yet (a text table with another extension); returns its entry.
  // EngineError when the file does not exist.
  const Table* addFile(const QString& fileName, LocalFileKind kind);

  // Writes a new, empty table file (replacing one of that name, which must
  // have no unwritten changes) and makes it a virtual table. `text` is the
  // table's name or file name; without an extension the file gets ".DB"
  // (or ".csv" for kind Csv). EngineError when the file cannot be written.
  const Table* createTable(const QString& text, LocalFileKind kind, const LocalTableDef& def);
  // The path a new table named `text` of `kind` goes to.
  QString pathFor(const QString& text, LocalFileKind kind) const;
  // The kind of the table named `text`: that of an existing table, else a
  // Paradox table unless the name ends in .csv or `textByDefault`.
  LocalFileKind kindFor(const QString& text, bool textByDefault) const;
  // Tells the table's virtual table that its file was replaced (by a batch
  // copy); a file that appeared gets a virtual table.
  const Table* fileReplaced(const QString& path);

  // Called by the virtual tables.
  Table* entry(int id);
  sqlite3* db() const { return db_; }

 private:
  struct Scanned {
    QString fileName;
    LocalFileKind kind;
  };
  std::vector<Scanned> scan() const;
  QString nameFor(const QString& fileName, LocalFileKind kind) const;
  const Table* addTable(const QString& fileName, LocalFileKind kind);
  bool execInternal(const QString& sql, QString* why);
  static int authorize(void* self, int action, const char*, const char*, const char* database, const char*);
  bool dropTable(int id);
  void noteSynced();

  QString path_;
  sqlite3* db_ = nullptr;
  std::map<int, Table> tables_;
  int nextId_ = 1;
  int64_t syncedStamp_ = -1;
  bool internal_ = false;  // the directory itself runs DDL
};

}  // namespace korvel::db::local
