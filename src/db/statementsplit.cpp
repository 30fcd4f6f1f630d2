#include "db/statementsplit.h"

#include <QSet>

namespace korvel::db {
namespace {

struct Token {
  enum Kind { Word, Quoted, Semicolon, SlashLine, Other } kind;
  QString upper;  // words only
  int start = 0;
  int end = 0;  // one past the token
  int line = 1;
};

bool isWordChar(QChar c) { return c.isLetterOrNumber() || c == u'_' || c == u'$' || c == u'#'; }

// Skips to the end of a quoted piece opened at `i` by `open` and closed by
// `close`; a doubled closing character stands for itself. Returns the
// position after the closing character (the script's end when unclosed).
int skipQuoted(const QString& s, int i, QChar close) {
  for (int j = i + 1; j < s.size(); ++j) {
    if (s[j] != close) continue;
    if (j + 1 < s.size() && s[j + 1] == close && close != u']') {
      ++j;
      continue;
    }
    return j + 1;
  }
  return s.size();
}

// A dollar quote's opening tag ("$$", "$body$") at i, or an empty text.
QString dollarTag(const QString& s, int i) {
  if (i > 0 && isWordChar(s[i - 1])) return {};
  int j = i + 1;
  while (j < s.size() && (s[j].isLetterOrNumber() || s[j] == u'_')) ++j;
  if (j >= s.size() || s[j] != u'$') return {};
  if (j > i + 1 && s[i + 1].isDigit()) return {};  // $1 is a parameter
  return s.mid(i, j + 1 - i);
}

// A line holding only "/" (and blanks), starting at i (a line start).
// Returns the position of its line end, or -1.
int slashLineEnd(const QString& s, int i) {
  int j = i;
  while (j < s.size() && (s[j] == u' ' || s[j] == u'\t')) ++j;
  if (j >= s.size() || s[j] != u'/') return -1;
  ++j;
  while (j < s.size() && (s[j] == u' ' || s[j] == u'\t' || s[j] == u'\r')) ++j;
  return j >= s.size() || s[j] == u'\n' ? j : -1;
}

class Tokenizer {
 public:
  explicit Tokenizer(const QString& s) : s_(s) {}

  std::vector<Token> run() {
    bool lineStart = true;
    while (i_ < s_.size()) {
      if (lineStart) {
        lineStart = false;
        const int end = slashLineEnd(s_, i_);
        if (end >= 0) {
          push(Token::SlashLine, i_, end);
          continue;
        }
      }
      const QChar c = s_[i_];
      if (c == u'\n') {
        ++line_;
        ++i_;
        lineStart = true;
      } else if (c.isSpace()) {
        ++i_;
      } else if (c == u'-' && next() == u'-') {
        while (i_ < s_.size() && s_[i_] != u'\n') ++i_;
      } else if (c == u'/' && next() == u'*') {
        const int end = s_.indexOf(QStringLiteral("*/"), i_ + 2);
        advanceTo(end < 0 ? s_.size() : end + 2);
      } else if (c == u'\'' || c == u'"' || c == u'`' || c == u'[') {
        const QChar close = c == u'[' ? QChar(u']') : c;
        push(Token::Quoted, i_, skipQuoted(s_, i_, close));
      } else if (c == u'$' && !dollarTag(s_, i_).isEmpty()) {
        const QString tag = dollarTag(s_, i_);
        const int close = s_.indexOf(tag, i_ + tag.size());
        push(Token::Quoted, i_, close < 0 ? s_.size() : close + tag.size());
      } else if (isWordChar(c)) {
        int j = i_;
        while (j < s_.size() && isWordChar(s_[j])) ++j;
        push(Token::Word, i_, j);
      } else {
        push(c == u';' ? Token::Semicolon : Token::Other, i_, i_ + 1);
      }
    }
    return std::move(tokens_);
  }

 private:
  QChar next() const { return i_ + 1 < s_.size() ? s_[i_ + 1] : QChar(); }

  // Moves to `end`, counting the line breaks passed.
  void advanceTo(int end) {
    for (; i_ < end; ++i_)
      if (s_[i_] == u'\n') ++line_;
  }

  void push(Token::Kind kind, int start, int end) {
    Token t{kind, kind == Token::Word ? s_.mid(start, end - start).toUpper() : QString(), start, end,
            line_};
    tokens_.push_back(t);
    advanceTo(end);
  }

  const QString& s_;
  int i_ = 0;
  int line_ = 1;
  std::vector<Token> tokens_;
};

bool isTransactionBegin(const std::vector<Token>& tokens, size_t first) {
  static const QSet<QString> words = {"TRANSACTION", "WORK",      "TRAN", "DEFERRED",
                                      "IMMEDIATE",   "EXCLUSIVE", "ISOLATION", "READ"};
  if (tokens[first].upper != u"BEGIN") return false;
  if (first + 1 >= tokens.size()) return true;
  const Token& t = tokens[first + 1];
  return t.kind == Token::Semicolon || t.kind == Token::SlashLine ||
         (t.kind == Token::Word && words.contains(t.upper));
}

// The statement being collected and what its words have shown so far.
struct Statement {
  int start = -1;
  int line = 1;
  QStringList lead;      // its first words, upper case
  bool routine = false;  // CREATE ... PROCEDURE/FUNCTION/PACKAGE/TYPE/TRIGGER
  bool block = false;    // may hold BEGIN ... END blocks
  bool declarative = false;  // runs to a "/" line or the script's end
  bool blockSeen = false;
  int depth = 0;
  QString routineKind;

