#include "db/tablecomments.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include "db/driver.h"
#include "db/engine.h"
#include "db/engineerror.h"
#include "db/table.h"

namespace korvel::db {
namespace {

const QString kFileNameField = QStringLiteral("File Name");
const QString kFieldNameField = QStringLiteral("Field Name");
const QString kCommentField = QStringLiteral("Comment");

// Runs `sql` with `binds`; false when it fails (the caller leaves the
// comments out then).
bool runLookup(QSqlQuery& q, const QString& sql, const QVector<QVariant>& binds) {
  q.setForwardOnly(true);
  if (!q.prepare(sql)) return false;
  for (const QVariant& v : binds) q.addBindValue(v);
  return q.exec();
}

void readOracleDictionary(const QSqlDatabase& db, const TableName& table, TableComments& out) {
  {
    QSqlQuery q(db);
    if (runLookup(q, QStringLiteral("SELECT COMMENTS FROM USER_TAB_COMMENTS WHERE TABLE_NAME = ?"), {table.name}) &&
        q.next())
      out.table = q.value(0).toString();
  }
  QSqlQuery q(db);
  if (!runLookup(q, QStringLiteral("SELECT COLUMN_NAME, COMMENTS FROM USER_COL_COMMENTS WHERE TABLE_NAME = ?"),
                 {table.name}))
    return;
  while (q.next())
    if (!q.value(1).isNull()) out.columns.insert(q.value(0).toString(), q.value(1).toString());
}

void readPostgresCatalog(const QSqlDatabase& db, const Driver& driver, const TableName& table,
                         TableComments& out) {
  // The relation is found by its quoted name, bound as a value: the catalog
  // parses it, so no name ever becomes statement text.
  const QString relation = driver.quoteTable(table);
  QSqlQuery q(db);
  if (!runLookup(q,
                 QStringLiteral("SELECT 0, '', pg_catalog.obj_description(CAST(CAST(? AS text) AS regclass), 'pg_class') "
                                "UNION ALL "
                                "SELECT a.attnum, a.attname, pg_catalog.col_description(a.attrelid, a.attnum) "
                                "FROM pg_catalog.pg_attribute a "
                                "WHERE a.attrelid = CAST(CAST(? AS text) AS regclass) AND a.attnum > 0 "
                                "AND NOT a.attisdropped"),
                 {relation, relation}))
    return;
  while (q.next()) {
    if (q.value(2).isNull()) continue;
    if (q.value(0).toInt() == 0)
      out.table = q.value(2).toString();
    else
      out.columns.insert(q.value(1).toString(), q.value(2).toString());
  }
}

std::optional<TableName> findCommentTable(const QSqlDatabase& db, Driver& driver) {
  try {
    return driver.lookupTable(db, TableName{QString(), kCommentTableName});
  } catch (const EngineError&) {
    return std::nullopt;
  }
}

void readCommentTable(const QSqlDatabase& db, Driver& driver, const QString& fileName, TableComments& out) {
  const std::optional<TableName> commentTable = findCommentTable(db, driver);
  if (!commentTable) return;
  QSqlQuery q(db);
  if (!runLookup(q,
                 QStringLiteral("SELECT %1, %2 FROM %3 WHERE %4 = ?")
                     .arg(driver.quoteName(kFieldNameField), driver.quoteName(kCommentField),
                          driver.quoteTable(*commentTable), driver.quoteName(kFileNameField)),
                 {fileName}))
    return;
  while (q.next()) {
    if (q.value(1).isNull()) continue;
    const QString field = q.value(0).toString();
    if (field == kTableCommentKey)
      out.table = q.value(1).toString();
    else
      out.columns.insert(field, q.value(1).toString());
  }
}

// COMMENT ON statements, one at a time.
int writeCommentStatements(QSqlDatabase& db, const Driver& driver, const TableName& table,
                           const CommentWrite& comments, QString (*literal)(const QString&)) {
  const QString context = QStringLiteral("Cannot set the comments of %1").arg(table.text());
  const QString quotedTable = driver.quoteTable(table);
  int written = 0;
  QSqlQuery q(db);
  if (!comments.tableComment.isEmpty()) {
    execOrThrow(q, QStringLiteral("COMMENT ON TABLE %1 IS %2").arg(quotedTable, literal(comments.tableComment)),
                context);
    ++written;
  }
  for (const auto& [column, comment] : comments.columns) {
    if (comment.isEmpty()) continue;
    execOrThrow(q,
                QStringLiteral("COMMENT ON COLUMN %1.%2 IS %3")
                    .arg(quotedTable, driver.quoteName(column), literal(comment)),
                context);
    ++written;
  }
  return written;
}

TableName ensureCommentTable(const QString& alias, QSqlDatabase& db, Driver& driver) {
  if (std::optional<TableName> existing = findCommentTable(db, driver)) return *existing;
  // The same shape the table creation window gives it.
  Table create;
  create.setDatabaseName(alias);
  create.setTableName(kCommentTableName);
  create.addFieldDef(kFileNameField, FieldKind::String, 30, false);
  create.addFieldDef(kFieldNameField, FieldKind::String, 30, false);
  create.addFieldDef(kCommentField, FieldKind::String, 50, false);
  create.addIndex(QString(), kFileNameField + u';' + kFieldNameField, ixPrimary | ixUnique);
  create.createTable();
  if (std::optional<TableName> made = findCommentTable(db, driver)) return *made;
  throw EngineError(QStringLiteral("Cannot create the comment table %1").arg(kCommentTableName));
}

// One row: updated when the key is there, else added.
void putCommentRow(QSqlDatabase& db, Driver& driver, const TableName& commentTable, const QString& fileName,
                   const QString& fieldName, const QString& comment, const QString& context) {
  const QString quoted = driver.quoteTable(commentTable);
  const QString file = driver.quoteName(kFileNameField);
  const QString field = driver.quoteName(kFieldNameField);
  const QString text = driver.quoteName(kCommentField);
  QSqlQuery update(db);
  prepareOrThrow(update, QStringLiteral("UPDATE %1 SET %2 = ? WHERE %3 = ? AND %4 = ?").arg(quoted, text, file, field),
                 context);
  update.addBindValue(comment);
  update.addBindValue(fileName);
  update.addBindValue(fieldName);
  execOrThrow(update, context);
  if (update.numRowsAffected() > 0) return;
  QSqlQuery insert(db);
  prepareOrThrow(insert, QStringLiteral("INSERT INTO %1 (%2, %3, %4) VALUES (?, ?, ?)").arg(quoted, file, field, text),
                 context);
  insert.addBindValue(fileName);
  insert.addBindValue(fieldName);
  insert.addBindValue(comment);
  execOrThrow(insert, context);
}

int writeCommentTable(const QString& alias, QSqlDatabase& db, Driver& driver, const QString& fileName,
                      const CommentWrite& comments) {
  const QString context = QStringLiteral("Cannot write the comments of %1 into %2").arg(fileName, kCommentTableName);
  const TableName commentTable = ensureCommentTable(alias, db, driver);
  Engine::instance().releaseReadCursors();
  const bool transaction = db.transaction();
  int written = 0;
  try {
    if (!comments.tableComment.isEmpty()) {
      putCommentRow(db, driver, commentTable, fileName, kTableCommentKey, comments.tableComment, context);
      ++written;
    }
    for (const auto& [column, comment] : comments.columns) {
      if (comment.isEmpty()) continue;
      putCommentRow(db, driver, commentTable, fileName, column, comment, context);
      ++written;
    }
    if (transaction && !db.commit()) throw EngineError(errorEntries(db.lastError(), context));
  } catch (...) {
    if (transaction) db.rollback();
    throw;
  }
  return written;
}

}  // namespace

CommentStore commentStoreFor(const QString& tableType) {
  const QString type = tableType.toUpper();
  if (type.isEmpty()) return CommentStore::None;
  if (type.contains(u"ORACLE")) return CommentStore::OracleDictionary;
  if (type.contains(u"POSTGRESQL")) return CommentStore::PostgresCatalog;
  return CommentStore::CommentTable;
}

QString commentFileName(const QString& tableName, const QString& tableType) {
  if (!tableType.toUpper().contains(u"PARADOX")) return tableName;
  // A Paradox table is a file: its rows carry the name without extension.
  int start = 0;
  while (start < tableName.size() && tableName[start].unicode() <= 32) ++start;
  const int dot = tableName.indexOf(u'.', start);
  return tableName.mid(start, dot < 0 ? -1 : dot - start);
}

TableComments readTableComments(const QString& alias, const TableName& table, const QString& tableType) {
  TableComments comments;
  const CommentStore store = commentStoreFor(tableType);
  if (store == CommentStore::None) return comments;
  try {
    const QSqlDatabase db = Engine::instance().connection(alias);
    Driver& driver = Engine::instance().driver(alias);
    switch (store) {
      case CommentStore::OracleDictionary: readOracleDictionary(db, table, comments); break;
      case CommentStore::PostgresCatalog: readPostgresCatalog(db, driver, table, comments); break;
      case CommentStore::CommentTable:
        readCommentTable(db, driver, commentFileName(table.name, tableType), comments);
        break;
      case CommentStore::None: break;
    }
  } catch (const EngineError&) {
    // No connection: no comments.
  }
  return comments;
}

TableComments readTableComments(const QString& alias, const QString& tableText) {
  try {
    const QSqlDatabase db = Engine::instance().connection(alias);
    Driver& driver = Engine::instance().driver(alias);
    const std::optional<TableName> table = driver.findTable(db, tableText);
    if (!table) return {};
    return readTableComments(alias, *table, driver.tableTypeOf(db, *table).left(31));
  } catch (const EngineError&) {
    return {};
  }
}

int writeTableComments(const QString& alias, const TableName& table, const QString& tableType,
                       const CommentWrite& comments) {
  const CommentStore store = commentStoreFor(tableType);
  QSqlDatabase db = Engine::instance().connection(alias);
  Driver& driver = Engine::instance().driver(alias);
  switch (store) {
    case CommentStore::OracleDictionary:
      Engine::instance().releaseReadCursors();
      return writeCommentStatements(db, driver, table, comments, oracleStringLiteral);
    case CommentStore::PostgresCatalog:
      Engine::instance().releaseReadCursors();
      return writeCommentStatements(db, driver, table, comments, postgresStringLiteral);
    case CommentStore::CommentTable:
      return writeCommentTable(alias, db, driver, commentFileName(table.name, tableType), comments);
    case CommentStore::None: break;
  }
  throw EngineError(QStringLiteral("The table type of %1 is not known: its comments cannot be written")
                        .arg(table.text()));
}

QString oracleStringLiteral(const QString& text) {
  QString doubled = text;
  doubled.replace(u'\'', QStringLiteral("''"));
  return u'\'' + doubled + u'\'';
}

QString postgresStringLiteral(const QString& text) {
  QString escaped = text;
  escaped.replace(u'\\', QStringLiteral("\\\\"));
  escaped.replace(u'\'', QStringLiteral("''"));
  return QStringLiteral("E'") + escaped + u'\'';
}

}  // namespace korvel::db
