#include "db/sqlitevalues.h"

#include <QDateTime>
#include <QVarLengthArray>

namespace korvel::db::sqlite {
namespace {

// As Qt's SQLite driver decides that a value is NULL.
bool isNullValue(const QVariant& value) {
  if (value.isNull()) return true;
  switch (value.typeId()) {
    case QMetaType::QString: return static_cast<const QString*>(value.constData())->isNull();
    case QMetaType::QByteArray: return static_cast<const QByteArray*>(value.constData())->isNull();
    case QMetaType::QDateTime: return !value.toDateTime().isValid();
    case QMetaType::QDate: return !value.toDate().isValid();
    case QMetaType::QTime: return !value.toTime().isValid();
    default: return false;
  }
}

// ASCII text (most generated data) is bound as UTF-8, the encoding SQLite
// files normally use, which spares SQLite a conversion per value.
int bindText(sqlite3_stmt* stmt, int index, const QString& text) {
  QVarLengthArray<char, 128> ascii(text.size());
  qsizetype i = 0;
  for (; i < text.size() && text[i].unicode() < 0x80; ++i) ascii[i] = static_cast<char>(text[i].unicode());
  if (i == text.size())
    return sqlite3_bind_text(stmt, index, ascii.constData(), static_cast<int>(ascii.size()), SQLITE_TRANSIENT);
  return sqlite3_bind_text16(stmt, index, text.constData(), static_cast<int>(text.size() * sizeof(QChar)),
                             SQLITE_TRANSIENT);
}

}  // namespace

QString errorText(sqlite3* db) {
  return QString(reinterpret_cast<const QChar*>(sqlite3_errmsg16(db)));
}

int bindValue(sqlite3_stmt* stmt, int index, const QVariant& value) {
  if (isNullValue(value)) return sqlite3_bind_null(stmt, index);
  switch (value.typeId()) {
    case QMetaType::QByteArray: {
      const auto* bytes = static_cast<const QByteArray*>(value.constData());
      return sqlite3_bind_blob(stmt, index, bytes->constData(), static_cast<int>(bytes->size()), SQLITE_TRANSIENT);
    }
    case QMetaType::Int:
    case QMetaType::Bool: return sqlite3_bind_int(stmt, index, value.toInt());
    case QMetaType::Double: return sqlite3_bind_double(stmt, index, value.toDouble());
    case QMetaType::UInt:
    case QMetaType::LongLong: return sqlite3_bind_int64(stmt, index, value.toLongLong());
    case QMetaType::QDateTime: return bindText(stmt, index, value.toDateTime().toString(Qt::ISODateWithMs));
    case QMetaType::QTime: return bindText(stmt, index, value.toTime().toString(QStringLiteral("hh:mm:ss.zzz")));
    case QMetaType::QString: return bindText(stmt, index, *static_cast<const QString*>(value.constData()));
    default: return bindText(stmt, index, value.toString());
  }
}

QVariant columnValue(sqlite3_stmt* stmt, int column) {
  switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_INTEGER: return QVariant(static_cast<qlonglong>(sqlite3_column_int64(stmt, column)));
    case SQLITE_FLOAT: return sqlite3_column_double(stmt, column);
    case SQLITE_NULL: return {};
    case SQLITE_BLOB:
      return QByteArray(static_cast<const char*>(sqlite3_column_blob(stmt, column)),
                        sqlite3_column_bytes(stmt, column));
    default:
      return QString(reinterpret_cast<const QChar*>(sqlite3_column_text16(stmt, column)),
                     sqlite3_column_bytes16(stmt, column) / static_cast<int>(sizeof(QChar)));
  }
}

}  // namespace korvel::db::sqlite
