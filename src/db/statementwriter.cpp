#include "db/statementwriter.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlQuery>

#include "db/driver.h"
#include "db/engine.h"
#include "db/engineerror.h"
#include "db/statementwriters.h"
#include "db/writerun.h"

namespace korvel::db {
namespace {

const QString kClosed = QStringLiteral("The connection to the database was closed");

// Each statement is one row of a write run: the run keeps the rows before a
// refused one as the driver allows (without a run transaction each
// statement commits itself).
class WriteRunWriter final : public StatementWriter {
 public:
  WriteRunWriter(const QString& alias, const QString& connectionName, const Driver& driver)
      : alias_(alias), connectionName_(connectionName), driver_(&driver),
        transactional_(driver.runSafety() != RunSafety::Autocommit) {}

  int run(const QStringList& statements, QString* refusal) override {
    for (int i = 0; i < statements.size(); ++i) {
      if (!QSqlDatabase::contains(connectionName_)) throw EngineError(kClosed);
      if (!run_) run_ = std::make_unique<WriteRun>(alias_);
      try {
        const QString text = driver_->statementText(statements[i]);
        run_->row([&] {
          QSqlQuery query(QSqlDatabase::database(connectionName_, false));
          execOrThrow(query, text, QStringLiteral("Cannot write the row"));
        });
      } catch (const EngineError& e) {
        // A run the database ended, or a connection the driver has closed,
        // refuses everything: that ends the writing, not only this row.
        if (!run_->open() || !connectionOpen()) throw;
        if (refusal) *refusal = e.lastMessage();
        return i;
      }
    }
    return static_cast<int>(statements.size());
  }

  void commit() override {
    if (!run_) return;
    const std::unique_ptr<WriteRun> run = std::move(run_);
    run->commit();
  }

  bool transactional() const override { return transactional_; }

 private:
  bool connectionOpen() const {
    if (!QSqlDatabase::contains(connectionName_)) return false;
    const QSqlDatabase db = QSqlDatabase::database(connectionName_, false);
    return db.driver() && db.driver()->isOpen();
  }

  QString alias_, connectionName_;
  const Driver* driver_;  // valid while the connection is there
  bool transactional_;
  std::unique_ptr<WriteRun> run_;  // begun with the first row after a commit
};

}  // namespace

std::unique_ptr<StatementWriter> openStatementWriter(const QString& alias) {
  Engine& engine = Engine::instance();
  const QSqlDatabase db = engine.connection(alias);
  const Driver& driver = engine.driver(alias);
  const QString name = db.connectionName();
  if (driver.runSafety() == RunSafety::Savepoints && db.driverName() == u"QPSQL")
    return postgresStatementWriter(name, driver);
  if (driver.runSafety() == RunSafety::StatementAtomic && db.driverName() == u"QSQLITE")
    return sqliteStatementWriter(name, driver);
  return std::make_unique<WriteRunWriter>(alias, name, driver);
}

}  // namespace korvel::db
