#include "db/statementwriter.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlQuery>

#include "db/driver.h"
#include "db/engine.h"
#include "db/engineerror.h"

namespace korvel::db {
namespace {

// Each statement commits itself: nothing is held between statements, and a
// refused one takes nothing else with it.
class AutocommitWriter final : public StatementWriter {
 public:
  explicit AutocommitWriter(const QString& connectionName) : connectionName_(connectionName) {}

  int run(const QStringList& statements, QString* refusal) override {
    if (!QSqlDatabase::contains(connectionName_))
      throw EngineError(QStringLiteral("The connection to the database was closed"));
    QSqlDatabase db = QSqlDatabase::database(connectionName_, false);
    QSqlQuery query(db);
    for (int i = 0; i < statements.size(); ++i) {
      if (query.exec(statements[i])) continue;
      const QStringList entries = errorEntries(query.lastError(), QStringLiteral("Cannot write the row"));
      // A connection the driver has closed refuses everything: that is the
      // end of the writing, not a refusal of this one row.
      if (!db.driver() || !db.driver()->isOpen()) throw EngineError(entries);
      if (refusal) *refusal = entries.last();
      return i;
    }
    return static_cast<int>(statements.size());
  }

  void commit() override {}
  bool transactional() const override { return false; }

 private:
  QString connectionName_;
};

}  // namespace

std::unique_ptr<StatementWriter> autocommitStatementWriter(const QString& connectionName) {
  return std::make_unique<AutocommitWriter>(connectionName);
}

std::unique_ptr<StatementWriter> Driver::statementWriter(const QString& connectionName) const {
  return autocommitStatementWriter(connectionName);
}

std::unique_ptr<StatementWriter> openStatementWriter(const QString& alias) {
  Engine& engine = Engine::instance();
  const QString name = engine.connection(alias).connectionName();
  return engine.driver(alias).statementWriter(name);
}

}  // namespace korvel::db
