// The repeated statement of SQLite run on its own statement handle: binding
// and stepping without Qt SQL's per-call bookkeeping, which cost as much as
// the insert itself. Values bind as Qt's SQLite driver binds them, and
// failures carry the same messages.

#include <sqlite3.h>

#include <QDateTime>
#include <QSqlDriver>
#include <QVarLengthArray>

#include "db/engineerror.h"
#include "db/nativehandle.h"
#include "db/sqlitedriver.h"

namespace korvel::db {
namespace {

QString errorText(sqlite3* db) {
  return QString(reinterpret_cast<const QChar*>(sqlite3_errmsg16(db)));
}

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

class SqliteRepeatedStatement final : public RepeatedStatement {
 public:
  SqliteRepeatedStatement(sqlite3* db, const QString& sql, const QString& context) : db_(db), context_(context) {
    if (sqlite3_prepare16_v2(db_, sql.constData(), static_cast<int>(sql.size() * sizeof(QChar)), &stmt_,
                             nullptr) != SQLITE_OK) {
      const QString message = errorText(db_);
      sqlite3_finalize(stmt_);
      throw EngineError(QStringList{context_, QStringLiteral("Unable to execute statement"), message});
    }
  }
  ~SqliteRepeatedStatement() override { sqlite3_finalize(stmt_); }

  QVector<QVariant> run(const QVector<QVariant>& values) override {
    sqlite3_reset(stmt_);  // every parameter is bound anew below
    if (sqlite3_bind_parameter_count(stmt_) != values.size())
      throw EngineError(QStringList{context_, QStringLiteral("Parameter count mismatch")});
    for (int i = 0; i < values.size(); ++i)
      if (bindValue(stmt_, i + 1, values[i]) != SQLITE_OK)
        throw EngineError(QStringList{context_, QStringLiteral("Unable to bind parameters"), errorText(db_)});
    const int result = sqlite3_step(stmt_);
    QVector<QVariant> row;
    if (result == SQLITE_ROW) {
      for (int i = 0; i < sqlite3_column_count(stmt_); ++i) row << columnValue(stmt_, i);
    } else if (result != SQLITE_DONE) {
      const QString message = errorText(db_);
      sqlite3_reset(stmt_);
      throw EngineError(QStringList{context_, QStringLiteral("Unable to fetch row"), message});
    }
    sqlite3_reset(stmt_);  // ends the statement: no lock is held between posts
    sqlite3_clear_bindings(stmt_);
    return row;
  }

 private:
  sqlite3* db_;
  sqlite3_stmt* stmt_ = nullptr;
  QString context_;
};

}  // namespace

std::unique_ptr<RepeatedStatement> SqliteDriver::prepareRepeated(const QSqlDatabase& db, const QString& sql,
                                                                 const QString& context) const {
  sqlite3* handle = db.driver() ? nativeHandle<sqlite3>(db.driver()->handle(), "sqlite3*") : nullptr;
  if (!handle || !db.isOpen()) return Driver::prepareRepeated(db, sql, context);
  return std::make_unique<SqliteRepeatedStatement>(handle, sql, context);
}

}  // namespace korvel::db
