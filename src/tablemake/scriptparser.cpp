#include "tablemake/scriptparser.h"

#include <algorithm>
#include <array>

#include "common/leadbyte.h"
#include "common/strings.h"
#include "tablemake/scriptstatements.h"
#include "tablemake/scripttokens.h"

namespace korvel {
namespace {

using script::isBlankByte;
using script::oneOf;
using script::punctAt;
using script::Token;
using script::Tokens;
using script::trimmedText;
using script::wordAt;

enum class Stage {
  BeforeTable,   // looking for CREATE ... TABLE
  CreateHead,    // after CREATE: TABLE or another object
  TableName,     // after TABLE: [IF NOT EXISTS] name
  BeforeList,    // after the name: the "(" of the column list
  Columns,       // inside the column list
  AfterColumns,  // after its ")": the rest of the CREATE statement
  AfterTable,    // later statements
};

// A line split at its comment mark, block comments taken out of the code.
struct LineParts {
  std::string code;
  std::string_view comment;  // after the "--"
  bool hasMark = false;
};

LineParts splitLine(std::string_view line, bool& inBlockComment) {
  LineParts parts;
  parts.code.reserve(line.size());
  char quote = 0;
  size_t i = 0;
  while (i < line.size()) {
    const char c = line[i];
    const char next = i + 1 < line.size() ? line[i + 1] : '\0';
    if (inBlockComment) {
      if (c == '*' && next == '/') {
        inBlockComment = false;
        parts.code += ' ';
        i += 2;
      } else {
        i += isLeadByte(c) ? 2 : 1;
      }
      continue;
    }
    if (isLeadByte(c) && i + 1 < line.size()) {
      parts.code.append(line.substr(i, 2));
      i += 2;
      continue;
    }
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '\'' || c == '"') {
      quote = c;
    } else if (c == '-' && next == '-') {
      parts.comment = line.substr(i + 2);
      parts.hasMark = true;
      break;
    } else if (c == '/' && next == '*') {
      inBlockComment = true;
      i += 2;
      continue;
    }
    parts.code += c;
    ++i;
  }
  return parts;
}

bool isBlankText(std::string_view t) {
  return std::all_of(t.begin(), t.end(), [](char c) { return isBlankByte(c); });
}

// A rule of dashes (or "=") under a banner comment is not a comment.
bool isRuleLine(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
    return c == '-' || c == '=' || isBlankByte(c);
  });
}

// A statement that ends the column list when a line begins with it.
bool startsStatement(const Tokens& tokens) {
  if (tokens.empty()) return false;
  const Token& first = tokens[0];
  const bool second = tokens.size() > 1;
  if (first.is("CREATE"))
    return second && oneOf(tokens[1], {"TABLE", "INDEX", "UNIQUE", "BITMAP", "SEQUENCE", "VIEW", "OR", "GLOBAL",
                                       "TRIGGER", "SYNONYM"});
  if (first.is("ALTER") || first.is("DROP")) return second && oneOf(tokens[1], {"TABLE", "INDEX", "SEQUENCE", "VIEW"});
  if (first.is("COMMENT")) return wordAt(tokens, 1, "ON");
  if (first.is("GRANT") || first.is("INSERT")) return second && tokens[1].kind == Token::Word;
  return tokens.size() == 1 && first.is("/");
}

// A table-level key or check clause (rather than more of the column above).
bool startsTableConstraint(const Tokens& tokens) {
  size_t k = wordAt(tokens, 0, "CONSTRAINT") ? 2 : 0;
  if (wordAt(tokens, k, "PRIMARY")) return wordAt(tokens, k + 1, "KEY") && punctAt(tokens, k + 2, '(');
  if (wordAt(tokens, k, "UNIQUE")) return punctAt(tokens, k + 1, '(');
  return wordAt(tokens, k, "FOREIGN") || wordAt(tokens, k, "CHECK");
}

