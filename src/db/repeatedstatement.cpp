#include "db/repeatedstatement.h"

#include <QSqlRecord>

#include "db/driver.h"

namespace korvel::db {

QueryRepeatedStatement::QueryRepeatedStatement(const QSqlDatabase& db, const QString& sql,
                                               const QString& context, const Driver& driver)
    : query_(db), context_(context), driver_(driver) {
  prepareOrThrow(query_, sql, context_);
}

QVector<QVariant> QueryRepeatedStatement::run(const QVector<QVariant>& values) {
  for (int i = 0; i < values.size(); ++i) query_.bindValue(i, values[i]);
  execOrThrow(query_, context_);
  QVector<QVariant> row;
  if (query_.isSelect() && query_.next()) row = driver_.readRow(query_);
  query_.finish();
  return row;
}

std::unique_ptr<RepeatedStatement> Driver::prepareRepeated(const QSqlDatabase& db, const QString& sql,
                                                           const QString& context) const {
  return std::make_unique<QueryRepeatedStatement>(db, sql, context, *this);
}

}  // namespace korvel::db
