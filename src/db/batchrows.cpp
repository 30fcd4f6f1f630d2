#include "db/batchrows.h"

#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include "db/directorydriver.h"
#include "db/driver.h"
#include "db/engine.h"
#include "db/fieldvalue.h"
#include "db/local/localdirectory.h"
#include "db/local/localvtab.h"
#include "db/nativehandle.h"
#include "db/sqlitedriver.h"

namespace korvel::db {
namespace {

using local::LocalColumn;
using local::LocalDirectory;
using local::LocalFileKind;
using local::LocalRow;
using local::LocalTableDef;

// The SQLite handle of a connection of a SQLite alias (not of a directory
// alias, whose tables are virtual ones), else nullptr.
sqlite3* plainSqliteHandle(const QSqlDatabase& db, const Driver& driver) {
  if (typeid(driver) != typeid(SqliteDriver) || !db.isOpen() || !db.driver()) return nullptr;
  return nativeHandle<sqlite3>(db.driver()->handle(), "sqlite3*");
}

// The table file a table of a directory alias (or a text table) names;
// nullptr for tables of SQL.
const LocalDirectory::Table* tableFile(Table& table, LocalDirectory& directory, QSqlDatabase& db, Driver& driver) {
  if (table.tableType() == TableType::Ascii) return directory.find(driver.asciiTable(db, table.tableName()).name);
  const std::optional<TableName> found = driver.findTable(db, table.tableName());
  return found && found->schema.isEmpty() ? directory.find(found->name) : nullptr;
}

class FileRowReader final : public RowReader {
 public:
  // `vtab` tells whether the file's records are in key order, which a CSV
  // file answers only by reading it all: asked only when it matters.
  explicit FileRowReader(local::LocalVirtualTable& vtab) : vtab_(vtab), file_(vtab.currentFile()) {
    columns_ = file_->columns();
    for (int i = 0; i < file_->keyColumns(); ++i) key_ << columns_[static_cast<size_t>(i)].name;
    identity_ = QStringLiteral("file:") + file_->path();
  }
  bool inFileKeyOrder() override { return vtab_.keyOrdered(); }
  bool next(LocalRow& row) override { return file_->readRow(next_++, row); }
  int64_t total() override { return file_->knownCount(); }
  void restart() override { next_ = 0; }
  local::CsvReader* csvFile() override { return file_->csv(); }

 private:
  local::LocalVirtualTable& vtab_;
  std::shared_ptr<local::LocalFile> file_;
  int64_t next_ = 0;
};

class SqlRowReader final : public RowReader {
 public:
  SqlRowReader(const QSqlDatabase& db, Driver& driver, const TableName& table)
      : db_(db), driver_(driver), table_(table), query_(db) {
    key_ = driver.primaryKey(db, table);
    identity_ = QStringLiteral("table:%1/%2").arg(db.connectionName(), table.text());
    // Counted before the rows are read: a second statement on the
    // connection would end a reading under way (PostgreSQL hands the rows
    // over one by one).
    QSqlQuery count(db_);
    execOrThrow(count, QStringLiteral("SELECT COUNT(*) FROM %1").arg(driver_.quoteTable(table_)),
                QStringLiteral("Cannot count the rows of %1").arg(table_.text()));
    if (count.next()) total_ = count.value(0).toLongLong();
    count.finish();
    // The rows are read from the first next() on, and the reading ends with
    // the last row: until then the connection is free for the statements
    // that inspect and create the destination (SQLite cannot drop a table
    // while a reading is under way; PostgreSQL ends it). The columns are
    // described meanwhile from a reading that is reset at once; a server's
    // reading gives no rows, as ending one would fetch every row first.
    readsBesideStatements_ = driver_.keepsReadCursors();
    connection_ = db_.connectionName();
    start(readsBesideStatements_ ? QString() : QStringLiteral(" WHERE 1 = 0"));
    metas_ = driver_.describe(query_);
    for (size_t i = 0; i < metas_.size(); ++i) {
      const ColumnMeta& meta = metas_[i];
      columns_.push_back({query_.record().fieldName(static_cast<int>(i)), meta.kind,
                          meta.kind == FieldKind::String ? meta.size : 0, meta.required});
    }
    query_.finish();
  }
  bool next(LocalRow& row) override {
    if (!reading_) {
      start(QString());
      reading_ = true;
    }
    if (!query_.next()) {
      if (query_.lastError().isValid())
        throw EngineError(errorEntries(query_.lastError(), QStringLiteral("Cannot read %1").arg(table_.text())));
      query_.finish();
      return false;
    }
    // Read as the grid reads them: exact numerics and dates as the server
    // wrote them, never through a double or a Qt date.
    const QVector<QVariant> raw = driver_.readRow(query_, static_cast<int>(metas_.size()));
    row.resize(static_cast<int>(metas_.size()));
    for (int i = 0; i < row.size(); ++i) row[i] = valueFromDriver(metas_[static_cast<size_t>(i)].kind, raw.value(i));
    return true;
  }
  int64_t total() override { return total_; }
  void restart() override {
    query_.finish();
    reading_ = false;
  }
  bool readInKeyOrder(bool on) override {
    if (key_.isEmpty()) return false;
    inKeyOrder_ = on;
    restart();
    return true;
  }
  SqliteStatementEnd sqliteSource() const override {
    return {plainSqliteHandle(db_, driver_), selectSql(QString()), &driver_,
            QStringLiteral("Cannot read %1").arg(table_.text()), QString()};
  }

