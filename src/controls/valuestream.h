#pragma once
// The typed-value stream in which grids keep their stored properties: list
// begin/end, integers, strings, booleans (and, for definition files,
// identifiers and sets). Two forms carry the same values:
//   binary: one tag byte per value; integers in the smallest of the 8-, 16-
//           and 32-bit forms (little-endian), read back from any of them;
//           strings as CP932 bytes (short or long form) or, when a text has
//           no CP932 form, as UTF-8, so no text is ever altered.
//   text:   (0 1 '型' 0 2 '初期値'), True/False, identifiers, [a, b] sets;
//           quotes doubled inside strings, control characters as #nn.
// Damaged or truncated input raises StreamError with a message that says
// where and what.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <stdexcept>
#include <vector>

namespace korvel {

class StreamError : public std::runtime_error {
 public:
  explicit StreamError(const QString& message)
      : std::runtime_error(message.toStdString()), message_(message) {}
  const QString& message() const { return message_; }

 private:
  QString message_;
};

// Tags of the binary form.
enum class ValueTag : quint8 {
  EndOfList = 0,
  List = 1,
  Int8 = 2,
  Int16 = 3,
  Int32 = 4,
  Ident = 7,
  False = 8,
  True = 9,
  Set = 11,
  LString = 12,   // CP932, 32-bit length
  String = 6,     // CP932, 8-bit length
  Utf8String = 20,
};

struct TypedValue {
  enum class Type { ListBegin, ListEnd, Integer, String, Boolean, Identifier, Set };
  Type type = Type::Integer;
  qint32 integer = 0;
  bool boolean = false;
  QString string;   // String and Identifier
  QStringList set;  // Set

  static TypedValue Of(Type type) {
    TypedValue t;
    t.type = type;
    return t;
  }
  static TypedValue ListBegin() { return Of(Type::ListBegin); }
  static TypedValue ListEnd() { return Of(Type::ListEnd); }
  static TypedValue Int(qint32 v) { TypedValue t = Of(Type::Integer); t.integer = v; return t; }
  static TypedValue Str(const QString& s) { TypedValue t = Of(Type::String); t.string = s; return t; }
  static TypedValue Bool(bool b) { TypedValue t = Of(Type::Boolean); t.boolean = b; return t; }
  static TypedValue Ident(const QString& s) { TypedValue t = Of(Type::Identifier); t.string = s; return t; }
  static TypedValue SetOf(const QStringList& s) { TypedValue t = Of(Type::Set); t.set = s; return t; }
  bool operator==(const TypedValue&) const = default;
};
using TypedValues = std::vector<TypedValue>;

QString TypeName(TypedValue::Type type);

// Reads a value sequence in order; every mismatch is a StreamError naming
// `context` (e.g. the property) and the value's index.
class ValueCursor {
 public:
  ValueCursor(const TypedValues& values, QString context);
  void ReadListBegin();
  bool EndOfList() const;  // next value is a list end (or nothing is left)
  void ReadListEnd();
  qint32 ReadInteger();
  QString ReadString();
  bool ReadBoolean();
  bool AtEnd() const { return pos_ >= values_.size(); }
  void ExpectEnd() const;  // nothing may follow

 private:
  const TypedValue& Take(TypedValue::Type type);
  [[noreturn]] void Fail(const QString& what) const;

  const TypedValues& values_;
  QString context_;
  size_t pos_ = 0;
};

// Binary form.
QByteArray WriteBinaryValues(const TypedValues& values);
TypedValues ReadBinaryValues(const QByteArray& bytes);

// Text form. Values are separated by single blanks.
QString WriteTextValues(const TypedValues& values);
QString WriteTextValue(const TypedValue& value);
TypedValues ReadTextValues(const QString& text);

}  // namespace korvel
