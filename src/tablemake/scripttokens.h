#pragma once
// Words of SQL definition script text (CP932 bytes, already upper-cased):
// names and keywords, "double-quoted" names, 'string' literals and the
// punctuation the readers care about. Blanks (bytes of 32 or less) separate
// tokens; a double-byte character is always part of a word.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace korvel::script {

struct Token {
  enum Kind { Word, Quoted, String, Punct } kind;
  std::string_view text;  // as written (quotes included)
  size_t offset = 0;      // byte offset in the scanned text

  bool is(std::string_view word) const { return kind == Word && text == word; }
  bool isPunct(char c) const { return kind == Punct && text.size() == 1 && text[0] == c; }
};

// The tokens of one piece of code, at most `most` of them. An unterminated
// quote runs to the end.
std::vector<Token> tokenize(std::string_view code, size_t most = SIZE_MAX);

// A name as the database knows it: double quotes around it removed (a
// doubled quote inside stands for one).
std::string unquotedName(const Token& token);

// A dotted name starting at tokens[i] ("SCOTT"."EMP", SCOTT.EMP): the part
// after the first dot ("EMP"), or the single name. `i` is moved past it.
// Empty when tokens[i] is not a name.
std::string dottedNameTail(const std::vector<Token>& tokens, size_t& i);

inline bool isBlankByte(char c) { return static_cast<unsigned char>(c) <= 32; }

using Tokens = std::vector<Token>;

// Token k is the word `word` (or the punctuation c); false past the end.
bool wordAt(const Tokens& tokens, size_t k, std::string_view word);
bool punctAt(const Tokens& tokens, size_t k, char c);
// Token t is one of the words.
bool oneOf(const Token& t, std::initializer_list<std::string_view> words);

// The text of a 'string' literal token, a doubled quote made single.
std::string literalText(const Token& t);

// Leading and trailing blanks removed.
std::string trimmedText(std::string_view text);

}  // namespace korvel::script
