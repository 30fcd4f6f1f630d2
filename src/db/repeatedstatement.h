#pragma once
// A statement prepared once and run many times with new values, as posting
// rows one after another runs the same INSERT. Drivers may run it natively.

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <QVector>

namespace korvel::db {

class Driver;

class RepeatedStatement {
 public:
  virtual ~RepeatedStatement() = default;
  // Binds `values` in order and runs the statement: the first row of its
  // result (an INSERT ... RETURNING), empty when it returns none. The
  // statement holds no lock afterwards. EngineError on failure.
  virtual QVector<QVariant> run(const QVector<QVariant>& values) = 0;
};

// Through Qt SQL: any driver.
class QueryRepeatedStatement final : public RepeatedStatement {
 public:
  // EngineError with `context` when the statement cannot be prepared.
  // `driver` reads the returned row.
  QueryRepeatedStatement(const QSqlDatabase& db, const QString& sql, const QString& context,
                         const Driver& driver);
  QVector<QVariant> run(const QVector<QVariant>& values) override;

 private:
  QSqlQuery query_;
  QString context_;
  const Driver& driver_;
};

}  // namespace korvel::db
