#pragma once
// The rows of the copy's source, read once from first to last, with memory
// that does not grow with the table. Values come typed as the engine reads
// them for the column's field kind (dates as dates, booleans as booleans);
// exact numbers the database gives as text stay text.
//
// Usually the rows stream through a forward-only result. A streaming
// PostgreSQL result is ended by the next statement on its connection, so
// when the destination is written on that same connection the rows are
// read through a server cursor WITH HOLD instead, a chunk at a time: it
// outlives the writer's commits and shows the table as it was when the copy
// began.

#include <QString>
#include <QVariant>
#include <QVector>
#include <memory>
#include <vector>

#include "db/fieldkind.h"

class QSqlQuery;

namespace korvel::db {
class Driver;
}

namespace korvel::copydb {

class SourceRows {
 public:
  // Runs `select` on the alias. sharedWithWriter: the destination is
  // written on the same connection. EngineError when it cannot run.
  SourceRows(const QString& alias, const QString& select, bool sharedWithWriter);
  ~SourceRows();
  SourceRows(const SourceRows&) = delete;
  SourceRows& operator=(const SourceRows&) = delete;

  // The next row; false after the last. EngineError when reading fails.
  bool next(QVector<QVariant>& row);

 private:
  void fetchChunk();
  void describe(const QSqlQuery& query);
  QVector<QVariant> typedRow(const QSqlQuery& query) const;

  QString connectionName_;
  db::Driver* driver_ = nullptr;
  std::vector<db::FieldKind> kinds_;
  std::unique_ptr<QSqlQuery> stream_;  // forward-only result
  QString cursor_;                     // server cursor name, when reading by chunks
  std::vector<QVector<QVariant>> chunk_;
  size_t chunkPos_ = 0;
  bool cursorDone_ = false;
};

}  // namespace korvel::copydb
