// Binary form of the typed-value stream.
#include <QtEndian>

#include "common/codepage.h"
#include "controls/valuestream.h"

namespace korvel {

namespace {

void PutTag(QByteArray& out, ValueTag tag) { out.append(char(quint8(tag))); }

template <typename T>
void PutLE(QByteArray& out, T value) {
  char bytes[sizeof(T)];
  qToLittleEndian(value, bytes);
  out.append(bytes, sizeof(T));
}

void PutInteger(QByteArray& out, qint32 v) {
  if (v >= -128 && v <= 127) {
    PutTag(out, ValueTag::Int8);
    out.append(char(qint8(v)));
  } else if (v >= -32768 && v <= 32767) {
    PutTag(out, ValueTag::Int16);
    PutLE<qint16>(out, qint16(v));
  } else {
    PutTag(out, ValueTag::Int32);
    PutLE<qint32>(out, v);
  }
}

// CP932 when the text has a CP932 form, UTF-8 otherwise: never altered.
void PutString(QByteArray& out, const QString& s) {
  std::string bytes;
  if (tryToCp932(s, bytes)) {
    if (bytes.size() <= 255) {
      PutTag(out, ValueTag::String);
      out.append(char(quint8(bytes.size())));
    } else {
      PutTag(out, ValueTag::LString);
      PutLE<quint32>(out, quint32(bytes.size()));
    }
    out.append(bytes.data(), qsizetype(bytes.size()));
  } else {
    const QByteArray utf8 = s.toUtf8();
    PutTag(out, ValueTag::Utf8String);
    PutLE<quint32>(out, quint32(utf8.size()));
    out.append(utf8);
  }
}

void PutShortText(QByteArray& out, const QString& s) {
  const QByteArray latin = s.toLatin1().left(255);
  out.append(char(quint8(latin.size())));
  out.append(latin);
}

class BinaryReader {
 public:
  explicit BinaryReader(const QByteArray& bytes) : bytes_(bytes) {}

  TypedValues ReadAll() {
    TypedValues values;
    int depth = 0;
    while (pos_ < bytes_.size()) {
      const qsizetype at = pos_;
      const quint8 tag = Byte();
      values.push_back(ReadValue(tag, at, depth));
    }
    if (depth != 0) Fail(bytes_.size(), QStringLiteral("リストが閉じられていません"));
    return values;
  }

 private:
  TypedValue ReadValue(quint8 tag, qsizetype at, int& depth) {
    switch (ValueTag(tag)) {
      case ValueTag::List: ++depth; return TypedValue::ListBegin();
      case ValueTag::EndOfList:
        if (--depth < 0) Fail(at, QStringLiteral("対応するリスト開始がありません"));
        return TypedValue::ListEnd();
      case ValueTag::Int8: return TypedValue::Int(qint8(Byte()));
      case ValueTag::Int16: return TypedValue::Int(LE<qint16>());
      case ValueTag::Int32: return TypedValue::Int(LE<qint32>());
      case ValueTag::False: return TypedValue::Bool(false);
      case ValueTag::True: return TypedValue::Bool(true);
      case ValueTag::String: return TypedValue::Str(Cp932(Bytes(Byte()), at));
      case ValueTag::LString: return TypedValue::Str(Cp932(Bytes(Length()), at));
      case ValueTag::Utf8String: return TypedValue::Str(Utf8(Bytes(Length()), at));
      case ValueTag::Ident: return TypedValue::Ident(QString::fromLatin1(Bytes(Byte())));
      case ValueTag::Set: {
        QStringList names;
        for (quint8 n = Byte(); n != 0; n = Byte()) names << QString::fromLatin1(Bytes(n));
        return TypedValue::SetOf(names);
      }
    }
    Fail(at, QStringLiteral("不明な値の型 %1").arg(tag));
  }

  [[noreturn]] void Fail(qsizetype at, const QString& what) const {
    throw StreamError(QStringLiteral("バイナリ値ストリーム %1 バイト目: %2").arg(at).arg(what));
  }

  void Need(qsizetype n) const {
    if (n < 0 || pos_ + n > bytes_.size())
      Fail(pos_, QStringLiteral("データが途中で切れています (%1 バイト必要)").arg(n));
  }
  quint8 Byte() {
    Need(1);
    return quint8(bytes_[pos_++]);
  }
  template <typename T>
  T LE() {
    Need(sizeof(T));
    const T v = qFromLittleEndian<T>(bytes_.constData() + pos_);
    pos_ += sizeof(T);
    return v;
  }
  qsizetype Length() {
    const quint32 n = LE<quint32>();
    if (n > quint32(bytes_.size())) Fail(pos_ - 4, QStringLiteral("文字列の長さ %1 が不正です").arg(n));
    return qsizetype(n);
  }
  QByteArray Bytes(qsizetype n) {
    Need(n);
    const QByteArray out = bytes_.mid(pos_, n);
    pos_ += n;
    return out;
  }
  QString Cp932(const QByteArray& raw, qsizetype at) const {
    int bad = -1;
    const QString s = fromCp932(std::string_view(raw.constData(), size_t(raw.size())), &bad);
    if (bad >= 0) Fail(at, QStringLiteral("文字列に CP932 でないバイトがあります"));
    return s;
  }
  QString Utf8(const QByteArray& raw, qsizetype at) const {
    const QString s = QString::fromUtf8(raw);
    if (s.toUtf8() != raw) Fail(at, QStringLiteral("文字列が正しい UTF-8 ではありません"));
    return s;
  }

  const QByteArray& bytes_;
  qsizetype pos_ = 0;
};

}  // namespace

QByteArray WriteBinaryValues(const TypedValues& values) {
  QByteArray out;
  for (const TypedValue& v : values) {
    switch (v.type) {
      case TypedValue::Type::ListBegin: PutTag(out, ValueTag::List); break;
      case TypedValue::Type::ListEnd: PutTag(out, ValueTag::EndOfList); break;
      case TypedValue::Type::Integer: PutInteger(out, v.integer); break;
      case TypedValue::Type::String: PutString(out, v.string); break;
      case TypedValue::Type::Boolean: PutTag(out, v.boolean ? ValueTag::True : ValueTag::False); break;
      case TypedValue::Type::Identifier:
        PutTag(out, ValueTag::Ident);
        PutShortText(out, v.string);
        break;
      case TypedValue::Type::Set:
        PutTag(out, ValueTag::Set);
        for (const QString& name : v.set) PutShortText(out, name);
        out.append(char(0));
        break;
    }
  }
  return out;
}

TypedValues ReadBinaryValues(const QByteArray& bytes) { return BinaryReader(bytes).ReadAll(); }

}  // namespace korvel