 private:
  QString selectSql(const QString& condition) const {
    QString sql = QStringLiteral("SELECT * FROM %1%2").arg(driver_.quoteTable(table_), condition);
    if (inKeyOrder_) {
      QStringList names;
      for (const QString& name : key_) names << driver_.quoteName(name);
      sql += QStringLiteral(" ORDER BY ") + names.join(QStringLiteral(", "));
    }
    return sql;
  }
  void start(const QString& condition) {
    query_ = QSqlQuery(db_);
    query_.setForwardOnly(true);
    execOrThrow(query_, selectSql(condition), QStringLiteral("Cannot read %1").arg(table_.text()));
  }
  QSqlDatabase db_;
  Driver& driver_;
  TableName table_;
  QSqlQuery query_;
  std::vector<ColumnMeta> metas_;
  int64_t total_ = -1;
  bool reading_ = false;
  bool inKeyOrder_ = false;
};

class FileRowWriter final : public RowWriter {
 public:
  FileRowWriter(std::shared_ptr<LocalDirectory> directory, const QString& path, LocalFileKind kind,
                const LocalTableDef& def, bool rowsInKeyOrder, bool expectKeyOrder)
      : directory_(std::move(directory)), path_(path), columns_(def.columns),
        writer_(local::createLocalWriter(path, kind, def, rowsInKeyOrder || expectKeyOrder)) {
    if (expectKeyOrder && !rowsInKeyOrder) writer_ = local::checkingKeyOrder(std::move(writer_), def);
  }
  void append(const LocalRow& row, int64_t rowNumber) override {
    // Dates and times read from SQL arrive as the database's text; the
    // table files hold them as dates and times of their own, without a zone
    // (a time with one is kept as written, as the grid shows it).
    LocalRow converted = row;
    for (int i = 0; i < converted.size() && i < static_cast<int>(columns_.size()); ++i)
      if (converted[i].typeId() == QMetaType::QString)
        if (const QVariant stamp = qtDateTimeValue(columns_[static_cast<size_t>(i)].kind, converted[i], true); stamp.isValid())
          converted[i] = stamp;
    writer_->append(converted, rowNumber);
  }
  void commit() override {
    writer_->commit();
    directory_->fileReplaced(path_);
  }
  local::CsvWriter* csvFile() override { return writer_->csvWriter(); }

