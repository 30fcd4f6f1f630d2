#include "tableinfo/fieldrows.h"

#include <algorithm>

#include "db/dataset.h"
#include "db/engineerror.h"

namespace korvel::tableinfo {
namespace {

constexpr int kMaxKeyFields = 16;

// The 1-based number of the table field a key names: exactly, else ignoring
// case; 0 when none.
int fieldNumberOf(const QStringList& tableFields, const QString& key) {
  const int exact = static_cast<int>(tableFields.indexOf(key));
  if (exact >= 0) return exact + 1;
  for (int i = 0; i < tableFields.size(); ++i)
    if (tableFields[i].compare(key, Qt::CaseInsensitive) == 0) return i + 1;
  return 0;
}

}  // namespace

int fieldDataSize(db::FieldKind kind, int size) {
  using db::FieldKind;
  switch (kind) {
    case FieldKind::String: return size + 1;
    case FieldKind::Smallint: return 2;
    case FieldKind::Integer: return 4;
    case FieldKind::Float: return 8;
    case FieldKind::Currency: return 8;
    case FieldKind::Decimal: return 34;  // a BCD value
    case FieldKind::Boolean: return 2;
    case FieldKind::Date: return 4;
    case FieldKind::Time: return 4;
    case FieldKind::DateTime: return 8;
    case FieldKind::Memo: return 0;
    case FieldKind::Blob: return 0;
  }
  return 0;
}

QString fieldAlignmentText(db::FieldKind kind) {
  using db::FieldKind;
  const bool number = kind == FieldKind::Smallint || kind == FieldKind::Integer || kind == FieldKind::Float ||
                      kind == FieldKind::Currency || kind == FieldKind::Decimal;
  return number ? QStringLiteral("右寄せ") : QStringLiteral("左寄せ");
}

FieldUnits GetFieldUnits(db::Dataset& dataset, int n) {
  if (n == 0) throw db::EngineError(QStringLiteral("Field number index is 1 based"));
  if (n < 0 || n > dataset.fieldCount())
    throw db::EngineError(QStringLiteral("Field number %1 is out of range").arg(n));
  const db::Field& field = dataset.field(n - 1);
  const bool text = field.kind() == db::FieldKind::String || field.kind() == db::FieldKind::Memo;
  return {text ? field.size() : field.precision(), field.scale()};
}

bool isParadoxTableType(const QString& tableType) {
  if (tableType.isEmpty()) return false;
  const QString paradox = QStringLiteral("paradox");
  const int common = static_cast<int>(std::min(tableType.size(), paradox.size()));
  return tableType.left(common).toLower() == paradox.left(common);
}

QStringList indexKeyFields(const db::IndexDef& index) {
  QStringList keys;
  for (const QString& key : index.fields.split(u';', Qt::SkipEmptyParts)) keys << key.trimmed();
  return keys;
}

QString indexLine(int number, const db::IndexDef& index, const QStringList& tableFields,
                  const std::function<QString(int)>& fieldNameAt) {
  const QStringList keys = indexKeyFields(index);
  QString line = QStringLiteral("%1:%2(Key項目数=%3) ").arg(number, 2).arg(index.name).arg(keys.size());
  for (int k = 0; k < keys.size() && k < kMaxKeyFields; ++k) {
    const int field = fieldNumberOf(tableFields, keys[k]);
    line += QStringLiteral(", %1:%2").arg(field).arg(field > 0 ? fieldNameAt(field) : keys[k]);
  }
  return line;
}

}  // namespace korvel::tableinfo
