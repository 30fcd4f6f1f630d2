#pragma once
// The key list of a script and the statements that follow its table.

#include <string_view>

#include "tablemake/scriptparser.h"

namespace korvel::script {

// Adds a key to def.keyEntries: the first PRIMARY KEY goes to the front.
// A key from a later statement (CREATE INDEX, ALTER TABLE) whose columns an
// entry already names is not added twice (the index behind a primary key
// constraint, say). A key without column list is counted.
void addKey(ScriptDefinition& def, const KeyDefinition& key, bool primary, bool fromLaterStatement);

// A table-level constraint of the column list ("CONSTRAINT n PRIMARY KEY
// (...)", "UNIQUE (...)", "FOREIGN KEY (...)"): a key; a CHECK or another
// clause is recorded as unread.
void addTableConstraint(ScriptDefinition& def, const std::string& text);

// An inline PRIMARY KEY or UNIQUE in a column's definition makes a key of
// the column itself.
void addInlineKeys(ScriptDefinition& def, const std::string& columnText, const std::string& columnName);

// A statement after the table, without its ";": ALTER TABLE ... ADD
// CONSTRAINT and CREATE INDEX on the same table add keys, COMMENT ON
// TABLE/COLUMN set comments; other ALTER TABLE statements on the table are
// recorded as unread; statements on other objects are passed over.
void interpretLaterStatement(ScriptDefinition& def, std::string_view statement);

}  // namespace korvel::script