 private:
  std::shared_ptr<LocalDirectory> directory_;
  QString path_;
  std::vector<LocalColumn> columns_;
  std::unique_ptr<local::LocalWriter> writer_;
};

// The table is dropped and created, and its rows inserted, in one
// transaction where the database has them: until commit() the table that
// was there stays as it was.
class SqlRowWriter final : public RowWriter {
 public:
  SqlRowWriter(QSqlDatabase db, Driver& driver, const TableName& table, const std::vector<FieldDef>& fields,
               const QStringList& key, bool replacing)
      : db_(std::move(db)), driver_(driver), table_(table), fields_(fields),
        context_(QStringLiteral("Cannot copy into %1").arg(table.text())) {
    Engine::instance().releaseReadCursors();
    transaction_ = db_.transaction();
    QSqlQuery q(db_);
    if (replacing) execOrThrow(q, QStringLiteral("DROP TABLE %1").arg(driver.quoteTable(table)), context_);
    execOrThrow(q, driver.createTableSql(table, fields, key), context_);
    QStringList columns, marks;
    for (const FieldDef& f : fields) {
      columns << driver.quoteName(f.name);
      marks << QStringLiteral("?");
    }
    parameterRow_ = QStringLiteral("(%1)").arg(marks.join(QStringLiteral(", ")));
    insertSql_ = QStringLiteral("INSERT INTO %1 (%2) VALUES %3")
                     .arg(driver.quoteTable(table), columns.join(QStringLiteral(", ")), parameterRow_);
    insert_ = driver.prepareRepeated(db_, insertSql_, context_);
    created_ = true;
  }
  ~SqlRowWriter() override {
    insert_.reset();
    if (committed_) return;
    if (transaction_) {
      db_.rollback();
    } else if (created_) {
      // Without a transaction the half-filled table is dropped: nothing is
      // left that looks like a complete copy.
      QSqlQuery q(db_);
      q.exec(QStringLiteral("DROP TABLE %1").arg(driver_.quoteTable(table_)));
    }
  }
  void append(const LocalRow& row, int64_t rowNumber) override {
    values_.resize(row.size());
    for (int i = 0; i < row.size(); ++i) values_[i] = driver_.toDriver(fields_[static_cast<size_t>(i)].kind, row[i]);
    try {
      insert_->run(values_);
    } catch (const EngineError& e) {
      QStringList entries = e.entries();
      entries.last() = QStringLiteral("row %1: %2").arg(rowNumber + 1).arg(entries.last());
      throw EngineError(entries);
    }
  }
  void commit() override {
    insert_.reset();
    if (transaction_ && !db_.commit()) throw EngineError(errorEntries(db_.lastError(), context_));
    committed_ = true;
  }
  SqliteStatementEnd sqliteTarget() const override {
    return {plainSqliteHandle(db_, driver_), insertSql_, &driver_, context_, parameterRow_};
  }

