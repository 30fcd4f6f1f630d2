// The SQLite statement writer: statements prepared and stepped on the
// connection's own handle, inside one transaction until commit().

#include <sqlite3.h>

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QVariant>
#include <vector>

#include "db/engineerror.h"
#include "db/driver.h"
#include "db/statementwriters.h"

namespace korvel::db {
namespace {

const QString kClosed = QStringLiteral("The connection to the database was closed");

QString messageOf(sqlite3* db) { return QString::fromUtf8(sqlite3_errmsg(db)); }

bool onlyBlanks(const char* text) {
  for (; *text; ++text)
    if (*text != ' ' && *text != '\t' && *text != '\r' && *text != '\n' && *text != ';') return false;
  return true;
}

class SqliteWriter final : public StatementWriter {
 public:
  SqliteWriter(const QString& connectionName, const Driver& driver) : connectionName_(connectionName), driver_(&driver) {}

  ~SqliteWriter() override {
    if (!begun_ || !QSqlDatabase::contains(connectionName_)) return;
    if (sqlite3* db = handle(); db && !sqlite3_get_autocommit(db)) sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
  }

  int run(const QStringList& statements, QString* refusal) override {
    sqlite3* db = checkedHandle();
    begin(db);
    for (int i = 0; i < statements.size(); ++i) {
      QByteArray sql;
      QString message;
      try {
        sql = driver_->statementText(statements[i]).toUtf8();
      } catch (const EngineError& e) {
        if (refusal) *refusal = e.lastMessage();
        return i;
      }
      if (step(db, sql, &message)) {
        ran_.push_back(std::move(sql));
        continue;
      }
      // Some refusals end the whole transaction in SQLite itself (a
      // conflict clause ROLLBACK, a full disk): the rows since the last
      // commit are run again, so that only this row is missing.
      if (sqlite3_get_autocommit(db)) runAgain(db);
      if (refusal) *refusal = message;
      return i;
    }
    return static_cast<int>(statements.size());
  }

  void commit() override {
    if (!begun_) return;
    sqlite3* db = checkedHandle();
    begun_ = false;
    ran_.clear();
    if (sqlite3_get_autocommit(db))
      throw EngineError(QStringList{QStringLiteral("Cannot commit the rows"),
                                    QStringLiteral("The database ended the transaction: the rows are not kept")});
    if (sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK) return;
    const QString message = messageOf(db);
    if (!sqlite3_get_autocommit(db)) sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    throw EngineError(QStringList{QStringLiteral("Cannot commit the rows"), message});
  }

  bool transactional() const override { return true; }

 private:
  sqlite3* handle() const {
    const QSqlDatabase db = QSqlDatabase::database(connectionName_, false);
    const QVariant h = db.driver() ? db.driver()->handle() : QVariant();
    if (!h.isValid() || qstrcmp(h.typeName(), "sqlite3*") != 0) return nullptr;
    return *static_cast<sqlite3* const*>(h.constData());
  }

  sqlite3* checkedHandle() const {
    sqlite3* db = QSqlDatabase::contains(connectionName_) ? handle() : nullptr;
    if (!db) throw EngineError(kClosed);
    return db;
  }

  void begin(sqlite3* db) {
    if (begun_) {
      if (sqlite3_get_autocommit(db))
        throw EngineError(QStringLiteral("The database ended the transaction of the rows"));
      return;
    }
    if (!sqlite3_get_autocommit(db))
      throw EngineError(QStringLiteral("Another transaction is open on the connection"));
    if (sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK)
      throw EngineError(QStringList{QStringLiteral("Cannot begin a transaction"), messageOf(db)});
    begun_ = true;
  }

  // One statement; false with the database's message when it is refused.
  static bool step(sqlite3* db, const QByteArray& sql, QString* message) {
    sqlite3_stmt* stmt = nullptr;
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(db, sql.constData(), static_cast<int>(sql.size()), &stmt, &tail) != SQLITE_OK) {
      *message = messageOf(db);
      return false;
    }
    if (tail && !onlyBlanks(tail)) {
      sqlite3_finalize(stmt);
      *message = QStringLiteral("Only one statement may be given per row");
      return false;
    }
    int rc = stmt ? sqlite3_step(stmt) : SQLITE_DONE;
    while (rc == SQLITE_ROW) rc = sqlite3_step(stmt);
    if (rc != SQLITE_DONE) *message = messageOf(db);
    sqlite3_finalize(stmt);
    return rc == SQLITE_DONE;
  }

  void runAgain(sqlite3* db) {
    begun_ = false;
    begin(db);
    for (const QByteArray& sql : ran_) {
      QString message;
      if (!step(db, sql, &message)) {
        ran_.clear();
        if (!sqlite3_get_autocommit(db)) sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        begun_ = false;
        throw EngineError(QStringList{QStringLiteral("The database ended the transaction and a row written "
                                                     "before cannot be written again: the rows since the last "
                                                     "commit are not kept"),
                                      message});
      }
    }
  }

  QString connectionName_;
  const Driver* driver_;  // valid while the connection is there (checkedHandle)
  bool begun_ = false;
  std::vector<QByteArray> ran_;  // since the last commit, to run again
};

}  // namespace

std::unique_ptr<StatementWriter> sqliteStatementWriter(const QString& connectionName, const Driver& driver) {
  return std::make_unique<SqliteWriter>(connectionName, driver);
}

}  // namespace korvel::db