// Words that carry on the definition of the column on the line above.
bool continuesColumn(const Tokens& tokens) {
  if (tokens.empty()) return false;
  if (tokens[0].isPunct('(')) return true;
  if (startsTableConstraint(tokens)) return false;
  return oneOf(tokens[0], {"DEFAULT", "NOT", "NULL", "CONSTRAINT", "PRIMARY", "UNIQUE", "REFERENCES",
                           "ENABLE", "DISABLE", "COLLATE", "GENERATED", "AS", "IDENTITY", "AUTO_INCREMENT",
                           "AUTOINCREMENT", "ON", "VISIBLE", "INVISIBLE", "ENCRYPT", "SORT", "WITH",
                           "WITHOUT", "PRECISION", "VARYING", "USING", "CHECK"});
}

// An element of the column list that is a table-level constraint rather than a column.
bool isTableConstraint(const Tokens& tokens) {
  if (wordAt(tokens, 0, "CONSTRAINT")) return true;
  return (wordAt(tokens, 0, "PRIMARY") && wordAt(tokens, 1, "KEY")) || wordAt(tokens, 0, "UNIQUE") ||
         (wordAt(tokens, 0, "FOREIGN") && wordAt(tokens, 1, "KEY")) || wordAt(tokens, 0, "CHECK");
}

}  // namespace

struct ScriptParser::State {
  struct Element {
    std::string text;
    std::string source;
    std::string comment;
    int lastLine = -1;    // the last line that gave it a non-blank byte
    bool lineJoined = false;  // a blank joins the previous line; the next line's leading blanks are dropped
    int sourceLine = -1;  // the last line added to source
  };

  Stage stage = Stage::BeforeTable;
  ScriptDefinition def;
  bool inBlockComment = false;
  int lineNo = 0;
  std::string upper;  // the current line, upper-cased

  int depth = 0;    // parentheses open in the column list (1: the list itself)
  char quote = 0;   // a quote open inside the current element
  Element open;     // the column list element being gathered
  int lastFinishedColumn = -1;  // the column finished last, when it stands on this line
  int lastFinishedLine = -1;

  std::string statement;  // a statement after the table, being gathered

  void addLine(std::string_view line);
  void feed(std::string_view code);
  size_t step(std::string_view code, bool lineStart);
  size_t beforeTable(std::string_view code, bool lineStart);
  size_t createHead(std::string_view code);
  size_t tableName(std::string_view code);
  size_t beforeList(std::string_view code);
  size_t columns(std::string_view code, bool lineStart);
  size_t afterColumns(std::string_view code, bool lineStart);
  size_t afterTable(std::string_view code, bool lineStart);
  void noteTableComment();
  void append(char c);
  void finishElement();
  void interpretStatement() { script::interpretLaterStatement(def, statement); }
  void attachComment(std::string_view comment);
  bool elementComplete() const;
};

ScriptParser::ScriptParser() : s_(std::make_unique<State>()) {}
ScriptParser::~ScriptParser() = default;

void ScriptParser::addLine(std::string_view line) { s_->addLine(line); }

ScriptDefinition ScriptParser::finish() {
  State& s = *s_;
  if (s.stage == Stage::Columns) s.finishElement();
  if (!isBlankText(s.statement)) s.interpretStatement();
  s.statement.clear();
  ScriptDefinition out = std::move(s.def);
  s_ = std::make_unique<State>();
  return out;
}

void ScriptParser::State::addLine(std::string_view line) {
  ++lineNo;
  if (line.empty()) return;
  upper = Qz_UpperHalf(line);
  const bool commentLine = !inBlockComment && upper.size() >= 2 && upper[0] == '-' && upper[1] == '-';
  if (commentLine && stage == Stage::BeforeTable) {
    noteTableComment();
    return;
  }
  const LineParts parts = splitLine(upper, inBlockComment);
  if (isBlankText(parts.code)) return;  // comment lines and blank lines carry nothing
  feed(parts.code);
  if (stage == Stage::Columns && !open.text.empty() && !open.lineJoined) {
    if (!isBlankByte(open.text.back())) open.text += ' ';
    open.lineJoined = true;
  }
  if (parts.hasMark) attachComment(parts.comment);
}

void ScriptParser::State::noteTableComment() {
  const std::string text = Qz_TrimLeft(std::string_view(upper).substr(2));
  if (isRuleLine(text)) return;
  def.tableComment = text;
  if (upper.size() >= 3 && isBlankByte(upper[2])) def.spacedTableComment = Qz_TrimLeft(std::string_view(upper).substr(3));
}

