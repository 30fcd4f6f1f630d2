// The repeated statement of SQLite run on its own statement handle: binding
// and stepping without Qt SQL's per-call bookkeeping, which cost as much as
// the insert itself. Values bind as Qt's SQLite driver binds them, and
// failures carry the same messages.

#include <sqlite3.h>

#include <QSqlDriver>

#include "db/engineerror.h"
#include "db/nativehandle.h"
#include "db/sqlitevalues.h"
#include "db/sqlitedriver.h"

namespace korvel::db {
namespace {

using sqlite::bindValue;
using sqlite::columnValue;
using sqlite::errorText;

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
