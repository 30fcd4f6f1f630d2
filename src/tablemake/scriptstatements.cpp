#include "tablemake/scriptstatements.h"

#include <functional>

#include "common/strings.h"
#include "tablemake/scripttokens.h"

namespace korvel::script {
namespace {

// Key columns without blanks, for telling whether two keys name the same columns.
std::string columnsOf(const std::string& entry) {
  const size_t comma = entry.find(',');
  return Qz_DelBlanks(comma == std::string::npos ? std::string_view() : std::string_view(entry).substr(comma + 1));
}

// Index columns without their ASC / DESC words: "A DESC; B" -> "A;B".
std::string withoutSortOrder(std::string_view keyColumns) {
  std::string out;
  size_t start = 0;
  while (start <= keyColumns.size()) {
    size_t end = keyColumns.find(';', start);
    if (end == std::string_view::npos) end = keyColumns.size();
    std::string column;
    for (const Token& t : script::tokenize(keyColumns.substr(start, end - start)))
      if (!t.is("ASC") && !t.is("DESC")) column += (column.empty() ? "" : " ") + std::string(t.text);
    out += (start == 0 ? "" : ";") + column;
    start = end + 1;
  }
  return out;
}

bool isKeyWord(const Tokens& tokens, size_t k) {
  return wordAt(tokens, k, "PRIMARY") || wordAt(tokens, k, "UNIQUE") || wordAt(tokens, k, "FOREIGN");
}

void alterTable(ScriptDefinition& def, std::string_view text, const Tokens& tokens, size_t add) {
  size_t kind = add + 1;
  if (wordAt(tokens, kind, "CONSTRAINT")) kind += 2;
  if (wordAt(tokens, add, "ADD") && isKeyWord(tokens, kind))
    addKey(def, SplitKeyDefinition(text.substr(tokens[add].offset)), wordAt(tokens, kind, "PRIMARY"), true);
  else
    def.unreadText.emplace_back(text);
}

void createIndex(ScriptDefinition& def, std::string_view text, const Tokens& tokens, size_t k,
                 const std::function<bool(size_t&)>& sameTable) {
  const size_t nameAt = k;
  const std::string indexName = dottedNameTail(tokens, k);
  if (k == nameAt || !wordAt(tokens, k, "ON")) return;
  ++k;
  if (!sameTable(k) || !punctAt(tokens, k, '(')) return;
  KeyDefinition key = SplitKeyDefinition(text.substr(tokens[k].offset));
  key.keyColumns = withoutSortOrder(key.keyColumns);
  key.namePart = indexName;
  addKey(def, key, false, true);
}

// COMMENT ON TABLE [schema.]table IS '...' / COMMENT ON COLUMN [schema.]table.column IS '...'.
// The comments the database itself holds take the place of "--" lines.
void commentOn(ScriptDefinition& def, const Tokens& tokens) {
  const bool onTable = wordAt(tokens, 2, "TABLE");
  if (!onTable && !wordAt(tokens, 2, "COLUMN")) return;
  size_t k = 3;
  std::vector<std::string> parts;
  while (k < tokens.size() && (tokens[k].kind == Token::Word || tokens[k].kind == Token::Quoted)) {
    parts.push_back(unquotedName(tokens[k++]));
    if (!punctAt(tokens, k, '.')) break;
    ++k;
  }
  if (!wordAt(tokens, k, "IS") || k + 1 >= tokens.size() || tokens[k + 1].kind != Token::String) return;
  const std::string comment = literalText(tokens[k + 1]);
  if (onTable) {
    if (!parts.empty() && parts.back() == def.tableName) def.tableComment = def.spacedTableComment = comment;
    return;
  }
  if (parts.size() < 2 || parts[parts.size() - 2] != def.tableName) return;
  for (auto& column : def.columns)
    if (column.definition.name == parts.back()) column.definition.comment = CommentText(comment);
}

}  // namespace

void addKey(ScriptDefinition& def, const KeyDefinition& key, bool primary, bool fromLaterStatement) {
  if (!key.hasColumnList) ++def.keysWithoutColumns;
  const std::string entry = KeyEntry(key);
  if (fromLaterStatement)
    for (const auto& e : def.keyEntries)
      if (columnsOf(e) == columnsOf(entry)) return;
  if (primary && !def.primaryKeyFirst) {
    def.primaryKeyFirst = true;
    def.keyEntries.insert(def.keyEntries.begin(), entry);
    return;
  }
  def.keyEntries.push_back(entry);
}

void addTableConstraint(ScriptDefinition& def, const std::string& text) {
  const Tokens tokens = tokenize(text);
  const size_t kind = wordAt(tokens, 0, "CONSTRAINT") ? 2 : 0;
  if (!isKeyWord(tokens, kind)) {
    def.unreadText.push_back(text);  // a check or another clause: no key to build
    return;
  }
  addKey(def, SplitKeyDefinition(text), wordAt(tokens, kind, "PRIMARY"), false);
}

void addInlineKeys(ScriptDefinition& def, const std::string& columnText, const std::string& columnName) {
  // Most columns hold neither word: spare them the tokens.
  if (columnText.find("PRIMARY") == std::string::npos && columnText.find("UNIQUE") == std::string::npos) return;
  const Tokens tokens = tokenize(columnText);
  for (size_t k = 1; k < tokens.size(); ++k) {
    const bool primary = tokens[k].is("PRIMARY") && wordAt(tokens, k + 1, "KEY");
    if (!primary && !tokens[k].is("UNIQUE")) continue;
    KeyDefinition key;
    key.hasColumnList = true;
    key.keyColumns = columnName;
    for (size_t c = k; c-- > 1;)  // the name of the constraint the key word belongs to
      if (tokens[c].is("CONSTRAINT") && c + 1 < k) {
        key.namePart = unquotedName(tokens[c + 1]);
        break;
      }
    addKey(def, key, primary, false);
  }
}

void interpretLaterStatement(ScriptDefinition& def, std::string_view statement) {
  const std::string text = trimmedText(statement);
  const Tokens tokens = tokenize(text);
  const auto sameTable = [&](size_t& k) {
    const size_t start = k;
    const std::string name = dottedNameTail(tokens, k);
    return k > start && name == def.tableName;
  };
  if (wordAt(tokens, 0, "ALTER") && wordAt(tokens, 1, "TABLE")) {
    size_t k = 2;
    if (sameTable(k)) alterTable(def, text, tokens, k);
  } else if (wordAt(tokens, 0, "CREATE")) {
    size_t k = 1;
    while (k < tokens.size() && oneOf(tokens[k], {"UNIQUE", "BITMAP"})) ++k;
    if (wordAt(tokens, k, "INDEX")) createIndex(def, text, tokens, k + 1, sameTable);
  } else if (wordAt(tokens, 0, "COMMENT") && wordAt(tokens, 1, "ON")) {
    commentOn(def, tokens);
  }
}

}  // namespace korvel::script