// The comment goes to the column whose text the line ended with.
void ScriptParser::State::attachComment(std::string_view comment) {
  std::string* target = nullptr;
  if (stage == Stage::Columns && open.lastLine == lineNo) target = &open.comment;
  else if (lastFinishedLine == lineNo && lastFinishedColumn >= 0)
    target = &def.columns[static_cast<size_t>(lastFinishedColumn)].definition.comment;
  if (target && target->empty()) *target = CommentText(comment);
}

void ScriptParser::State::feed(std::string_view code) {
  bool lineStart = true;
  while (!code.empty()) {
    const Stage before = stage;
    const size_t used = step(code, lineStart);
    if (used == 0 && stage == before) break;  // nothing more this stage takes from the line
    code.remove_prefix(std::min(used, code.size()));
    lineStart = lineStart && used == 0;
  }
}

size_t ScriptParser::State::step(std::string_view code, bool lineStart) {
  switch (stage) {
    case Stage::BeforeTable: return beforeTable(code, lineStart);
    case Stage::CreateHead: return createHead(code);
    case Stage::TableName: return tableName(code);
    case Stage::BeforeList: return beforeList(code);
    case Stage::Columns: return columns(code, lineStart);
    case Stage::AfterColumns: return afterColumns(code, lineStart);
    case Stage::AfterTable: return afterTable(code, lineStart);
  }
  return code.size();
}

// CREATE at the start of a line or after a ";" begins a statement that may be the table.
size_t ScriptParser::State::beforeTable(std::string_view code, bool lineStart) {
  const Tokens tokens = script::tokenize(code);
  for (size_t k = 0; k < tokens.size(); ++k) {
    const bool statementStart = k == 0 ? lineStart : tokens[k - 1].isPunct(';');
    if (statementStart && tokens[k].is("CREATE")) {
      stage = Stage::CreateHead;
      return tokens[k].offset + tokens[k].text.size();
    }
  }
  return code.size();
}

size_t ScriptParser::State::createHead(std::string_view code) {
  const Tokens tokens = script::tokenize(code);
  for (const Token& t : tokens) {
    if (oneOf(t, {"OR", "REPLACE", "GLOBAL", "LOCAL", "TEMPORARY", "TEMP", "UNLOGGED"})) continue;
    if (t.is("TABLE")) {
      def.sawCreate = true;
      stage = Stage::TableName;
    } else {
      stage = Stage::BeforeTable;  // a sequence, an index, a view ...: not the table
      return t.offset;
    }
    return t.offset + t.text.size();
  }
  return code.size();
}

size_t ScriptParser::State::tableName(std::string_view code) {
  const Tokens tokens = script::tokenize(code);
  size_t k = 0;
  if (wordAt(tokens, 0, "IF") && wordAt(tokens, 1, "NOT") && wordAt(tokens, 2, "EXISTS")) k = 3;
  if (k >= tokens.size()) return code.size();
  const size_t start = k;
  std::string name = script::dottedNameTail(tokens, k);
  if (k == start) {  // no name: the list (or the end) follows at once
    stage = Stage::BeforeList;
    return tokens[start].offset;
  }
  def.tableName = std::move(name);
  stage = Stage::BeforeList;
  const Token& last = tokens[k - 1];
  return last.offset + last.text.size();
}

size_t ScriptParser::State::beforeList(std::string_view code) {
  const Tokens tokens = script::tokenize(code);
  if (tokens.empty()) return code.size();
  const Token& first = tokens[0];
  if (first.isPunct('(')) {
    stage = Stage::Columns;
    depth = 1;
    return first.offset + 1;
  }
  if (first.isPunct(';')) {
    stage = Stage::AfterTable;
    return first.offset + 1;
  }
  // CREATE TABLE ... AS SELECT and the like: no column list to read.
  def.unreadText.push_back(trimmedText(code.substr(first.offset)));
  stage = Stage::AfterColumns;
  return first.offset;
}

void ScriptParser::State::append(char c) {
  if (isBlankByte(c)) {
    if (!open.lineJoined) open.text += c;
    return;
  }
  open.text += c;
  open.lineJoined = false;
  open.lastLine = lineNo;
  if (open.sourceLine != lineNo) {
    if (!open.source.empty()) open.source += ' ';
    open.source += upper;
    open.sourceLine = lineNo;
  }
}

