#include "db/field.h"

#include "db/dataset.h"
#include "db/datasetimpl.h"
#include "db/fieldvalue.h"

namespace korvel::db {

FieldInfo& Field::info() const { return owner_->impl()->fields.at(static_cast<size_t>(index_)); }

QString Field::fieldName() const { return info().name; }

QString Field::displayName() const {
  const FieldInfo& i = info();
  return i.label.isEmpty() ? i.name : i.label;
}

QString Field::displayLabel() const { return displayName(); }

void Field::setDisplayLabel(const QString& label) {
  info().label = label;
}

int Field::displayWidth() const { return info().displayWidth; }

void Field::setDisplayWidth(int width) {
  info().displayWidth = width;
}

FieldKind Field::kind() const { return info().meta.kind; }
int Field::size() const {
  const FieldInfo& i = info();
  return i.meta.kind == FieldKind::String ? i.meta.size : 0;
}
int Field::precision() const { return info().meta.precision; }
int Field::scale() const { return info().meta.scale; }
bool Field::required() const { return info().meta.required; }
bool Field::isIndexField() const { return info().indexField; }
bool Field::readOnly() const {
  return !owner_->canModify() || info().writeColumn.isEmpty();
}

QVariant Field::value() const {
  Dataset::Impl* impl = owner_->impl();
  if (owner_->state() == DatasetState::SetKey) return impl->keyBuffer.value(index_);
  if (impl->cur < 0) return {};
  return impl->fieldValue(impl->cur, index_);
}

bool Field::isNull() const { return value().isNull(); }
QString Field::asString() const { return asText(kind(), value()); }
QString Field::displayText() const { return korvel::db::displayText(kind(), value()); }
QString Field::editText() const { return korvel::db::editText(kind(), value()); }

void Field::setEditText(const QString& text) {
  // An edited record's text left as it was stands for the value it came
  // from: the value stays exactly as read (a float's digits, a time's zone,
  // a boolean stored as 'yes') and the field is not written.
  if (owner_->state() == DatasetState::Edit && text == editText()) return;
  QVariant parsed;
  QString error;
  if (!parseEditText(kind(), size(), text, parsed, &error, value()))
    throw EngineError(QStringList{QStringLiteral("Field '%1'").arg(fieldName()),
                                  QStringLiteral("%1 for field '%2'").arg(error, fieldName())});
  assign(parsed);
}

void Field::setValue(const QVariant& value) {
  const FieldKind k = kind();
  if (value.typeId() == QMetaType::QString && k != FieldKind::String && k != FieldKind::Memo) {
    setEditText(value.toString());
    return;
  }
  assign(value);
}

void Field::assign(const QVariant& value) {
  Dataset::Impl* impl = owner_->impl();
  switch (owner_->state()) {
    case DatasetState::SetKey:
      impl->keyBuffer[index_] = value;
      return;
    case DatasetState::Edit:
    case DatasetState::Insert:
      if (readOnly()) throw EngineError(QStringLiteral("Field '%1' cannot be modified").arg(fieldName()));
      impl->buffer[index_] = value;
      impl->changed[static_cast<size_t>(index_)] = true;
      emit owner_->dataChanged();
      return;
    default:
      throw EngineError(QStringLiteral("Dataset not in edit or insert mode"));
  }
}

void Field::clear() { setValue(QVariant()); }

}  // namespace korvel::db
