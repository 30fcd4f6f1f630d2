#include "copydb/sourcerows.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include "db/driver.h"
#include "db/engine.h"
#include "db/engineerror.h"
#include "db/fieldvalue.h"

namespace korvel::copydb {
namespace {

constexpr int kChunkRows = 1000;
const QString kReadContext = QStringLiteral("Cannot read the rows of the source");

QSqlDatabase connectionNamed(const QString& name) {
  if (!QSqlDatabase::contains(name)) throw db::EngineError(QStringList{kReadContext, QStringLiteral("The connection to the database was closed")});
  return QSqlDatabase::database(name, false);
}

}  // namespace

SourceRows::SourceRows(const QString& alias, const QString& select, bool sharedWithWriter) {
  db::Engine& engine = db::Engine::instance();
  QSqlDatabase db = engine.connection(alias);
  connectionName_ = db.connectionName();
  driver_ = &engine.driver(alias);
  if (sharedWithWriter && db.driverName() == u"QPSQL") {
    static int serial = 0;
    cursor_ = QStringLiteral("korvel_copy_source_%1").arg(++serial);
    QSqlQuery declare(db);
    db::execOrThrow(declare, QStringLiteral("DECLARE %1 NO SCROLL CURSOR WITH HOLD FOR %2").arg(cursor_, select),
                    kReadContext);
    fetchChunk();
    return;
  }
  stream_ = std::make_unique<QSqlQuery>(db);
  stream_->setForwardOnly(true);
  stream_->setNumericalPrecisionPolicy(QSql::HighPrecision);
  db::execOrThrow(*stream_, select, kReadContext);
  describe(*stream_);
}

SourceRows::~SourceRows() {
  stream_.reset();
  if (cursor_.isEmpty() || !QSqlDatabase::contains(connectionName_)) return;
  QSqlQuery close(QSqlDatabase::database(connectionName_, false));
  close.exec(QStringLiteral("CLOSE ") + cursor_);
}

void SourceRows::describe(const QSqlQuery& query) {
  kinds_.clear();
  for (const db::ColumnMeta& meta : driver_->describe(query)) kinds_.push_back(meta.kind);
}

QVector<QVariant> SourceRows::typedRow(const QSqlQuery& query) const {
  QVector<QVariant> row(static_cast<qsizetype>(kinds_.size()));
  for (size_t i = 0; i < kinds_.size(); ++i)
    row[static_cast<qsizetype>(i)] = db::valueFromDriver(kinds_[i], query.value(static_cast<int>(i)));
  return row;
}

// One chunk, read whole, so that no result is pending when the writer runs
// its statements on the connection.
void SourceRows::fetchChunk() {
  chunk_.clear();
  chunkPos_ = 0;
  QSqlQuery fetch(connectionNamed(connectionName_));
  fetch.setNumericalPrecisionPolicy(QSql::HighPrecision);
  db::execOrThrow(fetch, QStringLiteral("FETCH FORWARD %1 FROM %2").arg(kChunkRows).arg(cursor_), kReadContext);
  if (kinds_.empty()) describe(fetch);
  while (fetch.next()) chunk_.push_back(typedRow(fetch));
  cursorDone_ = chunk_.size() < static_cast<size_t>(kChunkRows);
}

bool SourceRows::next(QVector<QVariant>& row) {
  if (stream_) {
    if (stream_->next()) {
      row = typedRow(*stream_);
      return true;
    }
    // A streaming result also ends when it was cut off or the connection
    // broke: that is an error, not the end of the rows.
    if (stream_->lastError().isValid()) throw db::EngineError(db::errorEntries(stream_->lastError(), kReadContext));
    return false;
  }
  if (chunkPos_ >= chunk_.size()) {
    if (cursorDone_) return false;
    fetchChunk();
    if (chunk_.empty()) return false;
  }
  row = std::move(chunk_[chunkPos_++]);
  return true;
}

}  // namespace korvel::copydb
