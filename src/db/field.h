#pragma once
// One column of an open dataset, seen at the dataset's current record.

#include <QString>
#include <QVariant>

#include "db/fieldkind.h"

namespace korvel::db {

class Dataset;
struct FieldInfo;

class Field {
 public:
  Field(Dataset* owner, int index) : owner_(owner), index_(index) {}

  int index() const { return index_; }
  QString fieldName() const;
  QString displayName() const;  // the label if set, else the name
  QString displayLabel() const;
  void setDisplayLabel(const QString& label);
  int displayWidth() const;     // in characters
  void setDisplayWidth(int width);

  FieldKind kind() const;
  QString className() const { return fieldClassName(kind()); }
  int size() const;       // characters for strings, 0 where not meaningful
  int precision() const;  // digits for numbers, 0 where unknown
  int scale() const;      // decimals for numbers
  bool required() const;
  bool isIndexField() const;  // member of the primary index
  bool readOnly() const;

  // Value of the current record (or of the edit buffer while editing, or of
  // the key buffer in SetKey state).
  QVariant value() const;
  bool isNull() const;
  // Texts in the runtime format settings: asString() the value as text
  // (dates "yyyy/mm/dd", floats and currency as plain numbers), displayText()
  // as a grid shows it (currency in the currency format), editText() the
  // text an editor starts from (setEditText() reads it back).
  QString asString() const;
  QString displayText() const;
  QString editText() const;
  // Assigns in Edit, Insert or SetKey state; otherwise EngineError. A text the
  // field kind cannot take (a bad date, a number out of range) is an
  // EngineError naming the field. In Edit state the field's own edit text
  // changes nothing.
  void setEditText(const QString& text);
  void setValue(const QVariant& value);
  void clear();  // sets NULL

 private:
  // Puts a value of the field's own representation into the buffer.
  void assign(const QVariant& value);
  FieldInfo& info() const;  // the dataset's description of this field
  Dataset* owner_;
  int index_;
};

}  // namespace korvel::db
