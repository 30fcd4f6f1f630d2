#pragma once
// Table and column comments, read and written where each kind of database
// keeps them:
//
//   table type holds   comments live in                       read through
//   "ORACLE"           the data dictionary                    USER_TAB_COMMENTS, USER_COL_COMMENTS
//   "POSTGRESQL"       the catalog                            obj_description, col_description
//   anything else      the alias's comment table SysComment   "File Name", "Field Name", "Comment"
//
// Names and texts are bound as values wherever the database lets a statement
// take parameters; the COMMENT statements cannot take any, so there the
// comment is written as a literal with its quotes doubled (and, for
// PostgreSQL, its backslashes, in an E'' literal that reads them the same
// whatever the server's string settings).
//
// The comment table's rows are keyed by "File Name" (the table's name; for
// Paradox tables the name without its extension, EMP.DB -> EMP) and
// "Field Name" (a column's name, or "TableComment" for the table itself).

#include <QHash>
#include <QString>
#include <utility>
#include <vector>

#include "db/tablename.h"

namespace korvel::db {

enum class CommentStore {
  None,               // no table type: nothing is read or written
  OracleDictionary,
  PostgresCatalog,
  CommentTable,       // SysComment in the same alias
};

CommentStore commentStoreFor(const QString& tableType);

// The comment table's name and its key for a table's own comment.
inline const QString kCommentTableName = QStringLiteral("SysComment");
inline const QString kTableCommentKey = QStringLiteral("TableComment");

// The "File Name" under which the comment table keeps a table's rows.
QString commentFileName(const QString& tableName, const QString& tableType);

struct TableComments {
  QString table;                    // the table's comment, empty when it has none
  QHash<QString, QString> columns;  // by column name, exactly as the database names it
};

// The comments of a table of `alias` whose table type is `tableType`. A
// lookup that fails (no comment table, no dictionary view, no such table in
// the catalog) leaves out what it would have given; nothing is raised.
TableComments readTableComments(const QString& alias, const TableName& table, const QString& tableType);
// The same for a table as listed or typed (a text of the alias's table
// list), its table type as the driver gives it; nothing when no such table.
TableComments readTableComments(const QString& alias, const QString& tableText);

struct CommentWrite {
  QString tableComment;                                 // written when not empty
  std::vector<std::pair<QString, QString>> columns;     // (column, comment), each written when the comment is not empty
};

// Writes the non-empty comments of `comments`. Dictionary and catalog
// comments are written one statement at a time; those written before a
// failure stay. Comment table rows are written in one transaction (the
// comment table is created when the alias has none). EngineError on failure.
// Returns the number of comments written.
int writeTableComments(const QString& alias, const TableName& table, const QString& tableType,
                       const CommentWrite& comments);

// String literals for the COMMENT statements.
QString oracleStringLiteral(const QString& text);    // 'it''s'
QString postgresStringLiteral(const QString& text);  // E'it''s \\ ok'

}  // namespace korvel::db
