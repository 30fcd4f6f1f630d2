// Text form of the typed-value stream.
#include "controls/textlexer.h"
#include "controls/textvaluestream.h"
#include "controls/valuestream.h"

namespace korvel {

namespace {

QString QuoteString(const QString& s) {
  if (s.isEmpty()) return QStringLiteral("''");
  QString out;
  bool inQuotes = false;
  for (QChar c : s) {
    if (c.unicode() < 32) {
      if (inQuotes) out += u'\'', inQuotes = false;
      out += u'#' + QString::number(c.unicode());
      continue;
    }
    if (!inQuotes) out += u'\'', inQuotes = true;
    out += c;
    if (c == u'\'') out += u'\'';
  }
  if (inQuotes) out += u'\'';
  return out;
}

}  // namespace

namespace {
constexpr int kMaxListDepth = 32;  // stored lists nest one level; this only stops runaway input
}

void ReadTextValue(TextLexer& lexer, TypedValues& out, int depth) {
  const TextToken t = lexer.Next();
  switch (t.kind) {
    case TextToken::Kind::End:
      lexer.Fail(t.line, QStringLiteral("値が必要ですが、テキストが終わっています"));
    case TextToken::Kind::Integer:
      if (t.integer < INT32_MIN || t.integer > INT32_MAX)
        lexer.Fail(t.line, QStringLiteral("整数 %1 は 32 ビットに収まりません").arg(t.integer));
      out.push_back(TypedValue::Int(qint32(t.integer)));
      return;
    case TextToken::Kind::String:
      out.push_back(TypedValue::Str(t.text));
      return;
    case TextToken::Kind::Ident:
      if (t.text.compare(u"True", Qt::CaseInsensitive) == 0)
        out.push_back(TypedValue::Bool(true));
      else if (t.text.compare(u"False", Qt::CaseInsensitive) == 0)
        out.push_back(TypedValue::Bool(false));
      else
        out.push_back(TypedValue::Ident(t.text));
      return;
    case TextToken::Kind::Punct:
      break;
  }
  if (t.punct == u'(') {
    if (depth >= kMaxListDepth)
      lexer.Fail(t.line, QStringLiteral("リストの入れ子が深すぎます"));
    out.push_back(TypedValue::ListBegin());
    while (!(lexer.Peek().kind == TextToken::Kind::Punct && lexer.Peek().punct == u')')) {
      if (lexer.Peek().kind == TextToken::Kind::End)
        lexer.Fail(lexer.Peek().line, QStringLiteral("リストの終わりの ) がありません"));
      ReadTextValue(lexer, out, depth + 1);
    }
    lexer.Next();
    out.push_back(TypedValue::ListEnd());
    return;
  }
  if (t.punct == u'[') {
    QStringList names;
    for (;;) {
      const TextToken n = lexer.Next();
      if (n.kind == TextToken::Kind::Punct && n.punct == u']') break;
      if (n.kind == TextToken::Kind::Punct && n.punct == u',' && !names.isEmpty()) continue;
      if (n.kind != TextToken::Kind::Ident)
        lexer.Fail(n.line, QStringLiteral("集合 [..] の中に識別子が必要です"));
      names << n.text;
    }
    out.push_back(TypedValue::SetOf(names));
    return;
  }
  lexer.Fail(t.line, QStringLiteral("値が必要ですが '%1' があります").arg(t.punct));
}

QString WriteTextValue(const TypedValue& v) {
  switch (v.type) {
    case TypedValue::Type::ListBegin: return QStringLiteral("(");
    case TypedValue::Type::ListEnd: return QStringLiteral(")");
    case TypedValue::Type::Integer: return QString::number(v.integer);
    case TypedValue::Type::String: return QuoteString(v.string);
    case TypedValue::Type::Boolean: return v.boolean ? QStringLiteral("True") : QStringLiteral("False");
    case TypedValue::Type::Identifier: return v.string;
    case TypedValue::Type::Set: return u'[' + v.set.join(QStringLiteral(", ")) + u']';
  }
  return QString();
}

QString WriteTextValues(const TypedValues& values) {
  QString out;
  const TypedValue* prev = nullptr;
  for (const TypedValue& v : values) {
    const bool tight = !prev || prev->type == TypedValue::Type::ListBegin ||
                       v.type == TypedValue::Type::ListEnd;
    if (!tight) out += u' ';
    out += WriteTextValue(v);
    prev = &v;
  }
  return out;
}

TypedValues ReadTextValues(const QString& text) {
  TextLexer lexer(text, QString());
  TypedValues values;
  while (lexer.Peek().kind != TextToken::Kind::End) ReadTextValue(lexer, values);
  return values;
}

}  // namespace korvel
