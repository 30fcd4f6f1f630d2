#include "tablemake/scriptsplit.h"

#include "common/strings.h"
#include "tablemake/scripttokens.h"

namespace korvel {
namespace {

using script::isBlankByte;

size_t skipBlanks(std::string_view t, size_t i) {
  while (i < t.size() && isBlankByte(t[i])) ++i;
  return i;
}

std::string_view trimRight(std::string_view t) {
  while (!t.empty() && isBlankByte(t.back())) t.remove_suffix(1);
  return t;
}

std::string_view trimmed(std::string_view t) {
  size_t i = skipBlanks(t, 0);
  return trimRight(t.substr(i));
}

// End of a single-quoted literal starting at i (a doubled quote stays inside).
size_t literalEnd(std::string_view t, size_t i) {
  for (size_t k = i + 1; k < t.size(); ++k)
    if (t[k] == '\'') {
      if (k + 1 < t.size() && t[k + 1] == '\'') ++k;
      else return k + 1;
    }
  return t.size();
}

// Index of the first "," outside parentheses and literals at or after i, or t.size().
size_t topLevelComma(std::string_view t, size_t i) {
  int depth = 0;
  while (i < t.size()) {
    const char c = t[i];
    if (c == '\'') {
      i = literalEnd(t, i);
      continue;
    }
    if (c == '(') ++depth;
    else if (c == ')' && depth > 0) --depth;
    else if (c == ',' && depth == 0) return i;
    ++i;
  }
  return t.size();
}

// Index of the ")" closing the "(" at `open`, or t.size().
size_t closingParen(std::string_view t, size_t open) {
  int depth = 0;
  for (size_t i = open; i < t.size(); ++i) {
    if (t[i] == '\'') {
      i = literalEnd(t, i) - 1;
      continue;
    }
    if (t[i] == '(') ++depth;
    else if (t[i] == ')' && --depth == 0) return i;
  }
  return t.size();
}

std::string tabsAsBlanks(std::string_view t) {
  std::string out(t);
  for (char& c : out)
    if (c == '\t') c = ' ';
  return out;
}

// A length given in characters or bytes ("10 BYTE", "10 CHAR") is its number.
std::string lengthDigits(std::string_view digits) {
  digits = trimmed(digits);
  for (std::string_view unit : {std::string_view("BYTE"), std::string_view("CHAR")})
    if (digits.size() > unit.size() && digits.substr(digits.size() - unit.size()) == unit &&
        isBlankByte(digits[digits.size() - unit.size() - 1]))
      return std::string(trimmed(digits.substr(0, digits.size() - unit.size())));
  return std::string(digits);
}

// The name at i: a double-quoted name whole, else the bytes up to the next
// blank or comma. i is moved past it.
std::string takeName(std::string_view code, size_t& i) {
  const size_t start = i;
  if (i < code.size() && code[i] == '"') {
    const auto tokens = script::tokenize(code.substr(i));
    i += tokens.front().text.size();
    return Qz_DelBlanks(script::unquotedName(tokens.front()));
  }
  while (i < code.size() && !isBlankByte(code[i]) && code[i] != ',') ++i;
  return std::string(code.substr(start, i - start));
}

// Type word, digits, decimals and constraint text of a column's type text.
void splitTypeText(std::string_view type, ColumnDefinition& column) {
  size_t i = 0;
  while (i < type.size() && !isBlankByte(type[i]) && type[i] != '(') ++i;
  column.typeWord = Qz_DelBlanks(type.substr(0, i));
  size_t rest = skipBlanks(type, i);
  if (rest < type.size() && type[rest] == '(') {
    const size_t close = closingParen(type, rest);
    const std::string_view args = type.substr(rest + 1, close - rest - 1);
    const size_t comma = topLevelComma(args, 0);
    column.digits = lengthDigits(args.substr(0, comma));
    if (comma < args.size()) column.decimals = std::string(trimmed(args.substr(comma + 1)));
    rest = close < type.size() ? skipBlanks(type, close + 1) : type.size();
  }
  column.constraintText = tabsAsBlanks(trimRight(type.substr(rest)));
}

}  // namespace

std::string CommentText(std::string_view afterMark) {
  std::string out;
  out.reserve(afterMark.size());
  for (char c : afterMark)
    if (!isBlankByte(c)) out += c;
  return out;
}

ColumnDefinition SplitColumnCode(std::string_view code, bool skipCommas) {
  ColumnDefinition column;
  size_t i = 0;
  while (i < code.size() && (isBlankByte(code[i]) || (skipCommas && code[i] == ','))) ++i;
  column.name = Qz_DelBlanks(takeName(code, i));
  i = skipBlanks(code, i);
  const std::string_view type = trimRight(code.substr(i, topLevelComma(code, i) - i));
  column.typeText = std::string(type);
  splitTypeText(type, column);
  return column;
}

ColumnDefinition SplitColumnDefinition(std::string_view line) {
  const int mark = Qz_PosFrom(line, "--", 1);
  const size_t codeEnd = mark > 0 ? static_cast<size_t>(mark - 1) : line.size();
  ColumnDefinition column = SplitColumnCode(line.substr(0, codeEnd));
  if (mark > 0) column.comment = CommentText(line.substr(codeEnd + 2));
  return column;
}

ColumnComment SplitColumnComment(std::string_view line) {
  const int mark = Qz_PosFrom(line, "--", 1);
  if (mark <= 0) return {};
  const size_t codeEnd = static_cast<size_t>(mark - 1);
  const ColumnDefinition column = SplitColumnCode(line.substr(0, codeEnd), true);
  return {column.name, column.typeText, CommentText(line.substr(codeEnd + 2))};
}

KeyDefinition SplitKeyDefinition(std::string_view line) {
  KeyDefinition key;
  const size_t open = line.find('(');
  const size_t close = open == std::string_view::npos ? open : line.find(')', open);
  if (close == std::string_view::npos) return key;
  key.hasColumnList = true;
  bool quoted = false;  // a comma inside a double-quoted name is part of the name
  for (char c : line.substr(open + 1, close - open - 1)) {
    if (c == '"') quoted = !quoted;
    else if (c == ',' && !quoted) key.keyColumns += ';';
    else key.keyColumns += c;
  }
  const auto tokens = script::tokenize(line.substr(0, open));
  for (size_t k = 0; k + 1 < tokens.size(); ++k)
    if (tokens[k].is("CONSTRAINT") &&
        (tokens[k + 1].kind == script::Token::Word || tokens[k + 1].kind == script::Token::Quoted)) {
      key.namePart = script::unquotedName(tokens[k + 1]);
      break;
    }
  return key;
}

std::string KeyEntry(const KeyDefinition& key) {
  std::string entry;
  for (char c : key.namePart)
    if (c != ',') entry += c;
  return entry + ',' + key.keyColumns;
}

}  // namespace korvel
