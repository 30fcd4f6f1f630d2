#pragma once
// Many rows written as one unit of work (test data; later copies and
// pastes). The rows go into one transaction where that is safe, so they are
// not synced to disk one by one, and a row the database refuses undoes only
// its own writing: the rows before it stay. How that is achieved depends on
// the driver (Driver::runSafety): SQLite undoes a failed statement by itself;
// PostgreSQL aborts the whole transaction on any error, so there each row
// runs inside a savepoint; where the behaviour is not known (ODBC) there is
// no run transaction and every row commits as it is posted.
//
//   WriteRun run(alias);
//   for (...) run.row([&] { dataset.post(); });
//   run.commit();  // EngineError when the database refuses the commit

#include <QSqlDatabase>
#include <QString>
#include <exception>

#include "db/engineerror.h"

namespace korvel::db {

class Driver;

class WriteRun {
 public:
  // Begins the run on the alias's connection. EngineError when there is no
  // connection or the transaction cannot begin.
  explicit WriteRun(const QString& alias);
  // A run left without commit() (an exception passed through) is rolled
  // back: nothing is kept that the caller never confirmed.
  ~WriteRun();
  WriteRun(const WriteRun&) = delete;
  WriteRun& operator=(const WriteRun&) = delete;

  // Runs one row's writing. When it raises, what it wrote is undone, the
  // rows before it stay and the error passes on. When the database ended
  // the whole transaction on its own, the error says that the run's rows
  // are gone, and the run is over.
  template <class Work>
  void row(Work&& work) {
    beginRow();
    try {
      work();
    } catch (...) {
      failRow(std::current_exception());
    }
    endRow();
  }

  // Makes the run's rows permanent. When the database refuses, the run is
  // rolled back and EngineError carries the database's message.
  void commit();
  // Whether rows are still being collected (begun, not committed, not lost).
  bool open() const { return state_ == State::Open; }

 private:
  enum class State { Open, Done };
  enum class Mode { Statement, Savepoint, Autocommit };

  void beginRow();
  void endRow();
  [[noreturn]] void failRow(std::exception_ptr error);
  void exec(const QString& sql, const QString& context);
  void rollback();
  bool connectionKept() const;
  QSqlDatabase db() const;

  // By name, as datasets hold it: a copy of the connection would keep it
  // from being closed by the engine.
  QString connectionName_;
  Driver* driver_ = nullptr;  // valid while connectionKept()
  Mode mode_ = Mode::Autocommit;
  State state_ = State::Open;
  bool savepointSet_ = false;
};

}  // namespace korvel::db
