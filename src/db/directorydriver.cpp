#include "db/directorydriver.h"

#include <sqlite3.h>

#include <QDir>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlResult>
#include <QTime>

#include "db/aliasregistry.h"
#include "db/engineerror.h"
#include "db/nativehandle.h"
#include "db/local/localdirectory.h"
#include "db/local/localvtab.h"
#include "db/local/paradoxsql.h"
#include "db/sqlshape.h"

namespace korvel::db {
namespace {

using local::LocalColumn;
using local::LocalDirectory;
using local::LocalFileKind;
using local::LocalTableDef;

sqlite3* handleOf(const QSqlDatabase& db) {
  return db.driver() ? nativeHandle<sqlite3>(db.driver()->handle(), "sqlite3*") : nullptr;
}

// The table definition of field definitions whose key fields come first.
LocalTableDef definitionOf(const QString& table, const std::vector<FieldDef>& fields, const QStringList& primaryKey,
                           LocalFileKind kind) {
  LocalTableDef def;
  for (const FieldDef& field : fields) {
    LocalColumn column{field.name, field.kind, field.size, field.required};
    // A Paradox text field needs a size: without one it takes the largest.
    if (kind == LocalFileKind::Paradox && field.kind == FieldKind::String && field.size <= 0) column.size = 255;
    def.columns.push_back(column);
  }
  for (int i = 0; i < primaryKey.size(); ++i)
    if (i >= static_cast<int>(fields.size()) || fields[static_cast<size_t>(i)].name.compare(primaryKey[i].trimmed(), Qt::CaseInsensitive) != 0)
      throw EngineError(QStringList{QStringLiteral("Cannot add the primary index to %1").arg(table),
                                    QStringLiteral("the primary index of a table file must be on its first fields, in order "
                                                   "(%1)").arg(primaryKey.join(u';'))});
  def.keyColumns = static_cast<int>(primaryKey.size());
  return def;
}

// A statement that would make or drop a table in the connection's memory.
bool isTableDefinition(const QString& sql) {
  const QString text = trimStatement(sql).simplified().toUpper();
  for (const char* word : {"CREATE TABLE", "CREATE INDEX", "CREATE UNIQUE INDEX", "DROP TABLE", "DROP INDEX",
                           "ALTER TABLE", "CREATE VIEW", "CREATE VIRTUAL TABLE"})
    if (text.startsWith(QLatin1String(word))) return true;
  return false;
}

bool isIndexDefinition(const QString& sql) {
  const QString text = trimStatement(sql).simplified().toUpper();
  return text.startsWith(u"CREATE INDEX") || text.startsWith(u"CREATE UNIQUE INDEX") || text.startsWith(u"DROP INDEX");
}

}  // namespace

bool DirectoryDriver::textTablesByDefault(Driver& driver) {
  auto* directory = dynamic_cast<DirectoryDriver*>(&driver);
  return directory && directory->ascii_;
}

std::shared_ptr<LocalDirectory> DirectoryDriver::directoryOf(Driver& driver) {
  auto* directory = dynamic_cast<DirectoryDriver*>(&driver);
  return directory ? directory->directory_ : nullptr;
}

QSqlDatabase DirectoryDriver::open(const Alias& alias, const QString& connectionName) {
  const QString path = alias.param(QStringLiteral("PATH"));
  ascii_ = alias.type() == u"ASCII";
  if (path.isEmpty()) throw EngineError(QStringLiteral("Alias %1 has no PATH parameter").arg(alias.name));
  if (!QFileInfo(path).isDir())
    throw EngineError(QStringList{QStringLiteral("Cannot open alias %1").arg(alias.name),
                                  QStringLiteral("Directory not found: %1").arg(path)});
  QSqlDatabase db = openFile(QStringLiteral(":memory:"), connectionName);
  QString why;
  sqlite3* handle = handleOf(db);
  auto directory = std::make_shared<LocalDirectory>(path);
  if (!handle || !local::registerDateCastFunctions(handle)) why = QStringLiteral("the SQL functions cannot be registered");
  else {
    try {
      if (!directory->attach(handle, &why) && why.isEmpty()) why = QStringLiteral("the tables cannot be registered");
    } catch (const EngineError& e) {
      why = e.lastMessage();
    }
  }
  if (!why.isEmpty()) {
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(connectionName);
    throw EngineError(QStringList{QStringLiteral("Cannot open alias %1").arg(alias.name), why});
  }
  directory_ = std::move(directory);
  return db;
}

void DirectoryDriver::refresh(QSqlDatabase&) {
  if (directory_ && directory_->changedSinceSync()) directory_->sync();
}

std::vector<Driver::ListedTable> DirectoryDriver::listTables(const QSqlDatabase&, bool withExtensions, bool) {
  directory_->sync();
  std::vector<ListedTable> tables;
  for (const LocalDirectory::Table* table : directory_->tables())
    tables.push_back({TableName{QString(), table->name}, withExtensions ? table->fileName : table->name});
  // (A CSV table's name is its file name: it is listed with its extension.)
  return tables;
}

std::optional<TableName> DirectoryDriver::lookupTable(const QSqlDatabase& db, const TableName& table) {
  if (table.schema.isEmpty())
    if (const LocalDirectory::Table* found = directory_->find(table.name)) return TableName{QString(), found->name};
  return SqliteDriver::lookupTable(db, table);  // a temporary table of the connection
}

QString DirectoryDriver::tableTypeOf(const QSqlDatabase&, const TableName& table) {
  const LocalDirectory::Table* found = table.schema.isEmpty() ? directory_->find(table.name) : nullptr;
  if (!found) return tableType();
  return found->kind == LocalFileKind::Csv ? QStringLiteral("ASCIIDRV") : QStringLiteral("PARADOX");
}

QStringList DirectoryDriver::primaryKey(const QSqlDatabase& db, const TableName& table) {
  const LocalDirectory::Table* found = table.schema.isEmpty() ? directory_->find(table.name) : nullptr;
  if (!found || !found->vtab) return SqliteDriver::primaryKey(db, table);
  QStringList names;
  for (int i = 0; i < found->vtab->declaredKeyColumns(); ++i)
    names << found->vtab->declaredColumns()[static_cast<size_t>(i)].name;
  return names;
}

QStringList DirectoryDriver::columnNames(const QSqlDatabase& db, const TableName& table) {
  const LocalDirectory::Table* found = table.schema.isEmpty() ? directory_->find(table.name) : nullptr;
  if (!found || !found->vtab) return SqliteDriver::columnNames(db, table);
  QStringList names;
  for (const LocalColumn& column : found->vtab->declaredColumns()) names << column.name;
  return names;
}

bool DirectoryDriver::isView(const QSqlDatabase& db, const TableName& table) {
  if (table.schema.isEmpty() && directory_->find(table.name)) return false;
  return SqliteDriver::isView(db, table);
}

std::vector<IndexDef> DirectoryDriver::indexes(const QSqlDatabase& db, const TableName& table) {
  const LocalDirectory::Table* found = table.schema.isEmpty() ? directory_->find(table.name) : nullptr;
  if (!found) return SqliteDriver::indexes(db, table);
  const QStringList key = primaryKey(db, table);
  if (key.isEmpty()) return {};
  return {IndexDef{QString(), key.join(u';'), ixPrimary | ixUnique}};
}

// A table file keeps its records in key order: the primary index is made
// by writing the table anew, sorted, through temporary files.
void DirectoryDriver::addPrimaryKey(QSqlDatabase&, const TableName& table, const QStringList& fields) {
  const LocalDirectory::Table* found = table.schema.isEmpty() ? directory_->find(table.name) : nullptr;
  if (!found || !found->vtab) throw EngineError(QStringLiteral("Table %1 does not exist").arg(table.text()));
  if (found->vtab->hasPendingChanges())
    throw EngineError(QStringList{QStringLiteral("Cannot add the primary index to %1").arg(table.text()),
                                  QStringLiteral("the table has changes not yet written")});
  const std::shared_ptr<local::LocalFile> file = found->vtab->currentFile();
  std::vector<FieldDef> defs;
  for (const LocalColumn& column : file->columns()) defs.push_back({column.name, column.kind, column.size, column.required});
  const LocalTableDef def = definitionOf(table.text(), defs, fields, found->kind);
  const QString path = found->path;
  auto writer = local::createLocalWriter(path, found->kind, def);
  local::LocalRow row;
  for (int64_t n = 0; file->readRow(n, row); ++n) writer->append(row, n);
  writer->commit();
  directory_->fileReplaced(path);
}

std::vector<ColumnMeta> DirectoryDriver::describe(const QSqlQuery& query) const {
  std::vector<ColumnMeta> columns = SqliteDriver::describe(query);
  auto* stmt = query.result() ? nativeHandle<sqlite3_stmt>(query.result()->handle(), "sqlite3_stmt*") : nullptr;
  if (!stmt) return columns;
  // Fields taken straight from a table file have the file's kind and size.
  for (size_t i = 0; i < columns.size(); ++i) {
    const char* table = sqlite3_column_table_name(stmt, static_cast<int>(i));
    const char* origin = sqlite3_column_origin_name(stmt, static_cast<int>(i));
    const char* database = sqlite3_column_database_name(stmt, static_cast<int>(i));
    if (!table || !origin || !database || qstrcmp(database, "main") != 0) continue;
    const LocalDirectory::Table* found = directory_->find(QString::fromUtf8(table));
    if (!found || !found->vtab) continue;
    for (const LocalColumn& column : found->vtab->declaredColumns()) {
      if (column.name != QString::fromUtf8(origin)) continue;
      columns[i].kind = column.kind;
      columns[i].size = column.kind == FieldKind::String || column.kind == FieldKind::Memo ? column.size : 0;
    }
  }
  return columns;
}

// Times keep their milliseconds (Paradox stores them).
QVariant DirectoryDriver::toDriver(FieldKind kind, const QVariant& value) const {
  if (!value.isNull() && value.typeId() == QMetaType::QTime && value.toTime().msec())
    return value.toTime().toString(QStringLiteral("hh:mm:ss.zzz"));
  return SqliteDriver::toDriver(kind, value);
}

void DirectoryDriver::createTable(QSqlDatabase&, const TableName& table, const std::vector<FieldDef>& fields,
                                  const QStringList& primaryKey, bool) {
  if (!table.schema.isEmpty())
    throw EngineError(QStringLiteral("Cannot create table %1: the tables of a directory are its files").arg(table.text()));
  const LocalFileKind kind = directory_->kindFor(table.name, ascii_);
  directory_->createTable(table.name, kind, definitionOf(table.text(), fields, primaryKey, kind));
}

TableName DirectoryDriver::asciiTable(QSqlDatabase&, const QString& fileName) {
  const QFileInfo info(fileName.trimmed());
  if (info.isAbsolute() && info.absolutePath() != directory_->path())
    throw EngineError(QStringList{QStringLiteral("Cannot open the text table %1").arg(fileName),
                                  QStringLiteral("the file is not in the directory %1").arg(directory_->path())});
  const LocalDirectory::Table* found = directory_->find(info.fileName());
  if (found && found->kind == LocalFileKind::Csv) return TableName{QString(), found->name};
  return TableName{QString(), directory_->addFile(info.fileName(), LocalFileKind::Csv)->name};
}

void DirectoryDriver::createAsciiTable(QSqlDatabase&, const QString& fileName, const std::vector<FieldDef>& fields,
                                       const QStringList& primaryKey) {
  const QFileInfo info(fileName.trimmed());
  if (info.isAbsolute() && info.absolutePath() != directory_->path())
    throw EngineError(QStringList{QStringLiteral("Cannot create the text table %1").arg(fileName),
                                  QStringLiteral("the file is not in the directory %1").arg(directory_->path())});
  directory_->createTable(info.fileName(), LocalFileKind::Csv,
                          definitionOf(fileName, fields, primaryKey, LocalFileKind::Csv));
}

QString DirectoryDriver::statementText(const QString& sql) const {
  // An index other than the primary one would need a Paradox secondary
  // index file (.Xnn, .Ynn), which is not written: say that, not the
  // general rule below.
  if (isIndexDefinition(sql))
    throw EngineError(QStringList{QStringLiteral("Cannot execute the statement"),
                                  QStringLiteral("The tables of a directory have no secondary indexes: only the primary "
                                                 "index is kept (Paradox .Xnn and .Ynn index files are not written)")});
  if (isTableDefinition(sql))
    throw EngineError(QStringList{QStringLiteral("Cannot execute the statement"),
                                  QStringLiteral("The tables of a directory are its files: create them with the table "
                                                 "creation window and remove them by deleting their files")});
  return local::rewriteDateCasts(sql);
}

}  // namespace korvel::db
