// The value sequence reader shared by both stream forms.
#include "controls/valuestream.h"

namespace korvel {

QString TypeName(TypedValue::Type type) {
  switch (type) {
    case TypedValue::Type::ListBegin: return QStringLiteral("リスト開始 \"(\"");
    case TypedValue::Type::ListEnd: return QStringLiteral("リスト終了 \")\"");
    case TypedValue::Type::Integer: return QStringLiteral("整数");
    case TypedValue::Type::String: return QStringLiteral("文字列");
    case TypedValue::Type::Boolean: return QStringLiteral("論理値");
    case TypedValue::Type::Identifier: return QStringLiteral("識別子");
    case TypedValue::Type::Set: return QStringLiteral("集合");
  }
  return QString();
}

ValueCursor::ValueCursor(const TypedValues& values, QString context)
    : values_(values), context_(std::move(context)) {}

void ValueCursor::Fail(const QString& what) const {
  throw StreamError(QStringLiteral("%1: %2 (値 %3 番目)").arg(context_, what).arg(pos_ + 1));
}

const TypedValue& ValueCursor::Take(TypedValue::Type type) {
  if (pos_ >= values_.size())
    Fail(QStringLiteral("%1 が必要ですが、値が途中で終わっています").arg(TypeName(type)));
  const TypedValue& v = values_[pos_];
  // Booleans may also be written as the identifiers True and False.
  const bool boolIdent = type == TypedValue::Type::Boolean &&
                         v.type == TypedValue::Type::Identifier &&
                         (v.string.compare(u"True", Qt::CaseInsensitive) == 0 ||
                          v.string.compare(u"False", Qt::CaseInsensitive) == 0);
  if (v.type != type && !boolIdent)
    Fail(QStringLiteral("%1 が必要ですが %2 があります").arg(TypeName(type), TypeName(v.type)));
  ++pos_;
  return v;
}

void ValueCursor::ReadListBegin() { Take(TypedValue::Type::ListBegin); }
void ValueCursor::ReadListEnd() { Take(TypedValue::Type::ListEnd); }

bool ValueCursor::EndOfList() const {
  return pos_ >= values_.size() || values_[pos_].type == TypedValue::Type::ListEnd;
}

qint32 ValueCursor::ReadInteger() { return Take(TypedValue::Type::Integer).integer; }
QString ValueCursor::ReadString() { return Take(TypedValue::Type::String).string; }

bool ValueCursor::ReadBoolean() {
  const TypedValue& v = Take(TypedValue::Type::Boolean);
  if (v.type == TypedValue::Type::Identifier)
    return v.string.compare(u"True", Qt::CaseInsensitive) == 0;
  return v.boolean;
}

void ValueCursor::ExpectEnd() const {
  if (pos_ < values_.size()) Fail(QStringLiteral("リストの後に余分な値があります"));
}

}  // namespace korvel