  bool empty() const { return start < 0; }
};

// CREATE [OR REPLACE] [EDITIONABLE|NONEDITIONABLE|TEMP|TEMPORARY] <kind>
QString routineKindOf(const QStringList& lead) {
  static const QSet<QString> kinds = {"PROCEDURE", "FUNCTION", "PACKAGE", "TYPE", "TRIGGER"};
  static const QSet<QString> fillers = {"OR", "REPLACE", "EDITIONABLE", "NONEDITIONABLE", "TEMP",
                                        "TEMPORARY"};
  if (lead.isEmpty() || lead[0] != u"CREATE") return {};
  for (int i = 1; i < lead.size(); ++i) {
    if (kinds.contains(lead[i])) return lead[i];
    if (!fillers.contains(lead[i])) return {};
  }
  return {};
}

class Splitter {
 public:
  Splitter(const QString& script, const std::vector<Token>& tokens)
      : script_(script), tokens_(tokens) {}

  std::vector<ScriptStatement> run() {
    for (size_t k = 0; k < tokens_.size(); ++k) step(k);
    finish(script_.size(), false);
    return std::move(out_);
  }

 private:
  void step(size_t k) {
    const Token& t = tokens_[k];
    if (t.kind == Token::SlashLine) {
      finish(t.start, false);
      return;
    }
    if (cur_.empty()) begin(k);
    if (t.kind == Token::Semicolon) {
      if (cur_.depth == 0 && !cur_.declarative) finish(t.start, cur_.blockSeen);
      return;
    }
    if (t.kind == Token::Word) word(k);
    lastKind_ = t.kind;
    lastUpper_ = t.upper;
  }

  void begin(size_t k) {
    cur_ = Statement();
    cur_.start = tokens_[k].start;
    cur_.line = tokens_[k].line;
    if (tokens_[k].kind == Token::Word && !isTransactionBegin(tokens_, k)) {
      // An anonymous block: BEGIN ... END; or DECLARE ... BEGIN ... END;
      if (tokens_[k].upper == u"BEGIN") cur_.block = true;
      if (tokens_[k].upper == u"DECLARE") cur_.block = cur_.declarative = true;
    }
    lastKind_ = Token::Other;
    lastUpper_.clear();
  }

  void word(size_t k) {
    const QString& w = tokens_[k].upper;
    if (cur_.lead.size() < 6) {
      cur_.lead << w;
      if (!cur_.routine) {
        cur_.routineKind = routineKindOf(cur_.lead);
        cur_.routine = !cur_.routineKind.isEmpty();
        if (cur_.routine) cur_.block = true;
      }
    }
    if (!cur_.block) return;
    if (cur_.routine && cur_.depth == 0) {
      if (w == u"DECLARE") cur_.declarative = true;
      // PROCEDURE p IS v NUMBER; ... : declarations before the body.
      static const QSet<QString> notDeclarations = {"BEGIN", "ENUM", "RANGE", "LANGUAGE", "EXTERNAL"};
      if (cur_.routineKind != u"TRIGGER" && lastKind_ == Token::Word &&
          (lastUpper_ == u"AS" || lastUpper_ == u"IS") && !notDeclarations.contains(w))
        cur_.declarative = true;
    }
    if (w == u"BEGIN" || w == u"CASE") {
      ++cur_.depth;
      cur_.blockSeen = true;
    } else if (w == u"END") {
      static const QSet<QString> notClosing = {"IF", "LOOP", "WHILE", "REPEAT", "FOR"};
      const bool closes = k + 1 >= tokens_.size() || tokens_[k + 1].kind != Token::Word ||
                          !notClosing.contains(tokens_[k + 1].upper);
      if (closes && cur_.depth > 0) --cur_.depth;
    }
  }

  void finish(int end, bool keepSemicolon) {
    if (cur_.empty()) return;
    const int stop = keepSemicolon ? end + 1 : end;
    const QString text = script_.mid(cur_.start, stop - cur_.start).trimmed();
    if (!text.isEmpty()) out_.push_back({text, cur_.line});
    cur_ = Statement();
  }

  const QString& script_;
  const std::vector<Token>& tokens_;
  Statement cur_;
  Token::Kind lastKind_ = Token::Other;
  QString lastUpper_;
  std::vector<ScriptStatement> out_;
};

}  // namespace

std::vector<ScriptStatement> splitStatements(const QString& script) {
  const std::vector<Token> tokens = Tokenizer(script).run();
  return Splitter(script, tokens).run();
}

bool isTransactionControl(const QString& statement) {
  static const QSet<QString> words = {"COMMIT", "ROLLBACK", "END",    "SAVEPOINT", "RELEASE", "START",
                                      "ABORT",  "VACUUM",   "ATTACH", "DETACH",    "PREPARE"};
  const std::vector<Token> tokens = Tokenizer(statement).run();
  if (tokens.empty() || tokens[0].kind != Token::Word) return false;
  if (tokens[0].upper == u"PREPARE")  // PREPARE TRANSACTION, not a prepared statement
    return tokens.size() > 1 && tokens[1].upper == u"TRANSACTION";
  return words.contains(tokens[0].upper) || isTransactionBegin(tokens, 0);
}

}  // namespace korvel::db