 private:
  QSqlDatabase db_;
  Driver& driver_;
  TableName table_;
  std::vector<FieldDef> fields_;
  QString context_;
  QString insertSql_, parameterRow_;
  std::unique_ptr<RepeatedStatement> insert_;
  QVector<QVariant> values_;
  bool transaction_ = false;
  bool created_ = false;
  bool committed_ = false;
};

}  // namespace

std::unique_ptr<RowReader> openRowReader(Table& table) {
  Engine& engine = Engine::instance();
  QSqlDatabase db = engine.connection(table.databaseName());
  Driver& driver = engine.driver(table.databaseName());
  if (const std::shared_ptr<LocalDirectory> directory = DirectoryDriver::directoryOf(driver)) {
    const LocalDirectory::Table* file = tableFile(table, *directory, db, driver);
    if (!file) throw EngineError(QStringLiteral("Table %1 does not exist").arg(table.tableName()));
    // Changes not yet written are read through SQL, which sees them.
    if (file->vtab && !file->vtab->hasPendingChanges())
      return std::make_unique<FileRowReader>(*file->vtab);
    return std::make_unique<SqlRowReader>(db, driver, TableName{QString(), file->name});
  }
  const std::optional<TableName> found = driver.findTable(db, table.tableName());
  if (!found) throw EngineError(QStringLiteral("Table %1 does not exist").arg(table.tableName()));
  return std::make_unique<SqlRowReader>(db, driver, *found);
}

Destination inspectDestination(Table& table) {
  Engine& engine = Engine::instance();
  QSqlDatabase db = engine.connection(table.databaseName());
  Driver& driver = engine.driver(table.databaseName());
  Destination destination;
  destination.description = table.tableName();
  if (const std::shared_ptr<LocalDirectory> directory = DirectoryDriver::directoryOf(driver)) {
    destination.isFile = true;
    const LocalFileKind kind = table.tableType() == TableType::Ascii
                                   ? LocalFileKind::Csv
                                   : directory->kindFor(table.tableName(), DirectoryDriver::textTablesByDefault(driver));
    destination.isParadox = kind == LocalFileKind::Paradox;
    const QString path = table.tableType() == TableType::Ascii
                             ? QFileInfo(directory->path() + u'/' + QFileInfo(table.tableName()).fileName()).filePath()
                             : directory->pathFor(table.tableName(), kind);
    destination.description = path;
    destination.identity = QStringLiteral("file:") + path;
    destination.exists = QFileInfo::exists(path);
    if (destination.exists) {
      try {
        destination.rows = local::LocalFile::open(path, kind)->count();
      } catch (const EngineError&) {
        destination.rows = 1;  // unreadable: whatever it holds would be lost
      }
    }
    return destination;
  }
  destination.connection = db.connectionName();
  const std::optional<TableName> found = driver.findTable(db, table.tableName());
  destination.exists = found.has_value();
  if (found) {
    destination.description = found->text();
    destination.identity = QStringLiteral("table:%1/%2").arg(db.connectionName(), found->text());
    QSqlQuery count(db);
    execOrThrow(count, QStringLiteral("SELECT COUNT(*) FROM %1").arg(driver.quoteTable(*found)),
                QStringLiteral("Cannot count the rows of %1").arg(found->text()));
    destination.rows = count.next() ? count.value(0).toLongLong() : 0;
  }
  return destination;
}

std::unique_ptr<RowWriter> createRowWriter(Table& table, const LocalTableDef& def, bool rowsInKeyOrder,
                                           bool expectKeyOrder) {
  Engine& engine = Engine::instance();
  QSqlDatabase db = engine.connection(table.databaseName());
  Driver& driver = engine.driver(table.databaseName());
  if (const std::shared_ptr<LocalDirectory> directory = DirectoryDriver::directoryOf(driver)) {
    const Destination destination = inspectDestination(table);
    const LocalFileKind kind = destination.isParadox ? LocalFileKind::Paradox : LocalFileKind::Csv;
    if (const LocalDirectory::Table* existing = directory->find(QFileInfo(destination.description).fileName());
        existing && existing->path == destination.description && existing->vtab && existing->vtab->hasPendingChanges())
      throw EngineError(QStringList{QStringLiteral("Cannot copy into %1").arg(destination.description),
                                    QStringLiteral("the table has changes not yet written")});
    LocalTableDef fileDef = def;
    if (kind == LocalFileKind::Paradox)
      for (LocalColumn& column : fileDef.columns)
        if (column.kind == FieldKind::String && column.size <= 0) column.size = 255;
    return std::make_unique<FileRowWriter>(directory, destination.description, kind, fileDef, rowsInKeyOrder,
                                           expectKeyOrder);
  }
  std::vector<FieldDef> fields;
  for (const LocalColumn& column : def.columns) fields.push_back({column.name, column.kind, column.size, column.required});
  QStringList key;
  for (int i = 0; i < def.keyColumns; ++i) key << def.columns[static_cast<size_t>(i)].name;
  const std::optional<TableName> found = driver.findTable(db, table.tableName());
  return std::make_unique<SqlRowWriter>(db, driver, found.value_or(TableName{QString(), table.tableName()}), fields, key,
                                        found.has_value());
}

}  // namespace korvel::db
