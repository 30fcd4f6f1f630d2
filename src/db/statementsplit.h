#pragma once
// Splitting a script of SQL statements, as typed into the SQL editor, into
// the statements to run one after another.
//
// A semicolon ends a statement, except inside string literals, quoted names,
// comments ("--" to the line end, "/* */"), dollar-quoted bodies ($$ ... $$,
// $tag$ ... $tag$) and BEGIN ... END blocks (trigger bodies, CASE ... END
// counts as a block too). A line holding only "/" ends a statement as well.
// Procedural blocks with declarations (DECLARE ..., CREATE PROCEDURE p IS
// v NUMBER; BEGIN ... END;) run to such a "/" line or to the end of the
// script, as SQL*Plus reads them.
//
// A statement keeps its text as written; the semicolon that ends it is not
// part of it, except after the END of a block, where the procedural
// languages need it.

#include <QString>
#include <QStringList>
#include <vector>

namespace korvel::db {

struct ScriptStatement {
  QString text;   // trimmed
  int line = 1;   // 1-based line of the script where the statement starts
};

// The statements of the script; pieces holding only blanks and comments are
// left out.
std::vector<ScriptStatement> splitStatements(const QString& script);

// Whether the statement begins or ends a transaction, or cannot run inside
// one (BEGIN TRANSACTION, COMMIT, ROLLBACK, SAVEPOINT, VACUUM ...): such a
// statement cannot be part of a run that is undone as a whole.
bool isTransactionControl(const QString& statement);

}  // namespace korvel::db