bool ScriptParser::State::elementComplete() const {
  if (quote || depth != 1) return false;
  const Tokens tokens = script::tokenize(open.text, 2);
  return tokens.size() >= 2 && tokens[1].kind == Token::Word;
}

size_t ScriptParser::State::columns(std::string_view code, bool lineStart) {
  if (lineStart && !quote) {
    const Tokens tokens = script::tokenize(code, 6);  // the checks look at the first words only
    const bool openEmpty = isBlankText(open.text);
    if (startsStatement(tokens) && (openEmpty || elementComplete())) {
      // The column list was never closed: the table ends here.
      finishElement();
      stage = Stage::AfterTable;
      depth = 0;
      return 0;
    }
    // A line that does not carry on the column above starts the next one,
    // even when the comma after the column above was left out.
    if (!openEmpty && open.lastLine < lineNo && elementComplete() && !continuesColumn(tokens)) finishElement();
  }
  for (size_t i = 0; i < code.size(); ++i) {
    const char c = code[i];
    if (isLeadByte(c) && i + 1 < code.size()) {
      append(c);
      append(code[++i]);
      continue;
    }
    if (quote) {
      if (c == quote) quote = 0;
      append(c);
      continue;
    }
    switch (c) {
      case '\'':
      case '"':
        quote = c;
        append(c);
        break;
      case '(':
        ++depth;
        append(c);
        break;
      case ')':
        if (--depth == 0) {
          finishElement();
          stage = Stage::AfterColumns;
          return i + 1;
        }
        append(c);
        break;
      case ',':
        if (depth == 1) finishElement();
        else append(c);
        break;
      case ';':  // the statement ended before its column list was closed
        finishElement();
        depth = 0;
        stage = Stage::AfterTable;
        return i + 1;
      default:
        append(c);
    }
  }
  return code.size();
}

size_t ScriptParser::State::afterColumns(std::string_view code, bool lineStart) {
  const Tokens tokens = script::tokenize(code);
  if (lineStart && startsStatement(tokens)) {
    stage = Stage::AfterTable;
    return 0;
  }
  for (const Token& t : tokens)
    if (t.isPunct(';')) {
      stage = Stage::AfterTable;
      return t.offset + 1;
    }
  return code.size();  // storage and other clauses of the CREATE statement
}

size_t ScriptParser::State::afterTable(std::string_view code, bool lineStart) {
  const Tokens tokens = script::tokenize(code);
  if (lineStart && startsStatement(tokens) && !isBlankText(statement)) {
    interpretStatement();
    statement.clear();
  }
  if (lineStart && tokens.size() == 1 && tokens[0].is("/")) return code.size();
  for (const Token& t : tokens)
    if (t.isPunct(';')) {
      statement.append(code.substr(0, t.offset));
      interpretStatement();
      statement.clear();
      return t.offset + 1;
    }
  statement.append(code);
  statement += ' ';
  return code.size();
}

void ScriptParser::State::finishElement() {
  Element element = std::move(open);
  open = Element();
  quote = 0;
  const std::string text = trimmedText(element.text);
  if (text.empty()) return;
  const bool onThisLine = element.lastLine == lineNo;
  if (isTableConstraint(script::tokenize(text, 2))) {
    script::addTableConstraint(def, text);
    if (onThisLine) {
      lastFinishedColumn = -1;
      lastFinishedLine = lineNo;
    }
    return;
  }
  ScriptColumn column{SplitColumnCode(text), std::move(element.source)};
  column.definition.comment = std::move(element.comment);
  def.columns.push_back(std::move(column));
  if (onThisLine) {
    lastFinishedColumn = static_cast<int>(def.columns.size()) - 1;
    lastFinishedLine = lineNo;
  }
  script::addInlineKeys(def, text, def.columns.back().definition.name);
}

ScriptDefinition ParseScriptText(std::string_view text) {
  ScriptParser parser;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    parser.addLine(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) parser.addLine(text.substr(start));
  return parser.finish();
}

}  // namespace korvel
