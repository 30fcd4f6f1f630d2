#include "db/sqlshape.h"

#include <QRegularExpression>

namespace korvel::db {
namespace {

struct Token {
  QString upper;  // word in upper case, a quoted name after '"', or the punctuation character
  QString text;   // as written (quotes removed for quoted identifiers)
  int pos = 0;
  int depth = 0;
  bool word = false;
};

std::vector<Token> tokenize(const QString& sql) {
  std::vector<Token> tokens;
  int depth = 0;
  for (int i = 0; i < sql.size();) {
    const QChar c = sql[i];
    if (c.isSpace()) { ++i; continue; }
    if (c == u'-' && i + 1 < sql.size() && sql[i + 1] == u'-') {
      while (i < sql.size() && sql[i] != u'\n') ++i;
      continue;
    }
    if (c == u'/' && i + 1 < sql.size() && sql[i + 1] == u'*') {
      const int end = sql.indexOf(QStringLiteral("*/"), i + 2);
      i = end < 0 ? sql.size() : end + 2;
      continue;
    }
    if (c == u'\'') {  // string literal, '' inside
      int j = i + 1;
      while (j < sql.size()) {
        if (sql[j] == u'\'' && j + 1 < sql.size() && sql[j + 1] == u'\'') j += 2;
        else if (sql[j] == u'\'') break;
        else ++j;
      }
      tokens.push_back({QStringLiteral("'"), sql.mid(i, j + 1 - i), i, depth, false});
      i = j + 1;
      continue;
    }
    if (c == u'"') {  // quoted identifier, "" inside
      QString name;
      int j = i + 1;
      for (; j < sql.size(); ++j) {
        if (sql[j] != u'"') name += sql[j];
        else if (j + 1 < sql.size() && sql[j + 1] == u'"') name += sql[++j];
        else break;
      }
      // A quoted name is never a keyword: its upper form keeps the quote.
      tokens.push_back({u'"' + name, name, i, depth, true});
      i = j + 1;
      continue;
    }
    if (c.isLetterOrNumber() || c == u'_' || c == u'$') {
      int j = i;
      while (j < sql.size() && (sql[j].isLetterOrNumber() || sql[j] == u'_' || sql[j] == u'$')) ++j;
      const QString word = sql.mid(i, j - i);
      tokens.push_back({word.toUpper(), word, i, depth, true});
      i = j;
      continue;
    }
    if (c == u')') --depth;
    tokens.push_back({QString(c), QString(c), i, c == u')' ? depth : depth, false});
    if (c == u'(') ++depth;
    ++i;
  }
  return tokens;
}

bool isClauseWord(const QString& w) {
  static const QStringList words = {QStringLiteral("WHERE"), QStringLiteral("ORDER"),
                                    QStringLiteral("LIMIT"), QStringLiteral("FOR"),
                                    QStringLiteral("OFFSET"), QStringLiteral("FETCH")};
  return words.contains(w);
}

}  // namespace

QString trimStatement(const QString& sql) {
  QString s = sql.trimmed();
  while (s.endsWith(u';')) s = s.left(s.size() - 1).trimmed();
  return s;
}

bool isCountStar(const QString& item) {
  QString s = item;
  s.remove(QRegularExpression(QStringLiteral("\\s")));
  return s.compare(u"COUNT(*)", Qt::CaseInsensitive) == 0;
}

QString plainColumn(const QString& item) {
  static const QRegularExpression plain(
      QStringLiteral(R"re(^\s*(?:(?:"(?:[^"]|"")+"|\w+)\s*\.\s*)?(?:"((?:[^"]|"")+)"|(\w+))\s*$)re"));
  const auto m = plain.match(item);
  if (!m.hasMatch()) return {};
  return m.captured(1).isEmpty() ? m.captured(2) : m.captured(1).replace(QStringLiteral("\"\""), QStringLiteral("\""));
}

