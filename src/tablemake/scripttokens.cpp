#include "tablemake/scripttokens.h"

#include "common/leadbyte.h"

namespace korvel::script {
namespace {

bool endsWord(char c) {
  return isBlankByte(c) || c == '(' || c == ')' || c == ',' || c == ';' || c == '.' || c == '"' ||
         c == '\'';
}

// End of a quoted run that starts with `quote` at i; a doubled quote stays inside.
size_t quotedEnd(std::string_view code, size_t i, char quote) {
  for (size_t k = i + 1; k < code.size(); ++k) {
    if (isLeadByte(code[k])) {
      ++k;
    } else if (code[k] == quote) {
      if (k + 1 < code.size() && code[k + 1] == quote) ++k;
      else return k + 1;
    }
  }
  return code.size();
}

}  // namespace

std::vector<Token> tokenize(std::string_view code, size_t most) {
  std::vector<Token> tokens;
  size_t i = 0;
  while (i < code.size() && tokens.size() < most) {
    const char c = code[i];
    size_t end = i + 1;
    Token::Kind kind = Token::Punct;
    if (isBlankByte(c)) {
      ++i;
      continue;
    }
    if (c == '"' || c == '\'') {
      kind = c == '"' ? Token::Quoted : Token::String;
      end = quotedEnd(code, i, c);
    } else if (!endsWord(c)) {
      kind = Token::Word;
      end = i;
      while (end < code.size() && !endsWord(code[end])) end += isLeadByte(code[end]) ? 2 : 1;
      if (end > code.size()) end = code.size();
    }
    tokens.push_back({kind, code.substr(i, end - i), i});
    i = end;
  }
  return tokens;
}

bool wordAt(const Tokens& tokens, size_t k, std::string_view word) {
  return k < tokens.size() && tokens[k].is(word);
}

bool punctAt(const Tokens& tokens, size_t k, char c) { return k < tokens.size() && tokens[k].isPunct(c); }

bool oneOf(const Token& t, std::initializer_list<std::string_view> words) {
  for (std::string_view w : words)
    if (t.is(w)) return true;
  return false;
}

std::string literalText(const Token& t) {
  std::string out;
  const bool closed = t.text.size() >= 2 && t.text.back() == '\'';
  const std::string_view inner = t.text.substr(1, t.text.size() - (closed ? 2 : 1));
  for (size_t k = 0; k < inner.size(); ++k) {
    out += inner[k];
    if (inner[k] == '\'' && k + 1 < inner.size() && inner[k + 1] == '\'') ++k;
  }
  return out;
}

std::string trimmedText(std::string_view text) {
  size_t a = 0, b = text.size();
  while (a < b && isBlankByte(text[a])) ++a;
  while (b > a && isBlankByte(text[b - 1])) --b;
  return std::string(text.substr(a, b - a));
}

std::string unquotedName(const Token& token) {
  if (token.kind != Token::Quoted) return std::string(token.text);
  std::string name;
  const std::string_view inner =
      token.text.substr(1, token.text.size() >= 2 && token.text.back() == '"' ? token.text.size() - 2
                                                                             : token.text.size() - 1);
  for (size_t k = 0; k < inner.size(); ++k) {
    name += inner[k];
    if (inner[k] == '"' && k + 1 < inner.size() && inner[k + 1] == '"') ++k;
  }
  return name;
}

std::string dottedNameTail(const std::vector<Token>& tokens, size_t& i) {
  const auto isName = [&](size_t k) {
    return k < tokens.size() && (tokens[k].kind == Token::Word || tokens[k].kind == Token::Quoted);
  };
  if (!isName(i)) return {};
  std::string first = unquotedName(tokens[i++]);
  std::string tail;
  bool dotted = false;
  while (i < tokens.size() && tokens[i].isPunct('.') && isName(i + 1)) {
    if (dotted) tail += '.';
    tail += unquotedName(tokens[i + 1]);
    dotted = true;
    i += 2;
  }
  return dotted ? tail : first;
}

}  // namespace korvel::script
