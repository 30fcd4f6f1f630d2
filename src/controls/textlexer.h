#pragma once
// Tokens of the text form of the value stream and of definition files.

#include <QString>

namespace korvel {

struct TextToken {
  enum class Kind { End, Punct, Integer, String, Ident };
  Kind kind = Kind::End;
  QChar punct;
  qint64 integer = 0;
  QString text;  // string value or identifier
  int line = 1;
};

// Splits text into tokens: ( ) [ ] , = : punctuation, integers (decimal or
// $hex, optional sign), strings ('..' with '' for a quote, #nn character
// codes, parts joined by +), identifiers; "//" starts a comment.
class TextLexer {
 public:
  TextLexer(const QString& text, QString sourceName);
  const TextToken& Peek();
  TextToken Next();
  [[noreturn]] void Fail(int line, const QString& what) const;
  const QString& SourceName() const { return source_; }

 private:
  TextToken Scan();
  void SkipBlanks();
  QString ScanStringParts(int line);

  QString text_;
  QString source_;
  qsizetype pos_ = 0;
  int line_ = 1;
  bool peeked_ = false;
  TextToken next_;
};

}  // namespace korvel