SelectShape analyzeSelect(const QString& sql) {
  SelectShape shape;
  const std::vector<Token> tokens = tokenize(sql);
  if (tokens.empty()) return shape;
  shape.isSelect = tokens[0].upper == u"SELECT" || tokens[0].upper == u"WITH";
  auto refuse = [&](const QString& why) {
    shape.notLocatable = why;
    return shape;
  };
  if (tokens[0].upper != u"SELECT") return refuse(QStringLiteral("not a simple SELECT"));

  size_t i = 1;
  if (i < tokens.size() && tokens[i].upper == u"DISTINCT") return refuse(QStringLiteral("DISTINCT"));
  if (i < tokens.size() && tokens[i].upper == u"ALL") ++i;
  // Select list up to the top-level FROM.
  size_t from = i;
  while (from < tokens.size() && !(tokens[from].depth == 0 && tokens[from].upper == u"FROM")) ++from;
  if (from >= tokens.size()) return refuse(QStringLiteral("no FROM clause"));
  shape.fromPos = tokens[from].pos;
  int itemStart = i < tokens.size() ? tokens[i].pos : shape.fromPos;
  for (size_t k = i; k < from; ++k)
    if (tokens[k].depth == 0 && tokens[k].upper == u",") {
      shape.items << sql.mid(itemStart, tokens[k].pos - itemStart).trimmed();
      itemStart = tokens[k].pos + 1;
    }
  shape.items << sql.mid(itemStart, shape.fromPos - itemStart).trimmed();
  static const QRegularExpression aggregate(
      QStringLiteral(R"(\b(COUNT|SUM|AVG|MIN|MAX)\s*\()"), QRegularExpression::CaseInsensitiveOption);
  for (const auto& item : shape.items)
    if (aggregate.match(item).hasMatch()) return refuse(QStringLiteral("aggregate function"));

  // One table after FROM, optionally schema-qualified and aliased.
  size_t t = from + 1;
  if (t >= tokens.size() || !tokens[t].word) return refuse(QStringLiteral("no single table after FROM"));
  QStringList parts{tokens[t].text};
  while (t + 2 < tokens.size() && tokens[t + 1].upper == u"." && tokens[t + 2].word) {
    parts << tokens[t + 2].text;
    t += 2;
  }
  // catalog.schema.table: the last two parts name the table.
  shape.table.name = parts.last();
  if (parts.size() > 1) shape.table.schema = parts[parts.size() - 2];
  shape.tableRef = parts;
  size_t next = t + 1;
  if (next < tokens.size() && tokens[next].upper == u"AS") ++next;
  if (next < tokens.size() && tokens[next].word && tokens[next].depth == 0 &&
      !isClauseWord(tokens[next].upper) && tokens[next].upper != u"JOIN" &&
      tokens[next].upper != u"GROUP" && tokens[next].upper != u"UNION") {
    shape.tableRef = QStringList{tokens[next].text};
    ++next;
  }
  for (size_t k = t + 1; k < tokens.size(); ++k) {
    if (tokens[k].depth != 0) continue;
    const QString& w = tokens[k].upper;
    if (w == u"JOIN" || w == u",") return refuse(QStringLiteral("more than one table"));
    if (w == u"GROUP" || w == u"HAVING") return refuse(QStringLiteral("GROUP BY"));
    if (w == u"UNION" || w == u"INTERSECT" || w == u"EXCEPT" || w == u"MINUS")
      return refuse(QStringLiteral("a set operation"));
    if (w == u"WHERE") {
      // Commas after WHERE belong to expressions; no more tables can follow.
      for (size_t m = k + 1; m < tokens.size(); ++m) {
        if (tokens[m].depth != 0) continue;
        const QString& v = tokens[m].upper;
        if (v == u"GROUP" || v == u"HAVING") return refuse(QStringLiteral("GROUP BY"));
        if (v == u"UNION" || v == u"INTERSECT" || v == u"EXCEPT" || v == u"MINUS")
          return refuse(QStringLiteral("a set operation"));
      }
      break;
    }
    if (w == u"ORDER") break;
  }
  shape.singleTable = true;
  return shape;
}

}  // namespace korvel::db
