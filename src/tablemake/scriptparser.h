#pragma once
// Reading an SQL definition script: one CREATE TABLE statement in the Oracle
// style, the table's comment on "--" lines before it, each column's comment
// after a "--" on its line, and the keys as CONSTRAINT clauses. Both the
// table creation window and the table information window read scripts
// through this parser; each takes what it needs from the result.
//
// Lines are upper-cased (single-byte letters only) before anything is taken
// from them. The parser follows the statement rather than single lines, so
// that scripts in the usual styles read as their author meant:
//   - "(" on a line of its own, the first column on the "(" line, columns
//     written "comma first";
//   - a last column without a comma, and columns broken over several lines
//     (joined with a blank, a DEFAULT or NOT NULL on the next line belongs to
//     the column above);
//   - keys written over several lines, inline PRIMARY KEY / UNIQUE
//     constraints, double-quoted names, lengths such as VARCHAR2(10 BYTE);
//   - keywords are whole words: a column CONSTRAINT_NO, a table CREATED_LOG
//     or a comment holding CONSTRAINT change nothing;
//   - statements before the table (DROP TABLE, CREATE SEQUENCE) are passed
//     over; after the table, storage clauses and other statements never
//     become columns. A later CREATE INDEX or ALTER TABLE ... ADD CONSTRAINT
//     for the same table adds a key, COMMENT ON TABLE/COLUMN sets the comment
//     in place of the "--" line's; a second CREATE TABLE is ignored.
// What cannot be understood is collected in unreadText, never guessed.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "tablemake/scriptsplit.h"

namespace korvel {

struct ScriptColumn {
  ColumnDefinition definition;  // comment included
  std::string sourceText;       // the upper-cased lines the column stands on, joined by a blank
};

struct ScriptDefinition {
  bool sawCreate = false;  // a CREATE TABLE statement was found
  std::string tableName;   // without schema prefix and quotes
  // The last "--" line at the start of a line before CREATE TABLE: from its
  // third byte, left-trimmed ("--text" counts) ...
  std::string tableComment;
  // ... and counting only lines that begin "-- " (from the fourth byte).
  std::string spacedTableComment;
  std::vector<ScriptColumn> columns;
  // name part + "," + key columns ("EMP_PK,EMPNO; DEPTNO"); a primary key first.
  std::vector<std::string> keyEntries;
  bool primaryKeyFirst = false;         // the first entry is the script's PRIMARY KEY
  int keysWithoutColumns = 0;           // key clauses without a "(...)" column list
  std::vector<std::string> unreadText;  // parts of the script that were not used
};

class ScriptParser {
 public:
  ScriptParser();
  ~ScriptParser();
  ScriptParser(const ScriptParser&) = delete;
  ScriptParser& operator=(const ScriptParser&) = delete;

  // One line as read from the file, without its line break (CP932).
  void addLine(std::string_view line);
  // Ends what is still open (a column list without its ")", a statement
  // without ";") and hands out the result.
  ScriptDefinition finish();

 private:
  struct State;
  std::unique_ptr<State> s_;
};

// Parses a whole text of lines (for tests and in-memory scripts); lines end at
// CR LF, CR or LF.
ScriptDefinition ParseScriptText(std::string_view text);

}  // namespace korvel
