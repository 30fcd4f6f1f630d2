#include "db/fieldkind.h"

namespace korvel::db {

QString fieldClassName(FieldKind kind) {
  switch (kind) {
    case FieldKind::String: return QStringLiteral("TStringField");
    case FieldKind::Smallint: return QStringLiteral("TSmallintField");
    case FieldKind::Integer: return QStringLiteral("TIntegerField");
    case FieldKind::Float: return QStringLiteral("TFloatField");
    case FieldKind::Currency: return QStringLiteral("TCurrencyField");
    case FieldKind::Decimal: return QStringLiteral("TBCDField");
    case FieldKind::Boolean: return QStringLiteral("TBooleanField");
    case FieldKind::Date: return QStringLiteral("TDateField");
    case FieldKind::Time: return QStringLiteral("TTimeField");
    case FieldKind::DateTime: return QStringLiteral("TDateTimeField");
    case FieldKind::Memo: return QStringLiteral("TMemoField");
    case FieldKind::Blob: return QStringLiteral("TBlobField");
  }
  return QStringLiteral("TField");
}

}  // namespace korvel::db
