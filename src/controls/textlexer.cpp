#include "controls/textlexer.h"

#include "controls/valuestream.h"

namespace korvel {

TextLexer::TextLexer(const QString& text, QString sourceName)
    : text_(text), source_(std::move(sourceName)) {}

void TextLexer::Fail(int line, const QString& what) const {
  const QString where = source_.isEmpty() ? QStringLiteral("%1 行目").arg(line)
                                          : QStringLiteral("%1 %2 行目").arg(source_).arg(line);
  throw StreamError(QStringLiteral("%1: %2").arg(where, what));
}

const TextToken& TextLexer::Peek() {
  if (!peeked_) {
    next_ = Scan();
    peeked_ = true;
  }
  return next_;
}

TextToken TextLexer::Next() {
  Peek();
  peeked_ = false;
  return next_;
}

void TextLexer::SkipBlanks() {
  while (pos_ < text_.size()) {
    const QChar c = text_[pos_];
    if (c == u'\n') {
      ++line_;
      ++pos_;
    } else if (c.isSpace() || c == QChar(0xFEFF)) {
      ++pos_;
    } else if (c == u'/' && pos_ + 1 < text_.size() && text_[pos_ + 1] == u'/') {
      while (pos_ < text_.size() && text_[pos_] != u'\n') ++pos_;
    } else {
      break;
    }
  }
}

// One or more quoted parts and #nn codes, optionally joined by "+".
QString TextLexer::ScanStringParts(int line) {
  QString out;
  for (;;) {
    if (pos_ < text_.size() && text_[pos_] == u'\'') {
      ++pos_;
      for (;;) {
        if (pos_ >= text_.size() || text_[pos_] == u'\n')
          Fail(line, QStringLiteral("文字列の終わりの ' がありません"));
        if (text_[pos_] == u'\'') {
          if (pos_ + 1 < text_.size() && text_[pos_ + 1] == u'\'') {
            out += u'\'';
            pos_ += 2;
            continue;
          }
          ++pos_;
          break;
        }
        out += text_[pos_++];
      }
    } else if (pos_ < text_.size() && text_[pos_] == u'#') {
      ++pos_;
      const qsizetype start = pos_;
      while (pos_ < text_.size() && text_[pos_].isDigit()) ++pos_;
      bool ok = false;
      const uint code = text_.mid(start, pos_ - start).toUInt(&ok);
      if (!ok || code > 0x10FFFF) Fail(line, QStringLiteral("# の後の文字コードが不正です"));
      out += QString::fromUcs4(reinterpret_cast<const char32_t*>(&code), 1);
    } else {
      break;
    }
    // Parts written side by side ('a'#13#10'b') form one string.
    if (pos_ < text_.size() && (text_[pos_] == u'\'' || text_[pos_] == u'#')) continue;
    // So do parts joined by "+", also across lines.
    const qsizetype save = pos_;
    const int saveLine = line_;
    SkipBlanks();
    if (pos_ < text_.size() && text_[pos_] == u'+') {
      ++pos_;
      SkipBlanks();
      if (pos_ < text_.size() && (text_[pos_] == u'\'' || text_[pos_] == u'#')) continue;
      Fail(line_, QStringLiteral("+ の後に文字列がありません"));
    }
    pos_ = save;
    line_ = saveLine;
    break;
  }
  return out;
}

TextToken TextLexer::Scan() {
  SkipBlanks();
  TextToken t;
  t.line = line_;
  if (pos_ >= text_.size()) return t;
  const QChar c = text_[pos_];
  if (QStringLiteral("()[],=:").contains(c)) {
    t.kind = TextToken::Kind::Punct;
    t.punct = c;
    ++pos_;
    return t;
  }
  if (c == u'\'' || c == u'#') {
    t.kind = TextToken::Kind::String;
    t.text = ScanStringParts(t.line);
    return t;
  }
  if (c.isDigit() || c == u'-' || c == u'+' || c == u'$') {
    const qsizetype start = pos_;
    if (c == u'-' || c == u'+') ++pos_;
    const bool hex = pos_ < text_.size() && text_[pos_] == u'$';
    if (hex) ++pos_;
    const qsizetype digits = pos_;
    while (pos_ < text_.size() &&
           (text_[pos_].isDigit() || (hex && QStringLiteral("abcdefABCDEF").contains(text_[pos_]))))
      ++pos_;
    if (pos_ == digits) Fail(t.line, QStringLiteral("数値が不正です: %1").arg(text_.mid(start, pos_ - start + 1)));
    bool ok = false;
    qint64 v = text_.mid(digits, pos_ - digits).toLongLong(&ok, hex ? 16 : 10);
    if (!ok) Fail(t.line, QStringLiteral("数値が大きすぎます"));
    if (c == u'-') v = -v;
    t.kind = TextToken::Kind::Integer;
    t.integer = v;
    return t;
  }
  if (c.isLetter() || c == u'_') {
    const qsizetype start = pos_;
    while (pos_ < text_.size() && (text_[pos_].isLetterOrNumber() || text_[pos_] == u'_' || text_[pos_] == u'.'))
      ++pos_;
    t.kind = TextToken::Kind::Ident;
    t.text = text_.mid(start, pos_ - start);
    return t;
  }
  Fail(t.line, QStringLiteral("予期しない文字 '%1'").arg(c));
}

}  // namespace korvel
