#include "db/typemap.h"

#include <QRegularExpression>

namespace korvel::db {
namespace {

// "VARCHAR(40)" -> {40, -1}; "NUMERIC(10,2)" -> {10, 2}.
std::pair<int, int> typeArguments(const QString& type) {
  static const QRegularExpression args(QStringLiteral(R"(\(\s*(\d+)\s*(?:,\s*(\d+)\s*)?\))"));
  const auto m = args.match(type);
  if (!m.hasMatch()) return {-1, -1};
  return {m.captured(1).toInt(), m.captured(2).isEmpty() ? -1 : m.captured(2).toInt()};
}

ColumnMeta make(FieldKind kind, int size = 0) {
  ColumnMeta meta;
  meta.kind = kind;
  meta.size = size;
  return meta;
}

}  // namespace

ColumnMeta numericColumnMeta(int precision, int scale) {
  ColumnMeta meta;
  meta.precision = precision > 0 ? precision : 0;
  meta.scale = scale > 0 ? scale : 0;
  if (precision == 19 && scale == 4) meta.kind = FieldKind::Currency;
  else if (precision <= 0 || scale > 0) meta.kind = FieldKind::Decimal;
  else if (precision <= 4) meta.kind = FieldKind::Smallint;
  else if (precision <= 9) meta.kind = FieldKind::Integer;
  else meta.kind = FieldKind::Decimal;
  return meta;
}

FieldKind kindOfValueType(QMetaType type) {
  switch (type.id()) {
    case QMetaType::Int: case QMetaType::LongLong: case QMetaType::UInt:
    case QMetaType::ULongLong: return FieldKind::Integer;
    case QMetaType::Short: case QMetaType::UShort: return FieldKind::Smallint;
    case QMetaType::Double: case QMetaType::Float: return FieldKind::Float;
    case QMetaType::Bool: return FieldKind::Boolean;
    case QMetaType::QDate: return FieldKind::Date;
    case QMetaType::QTime: return FieldKind::Time;
    case QMetaType::QDateTime: return FieldKind::DateTime;
    case QMetaType::QByteArray: return FieldKind::Blob;
    default: return FieldKind::String;
  }
}

ColumnMeta sqliteColumnMeta(const QString& declaredType, QMetaType valueType) {
  const QString type = declaredType.trimmed().toUpper();
  if (type.isEmpty()) return make(kindOfValueType(valueType));
  const auto [first, second] = typeArguments(type);
  if (type.startsWith(u"NUMERIC") || type.startsWith(u"DECIMAL") || type.startsWith(u"NUMBER"))
    return numericColumnMeta(first, second);
  if (type.contains(u"MONEY") || type.contains(u"CURRENCY")) {
    ColumnMeta meta = make(FieldKind::Currency);
    meta.precision = first > 0 ? first : 0;
    meta.scale = second > 0 ? second : 0;
    return meta;
  }
  if (type.contains(u"BOOL")) return make(FieldKind::Boolean);
  if (type.contains(u"DATETIME") || type.contains(u"TIMESTAMP")) return make(FieldKind::DateTime);
  if (type.contains(u"DATE")) return make(FieldKind::Date);
  if (type.contains(u"TIME")) return make(FieldKind::Time);
  if (type.contains(u"SMALLINT") || type.contains(u"TINYINT")) return make(FieldKind::Smallint);
  if (type.contains(u"INT")) return make(FieldKind::Integer);
  if (type.contains(u"CHAR") && first > 0) return make(FieldKind::String, first);
  if (type.contains(u"CHAR") || type.contains(u"CLOB") || type.contains(u"TEXT"))
    return make(FieldKind::Memo);
  if (type.contains(u"BLOB")) return make(FieldKind::Blob);
  if (type.contains(u"REAL") || type.contains(u"FLOA") || type.contains(u"DOUB"))
    return make(FieldKind::Float);
  return make(kindOfValueType(valueType));
}

ColumnMeta postgresColumnMeta(int typeOid, int length, int precision) {
  switch (typeOid) {
    case 16: return make(FieldKind::Boolean);
    case 21: return make(FieldKind::Smallint);
    case 20: case 23: case 26: return make(FieldKind::Integer);
    case 700: case 701: return make(FieldKind::Float);
    case 790: return make(FieldKind::Currency);
    case 1700: return numericColumnMeta(length, precision);
    case 1082: return make(FieldKind::Date);
    case 1083: case 1266: return make(FieldKind::Time);
    case 1114: case 1184: return make(FieldKind::DateTime);
    case 17: return make(FieldKind::Blob);
    case 18: return make(FieldKind::String, 1);
    case 19: return make(FieldKind::String, 63);
    case 1042: case 1043:
      return length > 0 ? make(FieldKind::String, length) : make(FieldKind::Memo);
    case 25: case 114: case 3802: case 142: return make(FieldKind::Memo);
    default: return make(FieldKind::String, length > 0 ? length : 0);
  }
}

ColumnMeta odbcColumnMeta(int sqlType, int length, int precision) {
  switch (sqlType) {
    case 1: case 12: case -8: case -9:  // CHAR, VARCHAR, WCHAR, WVARCHAR
      return length > 0 && length < 65536 ? make(FieldKind::String, length) : make(FieldKind::Memo);
    case -1: case -10: return make(FieldKind::Memo);      // LONGVARCHAR, WLONGVARCHAR
    case 2: case 3: return numericColumnMeta(length, precision);  // NUMERIC, DECIMAL
    case 5: case -6: return make(FieldKind::Smallint);    // SMALLINT, TINYINT
    case 4: case -5: return make(FieldKind::Integer);     // INTEGER, BIGINT
    case 6: case 7: case 8: return make(FieldKind::Float);  // FLOAT, REAL, DOUBLE
    case -7: case 16: return make(FieldKind::Boolean);    // BIT, BOOLEAN
    case 9: case 91: return make(FieldKind::Date);        // DATE, TYPE_DATE
    case 10: case 92: return make(FieldKind::Time);       // TIME, TYPE_TIME
    case 11: case 93: return make(FieldKind::DateTime);   // TIMESTAMP, TYPE_TIMESTAMP
    case -2: case -3: case -4: return make(FieldKind::Blob);
    default: return make(FieldKind::String, length > 0 ? length : 0);
  }
}

}  // namespace korvel::db
